#include "tickets/TicketStore.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "db/SaveRetry.h"

#include <QSqlRecord>

#include <algorithm>

namespace {

// The columns every save stamps: who saved the row, where and when.
ColumnValues stampColumns(const Db &db, const TicketStamp &stamp)
{
    return {{QStringLiteral("WorkStationID"), stamp.workstationId},
            {QStringLiteral("DateEntered"), db.dialect().dateTimeValue(stamp.entered)},
            {QStringLiteral("Location"), stamp.location}};
}

TicketRecord ticketFrom(const Db &db, const QSqlRecord &row)
{
    TicketRecord t;
    t.id = row.value(QStringLiteral("ID")).toInt();
    t.customerId = row.value(QStringLiteral("CustomerID")).toString();
    t.cardNo = row.value(QStringLiteral("CardNo")).toString();
    t.details = TicketColumns::readDetails(row);
    t.amounts = TicketColumns::readAmounts(row);
    t.entered = db.dialect().readDateTime(row.value(QStringLiteral("DateEntered")));
    return t;
}

std::optional<TicketRecord> one(Db &db, const QString &select, const QVariantList &values)
{
    const auto row = db.firstRow(db.dialect().firstRowOnly(select), values);
    if (!row)
        return std::nullopt;
    return ticketFrom(db, *row);
}

QStringList firstColumn(Db &db, const QString &sql, const QVariantList &values)
{
    QStringList texts;
    db.forEachRow(sql, values, [&texts](const QSqlRecord &row) { texts << row.value(0).toString(); });
    return texts;
}

} // namespace

namespace TicketStore {

int save(Db &db, const TicketRecord &t, const TicketStamp &stamp)
{
    ColumnValues columns = {{QStringLiteral("CustomerID"), t.customerId}, {QStringLiteral("CardNo"), t.cardNo}};
    columns += TicketColumns::write(t.details, t.amounts);
    columns += stampColumns(db, stamp);
    if (t.id == 0)
        return db.insert(QStringLiteral("Tickets"), columns).toInt();
    if (db.update(QStringLiteral("Tickets"), columns, t.id) == 0)
        throw DbError(QStringLiteral("Ticket %1 is no longer stored.").arg(t.id));
    return t.id;
}

double postedAmount(const TicketRecord &ticket) { return TicketColumns::storedTotal(ticket.amounts); }

std::optional<Filing> filing(Db &db, int id)
{
    const auto row =
        db.firstRow(db.dialect().lockingRead(QStringLiteral("SELECT CustomerID, Total FROM Tickets WHERE ID = ?")), {id});
    if (!row)
        return std::nullopt;
    return Filing{row->value(0).toString(), row->value(1).toDouble()};
}

std::optional<TicketRecord> load(Db &db, int id) { return one(db, QStringLiteral("SELECT * FROM Tickets WHERE ID = ?"), {id}); }

std::optional<TicketRecord> newest(Db &db, int location)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? ORDER BY ID DESC"), {location});
}

std::optional<TicketRecord> previous(Db &db, int location, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? AND ID < ? ORDER BY ID DESC"), {location, id});
}

std::optional<TicketRecord> next(Db &db, int location, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE Location = ? AND ID > ? ORDER BY ID ASC"), {location, id});
}

QString ticketsOfQuery(const SqlDialect &dialect, const CustomerTicketFilter &filter, QVariantList *values)
{
    QString sql = QStringLiteral("SELECT * FROM Tickets WHERE CustomerID = ? AND DateEntered >= ? AND DateEntered <= ?");
    *values = {filter.customerId, dialect.dayStart(filter.from), dialect.dayEnd(filter.to)};
    if (!filter.cardNo.isEmpty()) {
        sql += QStringLiteral(" AND CardNo = ?");
        values->append(filter.cardNo);
    }
    return sql + QStringLiteral(" ORDER BY DateEntered DESC, ID DESC");
}

QList<TicketRecord> ticketsOf(Db &db, const CustomerTicketFilter &filter, int first, int count)
{
    QVariantList values;
    const QString sql = db.dialect().skipRows(ticketsOfQuery(db.dialect(), filter, &values), true);
    values << count << first;
    QList<TicketRecord> tickets;
    db.forEachRow(sql, values, [&](const QSqlRecord &row) { tickets.append(ticketFrom(db, row)); });
    return tickets;
}

