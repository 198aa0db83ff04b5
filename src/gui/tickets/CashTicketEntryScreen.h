#pragma once

#include "tickets/CashCustomerNames.h"
#include "tickets/TicketStore.h"

#include <QWidget>

class PurchaseLinesPanel;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TicketInfoGroup;

// The cash ticket screen: tickets for walk-in customers who pay on the spot. The
// customer is a name typed into (or picked from) the customer box, which completes it
// from the names of earlier cash tickets; leaving the box fills in the address and
// truck details of that name's newest ticket. "Print" stores the ticket, prints three
// copies and clears the screen for the next customer. Nothing is posted to any balance.
class CashTicketEntryScreen : public QWidget
{
    Q_OBJECT
public:
    explicit CashTicketEntryScreen(QWidget *parent = nullptr);

    // Fills in the address lines and the truck details from the newest cash ticket of
    // the name in the customer box, exactly as it stands there; the clerk and the
    // amounts stay. An empty box, or a name without a ticket, changes nothing.
    void getCustomer();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void setTabOrder();

    void fillCustomerList();
    void clearTicket();
    void save();
    void readyForNextTicket();

    CashTicketRecord ticketOnScreen() const;

    QGroupBox *m_acctInfo = nullptr;
    TicketInfoGroup *m_ticketInfo = nullptr;
    PurchaseLinesPanel *m_lines = nullptr;

    QLineEdit *txtClerk = nullptr;
    QComboBox *cmbCustomer = nullptr;
    QLineEdit *txtAddress1 = nullptr;
    QLineEdit *txtAddress2 = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExit = nullptr;

    CashCustomerNames m_names;
    bool m_namesRead = false;
};
