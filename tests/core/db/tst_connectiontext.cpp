// Reading the connection text and opening a database from it: keywords, the base
// directory of a relative file, and clear errors for what is missing or wrong.

#include "TestDb.h"

#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class tst_ConnectionText : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void parseError_data();
    void parseError();
    void missingSqliteFile();
    void textWithoutFinalSemicolon();
    void unusableSqliteFile_data();
    void unusableSqliteFile();
    void passwordGluedToAnotherValue_data();
    void passwordGluedToAnotherValue();
    void textShownInACommand_data();
    void textShownInACommand();
    void programPasswordAfterTheLastValue_data();
    void programPasswordAfterTheLastValue();
    void unreachableServer();
};

void tst_ConnectionText::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("baseDir");
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");

    QTest::newRow("an SQLite file with the password added") << "Provider=SQLite;Data Source=/var/lib/ams/ams.db;PWD=QZ;"
                                                            << ""
                                                            << "SQLite"
                                                            << "/var/lib/ams/ams.db"
                                                            << "" << 5432 << ""
                                                            << ""
                                                            << "QZ";
    QTest::newRow("keywords and provider in any letter case") << "provider=sqlite;DATA SOURCE=/var/lib/ams/ams.db;"
                                                              << ""
                                                              << "SQLite"
                                                              << "/var/lib/ams/ams.db"
                                                              << "" << 5432 << ""
                                                              << ""
                                                              << "";
    QTest::newRow("blanks around keywords and values") << " Provider = SQLite ; Data Source = /srv/ams.db ;"
                                                       << ""
                                                       << "SQLite"
                                                       << "/srv/ams.db"
                                                       << "" << 5432 << ""
                                                       << ""
                                                       << "";
    QTest::newRow("a relative SQLite file lies in the base directory") << "Provider=SQLite;Data Source=data/ams.db;"
                                                                       << "/opt/ams"
                                                                       << "SQLite"
                                                                       << "/opt/ams/data/ams.db"
                                                                       << "" << 5432 << ""
                                                                       << ""
                                                                       << "";
    QTest::newRow("an absolute SQLite file stays where it is") << "Provider=SQLite;Data Source=/srv/ams.db;"
                                                               << "/opt/ams"
                                                               << "SQLite"
                                                               << "/srv/ams.db"
                                                               << "" << 5432 << ""
                                                               << ""
                                                               << "";
    QTest::newRow("a PostgreSQL server with every keyword")
        << "Provider=PostgreSQL;Server=db.example.com;Port=5433;Database=ams;UID=clerk;PWD=QZ;"
        << "/opt/ams"
        << "PostgreSQL"
        << ""
        << "db.example.com" << 5433 << "ams"
        << "clerk"
        << "QZ";
    QTest::newRow("a PostgreSQL server with lower-case keywords and the default port")
        << "provider=POSTGRESQL;server=10.0.0.5;database=fuel;uid=ams;pwd=QZ;"
        << ""
        << "PostgreSQL"
        << ""
        << "10.0.0.5" << 5432 << "fuel"
        << "ams"
        << "QZ";
}

void tst_ConnectionText::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, baseDir);
    QFETCH(QString, provider);
    QFETCH(QString, dataSource);
    QFETCH(QString, server);
    QFETCH(int, port);
    QFETCH(QString, database);
    QFETCH(QString, user);
    QFETCH(QString, password);

    const ConnectionText c = ConnectionText::parse(text, baseDir);
    QCOMPARE(c.provider == ConnectionText::Provider::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"), provider);
    QCOMPARE(QDir::cleanPath(c.dataSource), QDir::cleanPath(dataSource));
    QCOMPARE(c.server, server);
    QCOMPARE(c.port, port);
    QCOMPARE(c.database, database);
    QCOMPARE(c.user, user);
    QCOMPARE(c.password, password);
}

void tst_ConnectionText::parseError_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");

    QTest::newRow("an unknown provider is named") << "Provider=SQLOLEDB;Data Source=x;"
                                                  << "SQLOLEDB";
    QTest::newRow("a text without a provider names the keyword") << "Data Source=ams.db;"
                                                                 << "Provider";
    QTest::newRow("an empty text names the provider keyword") << ""
                                                              << "Provider";
    QTest::newRow("an SQLite text without its file names Data Source") << "Provider=SQLite;"
                                                                       << "Data Source";
    QTest::newRow("a PostgreSQL text without its server") << "Provider=PostgreSQL;Database=ams;UID=ams;"
                                                          << "Server";
    QTest::newRow("a PostgreSQL text without its database") << "Provider=PostgreSQL;Server=h;UID=ams;"
                                                            << "Database";
    QTest::newRow("a PostgreSQL text without its user") << "Provider=PostgreSQL;Server=h;Database=ams;"
                                                        << "UID";
    QTest::newRow("a port that is not a number is named") << "Provider=PostgreSQL;Server=h;Port=fifty;Database=d;UID=u;"
                                                          << "fifty";
}

