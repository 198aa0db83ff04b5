#pragma once

#include "accounts/CustomerStore.h"

#include <QPointer>
#include <QWidget>

class AmountField;
class CustomerLookup;
class IssuedCardsGroup;
class PickList;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The customer screen: the account number at the top decides what it shows. Every change
// of it reads the customer with exactly that ID (its contact and finance data, its cards
// and its website login), or empties the fields when there is none, ready for a new
// customer under that number. Save writes the customer row and the login: a new one when
// both username and a new password are given, and for a stored one its username and, when
// a new password is typed, that password's hash. The balance is never written here.
class CustomerEntryScreen : public QWidget
{
    Q_OBJECT
public:
    explicit CustomerEntryScreen(QWidget *parent = nullptr);
    ~CustomerEntryScreen() override;

    // True when no other customer uses the username in the Username box.
    bool CheckUserName();

    // Puts an account number in the box, which loads its customer (the lookup's choice).
    void setAccountNumber(const QString &accountNumber);

private:
    void buildForm();
    void setTabOrder();
    void loadLists();

    void LoadCustomer();
    void showCustomer(const CustomerRecord &customer);
    void ClearCustomerFields();
    // Shows the customer's login, read with the customer row: its username, an empty
    // password box and whether a password is set; both boxes empty without one.
    void LoadWebUser(const std::optional<WebLogin> &login);
    void showAvailableCredit();
    // Says what the terms box means: the customer's own terms, or the location's.
    void showTerms();
    void contactEdited(const QString &text);
    void save();
    void openLookup();

    CustomerEntry entryOnScreen() const;
    QList<QLineEdit *> textBoxes() const;

    QGroupBox *m_contactInfo = nullptr;
    QGroupBox *m_financeInfo = nullptr;
    IssuedCardsGroup *m_cards = nullptr;
    QGroupBox *m_website = nullptr;

    QLineEdit *txtAccountNumber = nullptr;
    QToolButton *btnLookup = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtAddress1 = nullptr;
    QLineEdit *txtAddress2 = nullptr;
    QLineEdit *txtCity = nullptr;
    PickList *cmbState = nullptr;
    QLineEdit *txtZip = nullptr;
    QLineEdit *txtContact = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLineEdit *txtFax = nullptr;
    QCheckBox *chkInactive = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;
    AmountField *txtBalance = nullptr;
    AmountField *txtAvailableCredit = nullptr;
    AmountField *txtLimit = nullptr;
    AmountField *txtWarn = nullptr;
    QLineEdit *txtTerms = nullptr;
    QLabel *lblTerms = nullptr;
    QCheckBox *chkAcctOnHold = nullptr;
    QLineEdit *txtUserName = nullptr;
    // A new password for the login; empty keeps the stored one.
    QLineEdit *txtPassword = nullptr;
    // "Password set" or "No password": display only.
    QLabel *lblPasswordState = nullptr;

    QPointer<CustomerLookup> m_lookup;
};
