#include "db/DatabaseCopy.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"
#include "db/SchemaUpgrade.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <functional>

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
    const auto row = from.firstRow(
        QStringLiteral("SELECT Version, %1 FROM SchemaVersion").arg(from.dialect().dateTimeText(QStringLiteral("AppliedAt"))));
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

// Every column of the target must keep the values as this program's schema does: a
// narrower column (a whole number where the schema keeps cents) would round what is
// copied into it without a word.
void checkColumnTypes(Db &db, const QString &table)
{
    const SchemaTable &declared = SchemaTables::table(table);
    QHash<QString, QString> actual;
    for (const QSqlRecord &r : db.rows(db.dialect().columnTypesQuery(), {table}))
        actual.insert(r.value(0).toString().toLower(), r.value(1).toString());
    for (const SchemaColumn &column : declared.columns) {
        const QString type = actual.value(column.name.toLower());
        const QString kept = db.dialect().columnType(column.kind);
        if (!db.dialect().keepsValuesOf(kept, type))
            throw DbError(QStringLiteral("The target database's table %1 has the column %2 as %3 where this program keeps %4; "
                                         "its values would not be copied as they are. Nothing was copied.")
                              .arg(table, column.name, type.isEmpty() ? QStringLiteral("no type") : type, kept));
    }
}

// The select that reads a table's values as they travel: dates and times as text.
QString selectValues(const SqlDialect &dialect, const SchemaTable &table)
{
    QStringList selected;
    for (const SchemaColumn &column : table.columns) {
        const QString name = columnSql(dialect, column.name);
        if (column.kind == SchemaColumn::Kind::DateTime)
            selected << dialect.dateTimeText(name);
        else if (column.kind == SchemaColumn::Kind::Date)
            selected << dialect.dateText(name);
        else
            selected << name;
    }
    return QStringLiteral("SELECT %1 FROM %2").arg(selected.join(QStringLiteral(", ")), table.name);
}

// One value as both sides must agree on it: texts to the character, whole numbers
// exactly, other numbers to the fifteen digits a double holds on either server (and so
// money to far below the cent), dates and times as their text.
QString comparable(const SchemaColumn &column, const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (column.kind) {
    case SchemaColumn::Kind::Whole:
        return QString::number(value.toLongLong());
    case SchemaColumn::Kind::Number:
    case SchemaColumn::Kind::Money:
        return QString::number(value.toString().toDouble(), 'g', 15);
    case SchemaColumn::Kind::Text:
    case SchemaColumn::Kind::Flag:
    case SchemaColumn::Kind::DateTime:
    case SchemaColumn::Kind::Date:
        break;
    }
    return u'\'' + value.toString() + u'\'';
}

// The comparable values of every row a select returns, one row after another.
void forEachComparable(Db &db, const SchemaTable &table, const QString &select, const QVariantList &values,
                       const std::function<void(const QString &key, const QStringList &row)> &visit)
{
    QSqlQuery in(db.database());
    in.setForwardOnly(true);
    in.setNumericalPrecisionPolicy(QSql::HighPrecision);
    bool ran = in.prepare(select);
    for (const QVariant &value : values)
        in.addBindValue(value);
    ran = ran && in.exec();
    if (!ran)
        throw DbError(errorText(in.lastError()), select);
    while (in.next()) {
        QStringList row;
        QString key;
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            row << comparable(table.columns[i], in.value(int(i)));
            if (table.columns[i].name == table.primaryKey)
                key = in.value(int(i)).toString();
        }
        visit(key, row);
    }
    if (in.lastError().isValid())
        throw DbError(errorText(in.lastError()), select);
}

// A row's values as one short digest, so that a table of any size is compared without
// holding its rows.
quint64 digest(const QStringList &row)
{
    const QByteArray hash = QCryptographicHash::hash(row.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1);
    quint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << 8) | quint8(hash[i]);
    return value;
}

// The digests of a table's rows: by primary key where it has one, else how often each
// row is there.
struct TableDigest
{
    QHash<QString, quint64> keyed;
    QHash<quint64, int> unkeyed;
};

TableDigest digestOf(Db &db, const SchemaTable &table)
{
    TableDigest d;
    forEachComparable(db, table, selectValues(db.dialect(), table), {}, [&](const QString &key, const QStringList &row) {
        if (table.primaryKey.isEmpty())
            ++d.unkeyed[digest(row)];
        else
            d.keyed.insert(key, digest(row));
    });
    return d;
}

QStringList rowByKey(Db &db, const SchemaTable &table, const QString &key)
{
    QStringList found;
    const QString select = selectValues(db.dialect(), table) + QStringLiteral(" WHERE %1 = ?").arg(table.primaryKey);
    forEachComparable(db, table, select, {key}, [&](const QString &, const QStringList &row) { found = row; });
    return found;
}

// The copy's values must read as the source's, not only their number: a server that
// took a value into a column of its own kind may have changed it on the way.
void compareValues(Db &from, Db &to, const SchemaTable &table)
{
    const TableDigest source = digestOf(from, table);
    const TableDigest target = digestOf(to, table);
    for (auto it = source.keyed.constBegin(); it != source.keyed.constEnd(); ++it) {
        if (target.keyed.value(it.key()) == it.value())
            continue;
        const QStringList original = rowByKey(from, table, it.key());
        const QStringList copied = rowByKey(to, table, it.key());
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            const QString copiedValue = i < copied.size() ? copied[i] : QStringLiteral("nothing");
            if (i < original.size() && copiedValue != original[i])
                throw DbError(
                    QStringLiteral("%1 row %2 %3: the column %4 reads %5 in the copy instead of %6; nothing was copied.")
                        .arg(table.name, table.primaryKey, it.key(), table.columns[i].name, copiedValue, original[i]));
        }
        throw DbError(QStringLiteral("%1 row %2 %3 does not read the same in the copy; nothing was copied.")
                          .arg(table.name, table.primaryKey, it.key()));
    }
    if (source.unkeyed != target.unkeyed)
        throw DbError(QStringLiteral("%1: a row does not read the same in the copy; nothing was copied.").arg(table.name));
}

// Streams one table's rows into the target; returns how many were written.
qint64 copyTable(Db &from, Db &to, const SchemaTable &table)
{
    QStringList names, marks;
    for (const SchemaColumn &column : table.columns) {
        names << columnSql(to.dialect(), column.name);
        marks << QStringLiteral("?");
    }
    // Dates and times travel as the text they are bound as, so no time zone or display
    // setting of either side can shift them.
    QString select = selectValues(from.dialect(), table);
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
            throw DbError(QStringLiteral("%1 row%2 could not be copied: %3").arg(table.name, row, errorText(out.lastError())),
                          insert);
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
    for (const SchemaTable &table : tables) {
        checkColumns(to, table, QStringLiteral("target"));
        checkColumnTypes(to, table.name);
    }

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
            throw DbError(
                QStringLiteral("%1: the source holds %2 rows, %3 were copied and the target holds %4; nothing was copied.")
                    .arg(table.name)
                    .arg(inSource)
                    .arg(written)
                    .arg(inTarget));
        compareValues(from, to, table);
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