void tst_ConnectionText::parseError()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    try {
        ConnectionText::parse(text, QStringLiteral("/opt/ams"));
        QFAIL("the connection text was accepted");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(named), qPrintable(e.serverText()));
    }
    // Opening the database reports the same error.
    QVERIFY_THROWS_EXCEPTION(DbError, Db::open(text, QStringLiteral("/opt/ams")));
}

void tst_ConnectionText::missingSqliteFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("absent.db"));
    try {
        Db::open(QStringLiteral("Provider=SQLite;Data Source=absent.db;PWD=QZ;"), dir.path());
        QFAIL("a missing database file was opened");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(file), qPrintable(e.serverText()));
    }
    // Opening must not leave an empty database behind for the next start to find.
    QVERIFY(!QFile::exists(file));
}

// A text whose password keyword is glued to the value before it (no ";" between them)
// names a file that is not there; the message shows where it went wrong but never the
// password.
void tst_ConnectionText::textWithoutFinalSemicolon()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ams.db"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    try {
        Db::open(QStringLiteral("Provider=SQLite;Data Source=ams.db") + QStringLiteral("PWD=QZ;"), dir.path());
        QFAIL("a text with the password glued to the file name was opened");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(QStringLiteral("ams.dbPWD=********")), qPrintable(e.serverText()));
        QVERIFY2(!e.serverText().contains(QStringLiteral("QZ")), qPrintable(e.serverText()));
    }
    QVERIFY(!QFile::exists(file + QStringLiteral("PWD=QZ")));

    // The same on PostgreSQL, whose server refuses the login: a run without one fails
    // here, saying how to get one, rather than passing with half the test unrun.
    const QString postgres = TestDb::postgresServer();
    QVERIFY2(!postgres.isEmpty(), qPrintable(TestDb::postgresMissing()));
    QVERIFY(postgres.endsWith(u';'));
    try {
        Db::open(postgres.chopped(1) + QStringLiteral("PWD=QZ;"));
        QFAIL("a text with the password glued to the user was accepted");
    } catch (const DbError &e) {
        // The server's own refusal: it was given no password.
        QVERIFY2(e.serverText().contains(QStringLiteral("password")), qPrintable(e.serverText()));
    }
}

void tst_ConnectionText::unusableSqliteFile_data()
{
    QTest::addColumn<QString>("file"); // in a folder of the test, which {ro} makes read-only
    QTest::addColumn<int>("mode");     // of the file; 0: no file there
    QTest::addColumn<QString>("message");
    QTest::newRow("a missing file") << "ams.db" << 0 << "The database file {path} does not exist.";
    QTest::newRow("a missing folder") << "none/ams.db" << 0 << "The database file {path} does not exist: there is no folder";
    QTest::newRow("a read-only file") << "ams.db" << 0444 << "The database file {path} is read-only";
    QTest::newRow("a read-only folder for its journal")
        << "{ro}/ams.db" << 0666 << "The folder {folder} of the database file {path} is read-only";
    QTest::newRow("a file nobody may read") << "ams.db" << 0200 << "The database file {path} cannot be read";
    QTest::newRow("a folder instead of a file") << "ams.db/" << 0 << "The database file {path} is not a regular file.";
}

// Told by name with what is wrong, before SQLite could say only "unable to open
// database file" (or open it and fail at the first save). Tried as a user without
// special rights: root may write to any file.
void tst_ConnectionText::unusableSqliteFile()
{
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    QString path = dir.filePath(file);
    if (file.startsWith(QLatin1String("{ro}"))) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
        path = dir.filePath(QStringLiteral("ro/ams.db"));
    }
    if (file.endsWith(u'/')) {
        path.chop(1);
        QVERIFY(QDir().mkdir(path));
    }
    if (mode != 0) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    }
    if (file.startsWith(QLatin1String("{ro}")))
        QCOMPARE(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("ro"))).constData(), 0555), 0);
    message.replace(QLatin1String("{path}"), path).replace(QLatin1String("{folder}"), QFileInfo(path).absolutePath());

    QString error;
    {
        // Root's rights are set aside for the attempt only.
        const bool root = ::geteuid() == 0;
        if (root) {
            QCOMPARE(::setresgid(65534, 65534, 0), 0);
            QCOMPARE(::setresuid(65534, 65534, 0), 0);
        }
        try {
            Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path));
        } catch (const DbError &e) {
            error = e.serverText();
        }
        if (root) {
            QCOMPARE(::setresuid(0, 0, 0), 0);
            QCOMPARE(::setresgid(0, 0, 0), 0);
        }
    }
    QVERIFY2(error.startsWith(message), qPrintable(error));
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("ro"))).constData(), 0755);
}

