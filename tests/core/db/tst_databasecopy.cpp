// "amsdb copy": a station's data moved from one database to another and back with every
// row, key and value as it was; key counters ahead of the copied keys; a target that
// holds rows refused; a copy that fails part-way leaves the target as it was.

#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/SchemaTables.h"
#include "tickets/TicketStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

QString otherServer(const QString &server)
{
    return server == QLatin1String("SQLite") ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// Runs the installed-alike tool of this build. TZ is a zone with daylight saving time,
// where a date-time that passed through a local clock would move.
Run amsdb(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("America/Chicago"));
    p.setProcessEnvironment(env);
    p.start(QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(QStringLiteral("amsdb")), args);
    if (!p.waitForFinished(240000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Every row of a table as texts that mean the same on both servers, sorted: NULL apart
// from an empty text, texts quoted as they are, numbers to the last bit of a double,
// dates and times as their stored text.
QStringList tableRows(Db &db, const SchemaTable &table)
{
    QStringList selected;
    for (const SchemaColumn &c : table.columns) {
        const QString name = c.name == QLatin1String("Limit") ? db.dialect().limitColumn() : c.name;
        selected << (c.kind == SchemaColumn::Kind::DateTime ? db.dialect().dateTimeText(name)
                     : c.kind == SchemaColumn::Kind::Date   ? db.dialect().dateText(name)
                                                            : name);
    }
    QSqlQuery q(db.database());
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(selected.join(u','), table.name)))
        return {QStringLiteral("query failed: ") + q.lastQuery()};
    QStringList rows;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < table.columns.size(); ++i) {
            const QVariant v = q.value(i);
            if (v.isNull()) {
                values << QStringLiteral("NULL");
                continue;
            }
            switch (table.columns[i].kind) {
            case SchemaColumn::Kind::Text:
                values << u'\'' + v.toString() + u'\'';
                break;
            case SchemaColumn::Kind::Whole:
            case SchemaColumn::Kind::Flag:
                values << QString::number(v.toLongLong());
                break;
            case SchemaColumn::Kind::Number:
            case SchemaColumn::Kind::Money:
                values << QString::number(v.toString().toDouble(), 'g', 17);
                break;
            case SchemaColumn::Kind::DateTime:
            case SchemaColumn::Kind::Date:
                values << v.toString();
                break;
            }
        }
        rows << values.join(QStringLiteral(" | "));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The first row that differs between two databases, or "" when every table is equal.
QString firstDifference(Db &a, Db &b)
{
    for (const SchemaTable &table : SchemaTables::all()) {
        const QStringList left = tableRows(a, table), right = tableRows(b, table);
        if (left.size() != right.size())
            return QStringLiteral("%1: %2 rows instead of %3").arg(table.name).arg(right.size()).arg(left.size());
        for (qsizetype i = 0; i < left.size(); ++i)
            if (left[i] != right[i])
                return QStringLiteral("%1:\n  %2\ninstead of\n  %3").arg(table.name, right[i], left[i]);
    }
    return {};
}

qint64 count(Db &db, const QString &table)
{
    return db.firstRow(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table))->value(0).toLongLong();
}

// Rows the demo does not have: texts with quotes, blanks, line ends and letters beyond
// ASCII, empty texts beside NULLs, amounts no cent rounding made, a ticket from before
// the DEF line, and times that a clock with daylight saving time skips or repeats.
void addAwkwardRows(Db &db)
{
    const SqlDialect &d = db.dialect();
    const QString id = QStringLiteral("O'N\"1");
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", QStringLiteral("O'Neill \"Big\" Haul\\ing  ")},
               {"Address1", QString("")},
               {"Address2", QVariant(QMetaType(QMetaType::QString))},
               {"City", QStringLiteral("Ñandú ✓ Städtle")},
               {"State", "TX"},
               {"Contact", QStringLiteral("line one\nline two\tend")},
               {"Inactive", d.flag(false)},
               {"CurrentBalance", 33.330000000000005},
               {"Limit", 999999999.99},
               {"WarnAt", 0.1 + 0.2},
               {"AcctOnHold", d.flag(false)},
               {"DateEntered", "2026-03-08 02:30:00"}},
              QString());
    db.insert(QStringLiteral("Cards"),
              {{"CustomerID", id},
               {"CardNo", "01"},
               {"CardType", "1"},
               {"InActive", d.flag(false)},
               {"CardNote", QString(250, QChar(u'é'))}},
              QString());
    db.insert(QStringLiteral("Tickets"), {{"CustomerID", id},
                                          {"CardNo", "01"},
                                          {"Clerk", " "},
                                          {"TruckNumber", ""},
                                          {"GasGallons", 1e-7},
                                          {"GasPriceEach", 3.199},
                                          {"GasPriceExt", 33.330000000000005},
                                          {"Subtotal", 33.330000000000005},
                                          {"Tax", 0},
                                          {"Total", 33.330000000000005},
                                          {"WorkStationID", "WS'1"},
                                          {"Location", 1},
                                          {"DateEntered", "2026-11-01 01:30:00"}});
    db.insert(QStringLiteral("Payments"), {{"Customer", id},
                                           {"PaymentDate", "2026-03-08"},
                                           {"Amount", 0},
                                           {"CheckNum", QString("")},
                                           {"EntryDate", "2026-03-08 00:00:00"}});
}

