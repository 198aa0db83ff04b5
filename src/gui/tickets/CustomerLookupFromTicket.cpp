#include "tickets/CustomerLookupFromTicket.h"

#include "accounts/CustomerStore.h"
#include "app/BusyCursor.h"
#include "app/DefaultButton.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "tickets/TicketEntryScreen.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CustomerLookupFromTicket::CustomerLookupFromTicket(TicketEntryScreen *ticket, QWidget *parent)
    : QDialog(parent), m_ticket(ticket)
{
    setObjectName(QStringLiteral("frmCustomerLookupFromTicket"));
    setWindowTitle(QStringLiteral("Customer Lookup"));
    setAttribute(Qt::WA_DeleteOnClose);

    cmbCustomer = new PickList(this);
    cmbCustomer->setObjectName(QStringLiteral("cmbCustomer"));
    cmbCustomer->setMinimumContentsLength(32);
    btnOK = new QPushButton(QStringLiteral("Select"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
    grid->addWidget(cmbCustomer, 0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cmbCustomer, btnCancel);
    setTabOrder(btnCancel, btnOK);

    // The list takes every typed character for its search, Enter included; Enter must
    // still choose "Select", as in any dialog with a default button.
    DefaultButton::pressOnEnter(cmbCustomer, btnOK);

    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { select(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::close);

    ScreenGuard::run(this, [this] { fill(); });
    cmbCustomer->setFocus();
}

void CustomerLookupFromTicket::fill()
{
    BusyCursor busy;
    cmbCustomer->fill(CustomerStore::cardsByName(Db::current()));
}

void CustomerLookupFromTicket::select()
{
    if (cmbCustomer->currentText().isEmpty()) {
        MessageBox::ok(this, QStringLiteral("You must select a Customer-Card Number."),
                       QStringLiteral("No Customer Selected"));
        return;
    }
    const QString accountNumber = cmbCustomer->currentId().toString();
    QPointer<TicketEntryScreen> ticket = m_ticket;
    if (ticket) {
        ticket->setEnabled(true);
        ticket->setAccountNumber(accountNumber);
    }
    // Closing deletes the dialog; the check runs on the ticket screen afterwards, with
    // every message it may show.
    close();
    if (ticket)
        ticket->getCustomer();
}

void CustomerLookupFromTicket::closeEvent(QCloseEvent *event)
{
    if (m_ticket)
        m_ticket->setEnabled(true);
    QDialog::closeEvent(event);
}
