#include "db/SchemaUpgrade.h"

#include "accounts/WebPassword.h"
#include "db/ConnectionText.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"

#include <QDateTime>
#include <QSqlRecord>

#include <csignal>

namespace {

// Tests of an upgrade that dies halfway set AMS_UPGRADE_KILL_IN_STEP to a step's
// version: the process then kills itself in the middle of that step, after the step
// has written and before it commits, as a power cut would.
void dieHereInTests(int version)
{
    static const int step = qEnvironmentVariableIntValue("AMS_UPGRADE_KILL_IN_STEP");
    if (step == version)
        std::raise(SIGKILL);
}

bool hasTable(Db &db, const QString &name) { return db.firstRow(db.dialect().tableExistsQuery(), {name}).has_value(); }

// Version 1: the database records its version.
qint64 addVersionTable(Db &db)
{
    db.exec(db.dialect().createTable(SchemaTables::versionTable()));
    dieHereInTests(1);
    return 0;
}

// Version 2: every website password stored in clear is replaced by its Argon2id hash,
// so none remains readable. An empty password is no password: it becomes NULL, which
// no login verifies against (a hash of "" would let anyone in with an empty password).
qint64 hashWebPasswords(Db &db)
{
    qint64 changed = 0;
    const auto rows = db.rows(QStringLiteral("SELECT CustomerID, UserName, Password FROM WebUser WHERE Password IS NOT NULL"));
    for (const QSqlRecord &row : rows) {
        const QString clear = row.value(QStringLiteral("Password")).toString();
        const QVariant hashed = clear.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(WebPassword::hash(clear));
        // Logins are told apart by customer and username together: WebUser has no key.
        QString where = QStringLiteral("Password = ?");
        QVariantList values{hashed, clear};
        for (const char *column : {"CustomerID", "UserName"}) {
            const QVariant v = row.value(QLatin1String(column));
            if (v.isNull()) {
                where += QStringLiteral(" AND %1 IS NULL").arg(QLatin1String(column));
            } else {
                where += QStringLiteral(" AND %1 = ?").arg(QLatin1String(column));
                values << v;
            }
        }
        changed += db.exec(QStringLiteral("UPDATE WebUser SET Password = ? WHERE ") + where, values);
        dieHereInTests(2);
    }
    return changed;
}

// Version 3: the indexes the daily sales summary reads cash tickets and payments by.
// Databases made after the summary came already have them, so each is made only where
// it is missing.
qint64 addDailySummaryIndexes(Db &db)
{
    for (const SchemaIndex &index : SchemaTables::indexes())
        if (index.name == QLatin1String("CashTickets_DateEntered") || index.name == QLatin1String("Payments_PaymentDate"))
            db.exec(db.dialect().createIndex(index).replace(QLatin1String("INDEX "), QLatin1String("INDEX IF NOT EXISTS ")));
    dieHereInTests(3);
    return 0;
}

// Adds a column to a table as the table list defines it (type and default); a column
// with a default gets it in every row already there, on both servers.
void addColumn(Db &db, const QString &table, const QString &column)
{
    const SqlDialect &sql = db.dialect();
    const SchemaColumn *definition = SchemaTables::table(table).column(column);
    if (!definition)
        throw DbError(QStringLiteral("The table list has no column %1.%2").arg(table, column));
    QString statement =
        QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, sql.columnName(column), sql.columnType(definition->kind));
    if (!definition->defaultValue.isEmpty())
        statement += QStringLiteral(" DEFAULT ") + definition->defaultValue;
    db.exec(statement);
}

// Version 4: payment terms. Each customer may have terms of its own in days (NULL: its
// location's), and each location a default, 30 days ("Net 30") in every row there is.
qint64 addPaymentTerms(Db &db)
{
    addColumn(db, QStringLiteral("Company"), QStringLiteral("PaymentTerms"));
    dieHereInTests(4);
    addColumn(db, QStringLiteral("Customer"), QStringLiteral("PaymentTerms"));
    return 0;
}

// Version 5: one customer's tickets and payments by day with their amounts, read from
// the index alone by the history, the balance rebuild and the aging report on a chain's
// volume. Each takes the place of the narrower index it starts with, which would only
// slow every ticket and payment saved.
qint64 addCustomerAmountIndexes(Db &db)
{
    const QStringList replaced = {QStringLiteral("Tickets_CustomerID"), QStringLiteral("Payments_Customer_Date")};
    for (const QString &name : replaced)
        db.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(name));
    dieHereInTests(5);
    for (const SchemaIndex &index : SchemaTables::indexes())
        if (index.name == QLatin1String("Tickets_Customer_Date_Total")
            || index.name == QLatin1String("Payments_Customer_Date_Amount"))
            db.exec(db.dialect().createIndex(index).replace(QLatin1String("INDEX "), QLatin1String("INDEX IF NOT EXISTS ")));
    return 0;
}

// Version 6: each customer's tickets and payments summed, kept by the database from now
// on, so that a balance on a day is the sum less what came after it.
qint64 addCustomerTotals(Db &db)
{
    for (const QString &statement : DatabaseTool::customerTotalsStatements(db.dialect()))
        db.exec(statement);
    dieHereInTests(6);
    return DatabaseTool::refillCustomerTotals(db);
}

