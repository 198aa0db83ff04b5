#include "db/SchemaTables.h"

#include "db/DbError.h"
#include "tickets/TicketLines.h"

namespace {

using Kind = SchemaColumn::Kind;

SchemaColumn text(const char *name) { return {QLatin1String(name), Kind::Text}; }
SchemaColumn whole(const char *name) { return {QLatin1String(name), Kind::Whole}; }
SchemaColumn flag(const char *name) { return {QLatin1String(name), Kind::Flag}; }
SchemaColumn number(const char *name) { return {QLatin1String(name), Kind::Number}; }
SchemaColumn money(const char *name) { return {QLatin1String(name), Kind::Money}; }
SchemaColumn dateTime(const char *name) { return {QLatin1String(name), Kind::DateTime}; }
SchemaColumn date(const char *name) { return {QLatin1String(name), Kind::Date}; }

QList<SchemaColumn> texts(std::initializer_list<const char *> names)
{
    QList<SchemaColumn> columns;
    for (const char *name : names)
        columns << text(name);
    return columns;
}

// The purchase lines, their totals and the stamps of a saved ticket, common to charge
// and cash tickets: the ticket line list names them. Gallons and prices per gallon are
// numbers; extensions, merchandise and totals are money.
QList<SchemaColumn> ticketBody()
{
    QList<SchemaColumn> columns = texts({"Clerk", "TruckNumber", "Mileage", "License", "DriverID", "Trip", "Trailer"});
    for (const TicketLines::FuelLine &line : TicketLines::fuelLines())
        columns << SchemaColumn{line.gallonsColumn(), Kind::Number} << SchemaColumn{line.priceEachColumn(), Kind::Number}
                << SchemaColumn{line.priceExtColumn(), Kind::Money};
    for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
        columns << SchemaColumn{line.column, Kind::Money};
    columns << money("Subtotal") << money("Tax") << money("Total") << text("WorkStationID") << whole("Location")
            << dateTime("DateEntered");
    return columns;
}

QList<SchemaTable> tables()
{
    QList<SchemaTable> list;
    list << SchemaTable{QStringLiteral("Company"),
                        QList<SchemaColumn>{whole("ID")}
                            + texts({"Name", "Address1", "Address2", "City", "State", "Zip", "Phone", "Fax", "Email", "Website"})
                            + QList<SchemaColumn>{number("KeyPressDelay"),
                                                  number("DieselPricePerGallon"),
                                                  number("ReeferPricePerGallon"),
                                                  number("DiscountPricePerGallon"),
                                                  number("DefPricePerGallon"),
                                                  number("WarnCustomer"),
                                                  number("Tax"),
                                                  // Days after a ticket its money is due, for the location's
                                                  // customers without terms of their own (version 3).
                                                  {QStringLiteral("PaymentTerms"), Kind::Whole, QStringLiteral("30")}},
                        QStringLiteral("ID")};
    // A new customer's balance reads 0, so the first posting adds to it.
    list << SchemaTable{QStringLiteral("Customer"),
                        texts({"ID", "Name", "Address1", "Address2", "City", "State", "Zip", "Contact", "Phone", "Fax"})
                            + QList<SchemaColumn>{flag("Inactive"),
                                                  {QStringLiteral("CurrentBalance"), Kind::Money, QStringLiteral("0")},
                                                  money("Limit"),
                                                  number("WarnAt"),
                                                  flag("AcctOnHold"),
                                                  dateTime("DateEntered"),
                                                  // The customer's own payment terms in days; NULL: the location's (version 3).
                                                  whole("PaymentTerms")},
                        QStringLiteral("ID")};
    // No key of its own, and the columns in this order: cards are inserted by position.
    list << SchemaTable{QStringLiteral("Cards"), QList<SchemaColumn>{text("CustomerID"), text("CardNo"), text("CardType"),
                                                                     flag("InActive"), text("CardNote")}};
    list << SchemaTable{QStringLiteral("CardType"), texts({"CardType"})};
    list << SchemaTable{QStringLiteral("State"), texts({"State"})};
    // Password holds an Argon2id hash string (about 100 characters), never the password.
    list << SchemaTable{QStringLiteral("WebUser"), texts({"CustomerID", "UserName", "Password"})};
    list << SchemaTable{QStringLiteral("Tickets"),
                        QList<SchemaColumn>{whole("ID"), text("CustomerID"), text("CardNo")} + ticketBody(), QStringLiteral("ID"),
                        true};
    list << SchemaTable{QStringLiteral("CashTickets"),
                        QList<SchemaColumn>{whole("ID"), text("Customer"), text("Address1"), text("Address2")} + ticketBody(),
                        QStringLiteral("ID"), true};
    list << SchemaTable{QStringLiteral("Payments"),
                        QList<SchemaColumn>{whole("ID"), text("Customer"), date("PaymentDate"), money("Amount"), text("CheckNum"),
                                            dateTime("EntryDate")},
                        QStringLiteral("ID"), true};
    list << SchemaTable{QStringLiteral("GiftCards"),
                        QList<SchemaColumn>{text("ID"), dateTime("DateActivated"), text("ActivatedBy"), money("ActivationAmount"),
                                            money("CardBalance"), flag("Active"), text("Notes"), text("WorkStationID"),
                                            whole("Location")},
                        QStringLiteral("ID")};
    list << SchemaTable{QStringLiteral("GiftCardTransactions"),
                        QList<SchemaColumn>{whole("ID"), text("CardID"), dateTime("TransactionDate"), text("TransactionType"),
                                            money("Amount"), text("Clerk"), text("WorkStationID"), whole("Location")},
                        QStringLiteral("ID"), true};
    return list;
}

} // namespace

