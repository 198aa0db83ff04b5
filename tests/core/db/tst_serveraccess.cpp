// Who may reach the shared server and how: an installation's own password wins over the
// program's, a station can insist on TLS and on the server's certificate, and a password
// never appears in what a clerk is shown.

#include "TestDb.h"

#include "Workstations.h"

#include "accounts/BalanceCheck.h"
#include "accounts/CustomerBalances.h"
#include "accounts/CustomerStore.h"
#include "db/ConnectionText.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaUpgrade.h"
#include "giftcards/GiftCardStore.h"
#include "reports/ManagementReports.h"
#include "reports/PrintedDocuments.h"
#include "reports/Report.h"
#include "reports/ReportRenderer.h"
#include "setup/CompanyStore.h"
#include "tickets/CashCustomerNames.h"
#include "tickets/TicketStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The test server's connection text with another password, TLS settings or user.
QString serverText(const QString &extra)
{
    QString text = TestDb::postgresServer();
    return text + extra;
}

// The statements of the README's secure set-up that give a station's role its rights,
// with the role and database of the test.
QStringList grantsFromTheReadme(const QString &role, const QString &database)
{
    QFile readme(QStringLiteral(AMS_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype from = text.indexOf(QStringLiteral("CREATE ROLE st07"));
    const qsizetype to = text.indexOf(QStringLiteral("```"), from);
    if (from < 0 || to < 0)
        return {};
    QString block = text.mid(from, to - from);
    block.replace(QStringLiteral("st07"), role).replace(QStringLiteral("DATABASE ams"), QStringLiteral("DATABASE ") + database);
    block.replace(QRegularExpression(QStringLiteral("PASSWORD '[^']*'")), QStringLiteral("PASSWORD 'Station-7-pw'"));
    QStringList statements;
    for (const QString &statement : block.split(u';'))
        if (!statement.trimmed().isEmpty())
            statements << statement.simplified();
    return statements;
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
    void stationRoleRunsEveryStatement();
    void passwordNeverShown_data();
    void passwordNeverShown();
};

void tst_ServerAccess::initTestCase() { QVERIFY2(!TestDb::postgresServer().isEmpty(), qPrintable(TestDb::postgresMissing())); }

void tst_ServerAccess::programPassword_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("password");
    QTest::newRow("no password of its own: the program's") << "Provider=PostgreSQL;Server=db;Database=ams;UID=ams;"
                                                           << "QZ";
    QTest::newRow("its own password wins") << "Provider=PostgreSQL;Server=db;Database=ams;UID=st7;PWD=k8#Lm2;"
                                           << "k8#Lm2";
    QTest::newRow("its own password in any letter case") << "Provider=PostgreSQL;Server=db;Database=ams;UID=st7;pwd=x;"
                                                         << "x";
    QTest::newRow("an SQLite file gets the program's as always") << "Provider=SQLite;Data Source=demo.db;"
                                                                 << "QZ";
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

// A station's role with exactly the rights the README gives it runs what the screens
// run: the workstations' saves, the customer screen's, the company screens', the gift
// card inquiry and edit, the lists, every report and printed document, the rebuild.
void tst_ServerAccess::stationRoleRunsEveryStatement()
{
    auto owner = TestDb::fresh(QStringLiteral("PostgreSQL"));
    DatabaseTool::fillDemo(*owner, QDate::currentDate());
    const QString database = owner->firstRow(QStringLiteral("SELECT current_database()"))->value(0).toString();
    const QString role = QStringLiteral("ams_station_%1").arg(QCoreApplication::applicationPid());
    owner->exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role));
    const QStringList grants = grantsFromTheReadme(role, database);
    QVERIFY2(grants.size() >= 5, "the README's secure set-up holds the role's statements");
    for (const QString &statement : grants)
        owner->exec(statement);
    struct Dropper
    {
        Db &db;
        QString role;
        ~Dropper()
        {
            try {
                db.exec(QStringLiteral("DROP OWNED BY %1").arg(role));
                db.exec(QStringLiteral("DROP ROLE %1").arg(role));
            } catch (...) {
            }
        }
    } dropper{*owner, role};

    QString text = TestDb::connectionText(QStringLiteral("PostgreSQL"));
    text.replace(QRegularExpression(QStringLiteral("UID=[^;]*;")), QStringLiteral("UID=%1;").arg(role));
    text.replace(QRegularExpression(QStringLiteral("PWD=[^;]*;")), QStringLiteral("PWD=Station-7-pw;"));
    auto station = Db::open(text);
    // The role cannot change the tables themselves.
    QVERIFY(!openError(text).contains(QStringLiteral("denied")));
    bool refused = false;
    try {
        station->exec(QStringLiteral("DROP TABLE Tickets"));
    } catch (const DbError &) {
        refused = true;
    }
    QVERIFY2(refused, "a station's role must not drop the program's tables");
    // It reads the schema version at start-up, and cannot change it.
    QCOMPARE(SchemaUpgrade::versionOf(*station), SchemaUpgrade::newestVersion());
    refused = false;
    try {
        station->exec(QStringLiteral("UPDATE SchemaVersion SET Version = 0"));
    } catch (const DbError &) {
        refused = true;
    }
    QVERIFY2(refused, "a station's role must not change the schema version");

    // The accounts and gift cards the workstation helper works on.
    for (const QString &id : {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003"), QStringLiteral("1004")})
        owner->exec(QStringLiteral("UPDATE Customer SET Inactive = 0, AcctOnHold = 0 WHERE ID = ?"), {id});
    // The helper sells oil on these cards: a type that allows it.
    owner->exec(QStringLiteral("UPDATE Cards SET InActive = 0, CardType = '1' WHERE CardNo = '01'"));
    for (const QString &card : {QStringLiteral("700000001"), QStringLiteral("700000002"), QStringLiteral("700000003")})
        GiftCardStore::sell(*station, card, 50, QStringLiteral("ST"), QString(),
                            {QStringLiteral("ST7"), 1, QDateTime::currentDateTime()});

    // Every save path, as a workstation takes them.
    Workstations workstation(QStringLiteral("workstation"));
    QVERIFY(workstation.start({text, QStringLiteral("ST7"), QStringLiteral("77"), QStringLiteral("300"), QStringLiteral("0")}));
    QVERIFY2(workstation.finish(), qPrintable(workstation.error()));

    try {
        const QDateTime now = QDateTime::currentDateTime();
        CustomerEntry entry;
        entry.accountNumber = QStringLiteral("2001");
        entry.name = QStringLiteral("Station Test Freight");
        entry.limit = QStringLiteral("2500");
        entry.warnAt = QStringLiteral("0.8");
        entry.userName = QStringLiteral("stationtest");
        entry.password = QStringLiteral("station-7-login");
        QCOMPARE(CustomerStore::save(*station, entry, now), LoginSave::Written);
        CustomerStore::saveCard(*station, QStringLiteral("2001"), {QStringLiteral("01"), QStringLiteral("1"), false, QString()});
        QVERIFY(CustomerStore::account(*station, QStringLiteral("2001")));
        QCOMPARE(CustomerStore::cardsOf(*station, QStringLiteral("2001")).size(), 1);
        QCOMPARE(CustomerStore::removeCard(*station, QStringLiteral("2001"), QStringLiteral("01")), 1);
        QVERIFY(!CustomerStore::customersByName(*station).isEmpty());
        QVERIFY(!CustomerStore::cardsByName(*station).isEmpty());

        const QVariant location = CompanyStore::locations(*station).value(0);
        const auto company = CompanyStore::row(*station, location);
        QVERIFY(company);
        CompanyStore::saveInformation(*station, location, {{QStringLiteral("Name"), company->value("Name")}});
        CompanyStore::savePrices(*station, location, {{QStringLiteral("Tax"), company->value("Tax")}});
        QVERIFY(CompanyStore::settings(*station, location.toString()));
        QVERIFY(!ChoiceLists::states(*station).isEmpty());
        QVERIFY(!ChoiceLists::cardTypes(*station).isEmpty());

        const GiftCardStore::Stamp stamp{QStringLiteral("ST7"), 1, now};
        GiftCardStore::inquire(*station, QStringLiteral("700000001"), stamp);
        QVERIFY(GiftCardStore::edit(*station, QStringLiteral("700000001"), 12.5, QStringLiteral("set by the office"), stamp));

        CashCustomerNames names;
        names.fill(*station);
        names.refresh(*station);
        QVERIFY(TicketStore::newest(*station, 1));

        // Every report and printed document reads its rows.
        const QDate from = QDate::currentDate().addDays(-200), to = QDate::currentDate();
        const QStringList headings = {QStringLiteral("Station"), QString(), QString()};
        const QList<std::shared_ptr<Report>> reports = {
            ManagementReports::accountBalance(*station, headings),
            ManagementReports::customerCardListing(*station, headings),
            ManagementReports::customerHistory(*station, QStringLiteral("1001"), from, to, headings),
            ManagementReports::detailSales(*station, from, to, headings),
            ManagementReports::giftCardTransactions(*station, from, to, headings),
            ManagementReports::giftCardListing(*station, headings),
            PrintedDocuments::chargeTicket(*station, 1, true, headings),
            PrintedDocuments::cashTicket(*station, 1, true, headings),
            PrintedDocuments::giftCardReceipt(*station, 1, headings),
        };
        for (const std::shared_ptr<Report> &report : reports) {
            PageCounter pages;
            QVERIFY(renderReport(*report, pages) >= 1);
        }
        RebuildCustomerBalances(*station);
        for (const CustomerBalanceCheck &c : CheckCustomerBalances(*station))
            QVERIFY2(!c.differs(), qPrintable(c.customerId));
    } catch (const DbError &error) {
        QFAIL(qPrintable(error.serverText() + QStringLiteral("\n  in: ") + error.statement()));
    }
}

void tst_ServerAccess::passwordNeverShown_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("password");
    QTest::newRow("a wrong password") << serverText(QStringLiteral("PWD=Tr0ub4dor&3;")) << "Tr0ub4dor&3";
    // A text that does not end with ";" runs the user into the password keyword.
    QString run = serverText(QString());
    run.chop(1);
    QTest::newRow("a user name that swallowed the password keyword") << ConnectionText::withProgramPassword(
        run.replace(QStringLiteral("UID=ams"), QStringLiteral("PWD=s3cr3t-9;UID=ams")) + QStringLiteral("PWD=s3cr3t-9"))
                                                                     << "s3cr3t-9";
    QTest::newRow("a server that does not answer")
        << "Provider=PostgreSQL;Server=127.0.0.1;Port=1;Database=ams;UID=ams;PWD=n0-Answer!;"
        << "n0-Answer!";
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
