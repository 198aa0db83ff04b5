#pragma once

#include <QWidget>

class AmountField;
class PickList;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The payment screen: the clerk picks the customer by name, sees the balance, enters the
// date, a check number or memo and the amount; Save stores the payment and lowers the
// balance by it in one step, and the screen is blank again for the next payment.
class ReceivePaymentScreen : public QWidget
{
    Q_OBJECT
public:
    explicit ReceivePaymentScreen(QWidget *parent = nullptr);

private:
    void buildForm();
    void loadCustomers();
    void ShowCurrentBalance();
    void ClearPaymentFields();
    void amountLeft();
    void save();

    PickList *cmbCustomer = nullptr;
    QDateEdit *dtDate = nullptr;
    QLineEdit *txtCheckNumber = nullptr;
    AmountField *txtPaymentAmount = nullptr;
    AmountField *txtCurrentBalance = nullptr;
    AmountField *txtNewBalance = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;
};
