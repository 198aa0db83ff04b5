#pragma once

#include "giftcards/GiftCardStore.h"

#include <QWidget>

#include <optional>

class AmountField;
class QGroupBox;
class QLineEdit;
class QPushButton;
class SwipeField;

// What the purchase and the redemption screens share: the clerk swipes a card, its
// balance shows, the clerk types an amount and the new balance follows; "Print/Save"
// stores the change with its transaction row and prints the receipt, and the screen is
// ready for the next card. Two states: waiting for a swipe (the info group disabled,
// every field reset) and card swiped (the info group usable).
//
// Fields, in tab order: txtAcctNo, txtClerk ("Acct Info"); txtBalance, txtAmount,
// txtNewBalance (the info group); btnSave, btnExit; then txtNotes where the screen has
// notes. txtCardNumber, never shown, holds the swiped card's number.
class CardAmountScreen : public QWidget
{
    Q_OBJECT
protected:
    struct Form
    {
        const char *screenName;
        QString title;
        QString infoCaption;   // "Purchase Info"
        QString amountCaption; // "Purchase Amount"
        bool withNotes = false;
    };
    CardAmountScreen(const Form &form, QWidget *parent);

    // The screen's rule for every change of the amount, typed or set by the program.
    virtual void amountChanged() = 0;
    // The balance after the amount, as the screen shows it before the save.
    virtual double balanceAfter(double balance, double amount) const = 0;
    // Stores the change; nothing when the store refused it (nothing written).
    virtual std::optional<GiftCardStore::Saved> store(const QString &cardId, double amount, const QString &clerk) = 0;
    // Tells the clerk why the store refused; the screen stays on the card.
    virtual void storeRefused() {}

    void ClearGiftCardFields();
    void ShowCardBalance();
    void ShowNewBalance();
    // "Invalid Amount": the amount breaks the screen's rule.
    void refuseAmount(const QString &message);

    double balance() const;
    AmountField *amountBox() const { return txtAmount; }
    QString notes() const;

private:
    void buildForm(const Form &form);
    void cardSwiped();
    void save();

    QString m_amountCaption;

    QGroupBox *m_info = nullptr;
    SwipeField *txtAcctNo = nullptr;
    QLineEdit *txtClerk = nullptr;
    AmountField *txtBalance = nullptr;
    AmountField *txtAmount = nullptr;
    AmountField *txtNewBalance = nullptr;
    QLineEdit *txtNotes = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;
};
