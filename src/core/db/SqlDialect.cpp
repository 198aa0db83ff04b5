#include "db/SqlDialect.h"

#include <QHash>
#include <QRegularExpression>

#include <tuple>

namespace {

// SQLite keeps dates as ISO text, so that text comparison is date order; money is REAL,
// rounded to a millionth after every sum so that a balance built from cents compares
// exactly with a limit typed in cents.
class SQLiteDialect final : public SqlDialect
{
public:
    QString name() const override { return QStringLiteral("SQLite"); }
    QString driver() const override { return QStringLiteral("QSQLITE"); }
    QString castToText(const QString &expr) const override { return QStringLiteral("CAST(%1 AS TEXT)").arg(expr); }
    QString money(const QString &expr) const override { return QStringLiteral("ROUND(%1, 6)").arg(expr); }
    QString dayOf(const QString &expr) const override { return QStringLiteral("date(%1)").arg(expr); }
    // julianday() counts from noon: the day's midnight is n - 0.5.
    QString dayNumber(const QString &expr) const override
    {
        return QStringLiteral("CAST(julianday(date(%1)) + 0.5 AS INTEGER)").arg(expr);
    }
    // SQLite takes an offset only after a limit; -1 is none.
    QString skipRows(const QString &select, bool limited) const override
    {
        return select + (limited ? QStringLiteral(" LIMIT ? OFFSET ?") : QStringLiteral(" LIMIT -1 OFFSET ?"));
    }

    // IMMEDIATE takes the write lock at once, so two processes never deadlock
    // upgrading a read lock; the busy timeout makes the second one wait.
    QString beginTransaction() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    // A deferred transaction takes no lock until it reads, and in WAL mode its first read
    // fixes the snapshot every later read of it sees; writers are not held up.
    QString beginReadSnapshot() const override { return QStringLiteral("BEGIN DEFERRED"); }
    // REAL holds the nearest double of the exact decimal.
    QVariant storedMoney(const QVariant &exact) const override
    {
        if (exact.isNull() || exact.metaType().id() != QMetaType::QString)
            return exact;
        bool ok = false;
        const double value = exact.toString().toDouble(&ok);
        return ok ? QVariant(value) : exact;
    }
    QString columnNamesQuery() const override { return QStringLiteral("SELECT name FROM pragma_table_info(?)"); }
    QString tableExistsQuery() const override
    {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)");
    }
    // Dates and times are ISO text, which sorts in time order; flags are 1 or 0.
    QString columnType(SchemaColumn::Kind kind) const override
    {
        switch (kind) {
        case SchemaColumn::Kind::Whole:
        case SchemaColumn::Kind::Flag:
            return QStringLiteral("INTEGER");
        case SchemaColumn::Kind::Number:
        case SchemaColumn::Kind::Money:
            return QStringLiteral("REAL");
        case SchemaColumn::Kind::Text:
        case SchemaColumn::Kind::DateTime:
        case SchemaColumn::Kind::Date:
            break;
        }
        return QStringLiteral("TEXT");
    }
    // AUTOINCREMENT never hands out a key again, even after the highest row is gone.
    QString serverKeyDefinition() const override { return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"); }
    QString columnTypesQuery() const override { return QStringLiteral("SELECT name, type FROM pragma_table_info(?)"); }
    // SQLite keeps any value in any column, but converts what it stores by the column's
    // affinity: a number in a TEXT column becomes text, "0012" in a numeric one 12.
    bool keepsValuesOf(const QString &declared, const QString &actual) const override
    {
        return affinity(declared) == affinity(actual);
    }
    // SQLite's own rules, in its order.
    static QString affinity(const QString &type)
    {
        const QString t = type.toUpper();
        if (t.contains(u"INT"))
            return QStringLiteral("INTEGER");
        if (t.contains(u"CHAR") || t.contains(u"CLOB") || t.contains(u"TEXT"))
            return QStringLiteral("TEXT");
        if (t.isEmpty() || t.contains(u"BLOB"))
            return QStringLiteral("BLOB");
        if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB"))
            return QStringLiteral("REAL");
        return QStringLiteral("NUMERIC");
    }
    // AUTOINCREMENT records the highest key ever written, given or not.
    QStringList keepKeysAhead(const QString &, const QString &) const override { return {}; }
    // One trigger for each kind of change. An update that moves a row to another key (or
    // changes its amount) takes it off the old total and adds it to the new one.
    QStringList keepTotal(const SchemaTable &totals, const SchemaTotal &total) const override
    {
        const QString name = total.table + u'_' + total.column;
        // DROP and CREATE are separate statements: Qt runs one at a time.
        QStringList statements;
        const QList<std::tuple<QString, QString, QStringList>> triggers = {
            {QStringLiteral("Insert"), QStringLiteral("INSERT"), {addToTotal(totals, total, QStringLiteral("NEW"))}},
            {QStringLiteral("Delete"), QStringLiteral("DELETE"), {takeFromTotal(totals, total, QStringLiteral("OLD"))}},
            {QStringLiteral("Update"),
             QStringLiteral("UPDATE OF %1, %2").arg(total.key, total.amount),
             {takeFromTotal(totals, total, QStringLiteral("OLD")), addToTotal(totals, total, QStringLiteral("NEW"))}},
        };
        for (const auto &[suffix, event, body] : triggers) {
            statements << QStringLiteral("DROP TRIGGER IF EXISTS %1_%2").arg(name, suffix);
            statements << QStringLiteral("CREATE TRIGGER %1_%2 AFTER %3 ON %4 BEGIN %5; END")
                              .arg(name, suffix, event, total.table, body.join(QStringLiteral("; ")));
        }
        return statements;
    }
    QStringList sessionSetup() const override
    {
        return {QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=FULL"),
                QStringLiteral("PRAGMA foreign_keys=OFF")};
    }
};

// PostgreSQL keeps money as NUMERIC, which is exact decimal arithmetic.
class PostgreSQLDialect final : public SqlDialect
{
public:
    QString name() const override { return QStringLiteral("PostgreSQL"); }
    QString driver() const override { return QStringLiteral("QPSQL"); }
    QString castToText(const QString &expr) const override { return QStringLiteral("CAST(%1 AS VARCHAR)").arg(expr); }
    QString money(const QString &expr) const override { return expr; }
    QString lockingRead(const QString &select) const override { return select + QStringLiteral(" FOR UPDATE"); }
    // Subtracting two dates gives days; 2000-01-01 is Julian day 2451545.
    QString dayNumber(const QString &expr) const override
    {
        return QStringLiteral("(CAST(%1 AS DATE) - DATE '2000-01-01' + 2451545)").arg(expr);
    }