// The upgrade reads the version locked, so that two upgrades at once apply each step
// once: the second waits for the first's step and then reads its version. A station's
// start-up only reads (its role may not lock).
int readVersion(Db &db, bool locked)
{
    if (!hasTable(db, SchemaTables::versionTable().name))
        return 0;
    const QString select = QStringLiteral("SELECT Version FROM SchemaVersion");
    const auto row = db.firstRow(locked ? db.dialect().lockingRead(select) : select);
    if (!row)
        throw DbError(QStringLiteral("The SchemaVersion table holds no row, so the database's version is unknown."));
    return row->value(0).toInt();
}

} // namespace

namespace SchemaUpgrade {

const QList<Step> &steps()
{
    static const QList<Step> list = {
        {1, QStringLiteral("The database records its schema version"), addVersionTable},
        {2, QStringLiteral("Website passwords are stored as Argon2id hashes"), hashWebPasswords},
        {3, QStringLiteral("Indexes for the daily sales summary"), addDailySummaryIndexes},
        {4, QStringLiteral("Payment terms: days per customer, and a default per location (Net 30)"), addPaymentTerms},
        {5, QStringLiteral("Indexes of each customer's tickets and payments by day, with their amounts"),
         addCustomerAmountIndexes},
        {6, QStringLiteral("Each customer's tickets and payments summed, kept as they are written"), addCustomerTotals},
    };
    return list;
}

int newestVersion() { return steps().last().version; }

int versionOf(Db &db) { return readVersion(db, false); }

void recordVersion(Db &db, int version)
{
    const QVariant now = db.dialect().dateTimeValue(QDateTime::currentDateTime());
    // An update, not a replacement, so that a second upgrade waiting on the row's lock
    // reads the version this one wrote.
    if (db.exec(QStringLiteral("UPDATE SchemaVersion SET Version = ?, AppliedAt = ?"), {version, now}) == 0)
        db.exec(QStringLiteral("INSERT INTO SchemaVersion (Version, AppliedAt) VALUES (?, ?)"), {version, now});
}

QList<StepDone> upgrade(Db &db, const std::function<void(const StepDone &)> &done)
{
    const int found = versionOf(db);
    if (found == 0 && !hasTable(db, QStringLiteral("Company")))
        throw DbError(QStringLiteral("The database holds none of the program's tables; nothing was changed. "
                                     "Make a new one with amsdb create."));
    if (found > newestVersion())
        throw DbError(QStringLiteral("The database is at version %1, newer than this program knows (it knows versions up to %2); "
                                     "nothing was changed. Use the newer amsdb that upgraded it.")
                          .arg(found)
                          .arg(newestVersion()));
    QList<StepDone> applied;
    for (const Step &step : steps()) {
        Transaction transaction(db);
        // Read again inside the transaction: another upgrade may have applied it meanwhile.
        if (readVersion(db, true) >= step.version)
            continue;
        const qint64 rows = step.apply(db);
        recordVersion(db, step.version);
        transaction.commit();
        applied.append({step.version, step.title, rows});
        if (done)
            done(applied.last());
    }
    return applied;
}

QString versionProblem(int found, const QString &connectionText)
{
    const int needed = newestVersion();
    if (found < needed)
        return QStringLiteral("The database is at version %1; this program needs %2. Run: amsdb upgrade \"%3\"")
            .arg(found)
            .arg(needed)
            .arg(ConnectionText::withoutPasswordPairs(connectionText));
    if (found > needed)
        return QStringLiteral("The database is at version %1; this program knows versions up to %2. "
                              "Install the newer program that upgraded it.")
            .arg(found)
            .arg(needed);
    return {};
}

void requireCurrent(Db &db, const QString &connectionText)
{
    // A database without any of the tables is no older station database: the first
    // query of the start-up names the table it misses.
    if (!hasTable(db, SchemaTables::versionTable().name) && !hasTable(db, QStringLiteral("Company")))
        return;
    const QString problem = versionProblem(versionOf(db), connectionText);
    if (!problem.isEmpty())
        throw DbError(problem);
}

void rebuildTable(Db &db, const SchemaTable &table, const QStringList &from)
{
    const SqlDialect &sql = db.dialect();
    const QString building = table.name + QStringLiteral("_rebuilt");
    SchemaTable rebuilt = table;
    rebuilt.name = building;
    db.exec(sql.createTable(rebuilt));
    QStringList columns;
    for (const SchemaColumn &column : table.columns)
        columns << sql.columnName(column.name);
    db.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                .arg(building, columns.join(QStringLiteral(", ")), from.join(QStringLiteral(", ")), table.name));
    // AUTOINCREMENT remembers the highest key ever handed out, which may lie above
    // every row left; the new table takes that memory over.
    QVariant counter;
    if (table.serverAssignsKey) {
        if (const auto row = db.firstRow(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table.name}))
            counter = row->value(0);
    }
    db.exec(QStringLiteral("DROP TABLE %1").arg(table.name));
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(building, table.name));
    if (!counter.isNull())
        db.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = MAX(seq, ?) WHERE name = ?"), {counter, table.name});
    for (const SchemaIndex &index : SchemaTables::indexes())
        if (index.table.compare(table.name, Qt::CaseInsensitive) == 0)
            db.exec(sql.createIndex(index));
}

} // namespace SchemaUpgrade
