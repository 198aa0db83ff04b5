// A PostgreSQL server stopped and started again under a workstation that saves entries
// one after another (restartworker), once stopped "fast" (every connection told to go)
// and once "immediate" (as a crash). Afterwards every entry is stored exactly once or
// was reported not stored, balances still follow their rows, and the workstation saves
// again after each restart without being started anew. The server is one of the
// test's own (scripts/start-postgres), never the one other tests share.

#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"

#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString kCustomer = QStringLiteral("1001");
const QString kGiftCard = QStringLiteral("700000001");
// Saves the workstation must report done between two steps of the test.
constexpr int kSavesBetween = 15;

// pg_ctl of the newest PostgreSQL installed, run as the server's owner: the postgres
// user when the test runs as root, as scripts/start-postgres does it.
bool pgCtl(const QStringList &arguments, QString *output)
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    if (versions.isEmpty()) {
        *output = QStringLiteral("no PostgreSQL server installed");
        return false;
    }
    const QString pgctl = QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(versions.last());
    QProcess p;
    // The server started keeps whatever it inherits open: it gets nothing of ours.
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    if (geteuid() == 0)
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), pgctl} + arguments);
    else
        p.start(pgctl, arguments);
    if (!p.waitForFinished(90000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *output = QStringLiteral("pg_ctl %1 failed (exit %2)").arg(arguments.join(u' ')).arg(p.exitCode());
        return false;
    }
    return true;
}

// What the workstation reported of each entry, read as it prints.
struct Reports
{
    QProcess process;
    QByteArray pending;
    QHash<int, QString> outcome; // "stored", "failed" or "unknown"
    QStringList failures;
    int stored = 0;
    int reconnected = 0;

    void read()
    {
        pending += process.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const QString word = line.section(u' ', 0, 0);
            if (word == QLatin1String("notice")) {
                if (line.endsWith(QLatin1String("Connection to the database lost; reconnected")))
                    ++reconnected;
                continue;
            }
            outcome.insert(line.section(u' ', 1, 1).toInt(), word);
            if (word == QLatin1String("stored"))
                ++stored;
            else
                failures << line;
        }
    }

    // Waits until `more` further saves were reported done; false after the time.
    bool waitForSaves(int more, int msecs)
    {
        const int target = stored + more;
        QElapsedTimer timer;
        timer.start();
        while (stored < target && timer.elapsed() < msecs && process.state() == QProcess::Running) {
            process.waitForReadyRead(200);
            read();
        }
        return stored >= target;
    }
};

int count(Db &db, const QString &sql, const QVariant &value) { return db.firstRow(sql, {value})->value(0).toInt(); }

// How often entry n is stored, looked for by its tag in the table its road writes.
int timesStored(Db &db, int n)
{
    const QString tag = QStringLiteral("R%1").arg(n);
    switch (n % 8) {
    case 0:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE TruckNumber = ?"), tag);
    case 1:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE Customer = ?"), QStringLiteral("CASH ") + tag);
    case 2:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM Payments WHERE CheckNum = ?"), tag);
    case 3:
    case 4:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE Clerk = ?"), tag);
    case 5:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CardNo = ?"), tag);
    case 6:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE ID = ?"), tag);
    default:
        return count(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE WorkStationID = ?"), tag);
    }
}

} // namespace

class tst_ServerRestart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyEntryStoredOnceOrReportedNotStored();

private:
    QTemporaryDir m_dir;
    QString m_connection;
};