    QString beginReadSnapshot() const override { return QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"); }
    QString dateTimeText(const QString &column) const override
    {
        return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(column);
    }
    QString dateText(const QString &column) const override { return QStringLiteral("to_char(%1, 'YYYY-MM-DD')").arg(column); }
    QString tableExistsQuery() const override
    {
        return QStringLiteral("SELECT table_name FROM information_schema.tables "
                              "WHERE table_schema = current_schema() AND table_name = lower(?)");
    }
    // Money is exact decimal; gallons, prices per gallon and rates are floating point;
    // times are kept to the second.
    QString columnType(SchemaColumn::Kind kind) const override
    {
        switch (kind) {
        case SchemaColumn::Kind::Text:
            break;
        case SchemaColumn::Kind::Whole:
            return QStringLiteral("INTEGER");
        case SchemaColumn::Kind::Flag:
            return QStringLiteral("SMALLINT");
        case SchemaColumn::Kind::Number:
            return QStringLiteral("DOUBLE PRECISION");
        case SchemaColumn::Kind::Money:
            return QStringLiteral("NUMERIC");
        case SchemaColumn::Kind::DateTime:
            return QStringLiteral("TIMESTAMP(0)");
        case SchemaColumn::Kind::Date:
            return QStringLiteral("DATE");
        }
        return QStringLiteral("TEXT");
    }
    QString serverKeyDefinition() const override
    {
        return QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    }
    QString columnNamesQuery() const override
    {
        return QStringLiteral("SELECT column_name FROM information_schema.columns "
                              "WHERE table_schema = current_schema() AND table_name = lower(?) ORDER BY ordinal_position");
    }
    QString columnTypesQuery() const override
    {
        return QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) FROM pg_attribute a "
                              "WHERE a.attrelid = to_regclass(lower(?)) AND a.attnum > 0 AND NOT a.attisdropped "
                              "ORDER BY a.attnum");
    }
    // The server reports types in its own words ("numeric(12,0)", "character varying(20)"):
    // the schema file's type must come back exactly, precision and scale included.
    bool keepsValuesOf(const QString &declared, const QString &actual) const override
    {
        static const QRegularExpression shape(QStringLiteral("^([A-Z ]+?)\\s*(\\(.*\\))?$"));
        const auto m = shape.match(declared.simplified().toUpper());
        if (!m.hasMatch())
            return false;
        static const QHash<QString, QString> words = {
            {QStringLiteral("TEXT"), QStringLiteral("text")},
            {QStringLiteral("INTEGER"), QStringLiteral("integer")},
            {QStringLiteral("INT"), QStringLiteral("integer")},
            {QStringLiteral("SMALLINT"), QStringLiteral("smallint")},
            {QStringLiteral("BIGINT"), QStringLiteral("bigint")},
            {QStringLiteral("DOUBLE PRECISION"), QStringLiteral("double precision")},
            {QStringLiteral("REAL"), QStringLiteral("real")},
            {QStringLiteral("NUMERIC"), QStringLiteral("numeric")},
            {QStringLiteral("DECIMAL"), QStringLiteral("numeric")},
            {QStringLiteral("VARCHAR"), QStringLiteral("character varying")},
            {QStringLiteral("DATE"), QStringLiteral("date")},
            {QStringLiteral("TIMESTAMP"), QStringLiteral("timestamp")},
        };
        const QString word = words.value(m.captured(1).trimmed());
        if (word.isEmpty())
            return false;
        QString expected = word + m.captured(2);
        if (word == QLatin1String("timestamp"))
            expected += QStringLiteral(" without time zone");
        return QString(actual).remove(u' ').toLower() == expected.remove(u' ');
    }

