// Who may reach the shared server and how: an installation's own password wins over the
// program's, a station can insist on TLS and on the server's certificate, and a password
// never appears in what a clerk is shown.

#include "TestDb.h"

#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The test server's connection text with another password, TLS settings or user.
QString serverText(const QString &extra)
{
    QString text = qEnvironmentVariable("AMS_TEST_PG");
    return text + extra;
}

QString openError(const QString &text)
{
    try {
        Db::open(text);
    } catch (const DbError &error) {
        return error.serverText();
    }
    return {};
}

} // namespace

class tst_ServerAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programPassword_data();
    void programPassword();
    void tls_data();
    void tls();
    void unknownTlsModeIsRefused();
    void passwordNeverShown_data();
    void passwordNeverShown();
};

void tst_ServerAccess::initTestCase()
{
    QVERIFY2(!qEnvironmentVariable("AMS_TEST_PG").isEmpty(), "the test command configures PostgreSQL (AMS_TEST_PG)");
}

void tst_ServerAccess::programPassword_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("password");
    QTest::newRow("no password of its own: the program's") << "Provider=PostgreSQL;Server=db;Database=ams;UID=ams;" << "QZ";
    QTest::newRow("its own password wins") << "Provider=PostgreSQL;Server=db;Database=ams;UID=st7;PWD=k8#Lm2;" << "k8#Lm2";
    QTest::newRow("its own password in any letter case") << "Provider=PostgreSQL;Server=db;Database=ams;UID=st7;pwd=x;" << "x";
    QTest::newRow("an SQLite file gets the program's as always") << "Provider=SQLite;Data Source=demo.db;" << "QZ";
}

void tst_ServerAccess::programPassword()
{
    QFETCH(QString, configured);
    QFETCH(QString, password);
    const QString text = ConnectionText::withProgramPassword(configured);
    QCOMPARE(ConnectionText::parse(text).password, password);
    QVERIFY(text.startsWith(configured));
}

void tst_ServerAccess::tls_data()
{
    QTest::addColumn<QString>("extra");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<bool>("encrypted");
    const QString ca = qEnvironmentVariable("AMS_TEST_PG_CA");
    QTest::newRow("no TLS settings: the server's choice") << "PWD=QZ;" << true << true;
    QTest::newRow("TLS required") << "PWD=QZ;sslmode=require;" << true << true;
    QTest::newRow("TLS with the server's certificate checked against its authority")
        << "PWD=QZ;sslmode=verify-full;sslrootcert=" + ca + ";" << true << true;
    QTest::newRow("TLS switched off") << "PWD=QZ;sslmode=disable;" << true << false;
    QTest::newRow("a certificate check without the authority's certificate fails")
        << "PWD=QZ;sslmode=verify-ca;sslrootcert=/nonexistent/root.crt;" << false << false;
}

void tst_ServerAccess::tls()
{
    QFETCH(QString, extra);
    QFETCH(bool, connects);
    QFETCH(bool, encrypted);
    QVERIFY2(QFile::exists(qEnvironmentVariable("AMS_TEST_PG_CA")), "the test command names the test authority (AMS_TEST_PG_CA)");
    const QString text = serverText(extra);
    if (!connects) {
        const QString error = openError(text);
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(QStringLiteral("root.crt")), qPrintable(error));
        return;
    }
    auto db = Db::open(text);
    const auto row = db->firstRow(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"));
    QVERIFY(row);
    QCOMPARE(row->value(0).toBool(), encrypted);
}

void tst_ServerAccess::unknownTlsModeIsRefused()
{
    const QString error = openError(serverText(QStringLiteral("PWD=QZ;sslmode=sometimes;")));
    QVERIFY2(error.contains(QStringLiteral("sslmode")) && error.contains(QStringLiteral("sometimes")), qPrintable(error));
}

void tst_ServerAccess::passwordNeverShown_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("password");
    QTest::newRow("a wrong password") << serverText(QStringLiteral("PWD=Tr0ub4dor&3;")) << "Tr0ub4dor&3";
    // A text that does not end with ";" runs the user into the password keyword.
    QString run = serverText(QString());
    run.chop(1);
    QTest::newRow("a user name that swallowed the password keyword")
        << ConnectionText::withProgramPassword(run.replace(QStringLiteral("UID=ams"), QStringLiteral("PWD=s3cr3t-9;UID=ams"))
                                               + QStringLiteral("PWD=s3cr3t-9"))
        << "s3cr3t-9";
    QTest::newRow("a server that does not answer")
        << "Provider=PostgreSQL;Server=127.0.0.1;Port=1;Database=ams;UID=ams;PWD=n0-Answer!;" << "n0-Answer!";
}

void tst_ServerAccess::passwordNeverShown()
{
    QFETCH(QString, text);
    QFETCH(QString, password);
    const QString error = openError(text);
    QVERIFY2(!error.isEmpty(), "the connection should have failed");
    QVERIFY2(!error.contains(password), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_ServerAccess)
#include "tst_serveraccess.moc"