TicketRecord aTicket()
{
    TicketRecord t;
    t.customerId = QStringLiteral("1001");
    t.cardNo = QStringLiteral("01");
    t.details.clerk = QStringLiteral("AFTER COPY");
    t.amounts.fuel[TicketLines::Diesel].gallons = QStringLiteral("10");
    t.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.899");
    TicketLines::figure(t.amounts, 0.0825);
    return t;
}

// A new row in every table whose keys the server hands out gets a key above the
// highest copied one; a new ticket is saved as the ticket screen saves it.
QString keysBehind(Db &db, const QMap<QString, qint64> &highest)
{
    const QMap<QString, ColumnValues> newRows = {
        {QStringLiteral("CashTickets"), {{"Customer", "After Copy"}}},
        {QStringLiteral("Payments"), {{"Customer", "1001"}, {"Amount", 1}}},
        {QStringLiteral("GiftCardTransactions"), {{"CardID", "600100001"}, {"Amount", 0}}},
    };
    for (const SchemaTable &table : SchemaTables::all()) {
        if (!table.serverAssignsKey)
            continue;
        const qint64 key = table.name == QLatin1String("Tickets")
                               ? TicketStore::save(db, aTicket(), {QStringLiteral("WS1"), 1, QDateTime::currentDateTime()})
                               : db.insert(table.name, newRows.value(table.name)).toLongLong();
        if (key != highest.value(table.name) + 1)
            return QStringLiteral("%1: new key %2 after the copied %3").arg(table.name).arg(key).arg(highest.value(table.name));
    }
    return {};
}

QMap<QString, qint64> highestKeys(Db &db)
{
    QMap<QString, qint64> keys;
    for (const SchemaTable &table : SchemaTables::all())
        if (table.serverAssignsKey)
            keys.insert(
                table.name,
                db.firstRow(QStringLiteral("SELECT MAX(%1) FROM %2").arg(table.primaryKey, table.name))->value(0).toLongLong());
    return keys;
}

// A database on the server with the tables and nothing else, and its connection text.
std::pair<std::unique_ptr<Db>, QString> emptyTarget(const QString &server)
{
    if (server == QLatin1String("SQLite")) {
        const QString text = TestDb::emptyDatabase(server);
        QFile file(text.section(u'=', 2).chopped(1));
        file.open(QIODevice::WriteOnly);
        file.close();
        auto db = Db::open(text);
        DatabaseTool::createSchema(*db);
        return {std::move(db), text};
    }
    auto db = TestDb::fresh(server);
    return {std::move(db), TestDb::connectionText(server)};
}

std::pair<std::unique_ptr<Db>, QString> demoSource(const QString &server)
{
    auto db = TestDb::fresh(server);
    DatabaseTool::fillDemo(*db, QDate::currentDate());
    return {std::move(db), TestDb::connectionText(server)};
}

} // namespace

class tst_DatabaseCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void copiesToTheOtherServerAndBack();
    void refusesATargetThatHoldsRows();
    void refusesTheSourceAsItsOwnTarget();
    void failedCopyLeavesTheTargetEmpty();
    void refusesATargetColumnOfAnotherType_data();
    void refusesATargetColumnOfAnotherType();
    void refusesAValueChangedOnTheWay();
    void killedCopyLeavesNoNewFile();
};

