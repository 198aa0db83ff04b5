#include "tickets/TicketStore.h"

#include "app/Numbers.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/Reports.h"

namespace {

using namespace TicketLines;

const std::array<QString, FuelRowCount> kFuelColumns = {
    QStringLiteral("Gas"), QStringLiteral("Diesel"), QStringLiteral("Reefer"), QStringLiteral("Discount"),
    QStringLiteral("DEF")};

const std::array<QString, MerchandiseCount> kMerchandiseColumns = {
    QStringLiteral("OilPriceExt"),     QStringLiteral("AddativePriceExt"), QStringLiteral("AntifreezePriceExt"),
    QStringLiteral("WasherPriceExt"),  QStringLiteral("GroceryPriceExt"),  QStringLiteral("DeliPriceExt"),
    QStringLiteral("TobaccoPriceExt")};

// A field's number, as the clerk's text reads.
double valueOf(const QVariant &text) { return Numbers::parseLeadingNumber(text.toString()); }
double centsOf(const QVariant &text) { return Numbers::roundHalfEven(valueOf(text), 2); }

// A stored number as the field text that shows it; NULL stays NULL.
QVariant fieldText(const QSqlRecord &row, const QString &column)
{
    const QVariant stored = row.value(column);
    if (stored.isNull())
        return {};
    return Numbers::plainText(stored.toDouble());
}

QString text(const QSqlRecord &row, const QString &column) { return row.value(column).toString(); }

TicketRecord fromRow(const QSqlRecord &row)
{
    TicketRecord t;
    t.id = row.value(QStringLiteral("ID")).toInt();
    t.customerId = text(row, QStringLiteral("CustomerID"));
    t.cardNo = text(row, QStringLiteral("CardNo"));
    t.clerk = text(row, QStringLiteral("Clerk"));
    t.truckNumber = text(row, QStringLiteral("TruckNumber"));
    t.mileage = text(row, QStringLiteral("Mileage"));
    t.license = text(row, QStringLiteral("License"));
    t.driverId = text(row, QStringLiteral("DriverID"));
    t.trip = text(row, QStringLiteral("Trip"));
    t.trailer = text(row, QStringLiteral("Trailer"));
    for (int r = 0; r < FuelRowCount; ++r) {
        t.fuel[r].gallons = fieldText(row, kFuelColumns[r] + QStringLiteral("Gallons"));
        t.fuel[r].priceEach = fieldText(row, kFuelColumns[r] + QStringLiteral("PriceEach"));
        t.fuel[r].priceExt = fieldText(row, kFuelColumns[r] + QStringLiteral("PriceExt"));
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        t.merchandise[m] = fieldText(row, kMerchandiseColumns[m]);
    t.subtotal = fieldText(row, QStringLiteral("Subtotal"));
    t.tax = fieldText(row, QStringLiteral("Tax"));
    t.total = fieldText(row, QStringLiteral("Total"));
    return t;
}

std::optional<TicketRecord> one(Db &db, const QString &select, const QVariantList &values)
{
    const auto row = db.firstRow(db.dialect().firstRowOnly(select), values);
    if (!row)
        return std::nullopt;
    return fromRow(*row);
}

} // namespace

namespace TicketStore {

int save(Db &db, const TicketRecord &t, const Stamp &stamp)
{
    ColumnValues columns = {
        {QStringLiteral("CustomerID"), t.customerId}, {QStringLiteral("CardNo"), t.cardNo},
        {QStringLiteral("Clerk"), t.clerk},           {QStringLiteral("TruckNumber"), t.truckNumber},
        {QStringLiteral("Mileage"), t.mileage},       {QStringLiteral("License"), t.license},
        {QStringLiteral("DriverID"), t.driverId},     {QStringLiteral("Trip"), t.trip},
        {QStringLiteral("Trailer"), t.trailer},
    };
    for (int r = 0; r < FuelRowCount; ++r) {
        columns.append({kFuelColumns[r] + QStringLiteral("Gallons"), valueOf(t.fuel[r].gallons)});
        columns.append({kFuelColumns[r] + QStringLiteral("PriceEach"), valueOf(t.fuel[r].priceEach)});
        columns.append({kFuelColumns[r] + QStringLiteral("PriceExt"), valueOf(t.fuel[r].priceExt)});
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        columns.append({kMerchandiseColumns[m], valueOf(t.merchandise[m])});
    columns.append({QStringLiteral("Subtotal"), centsOf(t.subtotal)});
    columns.append({QStringLiteral("Tax"), centsOf(t.tax)});
    columns.append({QStringLiteral("Total"), centsOf(t.total)});
    columns.append({QStringLiteral("WorkStationID"), stamp.workstationId});
    columns.append({QStringLiteral("DateEntered"), db.dialect().dateTimeValue(stamp.entered)});
    columns.append({QStringLiteral("Location"), stamp.location});

    if (t.id == 0)
        return db.insert(QStringLiteral("Tickets"), columns).toInt();
    if (db.update(QStringLiteral("Tickets"), columns, t.id) == 0)
        throw DbError(QStringLiteral("Ticket %1 is no longer stored.").arg(t.id));
    return t.id;
}

double postedAmount(const TicketRecord &ticket) { return centsOf(ticket.total); }

std::optional<TicketRecord> load(Db &db, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE ID = ?"), {id});
}

std::optional<TicketRecord> newest(Db &db, int location)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? ORDER BY ID DESC"), {location});
}

std::optional<TicketRecord> previous(Db &db, int location, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? AND ID < ? ORDER BY ID DESC"),
               {location, id});
}

std::optional<TicketRecord> next(Db &db, int location, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? AND ID > ? ORDER BY ID ASC"),
               {location, id});
}

PrintFunction &printChargeTicket()
{
    static PrintFunction print = &PrintChargeTicket;
    return print;
}

} // namespace TicketStore
