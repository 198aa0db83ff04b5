#pragma once

#include "tickets/TicketStore.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class PurchaseLinesPanel;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class CustomerLookupFromTicket;
class TicketInfoGroup;

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

    void save();
    void showTicket(const std::optional<TicketRecord> &ticket);
    void showPrevious();
    void showNext();
    void openLookup();
    void exitScreen();

    TicketRecord ticketOnScreen() const;

    QGroupBox *m_acctInfo = nullptr;
    TicketInfoGroup *m_ticketInfo = nullptr;
    PurchaseLinesPanel *m_lines = nullptr;

    QLineEdit *txtAcctNo = nullptr;
    QToolButton *btnLookup = nullptr;
    QLineEdit *txtClerk = nullptr;
    QLineEdit *txtCustomer = nullptr;

    QPushButton *btnBack = nullptr;
    QPushButton *btnNext = nullptr;
    QLineEdit *txtID = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;

    QPointer<CustomerLookupFromTicket> m_lookup;
};
