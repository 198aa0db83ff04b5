// Reading the connection text and opening a database from it: keywords, the base
// directory of a relative file, and clear errors for what is missing or wrong.

#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

    QTest::newRow("an SQLite file with the password added")
        << "Provider=SQLite;Data Source=/var/lib/ams/ams.db;PWD=QZ;" << "" << "SQLite" << "/var/lib/ams/ams.db" << "" << 5432 << ""
        << "" << "QZ";
    QTest::newRow("keywords and provider in any letter case")
        << "provider=sqlite;DATA SOURCE=/var/lib/ams/ams.db;" << "" << "SQLite" << "/var/lib/ams/ams.db" << "" << 5432 << "" << ""
        << "";
    QTest::newRow("blanks around keywords and values")
        << " Provider = SQLite ; Data Source = /srv/ams.db ;" << "" << "SQLite" << "/srv/ams.db" << "" << 5432 << "" << "" << "";
    QTest::newRow("a relative SQLite file lies in the base directory")
        << "Provider=SQLite;Data Source=data/ams.db;" << "/opt/ams" << "SQLite" << "/opt/ams/data/ams.db" << "" << 5432 << "" << ""
        << "";
    QTest::newRow("an absolute SQLite file stays where it is")
        << "Provider=SQLite;Data Source=/srv/ams.db;" << "/opt/ams" << "SQLite" << "/srv/ams.db" << "" << 5432 << "" << "" << "";
    QTest::newRow("a PostgreSQL server with every keyword")
        << "Provider=PostgreSQL;Server=db.example.com;Port=5433;Database=ams;UID=clerk;PWD=QZ;" << "/opt/ams" << "PostgreSQL" << ""
        << "db.example.com" << 5433 << "ams" << "clerk" << "QZ";
    QTest::newRow("a PostgreSQL server with lower-case keywords and the default port")
        << "provider=POSTGRESQL;server=10.0.0.5;database=fuel;uid=ams;pwd=QZ;" << "" << "PostgreSQL" << "" << "10.0.0.5" << 5432
        << "fuel" << "ams" << "QZ";
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

    QTest::newRow("an unknown provider is named") << "Provider=SQLOLEDB;Data Source=x;" << "SQLOLEDB";
    QTest::newRow("a text without a provider names the keyword") << "Data Source=ams.db;" << "Provider";
    QTest::newRow("an empty text names the provider keyword") << "" << "Provider";
    QTest::newRow("an SQLite text without its file names Data Source") << "Provider=SQLite;" << "Data Source";
    QTest::newRow("a PostgreSQL text without its server") << "Provider=PostgreSQL;Database=ams;UID=ams;" << "Server";
    QTest::newRow("a PostgreSQL text without its database") << "Provider=PostgreSQL;Server=h;UID=ams;" << "Database";
    QTest::newRow("a PostgreSQL text without its user") << "Provider=PostgreSQL;Server=h;Database=ams;" << "UID";
    QTest::newRow("a port that is not a number is named") << "Provider=PostgreSQL;Server=h;Port=fifty;Database=d;UID=u;" << "fifty";
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

// The password is added right after the configured text; a text that lost its final ";"
// glues it to the last value, and the user must see that in the error.
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
        QVERIFY2(e.serverText().contains(QStringLiteral("ams.dbPWD=QZ")), qPrintable(e.serverText()));
    }
    QVERIFY(!QFile::exists(file + QStringLiteral("PWD=QZ")));

    const QString postgres = qEnvironmentVariable("AMS_TEST_PG");
    if (postgres.isEmpty())
        return;
    QVERIFY(postgres.endsWith(u';'));
    try {
        Db::open(postgres.chopped(1) + QStringLiteral("PWD=QZ;"));
        QFAIL("a text with the password glued to the user was accepted");
    } catch (const DbError &e) {
        // The server's own refusal: it was given no password.
        QVERIFY2(e.serverText().contains(QStringLiteral("password")), qPrintable(e.serverText()));
    }
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

QTEST_GUILESS_MAIN(tst_ConnectionText)
#include "tst_connectiontext.moc"