    // The identity column's sequence hands out the key after the highest one next (1 in
    // an empty table). The column name is passed as a quoted name, hence lower case.
    QStringList keepKeysAhead(const QString &table, const QString &keyColumn) const override
    {
        return {QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), COALESCE(MAX(%3), 0) + 1, false) FROM %1")
                    .arg(table, keyColumn.toLower(), keyColumn)};
    }

    // A row trigger runs a function; both are replaced when made again.
    QStringList keepTotal(const SchemaTable &totals, const SchemaTotal &total) const override
    {
        const QString name = total.table + u'_' + total.column;
        return {
            QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $body$ BEGIN "
                           "IF TG_OP <> 'INSERT' THEN %2; END IF; "
                           "IF TG_OP <> 'DELETE' THEN %3; END IF; "
                           "RETURN NULL; END $body$")
                .arg(name, takeFromTotal(totals, total, QStringLiteral("OLD")), addToTotal(totals, total, QStringLiteral("NEW"))),
            QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, total.table),
            QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR DELETE OR UPDATE OF %2, %3 ON %4 "
                           "FOR EACH ROW EXECUTE FUNCTION %1()")
                .arg(name, total.key, total.amount, total.table)};
    }

    QStringList sessionSetup() const override
    {
        return {QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ COMMITTED"),
                QStringLiteral("SET client_encoding TO 'UTF8'")};
    }
};

} // namespace

// Both servers take dates and times as ISO text to the second: SQLite stores that text,
// PostgreSQL reads it into its DATE and TIMESTAMP columns.
QVariant SqlDialect::dateTimeValue(const QDateTime &value) const
{
    return value.isValid() ? QVariant(value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                           : QVariant(QMetaType(QMetaType::QString));
}

QVariant SqlDialect::dateValue(const QDate &value) const
{
    return value.isValid() ? QVariant(value.toString(Qt::ISODate)) : QVariant(QMetaType(QMetaType::QString));
}

QDateTime SqlDialect::readDateTime(const QVariant &stored) const
{
    if (stored.isNull())
        return {};
    if (stored.metaType().id() == QMetaType::QDateTime)
        return stored.toDateTime();
    const QString text = stored.toString();
    QDateTime dt = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(text.left(10), Qt::ISODate), QTime(0, 0));
    return dt;
}

QDate SqlDialect::readDate(const QVariant &stored) const
{
    if (stored.isNull())
        return {};
    if (stored.metaType().id() == QMetaType::QDate)
        return stored.toDate();
    return QDate::fromString(stored.toString().left(10), Qt::ISODate);
}

QString SqlDialect::createTable(const SchemaTable &table) const
{
    QStringList definitions;
    for (const SchemaColumn &column : table.columns) {
        QString definition = columnName(column.name) + u' ';
        if (column.name == table.primaryKey)
            definition +=
                table.serverAssignsKey ? serverKeyDefinition() : columnType(column.kind) + QStringLiteral(" PRIMARY KEY");
        else
            definition += columnType(column.kind);
        if (!column.defaultValue.isEmpty())
            definition += QStringLiteral(" DEFAULT ") + column.defaultValue;
        definitions << definition;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table.name, definitions.join(QStringLiteral(", ")));
}

QString SqlDialect::createIndex(const SchemaIndex &index) const
{
    QStringList columns;
    for (const QString &column : index.columns)
        columns << columnName(column);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), index.name, index.table, columns.join(QStringLiteral(", ")));
}

QString SqlDialect::addToTotal(const SchemaTable &totals, const SchemaTotal &total, const QString &row)
{
    // A select with a WHERE, so that SQLite reads ON CONFLICT as the upsert's.
    return QStringLiteral("INSERT INTO %1 (%2, %3) SELECT %4.%5, COALESCE(%4.%6, 0) WHERE %4.%5 IS NOT NULL "
                          "ON CONFLICT (%2) DO UPDATE SET %3 = %1.%3 + excluded.%3")
        .arg(totals.name, totals.primaryKey, total.column, row, total.key, total.amount);
}

QString SqlDialect::takeFromTotal(const SchemaTable &totals, const SchemaTotal &total, const QString &row)
{
    return QStringLiteral("UPDATE %1 SET %2 = %2 - COALESCE(%3.%4, 0) WHERE %5 = %3.%6")
        .arg(totals.name, total.column, row, total.amount, totals.primaryKey, total.key);
}

std::unique_ptr<SqlDialect> SqlDialect::forSQLite() { return std::make_unique<SQLiteDialect>(); }
std::unique_ptr<SqlDialect> SqlDialect::forPostgreSQL() { return std::make_unique<PostgreSQLDialect>(); }