const SchemaColumn *SchemaTable::column(const QString &columnName) const
{
    for (const SchemaColumn &c : columns)
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

namespace SchemaTables {

const QList<SchemaTable> &all()
{
    static const QList<SchemaTable> list = tables();
    return list;
}

const SchemaTable &versionTable()
{
    static const SchemaTable table{QStringLiteral("SchemaVersion"), {whole("Version"), dateTime("AppliedAt")}};
    return table;
}

const SchemaTable &customerTotalsTable()
{
    static const SchemaTable table{QStringLiteral("CustomerTotals"),
                                   {text("CustomerID"),
                                    {QStringLiteral("TicketSum"), Kind::Money, QStringLiteral("0")},
                                    {QStringLiteral("PaymentSum"), Kind::Money, QStringLiteral("0")}},
                                   QStringLiteral("CustomerID")};
    return table;
}

const QList<SchemaTotal> &customerTotals()
{
    static const QList<SchemaTotal> list = {
        {QStringLiteral("Tickets"), QStringLiteral("CustomerID"), QStringLiteral("Total"), QStringLiteral("TicketSum")},
        {QStringLiteral("Payments"), QStringLiteral("Customer"), QStringLiteral("Amount"), QStringLiteral("PaymentSum")},
    };
    return list;
}

const QList<SchemaIndex> &indexes()
{
    auto columns = [](const char *names) { return QString::fromLatin1(names).split(u' '); };
    static const QList<SchemaIndex> list = {
        {QStringLiteral("Tickets_Location_ID"), QStringLiteral("Tickets"), columns("Location ID")},
        {QStringLiteral("Tickets_DateEntered"), QStringLiteral("Tickets"), columns("DateEntered")},
        // One customer's tickets by day (its history, its statement) and their totals
        // (its balance, its aging) read from the index alone, without the ticket rows
        // (version 5; it takes the place of one on CustomerID alone).
        {QStringLiteral("Tickets_Customer_Date_Total"), QStringLiteral("Tickets"), columns("CustomerID DateEntered Total")},
        // The same for payments (version 5, in place of one on Customer and PaymentDate).
        {QStringLiteral("Payments_Customer_Date_Amount"), QStringLiteral("Payments"), columns("Customer PaymentDate Amount")},
        {QStringLiteral("GiftCardTransactions_Date"), QStringLiteral("GiftCardTransactions"), columns("TransactionDate")},
        {QStringLiteral("Cards_Customer_CardNo"), QStringLiteral("Cards"), columns("CustomerID CardNo")},
        {QStringLiteral("CashTickets_Customer"), QStringLiteral("CashTickets"), columns("Customer")},
        // The daily sales summary reads the cash tickets and payments of a range of days.
        {QStringLiteral("CashTickets_DateEntered"), QStringLiteral("CashTickets"), columns("DateEntered")},
        {QStringLiteral("Payments_PaymentDate"), QStringLiteral("Payments"), columns("PaymentDate")},
        {QStringLiteral("WebUser_CustomerID"), QStringLiteral("WebUser"), columns("CustomerID")},
        // The website signs fleets in by username alone, so one username is one customer's.
        {QStringLiteral("WebUser_UserName"), QStringLiteral("WebUser"), columns("UserName"), true},
    };
    return list;
}

const SchemaTable &table(const QString &name)
{
    for (const SchemaTable &t : all())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    for (const SchemaTable *t : {&versionTable(), &customerTotalsTable()})
        if (t->name.compare(name, Qt::CaseInsensitive) == 0)
            return *t;
    throw DbError(QStringLiteral("The program defines no table %1.").arg(name));
}

} // namespace SchemaTables
