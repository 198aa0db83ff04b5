// "amsdb backup": a whole, consistent copy of an SQLite database taken while another
// workstation goes on saving tickets; a server database is sent to its own tools.

#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString binary(const QString &name) { return QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(name); }

std::pair<int, QString> amsdb(const QStringList &args)
{
    QProcess p;
    p.start(binary(QStringLiteral("amsdb")), args);
    if (!p.waitForFinished(240000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

qint64 tickets(Db &db) { return db.firstRow(QStringLiteral("SELECT COUNT(*) FROM Tickets"))->value(0).toLongLong(); }

// The number of tickets the worker has said it saved so far.
int savedSoFar(QProcess &worker, int &saved)
{
    while (worker.canReadLine()) {
        const QByteArray line = worker.readLine().trimmed();
        if (line.startsWith("saved "))
            saved = line.mid(6).toInt();
    }
    return saved;
}

} // namespace

class tst_DatabaseBackup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void backupWhileTicketsAreSaved();
};

void tst_DatabaseBackup::backupWhileTicketsAreSaved()
{
    QFETCH_GLOBAL(QString, server);
    QTemporaryDir dir;
    auto db = TestDb::fresh(server);
    DatabaseTool::fillDemo(*db, QDate::currentDate());
    const QString text = TestDb::connectionText(server);

    if (server != QLatin1String("SQLite")) {
        const auto [status, output] = amsdb({"backup", text, dir.filePath("server.db")});
        QCOMPARE(status, 1);
        QVERIFY2(output.contains(QStringLiteral("with the server's own tools")), qPrintable(output));
        QVERIFY(!QFile::exists(dir.filePath("server.db")));
        return;
    }

    // Enough rows that a backup takes a while, saved tickets and all.
    DatabaseTool::fillVolume(*db, 300, 60000, QDate::currentDate());
    const qint64 before = tickets(*db);

    QProcess worker;
    worker.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ticketworker"), {text, QStringLiteral("1000000")});
    QVERIFY(worker.waitForStarted(10000));
    int saved = 0;
    QTRY_VERIFY_WITH_TIMEOUT(savedSoFar(worker, saved) >= 20, 60000);

    QStringList files;
    int savedDuringBackups = 0;
    for (int n = 0; n < 3; ++n) {
        const int savedBefore = savedSoFar(worker, saved);
        const QString file = dir.filePath(QStringLiteral("backup%1.db").arg(n));
        const auto [status, output] = amsdb({"backup", text, file});
        QVERIFY2(status == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("(integrity check: ok)")), qPrintable(output));
        QTest::qWait(50);
        savedDuringBackups += savedSoFar(worker, saved) - savedBefore;
        QCOMPARE(worker.state(), QProcess::Running);
        files << file;
    }
    worker.kill();
    worker.waitForFinished(10000);
    // The workstation was not held up while the backups ran.
    QVERIFY2(savedDuringBackups > 0, "no ticket was saved while the backups ran");

    const qint64 after = tickets(*db);
    qint64 previous = before;
    for (const QString &file : files) {
        QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
        auto copy = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file));
        QCOMPARE(copy->firstRow(QStringLiteral("PRAGMA integrity_check"))->value(0).toString(), QStringLiteral("ok"));
        const QStringList wrong = TestDb::wrongBalances(*copy);
        QVERIFY2(wrong.isEmpty(), qPrintable(file + u' ' + wrong.join(u',')));
        // Each backup holds the tickets saved up to its moment, and a later one more.
        const qint64 held = tickets(*copy);
        QVERIFY2(held > previous && held <= after, qPrintable(QStringLiteral("%1 tickets, after %2").arg(held).arg(previous)));
        previous = held;
    }

    // An existing file is never overwritten, nor is anything left beside it.
    QFile first(files.first());
    QVERIFY(first.open(QIODevice::ReadOnly));
    const QByteArray kept = first.readAll();
    first.close();
    const auto [status, output] = amsdb({"backup", text, files.first()});
    QCOMPARE(status, 1);
    QVERIFY2(output.contains(QStringLiteral("already exists")), qPrintable(output));
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY(first.readAll() == kept);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), files.size());
}

QTEST_GUILESS_MAIN(tst_DatabaseBackup)
#include "tst_databasebackup.moc"
