// Upgrading a station's database from the tables it has always had (version 0) to the
// version the program needs, with amsdb upgrade as a station runs it: every row kept,
// the key counters ahead, every website password hashed; a step killed halfway leaves
// nothing of itself; a second run changes nothing; a newer database is refused.

#include "TestDb.h"

#include "accounts/WebPassword.h"
#include "db/DatabaseCopy.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QProcess>
#include <QSqlRecord>
#include <QTest>

namespace {

QString amsdb()
{
    const QString dir = qEnvironmentVariable("AMS_BIN_DIR");
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("amsdb"));
}

struct Run
{
    QProcess::ExitStatus status;
    int code;
    QString out;
    QString err;
};

Run upgrade(const QString &connectionText, const QString &killInStep = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("AMS_UPGRADE_KILL_IN_STEP"));
    if (!killInStep.isEmpty())
        env.insert(QStringLiteral("AMS_UPGRADE_KILL_IN_STEP"), killInStep);
    p.setProcessEnvironment(env);
    p.start(amsdb(), {QStringLiteral("upgrade"), connectionText});
    p.waitForFinished(120000);
    return {p.exitStatus(), p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Logins the demo does not have: a password with quotes and letters beyond ASCII, an
// empty one, none at all, and a login filed under no customer.
const QList<QStringList> kOddLogins = {
    {"2001", "o'neill", QStringLiteral("Pässwörd 'quoted' \"x\" 東京")},
    {"2002", "emptypw", ""},
    {"2003", "nullpw", "<NULL>"},
    {"<NULL>", "orphan", "orphan-secret"},
};

QVariant valueOf(const QString &text)
{
    return text == QLatin1String("<NULL>") ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

// A station's database as it was before versions: the demo's rows in the eleven tables
// made from the old schema text, its logins' passwords in clear as they were stored.
// Returns each login's clear password by username.
QHash<QString, QString> demoAtVersionZero(Db &db)
{
    DatabaseTool::fillDemo(db, QDate::currentDate());
    QHash<QString, QString> clear;
    for (const QSqlRecord &r : db.rows(QStringLiteral("SELECT CustomerID, UserName FROM WebUser"))) {
        const QString password = DatabaseTool::demoPassword(r.value(0).toString());
        db.exec(QStringLiteral("UPDATE WebUser SET Password = ? WHERE CustomerID = ?"), {password, r.value(0)});
        clear.insert(r.value(1).toString(), password);
    }
    for (const QStringList &login : kOddLogins) {
        db.insert(QStringLiteral("WebUser"),
                  {{"CustomerID", valueOf(login[0])}, {"UserName", login[1]}, {"Password", valueOf(login[2])}}, QString());
        clear.insert(login[1], login[2]);
    }
    return clear;
}

// Every row of every table as text, in a fixed order; WebUser without its passwords,
// which the upgrade replaces.
// Every row of every table, over the columns the database has now (an older version
// lacks those later steps added), leaving out the "Table.Column"s of leaveOut.
QStringList rowsOf(Db &db, bool withPasswords, const QStringList &leaveOut = {})
{
    QStringList all;
    for (const SchemaTable &table : SchemaTables::all()) {
        QStringList present;
        for (const QSqlRecord &r : db.rows(db.dialect().columnNamesQuery(), {table.name}))
            present << r.value(0).toString().toLower();
        QStringList columns;
        for (const SchemaColumn &c : table.columns)
            if ((withPasswords || table.name != QLatin1String("WebUser") || c.name != QLatin1String("Password"))
                && present.contains(c.name.toLower()) && !leaveOut.contains(table.name + u'.' + c.name))
                columns << db.dialect().columnName(c.name);
        QStringList rows;
        for (const QSqlRecord &r : db.rows(QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), table.name))) {
            QStringList values;
            for (int i = 0; i < r.count(); ++i)
                values << (r.isNull(i) ? QStringLiteral("<NULL>") : r.value(i).toString());
            rows << table.name + u':' + values.join(u'|');
        }
        rows.sort();
        all << rows;
    }
    return all;
}

