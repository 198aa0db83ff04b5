#include "accounts/CustomerLookup.h"

#include "accounts/CustomerEntryScreen.h"
#include "db/Db.h"

#include <QPointer>

namespace {

LookupDialog::Setup setupFor(CustomerEntryScreen *screen)
{
    const QPointer<CustomerEntryScreen> customers = screen;
    LookupDialog::Setup setup;
    setup.objectName = QStringLiteral("frmCustomerLookup");
    setup.title = QStringLiteral("Customer Lookup");
    setup.noChoiceText = QStringLiteral("You must select a Customer.");
    setup.noChoiceTitle = QStringLiteral("No Customer Selected");
    setup.entries = [] { return CustomerStore::customersByName(Db::current()); };
    setup.chosen = [customers](const QString &id) {
        if (customers)
            customers->setAccountNumber(id);
    };
    return setup;
}

} // namespace

CustomerLookup::CustomerLookup(CustomerEntryScreen *screen, QWidget *parent) : LookupDialog(screen, setupFor(screen), parent) {}
