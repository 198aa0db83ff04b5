// The website's configuration file: what it takes, and every setting that would leave the
// portal unsafe or unusable refused with a message naming the line or the setting.

#include "app/PortalConfig.h"

#include <QTemporaryDir>
#include <QTest>

#include <thread>

class tst_PortalConfig : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void defaultsWithoutTheirLines();
};

void tst_PortalConfig::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    const QString sqlite = QStringLiteral("Connection = Provider=SQLite;Data Source=demo.db;\n");
    QTest::newRow("plain HTTP on the loopback address") << sqlite + "Listen = 127.0.0.1\nPort = 8080\n"
                                                        << "";
    QTest::newRow("plain HTTP on the IPv6 loopback address") << sqlite + "Listen = ::1\n"
                                                             << "";
    QTest::newRow("names in any letter case, comments and blank lines")
        << "# the portal\n\n  connection = Provider=SQLite;Data Source=x.db;\nSESSIONMINUTES = 5\n"
        << "";
    QTest::newRow("TLS on every address") << sqlite + "Listen = 0.0.0.0\nTlsCertificate = a.crt\nTlsKey = a.key\n"
                                          << "";
    QTest::newRow("plain HTTP on every address")
        << sqlite + "Listen = 0.0.0.0\n"
        << "Plain HTTP is only served on a loopback address (127.0.0.1); set TlsCertificate and TlsKey to listen on 0.0.0.0.";
    QTest::newRow("plain HTTP on a network address") << sqlite + "Listen = 192.168.1.5\n"
                                                     << "Plain HTTP is only served";
    QTest::newRow("a certificate without its key") << sqlite + "TlsCertificate = a.crt\n"
                                                   << "TlsCertificate and TlsKey go together";
    QTest::newRow("a host name to listen on") << sqlite + "Listen = localhost\n"
                                              << "Listen must be an IP address, not localhost.";
    QTest::newRow("no connection") << "Listen = 127.0.0.1\n"
                                   << "Connection is not set.";
    QTest::newRow("a port past the last") << sqlite + "Port = 70000\n"
                                          << "line 2: 70000 is not a usable value for Port.";
    QTest::newRow("a session of no minutes") << sqlite + "SessionMinutes = 0\n"
                                             << "line 2: 0 is not a usable value for SessionMinutes.";
    QTest::newRow("a session of letters") << sqlite + "SessionMinutes = half an hour\n"
                                          << "is not a usable value for SessionMinutes.";
    QTest::newRow("a misspelt setting") << sqlite + "SessionMinute = 5\n"
                                        << "line 2: unknown setting SessionMinute.";
    QTest::newRow("a line without a value") << sqlite + "Listen\n"
                                            << "line 2: expected Name = value.";
    QTest::newRow("a location number") << sqlite + "Location = 12\n"
                                       << "";
    QTest::newRow("a location that is not a number") << sqlite + "Location = 1; DROP TABLE Company\n"
                                                     << "line 2: 1; DROP TABLE Company is not a usable value for Location.";
    QTest::newRow("a location wider than its column") << sqlite + "Location = 123456789012\n"
                                                      << "is not a usable value for Location.";
    QTest::newRow("database work one request at a time, a short wait")
        << sqlite + "DatabaseWorkers = 1\nDatabaseWaitSeconds = 0.5\n"
        << "";
    QTest::newRow("no request allowed to read the database") << sqlite + "DatabaseWorkers = 0\n"
                                                             << "line 2: 0 is not a usable value for DatabaseWorkers.";
    QTest::newRow("more database workers than requests served at once")
        << sqlite + "DatabaseWorkers = 17\n"
        << "line 2: 17 is not a usable value for DatabaseWorkers.";
    QTest::newRow("a fraction of a database worker") << sqlite + "DatabaseWorkers = 1.5\n"
                                                     << "1.5 is not a usable value for DatabaseWorkers.";
    QTest::newRow("no wait for a database turn") << sqlite + "DatabaseWaitSeconds = 0\n"
                                                 << "line 2: 0 is not a usable value for DatabaseWaitSeconds.";
    QTest::newRow("a wait for a database turn past the request's own time")
        << sqlite + "DatabaseWaitSeconds = 30\n"
        << "line 2: 30 is not a usable value for DatabaseWaitSeconds.";
    QTest::newRow("a proxy flag other than 0 or 1") << sqlite + "BehindProxy = yes\n"
                                                    << "yes is not a usable value for BehindProxy.";
}

void tst_PortalConfig::read()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("portal.conf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    PortalConfig config;
    QString said;
    const bool ok = PortalConfig::read(file.fileName(), &config, &said);
    QCOMPARE(ok, error.isEmpty());
    if (ok) {
        // A connection text keeps its = and ; signs, and a relative file lies beside the file.
        QVERIFY(config.connection.startsWith(QLatin1String("Provider=SQLite;Data Source=")));
        QVERIFY(config.connection.endsWith(QLatin1Char(';')));
        QCOMPARE(config.baseDir, dir.path());
    } else {
        QVERIFY2(said.contains(error), qPrintable(said));
        QVERIFY2(said.startsWith(file.fileName()), qPrintable(said));
    }
}

void tst_PortalConfig::defaultsWithoutTheirLines()
{
    // What a station gets without a line for each: the sign-in lock's numbers are stated
    // to the fleets, and tst_portal drives the lock with a lower address limit.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("portal.conf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Connection = Provider=SQLite;Data Source=demo.db;\n");
    file.close();
    PortalConfig config;
    QString said;
    QVERIFY2(PortalConfig::read(file.fileName(), &config, &said), qPrintable(said));
    QCOMPARE(config.failuresPerUser, 10);
    QCOMPARE(config.failuresPerAddress, 50);
    QCOMPARE(config.failureWindowMinutes, 15.0);
    QCOMPARE(config.lockoutMinutes, 15.0);
    QCOMPARE(config.sessionMinutes, 30.0);
    QCOMPARE(config.locationId, QStringLiteral("1"));
    // A shared machine keeps at least half its CPUs for the counters' saves, and the
    // website can still read its database.
    const int cpus = int(std::thread::hardware_concurrency());
    QVERIFY(config.databaseWorkers >= 1);
    QVERIFY2(cpus <= 1 || config.databaseWorkers * 2 <= cpus, qPrintable(QString::number(config.databaseWorkers)));
    QCOMPARE(config.databaseWaitSeconds, 5.0);
    QCOMPARE(config.listenAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(!config.tls());
}

QTEST_GUILESS_MAIN(tst_PortalConfig)
#include "tst_portalconfig.moc"