int countOf(Db &db, const CustomerTicketFilter &filter)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE CustomerID = ? AND DateEntered >= ? AND DateEntered <= ?");
    QVariantList values = {filter.customerId, db.dialect().dayStart(filter.from), db.dialect().dayEnd(filter.to)};
    if (!filter.cardNo.isEmpty()) {
        sql += QStringLiteral(" AND CardNo = ?");
        values.append(filter.cardNo);
    }
    const auto row = db.firstRow(sql, values);
    return row ? row->value(0).toInt() : 0;
}

std::optional<TicketRecord> loadFor(Db &db, const QString &customerId, int id)
{
    return one(db, QStringLiteral("SELECT * FROM Tickets WHERE ID = ? AND CustomerID = ?"), {id, customerId});
}

double gallonsSold(const TicketRecord &ticket)
{
    double gallons = 0;
    for (int row : {TicketLines::Gas, TicketLines::Diesel, TicketLines::Reefer, TicketLines::Def})
        gallons += TicketColumns::valueOf(ticket.amounts.fuel[row].gallons);
    return gallons;
}

} // namespace TicketStore

namespace CashTicketStore {

int insert(Db &db, const CashTicketRecord &t, const TicketStamp &stamp)
{
    ColumnValues columns = {{QStringLiteral("Customer"), t.customer},
                            {QStringLiteral("Address1"), t.address1},
                            {QStringLiteral("Address2"), t.address2}};
    columns += TicketColumns::write(t.details, t.amounts);
    columns += stampColumns(db, stamp);
    // In a transaction of its own, so that the key is known before the commit: a commit
    // that went unanswered is looked for by it instead of storing the ticket twice.
    return SaveRetry::run<int>(
        db, [&] { return db.insert(QStringLiteral("CashTickets"), columns).toInt(); },
        [&](int id) { return SaveRetry::rowStored(db, QStringLiteral("CashTickets"), id); });
}

QStringList customerNames(Db &db)
{
    // The index on Customer hands the names over in order, once each.
    return firstColumn(
        db, QStringLiteral("SELECT DISTINCT Customer FROM CashTickets WHERE Customer IS NOT NULL ORDER BY Customer"), {});
}

QStringList customerNamesAfter(Db &db, int afterId, int *highest)
{
    // Sorting here would tempt the server to walk the whole name index instead.
    QStringList names;
    db.forEachRow(QStringLiteral("SELECT ID, Customer FROM CashTickets WHERE ID > ? ORDER BY ID"), {afterId},
                  [&](const QSqlRecord &row) {
                      if (highest)
                          *highest = std::max(*highest, row.value(0).toInt());
                      if (!row.isNull(1))
                          names << row.value(1).toString();
                  });
    return names;
}

std::optional<QString> customerNameBefore(Db &db, const QString &name)
{
    const auto row = db.firstRow(
        db.dialect().firstRowOnly(QStringLiteral("SELECT Customer FROM CashTickets WHERE Customer < ? ORDER BY Customer DESC")),
        {name});
    if (!row)
        return std::nullopt;
    return row->value(0).toString();
}

int highestId(Db &db)
{
    const auto row = db.firstRow(QStringLiteral("SELECT MAX(ID) FROM CashTickets"));
    return row ? row->value(0).toInt() : 0;
}

std::optional<CashTicketRecord> newestFor(Db &db, const QString &customer)
{
    const auto row = db.firstRow(
        db.dialect().firstRowOnly(QStringLiteral("SELECT * FROM CashTickets WHERE Customer = ? ORDER BY ID DESC")), {customer});
    if (!row)
        return std::nullopt;
    CashTicketRecord t;
    t.id = row->value(QStringLiteral("ID")).toInt();
    t.customer = row->value(QStringLiteral("Customer")).toString();
    t.address1 = row->value(QStringLiteral("Address1")).toString();
    t.address2 = row->value(QStringLiteral("Address2")).toString();
    t.details = TicketColumns::readDetails(*row);
    t.amounts = TicketColumns::readAmounts(*row);
    t.entered = db.dialect().readDateTime(row->value(QStringLiteral("DateEntered")));
    return t;
}

} // namespace CashTicketStore
