#include "tickets/CustomerLookupFromTicket.h"

#include "accounts/CustomerStore.h"
#include "db/Db.h"
#include "tickets/TicketEntryScreen.h"

#include <QPointer>

namespace {

LookupDialog::Setup setupFor(TicketEntryScreen *ticket)
{
    const QPointer<TicketEntryScreen> screen = ticket;
    LookupDialog::Setup setup;
    setup.objectName = QStringLiteral("frmCustomerLookupFromTicket");
    setup.title = QStringLiteral("Customer Lookup");
    setup.noChoiceText = QStringLiteral("You must select a Customer-Card Number.");
    setup.noChoiceTitle = QStringLiteral("No Customer Selected");
    setup.entries = [] { return CustomerStore::cardsByName(Db::current()); };
    // The check runs once the dialog has closed, with every message it may show.
    setup.chosen = [screen](const QString &accountNumber) {
        if (!screen)
            return;
        screen->setAccountNumber(accountNumber);
        screen->getCustomer();
    };
    return setup;
}

} // namespace

CustomerLookupFromTicket::CustomerLookupFromTicket(TicketEntryScreen *ticket, QWidget *parent)
    : LookupDialog(ticket, setupFor(ticket), parent)
{}