void tst_ServerRestart::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess start;
    start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    start.start(QStringLiteral(AMS_SOURCE_DIR "/scripts/start-postgres"), {m_dir.path()});
    QVERIFY2(start.waitForFinished(180000) && start.exitCode() == 0, "scripts/start-postgres did not start a server");
    m_connection = QString::fromUtf8(start.readAllStandardOutput()).trimmed() + QStringLiteral("PWD=QZ;");

    auto db = Db::open(m_connection);
    DatabaseTool::dropSchema(*db);
    DatabaseTool::createSchema(*db);
    db->insert(QStringLiteral("Customer"),
               {{"ID", kCustomer},
                {"Name", "SMITH TRUCKING"},
                {"Inactive", 0},
                {"CurrentBalance", 0},
                {"Limit", 100000000},
                {"WarnAt", 0.8},
                {"AcctOnHold", 0}},
               QString());
    db->insert(QStringLiteral("Cards"), {{"CustomerID", kCustomer}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}},
               QString());
    db->insert(QStringLiteral("Company"), {{"ID", 1}, {"Name", "Station"}}, QString());
    GiftCardStore::sell(*db, kGiftCard, 100000, QStringLiteral("SETUP"), QString(), {QStringLiteral("WS0"), 1, {}});
}

void tst_ServerRestart::cleanupTestCase()
{
    QProcess::execute(QStringLiteral(AMS_SOURCE_DIR "/scripts/stop-test-servers"), {m_dir.path()});
}

void tst_ServerRestart::everyEntryStoredOnceOrReportedNotStored()
{
    const QString data = m_dir.filePath(QStringLiteral("pg"));
    const QString stopFile = m_dir.filePath(QStringLiteral("stop-worker"));
    Reports reports;
    reports.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reports.process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/restartworker"), {m_connection, stopFile});
    QVERIFY2(reports.process.waitForStarted(), qPrintable(reports.process.errorString()));
    QVERIFY2(reports.waitForSaves(kSavesBetween, 30000), "the workstation did not save before the restarts");

    QString error;
    int reconnects = 0;
    for (const QString &mode : {QStringLiteral("fast"), QStringLiteral("immediate")}) {
        QVERIFY2(
            pgCtl({QStringLiteral("-D"), data, QStringLiteral("-m"), mode, QStringLiteral("-w"), QStringLiteral("stop")}, &error),
            qPrintable(error));
        // As the issue saw it: the server comes back a few seconds later, while the
        // workstation goes on trying to save.
        QTest::qWait(3000);
        reports.read();
        QVERIFY2(pgCtl({QStringLiteral("-D"), data, QStringLiteral("-l"), m_dir.filePath(QStringLiteral("pg.log")),
                        QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
                       &error),
                 qPrintable(error));
        QVERIFY2(reports.waitForSaves(kSavesBetween, 40000),
                 qPrintable(QStringLiteral("no save succeeded after the %1 restart; the last reports: %2")
                                .arg(mode, reports.failures.mid(reports.failures.size() - 3).join(u'\n'))));
        ++reconnects;
        QCOMPARE(reports.reconnected, reconnects);
    }

    QFile(stopFile).open(QIODevice::WriteOnly);
    QVERIFY(reports.process.waitForFinished(30000));
    reports.read();
    QCOMPARE(reports.process.exitCode(), 0);

    auto db = Db::open(m_connection);
    QStringList wrong;
    for (auto it = reports.outcome.cbegin(); it != reports.outcome.cend(); ++it) {
        const int times = timesStored(*db, it.key());
        const bool right = it.value() == QLatin1String("stored")   ? times == 1
                           : it.value() == QLatin1String("failed") ? times == 0
                                                                   : times <= 1;
        if (!right)
            wrong << QStringLiteral("entry %1 reported %2 is stored %3 times").arg(it.key()).arg(it.value()).arg(times);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    QVERIFY2(TestDb::wrongBalances(*db).isEmpty(), qPrintable(TestDb::wrongBalances(*db).join(u'\n')));
    QVERIFY2(TestDb::wrongGiftCardBalances(*db).isEmpty(), qPrintable(TestDb::wrongGiftCardBalances(*db).join(u'\n')));
    // The server is back within seconds, well inside the tries: the entry a restart
    // caught half-way is finished on the new connection, not given up.
    QVERIFY2(reports.failures.isEmpty(), qPrintable(reports.failures.join(u'\n')));
    QVERIFY(reports.stored > 3 * kSavesBetween);
}

QTEST_GUILESS_MAIN(tst_ServerRestart)
#include "tst_serverrestart.moc"
