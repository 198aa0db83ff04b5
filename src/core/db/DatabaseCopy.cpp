#include "db/DatabaseCopy.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"
#include "db/SchemaUpgrade.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace {

QString columnSql(const SqlDialect &dialect, const QString &name) { return dialect.columnName(name); }

// Both sides must hold the version whose tables this program knows: an older one lacks
// what the copy would write, a newer one holds what it would leave behind.
void checkVersion(Db &db, const QString &side)
{
    const int version = SchemaUpgrade::versionOf(db);
    const int newest = SchemaUpgrade::newestVersion();
    if (version < newest)
        throw DbError(QStringLiteral("The %1 database is at version %2; this program copies version %3. "
                                     "Run amsdb upgrade on it first; nothing was copied.")
                          .arg(side)
                          .arg(version)
                          .arg(newest));
    if (version > newest)
        throw DbError(QStringLiteral("The %1 database is at version %2; this program knows versions up to %3. "
                                     "Copy it with the newer amsdb that upgraded it; nothing was copied.")
                          .arg(side)
                          .arg(version)
                          .arg(newest));
}

// The target gets the source's version row as it stands, the time it was applied too.
void copyVersion(Db &from, Db &to)
{
    const auto row = from.firstRow(QStringLiteral("SELECT Version, %1 FROM SchemaVersion")
                                       .arg(from.dialect().dateTimeText(QStringLiteral("AppliedAt"))));
    if (!row)
        throw DbError(QStringLiteral("The source's SchemaVersion table holds no row."));
    to.exec(QStringLiteral("UPDATE SchemaVersion SET Version = ?, AppliedAt = ?"), {row->value(0), row->value(1)});
}

QString errorText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// The source is only read: one snapshot for every table, ended without writing.
class ReadSnapshot
{
public:
    explicit ReadSnapshot(Db &db) : m_db(db) { m_db.exec(m_db.dialect().beginReadSnapshot()); }
    ~ReadSnapshot()
    {
        try {
            m_db.exec(QStringLiteral("ROLLBACK"));
        } catch (const DbError &) {
            // Nothing was written on this side.
        }
    }
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

private:
    Db &m_db;
};

bool sameDatabase(Db &a, Db &b)
{
    if (a.dialect().name() != b.dialect().name())
        return false;
    const QSqlDatabase &x = a.database();
    const QSqlDatabase &y = b.database();
    if (x.hostName().isEmpty() && y.hostName().isEmpty()) // database files
        return QFileInfo(x.databaseName()).canonicalFilePath() == QFileInfo(y.databaseName()).canonicalFilePath();
    return x.hostName().compare(y.hostName(), Qt::CaseInsensitive) == 0 && x.port() == y.port()
           && x.databaseName() == y.databaseName();
}

qint64 rowCount(Db &db, const QString &table)
{
    return db.firstRow(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table))->value(0).toLongLong();
}

QStringList columnNames(Db &db, const QString &table)
{
    QStringList names;
    for (const QSqlRecord &r : db.rows(db.dialect().columnNamesQuery(), {table}))
        names << r.value(0).toString();
    return names;
}

bool hasTable(Db &db, const QString &table) { return !columnNames(db, table).isEmpty(); }

// A table must hold exactly the schema's columns: one missing cannot be copied, and one
// the schema does not know would be left behind without a word.
void checkColumns(Db &db, const SchemaTable &table, const QString &side)
{
    const QStringList names = columnNames(db, table.name);
    if (names.isEmpty())
        throw DbError(QStringLiteral("The %1 database has no table %2.").arg(side, table.name));
    QSet<QString> present;
    for (const QString &name : names)
        present.insert(name.toLower());
    QSet<QString> known;
    for (const SchemaColumn &column : table.columns) {
        known.insert(column.name.toLower());
        if (!present.contains(column.name.toLower()))
            throw DbError(QStringLiteral("The %1 database's table %2 has no column %3.").arg(side, table.name, column.name));
    }
    for (const QString &name : names)
        if (!known.contains(name.toLower()))
            throw DbError(QStringLiteral("The %1 database's table %2 holds a column %3 that this program does not know; "
                                         "it would not be copied.")
                              .arg(side, table.name, name));
}

