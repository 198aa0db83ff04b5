#pragma once

#include <QWidget>

class AmountField;
class QPushButton;
class SwipeField;

// "Gift Card Inquiry": shows the balance of a swiped card, and records every look-up as
// a "Gift Card Inquiry" row, sold card or not. The swipe stays selected, so the next
// swipe replaces it.
class GiftCardInquiryScreen : public QWidget
{
    Q_OBJECT
public:
    explicit GiftCardInquiryScreen(QWidget *parent = nullptr);

private:
    void ClearGiftCardFields();
    void InquireGiftCard();

    SwipeField *txtAcctNo = nullptr;
    AmountField *txtBalance = nullptr;
    QPushButton *btnExit = nullptr;
};
