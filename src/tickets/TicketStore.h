#pragma once

#include "tickets/TicketLines.h"

#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>

class Db;

// One row of Tickets as the charge ticket screen writes and shows it. Amounts are the
// plain texts of the screen's fields; a stored NULL comes back as an invalid value.
struct TicketRecord
{
    int id = 0;
    QString customerId;
    QString cardNo;
    QString clerk;
    QString truckNumber;
    QString mileage;
    QString license;
    QString driverId;
    QString trip;
    QString trailer;
    struct Fuel
    {
        QVariant gallons;
        QVariant priceEach;
        QVariant priceExt;
    };
    std::array<Fuel, TicketLines::FuelRowCount> fuel;
    std::array<QVariant, TicketLines::MerchandiseCount> merchandise;
    QVariant subtotal;
    QVariant tax;
    QVariant total;

    // The account number the ticket was written for.
    QString accountNumber() const { return customerId + cardNo; }
};

namespace TicketStore {

// Where a save comes from: this workstation at this moment.
struct Stamp
{
    QString workstationId;
    int location = 0;
    QDateTime entered;
};

// Writes the ticket: a new row when id is 0, else the stored row with that id (which
// must exist). Gallons, prices and line amounts are stored unrounded; subtotal, tax and
// total rounded half-even to the cent. Returns the row's ID.
int save(Db &db, const TicketRecord &ticket, const Stamp &stamp);

// The amount a new ticket adds to the customer's balance: its total as stored, so the
// balance always equals the sum of the stored tickets.
double postedAmount(const TicketRecord &ticket);

std::optional<TicketRecord> load(Db &db, int id);
// The newest ticket of the location.
std::optional<TicketRecord> newest(Db &db, int location);
// The ticket of the location just before (or after) the given ID; nothing past either end.
std::optional<TicketRecord> previous(Db &db, int location, int id);
std::optional<TicketRecord> next(Db &db, int location, int id);

// How the screen prints a stored ticket: ID, preview, print date and time; false when
// printing failed. Tests put their own in.
using PrintFunction = std::function<bool(int id, bool preview, bool printDate)>;
PrintFunction &printChargeTicket();

} // namespace TicketStore
