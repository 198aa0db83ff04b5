#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The tables of the shared database, defined once: every table with its columns and the
// kind of value each column holds, its key and its indexes. Both servers' CREATE
// statements (through their dialects), moving rows between databases and the upgrade
// steps all work from this one list, so a column added here is created, copied and
// checked everywhere.
struct SchemaColumn
{
    // Each kind has one column type per server (SqlDialect::columnType): SQLite stores
    // dates as ISO text and money as REAL; PostgreSQL has DATE, TIMESTAMP(0), NUMERIC.
    enum class Kind { Text, Whole, Flag, Number, Money, DateTime, Date };

    QString name;
    Kind kind = Kind::Text;
    // An SQL literal the server fills in when an insert leaves the column out, or empty.
    QString defaultValue = {};
};

struct SchemaTable
{
    QString name;
    QList<SchemaColumn> columns;
    // The primary key column, or empty.
    QString primaryKey = {};
    // Whether the server assigns the primary key of a new row.
    bool serverAssignsKey = false;

    const SchemaColumn *column(const QString &name) const;
};

struct SchemaIndex
{
    QString name;
    QString table;
    QStringList columns;
    bool unique = false;
};

// A running total the database keeps itself: each row written to, changed in or deleted
// from `table` moves `column` of the totals row whose key is the row's `key` by its
// `amount`, in the same transaction, whichever program or statement wrote it.
struct SchemaTotal
{
    QString table;
    QString key;
    QString amount;
    QString column;
};

namespace SchemaTables {

// The eleven tables of the station's data in the order of DatabaseTool::tableNames(),
// as the newest schema version has them.
const QList<SchemaTable> &all();

// The table that records which schema version a database holds (one row). A database
// without it is at version 0, the eleven tables as they always were.
const SchemaTable &versionTable();

// Each customer's tickets and payments summed over all time, kept by the database as they
// are written (version 6): the A/R aging report and the statements take a customer's
// balance on a day from these, less what is dated after that day, instead of summing a
// chain's years of tickets each time. Derived from the eleven tables: never copied, and
// made again from them by DatabaseTool::refillCustomerTotals.
const SchemaTable &customerTotalsTable();
// What keeps its columns: the tickets' totals and the payments' amounts by customer.
const QList<SchemaTotal> &customerTotals();

// The indexes of the eleven tables: what the screens' and reports' queries look up by.
const QList<SchemaIndex> &indexes();

// The table of that name (letters in any case) among all(), versionTable() and
// customerTotalsTable(); throws DbError for a name the list does not hold.
const SchemaTable &table(const QString &name);

} // namespace SchemaTables
