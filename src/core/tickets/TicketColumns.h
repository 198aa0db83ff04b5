#pragma once

#include "db/Db.h"
#include "tickets/TicketLines.h"

#include <QSqlRecord>
#include <QString>

#include <optional>

// The ticket details a clerk types on both ticket screens, kept exactly as typed.
struct TicketDetails
{
    QString clerk;
    QString truckNumber;
    QString mileage;
    QString license;
    QString driverId;
    QString trip;
    QString trailer;
};

// The one mapping between a ticket's details and amounts and the columns that the
// charge and the cash ticket tables share.
namespace TicketColumns {

// The columns a save writes, in order: the details as typed; every gallons, price and
// line amount as the number its text reads, unrounded; subtotal, tax and total rounded
// half-even to the cent.
ColumnValues write(const TicketDetails &details, const TicketLines::Amounts &amounts);

TicketDetails readDetails(const QSqlRecord &row);
// Every stored amount as the plain text that shows it; a NULL stays NULL.
TicketLines::Amounts readAmounts(const QSqlRecord &row);

// The caption of the first amount whose stored value would not be a finite number
// within FieldRules::kLargestAmount ("Diesel Gallons", "Oil", "Total"); nothing when
// every amount can be stored.
std::optional<QString> unstorableAmount(const TicketLines::Amounts &amounts);

// The number an amount's text reads, and the total as a save stores it (to the cent).
double valueOf(const QVariant &text);
double storedTotal(const TicketLines::Amounts &amounts);

} // namespace TicketColumns
