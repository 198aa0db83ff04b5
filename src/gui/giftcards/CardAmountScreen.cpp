#include "giftcards/CardAmountScreen.h"

#include "app/AmountField.h"
#include "app/BusyCursor.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FocusEvents.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/PrintRetry.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"
#include "giftcards/SwipeField.h"
#include "reports/Reports.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace GiftCardFields;

CardAmountScreen::CardAmountScreen(const Form &form, QWidget *parent)
    : QWidget(parent),
      m_amountCaption(form.amountCaption),
      m_saveName(form.saveName),
      m_cardMustBeOnFile(form.cardMustBeOnFile)
{
    setObjectName(QLatin1String(form.screenName));
    setWindowTitle(form.title);
    buildForm(form);

    connect(txtAcctNo, &SwipeField::emptied, this, [this] { ClearGiftCardFields(); });
    connect(txtAcctNo, &SwipeField::swiped, this, [this] { ScreenGuard::run(this, [this] { cardSwiped(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    TextRule::apply(txtClerk, FieldRules::Width::Clerk, QStringLiteral("Clerk ID"));
    if (txtNotes)
        TextRule::apply(txtNotes, FieldRules::Width::GiftCardNote, QStringLiteral("Notes"));

    ClearGiftCardFields();
    // Connected only now: the screen's own rule cannot run before the screen is whole.
    connect(txtAmount, &AmountField::plainTextChanged, this, [this] { amountChanged(); });
    FocusEvents::onLeave(txtAmount, [this] { amountLeft(); });
    // Enter walks from the clerk to the amount and on to Print/Save, as Tab does.
    for (QWidget *field : {static_cast<QWidget *>(txtClerk), static_cast<QWidget *>(txtAmount)})
        field->installEventFilter(this);
    txtAcctNo->setFocus();
}

void CardAmountScreen::buildForm(const Form &form)
{
    auto *acctInfo = new QGroupBox(QStringLiteral("Acct Info"), this);
    m_info = new QGroupBox(form.infoCaption, this);

    txtAcctNo = new SwipeField(acctInfo, m_info);
    txtAcctNo->setFixedWidth(160);
    txtClerk = new QLineEdit(acctInfo);
    txtClerk->setObjectName(QStringLiteral("txtClerk"));
    txtClerk->setFixedWidth(120);
    {
        auto *grid = new QGridLayout(acctInfo);
        grid->addWidget(fieldLabel(QStringLiteral("Acct No."), acctInfo), 0, 0);
        grid->addWidget(txtAcctNo, 0, 1);
        grid->setColumnMinimumWidth(2, 16);
        grid->addWidget(fieldLabel(QStringLiteral("Clerk ID"), acctInfo), 0, 3);
        grid->addWidget(txtClerk, 0, 4);
        grid->setColumnStretch(5, 1);
    }

    txtBalance = moneyBox("txtBalance", Use::DisplayOnly, m_info);
    txtAmount = moneyBox("txtAmount", Use::Typed, m_info);
    txtNewBalance = moneyBox("txtNewBalance", Use::DisplayOnly, m_info);
    {
        auto *grid = new QGridLayout(m_info);
        int row = 0;
        for (const auto &[caption, box] : {std::pair<QString, QLineEdit *>{QStringLiteral("Current Balance"), txtBalance},
                                           {form.amountCaption, txtAmount},
                                           {QStringLiteral("New Balance"), txtNewBalance}}) {
            grid->addWidget(fieldLabel(caption, m_info), row, 0);
            grid->addWidget(box, row++, 1, Qt::AlignLeft);
        }
        if (form.withNotes) {
            txtNotes = new QLineEdit(m_info);
            txtNotes->setObjectName(QStringLiteral("txtNotes"));
            txtNotes->setMinimumWidth(320);
            grid->addWidget(fieldLabel(QStringLiteral("Notes"), m_info), row, 0);
            grid->addWidget(txtNotes, row++, 1);
        }
        grid->setColumnStretch(2, 1);
    }

    btnSave = button("btnSave", QStringLiteral("Print/Save"), this);
    btnExit = button("btnExit", QStringLiteral("Exit"), this);
    auto *fields = new QVBoxLayout;
    fields->addWidget(acctInfo);
    fields->addWidget(m_info);
    layOutFormAndButtons(this, fields, {btnSave, btnExit});
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The balance boxes take no focus, so Tab goes from the amount to the buttons; the
    // notes come last.
    QList<QWidget *> order = {txtAcctNo, txtClerk, txtBalance, txtAmount, txtNewBalance, btnSave, btnExit};
    if (txtNotes)
        order << txtNotes;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CardAmountScreen::ClearGiftCardFields()
{
    txtClerk->clear();
    txtBalance->setPlainText(QStringLiteral("0"));
    txtAmount->setPlainText(QStringLiteral("0"));
    txtNewBalance->setPlainText(QStringLiteral("0"));
    txtAcctNo->clearCardNumber();
    if (txtNotes)
        txtNotes->clear();
    m_info->setEnabled(false);
}

void CardAmountScreen::ShowCardBalance()
{
    const QString cardId = txtAcctNo->cardNumber();
    if (cardId.isEmpty())
        return;
    const std::optional<GiftCardStore::Card> card = GiftCardStore::card(Db::current(), cardId);
    txtBalance->setPlainText(balanceText(card ? card->balance : 0));
    // A card never sold shows $0.00 like an empty one; the status line tells them apart.
    if (!card && m_cardMustBeOnFile)
        MainWindow::showStatusLine(QStringLiteral("Card %1 is not on file").arg(cardId));
}

void CardAmountScreen::ShowNewBalance() { txtNewBalance->setPlainText(balanceText(balanceAfter(balance(), txtAmount->value()))); }

void CardAmountScreen::refuseAmount(const QString &message) { MessageBox::ok(this, message, QStringLiteral("Invalid Amount")); }

void CardAmountScreen::amountRefused(const QString &message)
{
    refuseAmount(message);
    txtAmount->setFocus(Qt::OtherFocusReason);
}

// While the clerk types, the new balance follows every amount that is right and keeps
// its last value otherwise: "3" on the way to "30", a lone "-" or an emptied box are
// no reason for a message yet.
void CardAmountScreen::amountChanged()
{
    if (!amountProblem())
        ShowNewBalance();
}

void CardAmountScreen::amountLeft()
{
    // The save that took the focus has already said what was wrong and brought the
    // focus back; once is enough. An amount left empty is no amount yet.
    if (txtAmount->hasFocus() || txtAmount->plainText().isEmpty())
        return;
    if (const std::optional<QString> problem = amountProblem())
        amountRefused(*problem);
}

bool CardAmountScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == txtClerk && m_info->isEnabled()) {
                txtAmount->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (watched == txtAmount) {
                btnSave->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

double CardAmountScreen::balance() const { return txtBalance->value(); }

QString CardAmountScreen::notes() const { return txtNotes ? txtNotes->text() : QString(); }

void CardAmountScreen::cardSwiped()
{
    ShowCardBalance();
    m_info->setEnabled(true);
    txtAmount->setFocus(Qt::OtherFocusReason);
}

void CardAmountScreen::save()
{
    const QString cardId = txtAcctNo->cardNumber();
    const double amount = txtAmount->value();
    if (!txtAmount->plainText().isEmpty() && m_info->isEnabled()) {
        if (const std::optional<QString> problem = amountProblem()) {
            amountRefused(*problem);
            return;
        }
    }
    if (!(isNumber(txtAmount->plainText()) && amount > 0) || txtClerk->text().isEmpty() || txtAcctNo->text().isEmpty()
        || cardId.isEmpty()) {
        MessageBox::ok(this,
                       QStringLiteral("You must select a card, Clerk, and some dollar amount before saving/printing this "
                                      "record."),
                       QStringLiteral("Not Enough Information"), MessageBox::Icon::Exclamation);
        return;
    }
    QList<QLineEdit *> texts = {txtClerk};
    if (txtNotes)
        texts << txtNotes;
    if (!TextRule::checkBeforeSave(this, texts)
        || !AmountRule::checkBeforeSave(this,
                                        {{m_amountCaption, amount}, {QStringLiteral("New Balance"), txtNewBalance->value()}}))
        return;

    std::optional<GiftCardStore::Saved> saved;
    {
        BusyCursor busy;
        saved = store(cardId, amount, txtClerk->text());
    }
    if (!saved) {
        storeRefused();
        return;
    }
    // The receipt shows the balance the card holds now, as stored.
    const int id = saved->transactionId;
    const bool printed = PrintRetry::run(this, [id] { return Printers::giftCardReceipt()(id); });
    txtAcctNo->clear();
    ClearGiftCardFields();
    txtAcctNo->setFocus();
    MainWindow::showStatusLine(QStringLiteral("Gift card %1: %2 of %3 saved, balance %4, %5")
                                   .arg(cardId, m_saveName, Numbers::format(amount, AmountField::moneyFormat()),
                                        Numbers::format(saved->balance, AmountField::moneyFormat()),
                                        printed ? QStringLiteral("receipt printed") : QStringLiteral("not printed")));
}
