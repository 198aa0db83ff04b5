#pragma once

#include "tickets/TicketColumns.h"

#include <QDate>
#include <QDateTime>
#include <QList>
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

// Which of one customer's tickets a listing shows: those saved from the first day through
// the last, on one card or (cardNo empty) on all of them.
struct CustomerTicketFilter
{
    QString customerId;
    QDate from;
    QDate to;
    QString cardNo;
};

// The customer's tickets the filter takes, newest first (ties by number), from the one at
// index `first` on, at most `count` of them. Only rows filed under filter.customerId are
// ever read, so a listing cannot show another customer's ticket.
QList<TicketRecord> ticketsOf(Db &db, const CustomerTicketFilter &filter, int first, int count);
// How many tickets the filter takes.
int countOf(Db &db, const CustomerTicketFilter &filter);
// The select and its bound values behind ticketsOf, for readers that walk every row
// (the ticket list download).
QString ticketsOfQuery(const SqlDialect &dialect, const CustomerTicketFilter &filter, QVariantList *values);

// The ticket with this number when it is filed under the customer; nothing otherwise, so
// that another customer's ticket reads exactly as a ticket that is not there.
std::optional<TicketRecord> loadFor(Db &db, const QString &customerId, int id);

// The fuel a ticket sold: gas, diesel, reefer and DEF gallons (the discount row repeats
// diesel and reefer gallons and is not counted again).
double gallonsSold(const TicketRecord &ticket);

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
// straight by their key, however many tickets there are. `highest`, when given, is
// raised to the highest ID the same read saw (tickets without a name included).
QStringList customerNamesAfter(Db &db, int afterId, int *highest = nullptr);

// The name that comes just before `name` among the cash tickets' names, in the server's
// order; none when no name comes before it.
std::optional<QString> customerNameBefore(Db &db, const QString &name);

// The highest cash ticket ID stored; 0 when there is none.
int highestId(Db &db);

// The newest cash ticket written for exactly this name.
std::optional<CashTicketRecord> newestFor(Db &db, const QString &customer);

} // namespace CashTicketStore
