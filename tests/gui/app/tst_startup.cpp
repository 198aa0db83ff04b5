// The program as a process: start-up failures end it with the error's text and a
// non-zero status, and a second copy on the same machine refuses to run.
//
// The program is started with AMS_MESSAGES=stderr, so every message it shows is printed
// as "title: text" and answered at once, and with TMPDIR set to the test's own folder,
// so its single-copy lock is the test's alone.

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString amsProgram()
{
    const QString dir = qEnvironmentVariable("AMS_BIN_DIR");
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("ams"));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void failures_data();
    void failures();
    void otherSchemaVersionRefused_data();
    void otherSchemaVersionRefused();
    void connectionTextWithoutFinalSemicolon();
    void wrongCommandLine();
    void secondCopyRefuses();
    void crashedCopyLeavesNoStuckLock();

private:
    void writeConfig(const QString &text);
    QProcess *start(const QStringList &arguments);
    QString lockPath() const { return m_dir->filePath(QStringLiteral("AccountManagementSoftware.lock")); }
    // Waits until the lock file names the process, i.e. it runs past its start-up.
    bool holdsLock(QProcess *process);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_database;
    QString m_config;
    QList<QProcess *> m_processes;
};

void TestStartup::initTestCase()
{
    QVERIFY2(QFile::exists(amsProgram()), "AMS_BIN_DIR must name the folder of the built program");
}

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_database = m_dir->filePath(QStringLiteral("demo.db"));
    QFile file(m_database);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    auto db = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(m_database));
    DatabaseTool::createSchema(*db);
    db->insert(QStringLiteral("Company"),
               {{"ID", 1}, {"Name", "North Station"}, {"State", "MO"}, {"KeyPressDelay", 1.0}, {"Tax", 0.0825}}, QString());
    m_config = m_dir->filePath(QStringLiteral("config.txt"));
    writeConfig(QStringLiteral("AMS\nConnection,Provider=SQLite;Data Source=%1;\nWorkstation,WS1\nAdmin,1\nLocation,1\n")
                    .arg(m_database));
}

void TestStartup::cleanup()
{
    for (QProcess *p : m_processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
        delete p;
    }
    m_processes.clear();
    m_dir.reset();
}

void TestStartup::writeConfig(const QString &text)
{
    QFile file(m_config);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QProcess *TestStartup::start(const QStringList &arguments)
{
    auto *p = new QProcess;
    m_processes.append(p);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("AMS_MESSAGES"), QStringLiteral("stderr"));
    env.insert(QStringLiteral("TMPDIR"), m_dir->path());
    p->setProcessEnvironment(env);
    p->start(amsProgram(), arguments);
    p->waitForStarted(10000);
    return p;
}

bool TestStartup::holdsLock(QProcess *process)
{
    for (int i = 0; i < 200; ++i) {
        QFile lock(lockPath());
        if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == process->processId())
            return true;
        if (process->state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return false;
}

void TestStartup::failures_data()
{
    QTest::addColumn<QString>("config"); // written to config.txt; "-" writes none
    QTest::addColumn<QString>("message");

    QTest::newRow("no config.txt") << "-"
                                   << "File not found:";
    QTest::newRow("fewer than nine items") << "AMS\nConnection,x;\nWorkstation,WS1\nAdmin,1\n"
                                           << "Input past end of file";
    QTest::newRow("a connection text naming an unknown provider")
        << "AMS\nConnection,Provider=Nothing;\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "Unknown database provider in the connection text: Nothing";
    QTest::newRow("a database file that is not there, looked for beside the config.txt naming it")
        << "AMS\nConnection,Provider=SQLite;Data Source=nowhere.db;\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "{dir}/nowhere.db does not exist";
    QTest::newRow("a password glued to the port is not shown")
        << "AMS\nConnection,Provider=PostgreSQL;Server=127.0.0.1;Database=ams;UID=ams;Port=55432PWD=Sesame-42\nWorkstation,"
           "WS1\nAdmin,1\nLocation,1\n"
        << "Port is not a number: 55432PWD=********";
    QTest::newRow("a NUL in the workstation")
        << QStringLiteral("AMS\nConnection,Provider=SQLite;Data Source={db};\nWorkstation,WS%11\nAdmin,1\nLocation,1\n")
               .arg(QChar(0))
        << "The Workstation value (item 5) cannot hold tabs, line breaks or other control characters.";
    QTest::newRow("a configuration file that is a folder") << "/"
                                                           << "it is not a regular file";
    QTest::newRow("a database server that refuses the connection")
        << "AMS\nConnection,Provider=PostgreSQL;Server=127.0.0.1;Port=1;Database=ams;UID=ams;\nWorkstation,WS1\nAdmin,"
           "1\nLocation,1\n"
        << "Connection refused";
    QTest::newRow("a database without the Company table fails the Company query")
        << "AMS\nConnection,Provider=SQLite;Data Source={empty};\nWorkstation,WS1\nAdmin,1\nLocation,1\n"
        << "no such table: Company";
}

void TestStartup::failures()
{
    QFETCH(QString, config);
    QFETCH(QString, message);
    const QString empty = m_dir->filePath(QStringLiteral("empty.db"));
    QFile emptyFile(empty);
    QVERIFY(emptyFile.open(QIODevice::WriteOnly));
    emptyFile.close();
    auto fill = [&](QString text) {
        return text.replace(QLatin1String("{db}"), m_database)
            .replace(QLatin1String("{empty}"), empty)
            .replace(QLatin1String("{dir}"), m_dir->path());
    };
    message = fill(message);
    if (config == QLatin1String("-")) {
        QFile::remove(m_config);
    } else if (config == QLatin1String("/")) {
        QFile::remove(m_config);
        QVERIFY(QDir().mkdir(m_config));
    } else
        writeConfig(fill(config));

    QProcess *p = start({QStringLiteral("--config"), m_config});
    QVERIFY2(p->waitForFinished(20000), "the program did not end");
    const QString err = QString::fromUtf8(p->readAllStandardError());
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 1);
    QVERIFY2(err.contains(QLatin1String("Account Management Software: ")), qPrintable(err));
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!QFile::exists(lockPath()));
}