// Streams one table's rows into the target; returns how many were written.
qint64 copyTable(Db &from, Db &to, const SchemaTable &table)
{
    QStringList selected, names, marks;
    for (const SchemaColumn &column : table.columns) {
        const QString name = columnSql(from.dialect(), column.name);
        // Dates and times travel as the text they are bound as, so no time zone or
        // display setting of either side can shift them.
        if (column.kind == SchemaColumn::Kind::DateTime)
            selected << from.dialect().dateTimeText(name);
        else if (column.kind == SchemaColumn::Kind::Date)
            selected << from.dialect().dateText(name);
        else
            selected << name;
        names << columnSql(to.dialect(), column.name);
        marks << QStringLiteral("?");
    }
    QString select = QStringLiteral("SELECT %1 FROM %2").arg(selected.join(QStringLiteral(", ")), table.name);
    if (!table.primaryKey.isEmpty())
        select += QStringLiteral(" ORDER BY ") + table.primaryKey;
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table.name, names.join(QStringLiteral(", ")), marks.join(u','));

    QSqlQuery in(from.database());
    in.setForwardOnly(true);
    // Exact decimals come as their text, not as the nearest double.
    in.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!in.exec(select))
        throw DbError(errorText(in.lastError()), select);
    QSqlQuery out(to.database());
    if (!out.prepare(insert))
        throw DbError(errorText(out.lastError()), insert);

    qsizetype keyIndex = -1;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].name == table.primaryKey)
            keyIndex = i;
    qint64 written = 0;
    while (in.next()) {
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            QVariant value = in.value(int(i));
            if (table.columns[i].kind == SchemaColumn::Kind::Money)
                value = to.dialect().storedMoney(value);
            out.bindValue(int(i), value);
        }
        if (!out.exec()) {
            const QString row = keyIndex >= 0 ? QStringLiteral(" %1 %2").arg(table.primaryKey, in.value(int(keyIndex)).toString())
                                              : QStringLiteral(" number %1").arg(written + 1);
            throw DbError(QStringLiteral("%1 row%2 could not be copied: %3").arg(table.name, row, errorText(out.lastError())), insert);
        }
        ++written;
    }
    if (in.lastError().isValid())
        throw DbError(errorText(in.lastError()), select);
    return written;
}

// The target's balances, tickets and payments per customer must be the source's.
void compareBalances(const QList<CustomerBalanceCheck> &source, const QList<CustomerBalanceCheck> &target)
{
    QHash<QString, CustomerBalanceCheck> copied;
    for (const CustomerBalanceCheck &c : target)
        copied.insert(c.customerId, c);
    auto apart = [](double a, double b) { return std::fabs(a - b) >= 0.005; };
    for (const CustomerBalanceCheck &c : source) {
        const auto found = copied.constFind(c.customerId);
        if (found == copied.constEnd())
            throw DbError(QStringLiteral("Customer %1 is missing from the copy.").arg(c.customerId));
        if (apart(found->balance, c.balance) || apart(found->charged, c.charged) || apart(found->paid, c.paid))
            throw DbError(QStringLiteral("Customer %1 reads differently in the copy: balance %2, tickets %3, payments %4 "
                                         "instead of %5, %6, %7.")
                              .arg(c.customerId)
                              .arg(found->balance)
                              .arg(found->charged)
                              .arg(found->paid)
                              .arg(c.balance)
                              .arg(c.charged)
                              .arg(c.paid));
    }
    if (copied.size() != source.size())
        throw DbError(QStringLiteral("The copy holds %1 customers instead of %2.").arg(copied.size()).arg(source.size()));
}

} // namespace

namespace DatabaseCopy {

QList<TableCount> countRows(Db &db)
{
    QList<TableCount> counts;
    for (const QString &table : DatabaseTool::tableNames())
        counts.append({table, hasTable(db, table) ? rowCount(db, table) : -1});
    return counts;
}

Result copy(Db &from, Db &to, Target target)
{
    if (sameDatabase(from, to))
        throw DbError(QStringLiteral("The source and the target are the same database; nothing was copied."));
    const QList<SchemaTable> &tables = SchemaTables::all();

    ReadSnapshot snapshot(from);
    checkVersion(from, QStringLiteral("source"));
    for (const SchemaTable &table : tables)
        checkColumns(from, table, QStringLiteral("source"));

    Transaction transaction(to);
    bool anyTable = false;
    for (const SchemaTable &table : tables)
        anyTable = anyTable || hasTable(to, table.name);
    if (!anyTable)
        DatabaseTool::createSchema(to);
    checkVersion(to, QStringLiteral("target"));
    for (const SchemaTable &table : tables)
        checkColumns(to, table, QStringLiteral("target"));

    QStringList holding;
    for (const SchemaTable &table : tables)
        if (const qint64 rows = rowCount(to, table.name); rows > 0)
            holding << QStringLiteral("%1 %2").arg(rows).arg(table.name);
    if (!holding.isEmpty()) {
        if (target == Target::MustBeEmpty)
            throw DbError(QStringLiteral("The target database already holds rows (%1). Nothing was copied; "
                                         "to replace them, copy again with --replace.")
                              .arg(holding.join(QStringLiteral(", "))));
        for (const SchemaTable &table : tables)
            to.exec(QStringLiteral("DELETE FROM %1").arg(table.name));
    }

    Result result;
    for (const SchemaTable &table : tables) {
        const qint64 inSource = rowCount(from, table.name);
        const qint64 written = copyTable(from, to, table);
        if (table.serverAssignsKey)
            for (const QString &statement : to.dialect().keepKeysAhead(table.name, table.primaryKey))
                to.exec(statement);
        const qint64 inTarget = rowCount(to, table.name);
        if (written != inSource || inTarget != inSource)
            throw DbError(QStringLiteral("%1: the source holds %2 rows, %3 were copied and the target holds %4; nothing was copied.")
                              .arg(table.name)
                              .arg(inSource)
                              .arg(written)
                              .arg(inTarget));
        result.counts.append({table.name, inTarget});
    }
    copyVersion(from, to);
    result.schemaVersion = SchemaUpgrade::versionOf(to);
    result.balances = CheckCustomerBalances(to);
    compareBalances(CheckCustomerBalances(from), result.balances);
    transaction.commit();
    return result;
}

} // namespace DatabaseCopy
