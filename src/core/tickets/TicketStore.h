#pragma once

#include "tickets/TicketColumns.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class Db;

// Where a save comes from: this workstation at this moment.
struct TicketStamp
{
    QString workstationId;
    int location = 0;
    QDateTime entered;
};

// One row of Tickets as the charge ticket screen writes and shows it.
struct TicketRecord
{
    int id = 0;
    QString customerId;
    QString cardNo;
    TicketDetails details;
    TicketLines::Amounts amounts;
    // When the row was last saved; invalid for a ticket not yet stored.
    QDateTime entered;

    // The account number the ticket was written for.
    QString accountNumber() const { return customerId + cardNo; }
};

// One row of CashTickets: a walk-in customer's name and address instead of an account.
struct CashTicketRecord
{
    int id = 0;
    QString customer;
    QString address1;
    QString address2;
    TicketDetails details;
    TicketLines::Amounts amounts;
    QDateTime entered;
};

// The charge tickets.
namespace TicketStore {

// Writes the ticket: a new row when id is 0, else the stored row with that id (which
// must exist). Gallons, prices and line amounts are stored unrounded; subtotal, tax and
// total rounded half-even to the cent. Returns the row's ID.
int save(Db &db, const TicketRecord &ticket, const TicketStamp &stamp);

// The amount a ticket puts on the customer's balance: its total as stored, so the
// balance always equals the sum of the stored tickets.
double postedAmount(const TicketRecord &ticket);

// Whom a stored ticket is charged to and for how much (a NULL total counts 0).
struct Filing
{
    QString customerId;
    double total = 0;
};
// The stored ticket's filing, read so that no other workstation can change the row until
// the caller's transaction ends; nothing when there is no such ticket.
std::optional<Filing> filing(Db &db, int id);

std::optional<TicketRecord> load(Db &db, int id);
// The newest ticket of the location.
std::optional<TicketRecord> newest(Db &db, int location);
// The ticket of the location just before (or after) the given ID; nothing past either end.
std::optional<TicketRecord> previous(Db &db, int location, int id);
std::optional<TicketRecord> next(Db &db, int location, int id);

} // namespace TicketStore

// The cash tickets.
namespace CashTicketStore {

// Stores a new cash ticket and returns its ID.
int insert(Db &db, const CashTicketRecord &ticket, const TicketStamp &stamp);

// Every name that has a cash ticket, in the server's order, each once. A ticket without
// a name (NULL, which no screen writes) gives no entry.
QStringList customerNames(Db &db);

// The names of the tickets with an ID above `afterId`, as the key orders the tickets:
// one per ticket, so a name may stand more than once. A few recent tickets are read
// straight by their key, however many tickets there are.
QStringList customerNamesAfter(Db &db, int afterId);

// The name that comes just before `name` among the cash tickets' names, in the server's
// order; none when no name comes before it.
std::optional<QString> customerNameBefore(Db &db, const QString &name);

// The highest cash ticket ID stored; 0 when there is none.
int highestId(Db &db);

// The newest cash ticket written for exactly this name.
std::optional<CashTicketRecord> newestFor(Db &db, const QString &customer);

} // namespace CashTicketStore