void TestStartup::otherSchemaVersionRefused_data()
{
    QTest::addColumn<int>("version"); // 0: the SchemaVersion table is dropped
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const int newest = SchemaUpgrade::newestVersion();
    const QString upgrade = QStringLiteral("The database is at version 0; this program needs %1. "
                                           "Run: amsdb upgrade \"Provider=SQLite;Data Source={db};\"")
                                .arg(newest);
    const QString newer =
        QStringLiteral("The database is at version %1; this program knows versions up to %2.").arg(newest + 1).arg(newest);
    const QStringList report{QStringLiteral("--report"), QStringLiteral("account-balance"), QStringLiteral("--csv"),
                             QStringLiteral("{dir}/balances.csv")};
    QTest::newRow("the program on a database from before versions") << 0 << QStringList() << upgrade;
    QTest::newRow("a report on a database from before versions") << 0 << report << upgrade;
    QTest::newRow("the program on a database newer than it knows") << newest + 1 << QStringList() << newer;
    QTest::newRow("a report on a database newer than it knows") << newest + 1 << report << newer;
}

// The program and its command-line reports refuse a database of another schema version
// before they read or write anything, saying what to do.
void TestStartup::otherSchemaVersionRefused()
{
    QFETCH(int, version);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    // The configured text with a password of its own, which the message must not show.
    writeConfig(
        QStringLiteral("AMS\nConnection,\"Provider=SQLite;Data Source=%1;PWD=secret-9;\"\nWorkstation,WS1\nAdmin,1\nLocation,2\n")
            .arg(m_database));
    {
        auto db = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(m_database));
        if (version == 0)
            db->exec(QStringLiteral("DROP TABLE SchemaVersion"));
        else
            db->exec(QStringLiteral("UPDATE SchemaVersion SET Version = ?"), {version});
    }
    QFile before(m_database);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    for (QString &a : arguments)
        a.replace(QLatin1String("{dir}"), m_dir->path());
    QProcess *p = start(arguments << QStringLiteral("--config") << m_config);
    QVERIFY2(p->waitForFinished(20000), "the program did not end");
    const QString err = QString::fromUtf8(p->readAllStandardError());
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 1);
    QVERIFY2(err.contains(message.replace(QLatin1String("{db}"), m_database)), qPrintable(err));
    QVERIFY2(!err.contains(QLatin1String("secret-9")), qPrintable(err));
    // Nothing written: no report, no lock, and location 2 (which has no Company row) got
    // no company screen to fill in; the database file is as it was.
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("balances.csv"))));
    QVERIFY(!QFile::exists(lockPath()));
    QVERIFY2(!err.contains(QLatin1String("Company")), qPrintable(err));
    auto db = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(m_database));
    QCOMPARE(SchemaUpgrade::versionOf(*db), version);
    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Company"))->value(0).toInt(), 1);
}

// The program's password goes after a ";" of its own, so the file name stays whole.
void TestStartup::connectionTextWithoutFinalSemicolon()
{
    writeConfig(
        QStringLiteral("AMS\nConnection,Provider=SQLite;Data Source=%1\nWorkstation,WS1\nAdmin,1\nLocation,1\n").arg(m_database));
    QProcess *p = start({QStringLiteral("--config"), m_config});
    QVERIFY2(holdsLock(p), p->readAllStandardError().constData());
}

void TestStartup::wrongCommandLine()
{
    QProcess *p = start({QStringLiteral("--config")});
    QVERIFY(p->waitForFinished(20000));
    QCOMPARE(p->exitCode(), 2);
    QVERIFY(QString::fromUtf8(p->readAllStandardError()).contains(QLatin1String("usage")));
}

void TestStartup::secondCopyRefuses()
{
    QProcess *first = start({QStringLiteral("--config"), m_config});
    QVERIFY2(holdsLock(first), first->readAllStandardError().constData());

    QProcess *second = start({QStringLiteral("--config=") + m_config});
    QVERIFY2(second->waitForFinished(20000), "the second copy did not end");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(second->readAllStandardError()).trimmed().split(u'\n').last(),
             QStringLiteral("Application Already Running: This application is already running."));

    // The first copy runs on, still holding the lock.
    QTest::qWait(200);
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(holdsLock(first));
}

void TestStartup::crashedCopyLeavesNoStuckLock()
{
    QProcess *crashed = start({QStringLiteral("--config"), m_config});
    QVERIFY(holdsLock(crashed));
    crashed->kill();
    QVERIFY(crashed->waitForFinished(5000));
    QVERIFY(QFile::exists(lockPath()));

    QProcess *next = start({QStringLiteral("--config"), m_config});
    QVERIFY2(holdsLock(next), next->readAllStandardError().constData());
    QCOMPARE(next->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