QHash<QString, QVariant> passwordsOf(Db &db)
{
    QHash<QString, QVariant> stored;
    for (const QSqlRecord &r : db.rows(QStringLiteral("SELECT UserName, Password FROM WebUser")))
        stored.insert(r.value(0).toString(), r.value(1));
    return stored;
}

} // namespace

class tst_SchemaUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void initTestCase_data();
    void demoAtVersionZeroUpgraded();
    void killedInTheMiddleOfAStep_data();
    void killedInTheMiddleOfAStep();
    void missingSummaryIndexesMade();
    void upgradedIndexesAsNew();
    void newerDatabaseRefused();
    void copyCarriesTheVersion();
    void rebuiltTableKeepsRowsIndexesAndKeys();
};

void tst_SchemaUpgrade::initTestCase() { QVERIFY2(QFile::exists(amsdb()), "AMS_BIN_DIR must name the folder of amsdb"); }

void tst_SchemaUpgrade::initTestCase_data() { TestDb::addServerRows(); }

void tst_SchemaUpgrade::demoAtVersionZeroUpgraded()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::freshAtVersionZero(server);
    const QHash<QString, QString> clear = demoAtVersionZero(*db);
    QCOMPARE(SchemaUpgrade::versionOf(*db), 0);
    const QStringList before = rowsOf(*db, false);
    QMap<QString, qint64> highest;
    for (const SchemaTable &table : SchemaTables::all())
        if (table.serverAssignsKey)
            highest.insert(table.name,
                           db->firstRow(QStringLiteral("SELECT MAX(ID) FROM %1").arg(table.name))->value(0).toLongLong());

    const Run first = upgrade(TestDb::connectionText(server));
    QVERIFY2(first.status == QProcess::NormalExit && first.code == 0, qPrintable(first.err));
    // Each step is named with the rows it changed: every login with a password.
    const qsizetype withPassword =
        std::count_if(clear.begin(), clear.end(), [](const QString &p) { return p != QLatin1String("<NULL>"); });
    QVERIFY2(first.out.contains(QStringLiteral("Step 1: ")), qPrintable(first.out));
    QVERIFY2(first.out.contains(
                 QStringLiteral("Step 2: Website passwords are stored as Argon2id hashes: %1 rows changed").arg(withPassword)),
             qPrintable(first.out));
    QCOMPARE(SchemaUpgrade::versionOf(*db), SchemaUpgrade::newestVersion());

    // Every row is still there as it was; every location has terms of 30 days and no
    // customer terms of its own.
    QCOMPARE(rowsOf(*db, false, {QStringLiteral("Company.PaymentTerms"), QStringLiteral("Customer.PaymentTerms")}), before);
    QVERIFY(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Company"))->value(0).toInt() > 0);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Company WHERE PaymentTerms IS NULL OR PaymentTerms <> 30"))
                 ->value(0)
                 .toInt(),
             0);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Customer WHERE PaymentTerms IS NOT NULL"))->value(0).toInt(), 0);
    // Every customer's tickets and payments are summed in the kept totals, and from now on
    // kept: a ticket and a payment written after the upgrade move them.
    QVERIFY(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM CustomerTotals"))->value(0).toInt() > 0);
    QCOMPARE(TestDb::wrongKeptTotals(*db), QStringList());
    // No password is left in clear; each hash verifies with the old text only. An empty
    // password was no password and stays none.
    const QHash<QString, QVariant> stored = passwordsOf(*db);
    QCOMPARE(stored.size(), clear.size());
    for (auto it = clear.cbegin(); it != clear.cend(); ++it) {
        const QVariant hash = stored.value(it.key());
        if (it.value().isEmpty() || it.value() == QLatin1String("<NULL>")) {
            QVERIFY2(hash.isNull(), qPrintable(it.key()));
            continue;
        }
        QVERIFY2(hash.toString().startsWith(QLatin1String("$argon2id$")), qPrintable(it.key() + u' ' + hash.toString()));
        QVERIFY2(WebPassword::verify(hash.toString(), it.value()), qPrintable(it.key()));
        QVERIFY(!WebPassword::verify(hash.toString(), it.value() + u'x'));
        QVERIFY(!WebPassword::needsRehash(hash.toString()));
    }
    // The next key of every table whose keys the server hands out follows the highest.
    for (auto it = highest.cbegin(); it != highest.cend(); ++it) {
        const ColumnValues row = it.key() == QLatin1String("Payments") ? ColumnValues{{"Customer", "1001"}, {"Amount", 1}}
                                                                       : ColumnValues{{"Location", 1}};
        QCOMPARE(db->insert(it.key(), row).toLongLong(), it.value() + 1);
    }

    QCOMPARE(TestDb::wrongKeptTotals(*db), QStringList());

    // A second run finds nothing to do and changes nothing, the version's time included.
    const QStringList after = rowsOf(*db, true);
    const QString applied =
        db->firstRow(QStringLiteral("SELECT %1 FROM SchemaVersion").arg(db->dialect().dateTimeText("AppliedAt")))
            ->value(0)
            .toString();
    const Run second = upgrade(TestDb::connectionText(server));
    QVERIFY2(second.code == 0, qPrintable(second.err));
    QVERIFY2(second.out.contains(QLatin1String("up to date")), qPrintable(second.out));
    QVERIFY2(!second.out.contains(QLatin1String("Step ")), qPrintable(second.out));
    QCOMPARE(rowsOf(*db, true), after);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT %1 FROM SchemaVersion").arg(db->dialect().dateTimeText("AppliedAt")))
                 ->value(0)
                 .toString(),
             applied);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM SchemaVersion"))->value(0).toInt(), 1);
}

