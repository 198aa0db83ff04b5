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
// ready for the next card, and the status line says what was saved. Two states: waiting for a swipe (the info group disabled,
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
        QString saveName = QStringLiteral("sale"); // what a save is called in the status line
        bool cardMustBeOnFile = false;             // a swiped card that is not says so
    };
    CardAmountScreen(const Form &form, QWidget *parent);

    // What is wrong with the amount as it stands, as the message that says so; nothing
    // when it is right. Checked when the clerk leaves the amount and at the save, never
    // while a number is half typed.
    virtual std::optional<QString> amountProblem() const = 0;
    // Tells the clerk about the problem; the focus goes back to the amount.
    virtual void amountRefused(const QString &message);
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
    bool eventFilter(QObject *watched, QEvent *event) override;
    QString notes() const;

private:
    void buildForm(const Form &form);
    void cardSwiped();
    void amountChanged();
    void amountLeft();
    void save();

    QString m_amountCaption;
    QString m_saveName;
    bool m_cardMustBeOnFile = false;

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