void tst_DatabaseCopy::copiesToTheOtherServerAndBack()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(server);
    addAwkwardRows(*source);
    QCOMPARE(TestDb::wrongBalances(*source), QStringList());

    // Onto the other server, into a database without tables, and from there back into
    // another one on this server.
    const QString otherText = TestDb::emptyDatabase(otherServer(server));
    const Run there = amsdb({"copy", sourceText, otherText});
    QVERIFY2(there.status == 0, qPrintable(there.err));
    const QString backText = TestDb::emptyDatabase(server);
    const Run back = amsdb({"copy", otherText, backText});
    QVERIFY2(back.status == 0, qPrintable(back.err));

    auto other = Db::open(otherText);
    auto returned = Db::open(backText);
    const QString thereDiff = firstDifference(*source, *other);
    QVERIFY2(thereDiff.isEmpty(), qPrintable(thereDiff));
    const QString backDiff = firstDifference(*source, *returned);
    QVERIFY2(backDiff.isEmpty(), qPrintable(backDiff));

    // The tool says what it copied: every table's rows and the balance check.
    for (const QString &table : DatabaseTool::tableNames()) {
        const QString line = QStringLiteral("  %1").arg(table, -22) + QStringLiteral("%1 rows").arg(count(*source, table), 9);
        QVERIFY2(there.out.contains(line), qPrintable(line + u'\n' + there.out));
    }
    QVERIFY2(there.out.contains(QStringLiteral("%1 customers, 0 with a balance that differs").arg(count(*source, "Customer"))),
             qPrintable(there.out));
    QCOMPARE(TestDb::wrongBalances(*other), QStringList());
    QCOMPARE(TestDb::wrongBalances(*returned), QStringList());

    const auto highest = highestKeys(*source);
    for (Db *copy : {other.get(), returned.get()}) {
        const QString behind = keysBehind(*copy, highest);
        QVERIFY2(behind.isEmpty(), qPrintable(copy->dialect().name() + QStringLiteral(": ") + behind));
    }
}

void tst_DatabaseCopy::refusesATargetThatHoldsRows()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(otherServer(server));
    auto [target, targetText] = emptyTarget(server);
    target->insert(QStringLiteral("Customer"), {{"ID", "9999"}, {"Name", "Already Here"}}, QString());

    const Run refused = amsdb({"copy", sourceText, targetText});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("already holds rows (1 Customer)")), qPrintable(refused.err));
    QVERIFY2(refused.err.contains(QStringLiteral("--replace")), qPrintable(refused.err));
    QCOMPARE(count(*target, "Customer"), 1);
    QCOMPARE(count(*target, "Tickets"), 0);

    // Told to, it replaces them.
    const Run replaced = amsdb({"copy", sourceText, targetText, "--replace"});
    QVERIFY2(replaced.status == 0, qPrintable(replaced.err));
    QVERIFY(target->rows(QStringLiteral("SELECT ID FROM Customer WHERE ID = ?"), {"9999"}).isEmpty());
    const QString diff = firstDifference(*source, *target);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void tst_DatabaseCopy::refusesTheSourceAsItsOwnTarget()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(server);
    const qint64 tickets = count(*source, "Tickets");
    const Run refused = amsdb({"copy", sourceText, sourceText, "--replace"});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("the same database")), qPrintable(refused.err));
    QCOMPARE(count(*source, "Tickets"), tickets);
}

void tst_DatabaseCopy::failedCopyLeavesTheTargetEmpty()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(otherServer(server));
    auto [target, targetText] = emptyTarget(server);
    // The target refuses one ticket in the middle, long after the customers, cards and
    // the first tickets went in.
    if (server == QLatin1String("SQLite")) {
        target->exec(QStringLiteral("CREATE TRIGGER RefuseTicket BEFORE INSERT ON Tickets WHEN NEW.ID = 200 "
                                    "BEGIN SELECT RAISE(ABORT, 'ticket 200 refused'); END"));
    } else {
        target->exec(QStringLiteral("CREATE FUNCTION RefuseTicket() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                    "IF NEW.ID = 200 THEN RAISE EXCEPTION 'ticket 200 refused'; END IF; RETURN NEW; END $$"));
        target->exec(
            QStringLiteral("CREATE TRIGGER RefuseTicket BEFORE INSERT ON Tickets FOR EACH ROW EXECUTE FUNCTION RefuseTicket()"));
    }
    QVERIFY(count(*source, "Tickets") > 200);

    const Run failed = amsdb({"copy", sourceText, targetText});
    QCOMPARE(failed.status, 1);
    QVERIFY2(failed.err.contains(QStringLiteral("Tickets row ID 200 could not be copied")), qPrintable(failed.err));
    QVERIFY2(failed.err.contains(QStringLiteral("ticket 200 refused")), qPrintable(failed.err));
    for (const QString &table : DatabaseTool::tableNames())
        QVERIFY2(count(*target, table) == 0, qPrintable(table));
}

void tst_DatabaseCopy::refusesATargetColumnOfAnotherType_data()
{
    // The target's column, made of another type on each server.
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("postgres"); // its type there
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("a balance kept as whole numbers") << "GiftCards"
                                                     << "CardBalance"
                                                     << "integer"
                                                     << "TEXT";
    QTest::newRow("gallons kept to no decimal") << "Tickets"
                                                << "DieselGallons"
                                                << "numeric(12,0)"
                                                << "TEXT";
    QTest::newRow("money kept to the cent only") << "Customer"
                                                 << "CurrentBalance"
                                                 << "numeric(12,2)"
                                                 << "VARCHAR(20)";
    QTest::newRow("a ZIP code kept as a number, losing its leading zeros") << "Customer"
                                                                           << "Zip"
                                                                           << "bigint"
                                                                           << "INTEGER";
    QTest::newRow("a day kept with its time zone") << "Payments"
                                                   << "EntryDate"
                                                   << "timestamp with time zone"
                                                   << "REAL";
}

// A column that would round or convert the values copied into it is refused before
// anything is copied, naming the table and the column.
void tst_DatabaseCopy::refusesATargetColumnOfAnotherType()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, postgres);
    QFETCH(QString, sqlite);
    auto [source, sourceText] = demoSource(otherServer(server));
    auto [target, targetText] = emptyTarget(server);
    if (server == QLatin1String("SQLite")) {
        target->exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(table, column));
        target->exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, column, sqlite));
    } else {
        target->exec(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3 USING %2::%3").arg(table, column, postgres));
    }
    const Run refused = amsdb({"copy", sourceText, targetText});
    QCOMPARE(refused.status, 1);
    const QString type = server == QLatin1String("SQLite") ? sqlite : postgres;
    QVERIFY2(refused.err.contains(QStringLiteral("table %1 has the column %2 as %3").arg(table, column, type)),
             qPrintable(refused.err));
    for (const QString &name : DatabaseTool::tableNames())
        QVERIFY2(count(*target, name) == 0, qPrintable(name));
}