void tst_SchemaUpgrade::killedInTheMiddleOfAStep_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("killed after making the version table, before it commits") << 1;
    QTest::newRow("killed after hashing the first password, before the step commits") << 2;
    QTest::newRow("killed after adding the location's terms, before the customer's") << 3;
    QTest::newRow("killed after dropping the narrower customer indexes, before the wider ones are made") << 5;
    QTest::newRow("killed after making the kept totals and their triggers, before they are filled") << 6;
}

void tst_SchemaUpgrade::killedInTheMiddleOfAStep()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(int, step);
    auto db = TestDb::freshAtVersionZero(server);
    const QHash<QString, QString> clear = demoAtVersionZero(*db);
    // Killed after the password step has committed, the passwords are rightly hashed.
    const bool passwordsInClear = step <= 2;
    // Killed after the terms step has committed, every location has its terms.
    const QStringList terms =
        step > 4 ? QStringList{QStringLiteral("Company.PaymentTerms"), QStringLiteral("Customer.PaymentTerms")} : QStringList();
    const QStringList before = rowsOf(*db, passwordsInClear, terms);

    const Run killed = upgrade(TestDb::connectionText(server), QString::number(step));
    QCOMPARE(killed.status, QProcess::CrashExit);
    // The steps before it are done; of the killed step nothing is there.
    db.reset();
    db = Db::open(TestDb::connectionText(server));
    QCOMPARE(SchemaUpgrade::versionOf(*db), step - 1);
    QCOMPARE(rowsOf(*db, passwordsInClear, terms), before);
    if (step == 5) {
        const QString hasIndex = server == QLatin1String("SQLite")
                                     ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name = ?")
                                     : QStringLiteral("SELECT indexname FROM pg_indexes WHERE indexname = lower(?)");
        QVERIFY(db->firstRow(hasIndex, {QStringLiteral("Tickets_CustomerID")}));
        QVERIFY(!db->firstRow(hasIndex, {QStringLiteral("Tickets_Customer_Date_Total")}));
    }
    if (step == 1)
        QVERIFY(!db->firstRow(db->dialect().tableExistsQuery(), {QStringLiteral("SchemaVersion")}));
    if (step == 6)
        QVERIFY(!db->firstRow(db->dialect().tableExistsQuery(), {QStringLiteral("CustomerTotals")}));

    // Run again, it finishes.
    const Run rerun = upgrade(TestDb::connectionText(server));
    QVERIFY2(rerun.status == QProcess::NormalExit && rerun.code == 0, qPrintable(rerun.err));
    QVERIFY2(rerun.out.contains(QStringLiteral("Step %1: ").arg(step)), qPrintable(rerun.out));
    QCOMPARE(SchemaUpgrade::versionOf(*db), SchemaUpgrade::newestVersion());
    const QHash<QString, QVariant> stored = passwordsOf(*db);
    QVERIFY(WebPassword::verify(stored.value(QStringLiteral("acme1001")).toString(), clear.value(QStringLiteral("acme1001"))));
    QVERIFY(WebPassword::verify(stored.value(QStringLiteral("orphan")).toString(), QStringLiteral("orphan-secret")));
}

