#include "giftcards/GiftCardEditScreen.h"

#include "app/AmountField.h"
#include "app/BusyCursor.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FocusEvents.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"
#include "giftcards/GiftCardStore.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace GiftCardFields;

GiftCardEditScreen::GiftCardEditScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGiftCardEdit"));
    setWindowTitle(QStringLiteral("Gift Card Edit"));

    txtAcctNo = new QLineEdit(this);
    txtAcctNo->setObjectName(QStringLiteral("txtAcctNo"));
    txtAcctNo->setFixedWidth(160);
    txtBalance = moneyBox("txtBalance", Use::Typed, this);
    txtNotes = new QLineEdit(this);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setMinimumWidth(320);
    btnSave = button("btnSave", QStringLiteral("Save"), this);
    btnExit = button("btnExit", QStringLiteral("Exit"), this);

    auto *fields = new QGridLayout;
    fields->addWidget(fieldLabel(QStringLiteral("Card No."), this), 0, 0);
    fields->addWidget(txtAcctNo, 0, 1, Qt::AlignLeft);
    fields->addWidget(fieldLabel(QStringLiteral("Current Balance"), this), 1, 0);
    fields->addWidget(txtBalance, 1, 1, Qt::AlignLeft);
    fields->addWidget(fieldLabel(QStringLiteral("Notes"), this), 2, 0);
    fields->addWidget(txtNotes, 2, 1);
    layOutFormAndButtons(this, fields, {btnSave, btnExit});
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtAcctNo, txtBalance);
    setTabOrder(txtBalance, txtNotes);
    setTabOrder(txtNotes, btnSave);
    setTabOrder(btnSave, btnExit);

    TextRule::apply(txtAcctNo, FieldRules::Width::CardNumber, QStringLiteral("Card No."));
    TextRule::apply(txtNotes, FieldRules::Width::GiftCardNote, QStringLiteral("Notes"));
    FocusEvents::onLeave(txtAcctNo, [this] { ScreenGuard::run(this, [this] { LoadGiftCard(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    ClearGiftCardFields();
    txtAcctNo->setFocus();
}

void GiftCardEditScreen::ClearGiftCardFields()
{
    txtAcctNo->clear();
    txtBalance->setPlainText(QStringLiteral("0"));
    txtNotes->clear();
}

void GiftCardEditScreen::LoadGiftCard()
{
    if (txtAcctNo->text().isEmpty())
        return;
    const std::optional<GiftCardStore::Card> card = GiftCardStore::card(Db::current(), txtAcctNo->text());
    if (!card) {
        cardNotFound();
        return;
    }
    txtBalance->setPlainText(balanceText(card->balance));
    txtNotes->setText(card->notes);
    // The card is loaded once the focus has moved on: the balance the clerk tabbed to is
    // selected for typing over, as it would have been had it been there first.
    if (txtBalance->hasFocus())
        txtBalance->selectAll();
}

void GiftCardEditScreen::cardNotFound()
{
    MessageBox::ok(this, QStringLiteral("Card Not Found!"), QStringLiteral("Card Not Found"));
    ClearGiftCardFields();
    txtAcctNo->setFocus(Qt::OtherFocusReason);
}

void GiftCardEditScreen::save()
{
    const double balance = txtBalance->value();
    if (!(isNumber(txtBalance->plainText()) && balance > 0) || txtAcctNo->text().isEmpty()) {
        MessageBox::ok(this, QStringLiteral("You must select a card and some dollar amount before saving/printing this record."),
                       QStringLiteral("Not Enough Information"), MessageBox::Icon::Exclamation);
        return;
    }
    if (!TextRule::checkBeforeSave(this, {txtAcctNo, txtNotes})
        || !AmountRule::checkBeforeSave(this, {{QStringLiteral("Current Balance"), balance}}))
        return;
    std::optional<GiftCardStore::Saved> saved;
    {
        BusyCursor busy;
        saved = GiftCardStore::edit(Db::current(), txtAcctNo->text(), balance, txtNotes->text(), stampNow());
    }
    // A card number that was never sold is not made into a card by an edit.
    if (!saved) {
        cardNotFound();
        return;
    }
    const QString cardId = txtAcctNo->text();
    ClearGiftCardFields();
    txtAcctNo->setFocus();
    MainWindow::showStatusLine(QStringLiteral("Gift card %1: balance set to %2 and saved")
                                   .arg(cardId, Numbers::format(saved->balance, AmountField::moneyFormat())));
}
