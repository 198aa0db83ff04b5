#pragma once

#include "db/SchemaTables.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

// Everything that differs between the servers the program runs on. Screens and
// routines build their SQL through these pieces and never ask which server it is.
class SqlDialect
{
protected:
    // Within a trigger: the statement that adds the amount of `row` (NEW) to its key's
    // total, making the totals row when there is none, and the one that takes the amount
    // of `row` (OLD) off it. A row without a key is in no total.
    static QString addToTotal(const SchemaTable &totals, const SchemaTotal &total, const QString &row);
    static QString takeFromTotal(const SchemaTable &totals, const SchemaTotal &total, const QString &row);

public:
    virtual ~SqlDialect() = default;

    virtual QString name() const = 0;
    // Qt's driver name for this server.
    virtual QString driver() const = 0;

    // The credit limit column: Limit is a reserved word on every server.
    QString limitColumn() const { return QStringLiteral("\"Limit\""); }

    // A select that returns at most its first row (what other dialects write as TOP 1).
    virtual QString firstRowOnly(const QString &select) const { return select + QStringLiteral(" LIMIT 1"); }
    // The rows of a select from the one at a bound offset on: the select is followed by
    // one more bound value, the number of rows to skip; limited, by two, the number of
    // rows to return and then the number to skip.
    virtual QString skipRows(const QString &select, bool limited = false) const
    {
        return select + (limited ? QStringLiteral(" LIMIT ? OFFSET ?") : QStringLiteral(" OFFSET ?"));
    }
    // expr, or replacement when expr is NULL (ISNULL elsewhere).
    virtual QString ifNull(const QString &expr, const QString &replacement) const
    {
        return QStringLiteral("COALESCE(%1, %2)").arg(expr, replacement);
    }
    // Pieces joined as one string.
    virtual QString concat(const QStringList &pieces) const { return pieces.join(QStringLiteral(" || ")); }
    // A number or key written as text.
    virtual QString castToText(const QString &expr) const = 0;
    // Money arithmetic stays exact to the cent on every server; see the schema files.
    virtual QString money(const QString &expr) const = 0;

    // Date and date-time values as they are bound and read back.
    QVariant dateTimeValue(const QDateTime &value) const;
    QVariant dateValue(const QDate &value) const;
    QDateTime readDateTime(const QVariant &stored) const;
    QDate readDate(const QVariant &stored) const;

    // A report day runs from midnight to one second before the next midnight. (Starting it
    // one second past midnight, as the old reports did, left a ticket stamped exactly at
    // midnight out of every day; times are stored to the second.)
    QVariant dayStart(const QDate &day) const { return dateTimeValue(QDateTime(day, QTime(0, 0, 0))); }
    QVariant dayEnd(const QDate &day) const { return dateTimeValue(QDateTime(day, QTime(23, 59, 59))); }

    // Flags are written as 1 or 0 and read back as true for 1.
    QVariant flag(bool value) const { return value ? 1 : 0; }

    // The day of a date-and-time column, read back as a date (or its ISO text).
    virtual QString dayOf(const QString &expr) const { return QStringLiteral("CAST(%1 AS DATE)").arg(expr); }
    // The day of a date or date-and-time column as a whole number that rises by one a
    // day: the Julian day number, the one QDate::toJulianDay gives, so that the number of
    // days between a stored day and a day the program names is a subtraction.
    virtual QString dayNumber(const QString &expr) const = 0;

    // Statement that opens a transaction which will write.
    virtual QString beginTransaction() const { return QStringLiteral("BEGIN"); }
    // A select inside a writing transaction that keeps other writers off the rows it
    // returns until the transaction ends (SQLite's write transaction holds the whole file).
    virtual QString lockingRead(const QString &select) const { return select; }
    // Statement that opens a transaction which only reads, and sees the whole database as
    // it stood at its start while other workstations go on writing.
    virtual QString beginReadSnapshot() const = 0;

    // A stored date-time or date column read back as the text it is bound as
    // ("yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"), whatever the server's display settings.
    virtual QString dateTimeText(const QString &column) const { return column; }
    virtual QString dateText(const QString &column) const { return column; }
    // A money value read exactly (a decimal text, or a number) as this server stores it.
    virtual QVariant storedMoney(const QVariant &exact) const { return exact; }
    // A query for the column names of the table bound as its one value (no row: no table).
    virtual QString columnNamesQuery() const = 0;
    // A query for the columns of the table bound as its one value, each as its name and
    // its type as this server reports it.
    virtual QString columnTypesQuery() const = 0;
    // Whether a column the server reports with type `actual` keeps every value as a
    // column declared `declared` in this server's schema file does: no value rounded,
    // cut or turned into another kind.
    virtual bool keepsValuesOf(const QString &declared, const QString &actual) const = 0;
    // Statements that set the server's key counter of a table past its highest key, after
    // rows were written with their keys given.
    virtual QStringList keepKeysAhead(const QString &table, const QString &keyColumn) const = 0;

    // Appended to an INSERT so that it returns the new row's key as its one column.
    virtual QString returningKey(const QString &keyColumn) const { return QStringLiteral(" RETURNING ") + keyColumn; }

    // The column type that holds a kind of value on this server.
    virtual QString columnType(SchemaColumn::Kind kind) const = 0;
    // The definition of a whole-number key the server assigns to each new row, rising
    // with insert order.
    virtual QString serverKeyDefinition() const = 0;
    // A column name as it stands in a statement: quoted where it is a reserved word.
    QString columnName(const QString &name) const
    {
        return name.compare(u"Limit", Qt::CaseInsensitive) == 0 ? limitColumn() : name;
    }
    // The CREATE statements of a table and of an index, from the one table list.
    QString createTable(const SchemaTable &table) const;
    QString createIndex(const SchemaIndex &index) const;
    // The statements that make the database keep a running total in `totals` (keyed by
    // its primary key) as rows are inserted, updated and deleted: triggers, and on
    // PostgreSQL their function. Running them again replaces what they made.
    virtual QStringList keepTotal(const SchemaTable &totals, const SchemaTotal &total) const = 0;
    // Whether the database holds a table of that name (letters in any case).
    virtual QString tableExistsQuery() const = 0;

    // Statements run once right after the connection opens.
    virtual QStringList sessionSetup() const = 0;

    static std::unique_ptr<SqlDialect> forSQLite();
    static std::unique_ptr<SqlDialect> forPostgreSQL();
};