// A station's database from before the daily sales summary lacks its two indexes; one
// made after it has them already. Both end with them.
void tst_SchemaUpgrade::missingSummaryIndexesMade()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::freshAtVersionZero(server);
    const QString hasIndex = server == QLatin1String("SQLite")
                                 ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name = ?")
                                 : QStringLiteral("SELECT indexname FROM pg_indexes WHERE indexname = lower(?)");
    for (const char *index : {"CashTickets_DateEntered", "Payments_PaymentDate"})
        QVERIFY2(!db->firstRow(hasIndex, {QLatin1String(index)}), index);
    // A station may have made one of them already: the step makes only what is missing.
    db->exec(QStringLiteral("CREATE INDEX CashTickets_DateEntered ON CashTickets (DateEntered)"));
    SchemaUpgrade::upgrade(*db);
    QCOMPARE(SchemaUpgrade::versionOf(*db), SchemaUpgrade::newestVersion());
    for (const char *index : {"CashTickets_DateEntered", "Payments_PaymentDate"})
        QVERIFY2(db->firstRow(hasIndex, {QLatin1String(index)}), index);
}

void tst_SchemaUpgrade::newerDatabaseRefused()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    DatabaseTool::fillDemo(*db, QDate::currentDate());
    const int newer = SchemaUpgrade::newestVersion() + 1;
    db->exec(QStringLiteral("UPDATE SchemaVersion SET Version = ?"), {newer});
    const QStringList before = rowsOf(*db, true);

    const Run run = upgrade(TestDb::connectionText(server));
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QStringLiteral("version %1").arg(newer)), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("up to %1").arg(SchemaUpgrade::newestVersion())), qPrintable(run.err));
    QCOMPARE(rowsOf(*db, true), before);
    QCOMPARE(SchemaUpgrade::versionOf(*db), newer);
}

// A copy takes the source's version row with it; a source at another version is refused.
void tst_SchemaUpgrade::copyCarriesTheVersion()
{
    QFETCH_GLOBAL(QString, server);
    auto source = TestDb::fresh(server);
    DatabaseTool::fillDemo(*source, QDate::currentDate());
    source->exec(QStringLiteral("UPDATE SchemaVersion SET AppliedAt = ?"),
                 {source->dialect().dateTimeValue(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)))});
    const QString targetText = TestDb::emptyDatabase(QStringLiteral("SQLite"));
    QFile(targetText.section(u'=', 2).chopped(1)).open(QIODevice::WriteOnly);
    auto target = Db::open(targetText);
    const auto result = DatabaseCopy::copy(*source, *target);
    QCOMPARE(result.schemaVersion, SchemaUpgrade::newestVersion());
    const auto row = target->firstRow(QStringLiteral("SELECT Version, AppliedAt FROM SchemaVersion"));
    QCOMPARE(row->value(0).toInt(), SchemaUpgrade::newestVersion());
    QCOMPARE(row->value(1).toString(), QStringLiteral("2026-01-02 03:04:05"));

    auto old = TestDb::freshAtVersionZero(server);
    DatabaseTool::fillDemo(*old, QDate::currentDate());
    const QString otherText = TestDb::emptyDatabase(QStringLiteral("SQLite"));
    QFile(otherText.section(u'=', 2).chopped(1)).open(QIODevice::WriteOnly);
    auto other = Db::open(otherText);
    try {
        DatabaseCopy::copy(*old, *other);
        QFAIL("a version-0 source was copied");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(QStringLiteral("version 0")), qPrintable(e.serverText()));
    }
    // Refused before anything was made there: the target still has no tables.
    QCOMPARE(DatabaseCopy::countRows(*other).first().rows, -1);
}

