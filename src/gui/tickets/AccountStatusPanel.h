#pragma once

#include <QWidget>

class AmountField;
class QLabel;
class QLineEdit;
struct CustomerCard;

// What the clerk should know about the account a ticket is written on, beside its name:
// the balance, the credit limit, the credit still available (limit less balance) and
// the card's type and note. Display only; the ticket screen fills it when an account is
// accepted or a stored ticket is shown, and again after every save.
class AccountStatusPanel : public QWidget
{
    Q_OBJECT
public:
    explicit AccountStatusPanel(QWidget *parent = nullptr);

    // `whose` names the account when the figures are no longer beside its number and
    // name (after a save has cleared the ticket); empty otherwise.
    void showCard(const CustomerCard &card, const QString &whose = {});
    void clear();

private:
    AmountField *txtBalance = nullptr;
    AmountField *txtCreditLimit = nullptr;
    AmountField *txtAvailableCredit = nullptr;
    QLineEdit *txtCardType = nullptr;
    QLineEdit *txtCardNote = nullptr;
    QLabel *lblWhose = nullptr;
};