// A target that changes a value as it takes it in (here a trigger rounding gift card
// balances) holds as many rows as the source, and every customer balance agrees; the
// values themselves tell.
void tst_DatabaseCopy::refusesAValueChangedOnTheWay()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(otherServer(server));
    source->insert(QStringLiteral("GiftCards"), {{"ID", "700000042"}, {"CardBalance", 23.65}, {"Active", 1}}, QString());
    auto [target, targetText] = emptyTarget(server);
    if (server == QLatin1String("SQLite")) {
        target->exec(QStringLiteral("CREATE TRIGGER RoundBalance AFTER INSERT ON GiftCards "
                                    "BEGIN UPDATE GiftCards SET CardBalance = ROUND(CardBalance) WHERE ID = NEW.ID; END"));
    } else {
        target->exec(QStringLiteral("CREATE FUNCTION RoundBalance() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                    "NEW.CardBalance := ROUND(NEW.CardBalance); RETURN NEW; END $$"));
        target->exec(QStringLiteral(
            "CREATE TRIGGER RoundBalance BEFORE INSERT ON GiftCards FOR EACH ROW EXECUTE FUNCTION RoundBalance()"));
    }
    const Run refused = amsdb({"copy", sourceText, targetText});
    QCOMPARE(refused.status, 1);
    // Any rounded card is named, with both values.
    const auto named =
        QRegularExpression(QStringLiteral("GiftCards row ID (\\d+): the column CardBalance reads (\\d+) in the copy "
                                          "instead of (\\d+\\.\\d+); nothing was copied"))
            .match(refused.err);
    QVERIFY2(named.hasMatch(), qPrintable(refused.err));
    const double original =
        source->firstRow(QStringLiteral("SELECT CardBalance FROM GiftCards WHERE ID = ?"), {named.captured(1)})
            ->value(0)
            .toDouble();
    QCOMPARE(named.captured(3).toDouble(), original);
    QCOMPARE(named.captured(2).toDouble(), std::round(original));
    for (const QString &name : DatabaseTool::tableNames())
        QVERIFY2(count(*target, name) == 0, qPrintable(name));
}

// A new SQLite file gets its name only when the copy is whole: killed while it copies,
// the copy leaves nothing under that name for a workstation to open.
void tst_DatabaseCopy::killedCopyLeavesNoNewFile()
{
    QFETCH_GLOBAL(QString, server);
    auto [source, sourceText] = demoSource(server);
    DatabaseTool::fillCashVolume(*source, 2000, 20000, QDate::currentDate());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("new.db"));
    QProcess p;
    p.start(QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(QStringLiteral("amsdb")),
            {QStringLiteral("copy"), sourceText, QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file)});
    QVERIFY(p.waitForStarted());
    // Killed as soon as anything of the new database is on the disk.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(dir.path()).isEmpty(QDir::Files) || p.state() == QProcess::NotRunning, 60000);
    QVERIFY2(p.state() == QProcess::Running, "the copy ended before it could be killed");
    p.kill();
    p.waitForFinished();
    QVERIFY(!QFile::exists(file));
    QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
}

QTEST_GUILESS_MAIN(tst_DatabaseCopy)
#include "tst_databasecopy.moc"