// The rebuild later steps use where SQLite cannot ALTER a column: rows, indexes and the
// key counter survive, in one transaction.
void tst_SchemaUpgrade::rebuiltTableKeepsRowsIndexesAndKeys()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("PostgreSQL's ALTER TABLE changes columns in place; the rebuild is SQLite's");
    auto db = TestDb::fresh(server);
    DatabaseTool::fillDemo(*db, QDate::currentDate());
    const QStringList before = rowsOf(*db, true);
    const qint64 top = db->firstRow(QStringLiteral("SELECT MAX(ID) FROM Tickets"))->value(0).toLongLong();
    // The highest ticket gone: its number is never handed out again.
    db->exec(QStringLiteral("DELETE FROM Tickets WHERE ID = ?"), {top});
    QStringList columns;
    const SchemaTable &tickets = SchemaTables::table(QStringLiteral("Tickets"));
    for (const SchemaColumn &c : tickets.columns)
        columns << c.name;
    {
        Transaction transaction(*db);
        SchemaUpgrade::rebuildTable(*db, tickets, columns);
        transaction.commit();
    }
    QCOMPARE(db->insert(QStringLiteral("Tickets"), {{"Location", 1}}).toLongLong(), top + 1);
    db->exec(QStringLiteral("DELETE FROM Tickets WHERE ID = ?"), {top + 1});
    QStringList expected = before;
    expected.removeIf([&](const QString &row) { return row.startsWith(QStringLiteral("Tickets:%1|").arg(top)); });
    QCOMPARE(rowsOf(*db, true), expected);
    QStringList indexes;
    for (const QSqlRecord &r : db->rows(QStringLiteral("SELECT name FROM pragma_index_list('Tickets') ORDER BY name")))
        indexes << r.value(0).toString();
    QCOMPARE(indexes, (QStringList{"Tickets_Customer_Date_Total", "Tickets_DateEntered", "Tickets_Location_ID"}));
}

// An upgraded station's database ends with the same indexes as one made new, the wider
// customer indexes in place of the narrower ones.
void tst_SchemaUpgrade::upgradedIndexesAsNew()
{
    QFETCH_GLOBAL(QString, server);
    auto indexesOf = [&](Db &db) {
        const QString sql = server == QLatin1String("SQLite")
                                ? QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'index' AND "
                                                 "name NOT LIKE 'sqlite_autoindex%' ORDER BY 1")
                                : QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = current_schema() AND "
                                                 "indexname NOT LIKE '%_pkey' ORDER BY 1");
        QStringList names;
        for (const QSqlRecord &r : db.rows(sql))
            names << r.value(0).toString();
        return names;
    };
    QStringList made;
    {
        auto fresh = TestDb::fresh(server);
        made = indexesOf(*fresh);
    }
    QVERIFY(made.contains(QStringLiteral("tickets_customer_date_total")));
    QVERIFY(made.contains(QStringLiteral("payments_customer_date_amount")));
    QVERIFY(!made.contains(QStringLiteral("tickets_customerid")));
    auto db = TestDb::freshAtVersionZero(server);
    QVERIFY(indexesOf(*db).contains(QStringLiteral("tickets_customerid")));
    SchemaUpgrade::upgrade(*db);
    QCOMPARE(indexesOf(*db), made);
}

QTEST_GUILESS_MAIN(tst_SchemaUpgrade)
#include "tst_schemaupgrade.moc"
