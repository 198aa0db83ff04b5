#pragma once

#include <QDialog>
#include <QPointer>

class PickList;
class QPushButton;
class TicketEntryScreen;

// Finds a customer card by the customer's name for the charge ticket screen: every
// card of every customer is listed as "Name - CardNo", and choosing one puts its
// account number into the ticket screen and runs the screen's account check. The
// ticket screen stays disabled while the dialog is open.
class CustomerLookupFromTicket : public QDialog
{
    Q_OBJECT
public:
    CustomerLookupFromTicket(TicketEntryScreen *ticket, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fill();
    void select();

    QPointer<TicketEntryScreen> m_ticket;
    PickList *cmbCustomer = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