void tst_ConnectionText::passwordGluedToAnotherValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shows"); // what the message still says
    QTest::newRow("glued to the port") << "Provider=PostgreSQL;Server=h;Database=d;UID=u;Port=55432PWD=Sesame-42;"
                                       << "Port is not a number: 55432PWD=********";
    QTest::newRow("glued to the port, keyword in lower case")
        << "Provider=PostgreSQL;Server=h;Database=d;UID=u;Port=55432pwd=Sesame-42"
        << "55432pwd=********";
    QTest::newRow("glued to the TLS mode") << "Provider=PostgreSQL;Server=h;Database=d;UID=u;sslmode=requirePWD=Sesame-42;"
                                           << "requirePWD=********";
    QTest::newRow("glued to the provider") << "Provider=SQLitePWD=Sesame-42;Data Source=a.db;"
                                           << "SQLitePWD=********";
    QTest::newRow("glued to a missing file") << "Provider=SQLite;Data Source=gone.dbPWD=Sesame-42;"
                                             << "gone.dbPWD=********";
    QTest::newRow("a password of its own and a glued one")
        << "Provider=PostgreSQL;Server=h;Database=d;PWD=Open-Door;UID=u;Port=1PWD=Sesame-42;"
        << "1PWD=********";
}

// Whatever value a password is glued to by a missing ";", no message shows it: not the
// parser's, not the opening's.
void tst_ConnectionText::passwordGluedToAnotherValue()
{
    QFETCH(QString, text);
    QFETCH(QString, shows);
    QTemporaryDir dir;
    try {
        Db::open(text, dir.path());
        QFAIL("the text was accepted");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(shows), qPrintable(e.serverText()));
        QVERIFY2(!e.serverText().contains(QStringLiteral("Sesame")), qPrintable(e.serverText()));
        QVERIFY2(!e.serverText().contains(QStringLiteral("Open-Door")), qPrintable(e.serverText()));
    }
}

void tst_ConnectionText::programPasswordAfterTheLastValue_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("used");
    QTest::newRow("a text ending with its ;") << "Provider=SQLite;Data Source=a.db;"
                                              << "Provider=SQLite;Data Source=a.db;PWD=QZ;";
    QTest::newRow("a text that lost its final ;") << "Provider=SQLite;Data Source=a.db"
                                                  << "Provider=SQLite;Data Source=a.db;PWD=QZ;";
    QTest::newRow("a text with blanks after its ;") << "Provider=SQLite;Data Source=a.db; "
                                                    << "Provider=SQLite;Data Source=a.db; PWD=QZ;";
    QTest::newRow("a text with its own password") << "Provider=PostgreSQL;PWD=x"
                                                  << "Provider=PostgreSQL;PWD=x";
}

// The program's password never runs into the configured text's last value.
void tst_ConnectionText::programPasswordAfterTheLastValue()
{
    QFETCH(QString, configured);
    QFETCH(QString, used);
    QCOMPARE(ConnectionText::withProgramPassword(configured), used);
}

void tst_ConnectionText::unreachableServer()
{
    // A port where nothing listens: the refusal comes back as an error, quickly.
    const int port = 1;
    QElapsedTimer timer;
    timer.start();
    try {
        Db::open(QStringLiteral("Provider=PostgreSQL;Server=127.0.0.1;Port=%1;Database=ams;UID=ams;PWD=QZ;").arg(port));
        QFAIL("a server that is not there was reached");
    } catch (const DbError &e) {
        QVERIFY2(e.serverText().contains(QStringLiteral("port %1").arg(port)), qPrintable(e.serverText()));
    }
    QVERIFY(timer.elapsed() < 11000);
}

void tst_ConnectionText::textShownInACommand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the program's password is left out") << "Provider=SQLite;Data Source=/srv/ams.db;PWD=QZ;"
                                                        << "Provider=SQLite;Data Source=/srv/ams.db;";
    QTest::newRow("a password of its own in any letter case, between other values")
        << "Provider=PostgreSQL;Server=db;UID=st7;pwd=k8#Lm2;Port=5432;"
        << "Provider=PostgreSQL;Server=db;UID=st7;Port=5432;";
    QTest::newRow("a password glued to the value before it is hidden") << "Provider=PostgreSQL;Server=db;UID=amsPWD=secret9;"
                                                                       << "Provider=PostgreSQL;Server=db;UID=amsPWD=********;";
    QTest::newRow("a text without a password stays as it is") << "Provider=SQLite;Data Source=demo.db;"
                                                              << "Provider=SQLite;Data Source=demo.db;";
}

// What "Run: amsdb upgrade ..." shows: a command that can be run, never a password.
void tst_ConnectionText::textShownInACommand()
{
    QFETCH(QString, text);
    QTEST(ConnectionText::withoutPasswordPairs(text), "shown");
}

QTEST_GUILESS_MAIN(tst_ConnectionText)
#include "tst_connectiontext.moc"
