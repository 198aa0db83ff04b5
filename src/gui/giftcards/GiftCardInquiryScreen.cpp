#include "giftcards/GiftCardInquiryScreen.h"

#include "app/AmountField.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/Numbers.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "giftcards/GiftCardFields.h"
#include "giftcards/GiftCardStore.h"
#include "giftcards/SwipeField.h"

#include <QGridLayout>
#include <QLabel>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace GiftCardFields;

GiftCardInquiryScreen::GiftCardInquiryScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGiftCardInquiry"));
    setWindowTitle(QStringLiteral("Gift Card Inquiry"));

    auto *acctInfo = new QGroupBox(QStringLiteral("Acct Info"), this);
    txtAcctNo = new SwipeField(acctInfo, acctInfo);
    txtAcctNo->setFixedWidth(160);
    txtBalance = moneyBox("txtBalance", Use::DisplayOnly, acctInfo);
    btnExit = button("btnExit", QStringLiteral("Exit"), this);
    {
        auto *grid = new QGridLayout(acctInfo);
        grid->addWidget(fieldLabel(QStringLiteral("Acct No."), acctInfo), 0, 0);
        grid->addWidget(txtAcctNo, 0, 1, Qt::AlignLeft);
        grid->addWidget(fieldLabel(QStringLiteral("Current Balance"), acctInfo), 1, 0);
        grid->addWidget(txtBalance, 1, 1, Qt::AlignLeft);
        grid->setColumnStretch(2, 1);
    }
    auto *fields = new QVBoxLayout;
    fields->addWidget(acctInfo);
    layOutFormAndButtons(this, fields, {btnExit});
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtAcctNo, btnExit);

    connect(txtAcctNo, &SwipeField::emptied, this, [this] { ClearGiftCardFields(); });
    connect(txtAcctNo, &SwipeField::swiped, this, [this] {
        ScreenGuard::run(this, [this] { InquireGiftCard(); });
        // Selected, the swipe is replaced by the next one.
        txtAcctNo->selectAll();
    });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    ClearGiftCardFields();
    txtAcctNo->setFocus();
}

void GiftCardInquiryScreen::ClearGiftCardFields() { txtBalance->setPlainText(QStringLiteral("0")); }

void GiftCardInquiryScreen::InquireGiftCard()
{
    const QString cardId = txtAcctNo->cardNumber();
    if (cardId.isEmpty())
        return;
    Db &db = Db::current();
    const double balance = GiftCardStore::inquire(db, cardId, stampNow());
    txtBalance->setPlainText(balanceText(balance));
    // A card never sold shows $0.00 like an empty one; the status line tells them apart.
    MainWindow::showStatusLine(
        GiftCardStore::card(db, cardId)
            ? QStringLiteral("Card %1: balance %2").arg(cardId, Numbers::format(balance, AmountField::moneyFormat()))
            : QStringLiteral("Card %1 is not on file").arg(cardId));
}
