#pragma once

#include "tickets/TicketStore.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class AmountField;
class PurchaseLines;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class CustomerLookupFromTicket;

// The charge ticket screen: the clerk enters an account number, the customer and card
// are checked, the ticket is written, stored, posted to the customer's balance and
// printed, and the screen is ready for the next one. "<<" and ">>" page through the
// tickets stored at this location; saving a shown ticket rewrites and reprints it.
class TicketEntryScreen : public QWidget
{
    Q_OBJECT
public:
    explicit TicketEntryScreen(QWidget *parent = nullptr);
    ~TicketEntryScreen() override;

    // Checks the account number in the account field, as Enter there does after
    // unwrapping it. The lookup dialog calls it after filling the field.
    void getCustomer();
    void setAccountNumber(const QString &accountNumber);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void setTabOrder();

    void clearTicket();
    void checkAccount();
    void refuseAccount();
    void applyCardType(const QString &cardType);
    void accountEntered();
    QWidget *nextOnEnter(QWidget *field) const;

    void save();
    bool printWithRetry(int id);
    void showTicket(const std::optional<TicketRecord> &ticket);
    void showPrevious();
    void showNext();
    void openLookup();
    void exitScreen();

    TicketRecord ticketOnScreen() const;

    QGroupBox *m_acctInfo = nullptr;
    QGroupBox *m_ticketInfo = nullptr;
    QGroupBox *m_purchaseInfo = nullptr;

    QLineEdit *txtAcctNo = nullptr;
    QToolButton *btnLookup = nullptr;
    QLineEdit *txtClerk = nullptr;
    QLineEdit *txtCustomer = nullptr;
    QLineEdit *txtTruckNo = nullptr;
    QLineEdit *txtMileage = nullptr;
    QLineEdit *txtDriverID = nullptr;
    QLineEdit *txtLicense = nullptr;
    QLineEdit *txtTrip = nullptr;
    QLineEdit *txtTrailer = nullptr;

    std::array<AmountField *, TicketLines::FuelRowCount> m_gallons{};
    std::array<AmountField *, TicketLines::FuelRowCount> m_priceEach{};
    std::array<AmountField *, TicketLines::FuelRowCount> m_priceExt{};
    std::array<AmountField *, TicketLines::MerchandiseCount> m_merchandise{};
    AmountField *txtSubtotal = nullptr;
    AmountField *txtTax = nullptr;
    AmountField *txtTotal = nullptr;
    QRadioButton *optPrint = nullptr;
    QRadioButton *optDontPrint = nullptr;

    QPushButton *btnBack = nullptr;
    QPushButton *btnNext = nullptr;
    QLineEdit *txtID = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;

    PurchaseLines *m_lines = nullptr;
    QPointer<CustomerLookupFromTicket> m_lookup;
};
