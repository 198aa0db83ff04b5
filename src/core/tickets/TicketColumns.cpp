#include "tickets/TicketColumns.h"

#include "app/FieldRules.h"
#include "app/Numbers.h"

using namespace TicketLines;

namespace {

double centsOf(const QVariant &text) { return Numbers::roundHalfEven(TicketColumns::valueOf(text), 2); }

// A stored number as the field text that shows it; NULL stays NULL.
QVariant fieldText(const QSqlRecord &row, const QString &column)
{
    const QVariant stored = row.value(column);
    if (stored.isNull())
        return {};
    return Numbers::plainText(stored.toDouble());
}

QString text(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toString(); }

} // namespace

namespace TicketColumns {

double valueOf(const QVariant &text) { return Numbers::parseLeadingNumber(text.toString()); }

double storedTotal(const Amounts &amounts) { return centsOf(amounts.total); }

std::optional<QString> unstorableAmount(const Amounts &a)
{
    QList<QPair<QString, double>> values;
    for (int r = 0; r < FuelRowCount; ++r) {
        const QString &caption = fuelLines()[r].caption;
        values.append({caption + QStringLiteral(" Gallons"), valueOf(a.fuel[r].gallons)});
        values.append({caption + QStringLiteral(" Price Each"), valueOf(a.fuel[r].priceEach)});
        values.append({caption + QStringLiteral(" Price Ext"), valueOf(a.fuel[r].priceExt)});
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        values.append({merchandiseLines()[m].caption, valueOf(a.merchandise[m])});
    values.append({QStringLiteral("Subtotal"), centsOf(a.subtotal)});
    values.append({QStringLiteral("Tax"), centsOf(a.tax)});
    values.append({QStringLiteral("Total"), centsOf(a.total)});
    return FieldRules::firstUnstorableAmount(values);
}

ColumnValues write(const TicketDetails &d, const Amounts &a)
{
    ColumnValues columns = {
        {QStringLiteral("Clerk"), d.clerk},       {QStringLiteral("TruckNumber"), d.truckNumber},
        {QStringLiteral("Mileage"), d.mileage},   {QStringLiteral("License"), d.license},
        {QStringLiteral("DriverID"), d.driverId}, {QStringLiteral("Trip"), d.trip},
        {QStringLiteral("Trailer"), d.trailer},
    };
    for (int r = 0; r < FuelRowCount; ++r) {
        const FuelLine &line = fuelLines()[r];
        columns.append({line.gallonsColumn(), valueOf(a.fuel[r].gallons)});
        columns.append({line.priceEachColumn(), valueOf(a.fuel[r].priceEach)});
        columns.append({line.priceExtColumn(), valueOf(a.fuel[r].priceExt)});
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        columns.append({merchandiseLines()[m].column, valueOf(a.merchandise[m])});
    columns.append({QStringLiteral("Subtotal"), centsOf(a.subtotal)});
    columns.append({QStringLiteral("Tax"), centsOf(a.tax)});
    columns.append({QStringLiteral("Total"), centsOf(a.total)});
    return columns;
}

TicketDetails readDetails(const QSqlRecord &row)
{
    return {text(row, "Clerk"),    text(row, "TruckNumber"), text(row, "Mileage"), text(row, "License"),
            text(row, "DriverID"), text(row, "Trip"),        text(row, "Trailer")};
}

Amounts readAmounts(const QSqlRecord &row)
{
    Amounts a;
    for (int r = 0; r < FuelRowCount; ++r) {
        const FuelLine &line = fuelLines()[r];
        a.fuel[r] = {fieldText(row, line.gallonsColumn()), fieldText(row, line.priceEachColumn()),
                     fieldText(row, line.priceExtColumn())};
    }
    for (int m = 0; m < MerchandiseCount; ++m)
        a.merchandise[m] = fieldText(row, merchandiseLines()[m].column);
    a.subtotal = fieldText(row, QStringLiteral("Subtotal"));
    a.tax = fieldText(row, QStringLiteral("Tax"));
    a.total = fieldText(row, QStringLiteral("Total"));
    return a;
}

} // namespace TicketColumns
