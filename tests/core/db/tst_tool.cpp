// The database tool: a demo database whose balances, holds and cards agree with its
// tickets and payments, volume data for benchmarks, and the amsdb command itself.

#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class tst_Tool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void demo();
    void volume();
    void customerVolume();
    void cashVolume();
    void amsdbCommand();

private:
    // Customers whose balance differs from their tickets less their payments, to the cent.
    static QStringList wrongBalances(Db &db);
    static int count(Db &db, const QString &select, const QVariantList &values = {});
};

void tst_Tool::initTestCase_data() { TestDb::addServerRows(); }

QStringList tst_Tool::wrongBalances(Db &db)
{
    const auto rows =
        db.rows(QStringLiteral("SELECT ID, CurrentBalance, "
                               "(SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID) AS Charged, "
                               "(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID) AS Paid FROM Customer"));
    QStringList wrong;
    for (const QSqlRecord &r : rows) {
        const qint64 expected = qRound64(r.value("Charged").toDouble() * 100) - qRound64(r.value("Paid").toDouble() * 100);
        if (r.value("CurrentBalance").isNull() || qRound64(r.value("CurrentBalance").toDouble() * 100) != expected)
            wrong << QStringLiteral("%1: %2 instead of %3")
                         .arg(r.value("ID").toString(), r.value("CurrentBalance").toString())
                         .arg(expected / 100.0);
    }
    return wrong;
}

int tst_Tool::count(Db &db, const QString &select, const QVariantList &values)
{
    return db.firstRow(select, values)->value(0).toInt();
}

void tst_Tool::demo()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QDate today = QDate::currentDate();
    DatabaseTool::fillDemo(*db, today);
    const SqlDialect &sql = db->dialect();
    const QString limit = sql.limitColumn();

    const QStringList wrong = wrongBalances(*db);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));

    const auto companies = db->rows(QStringLiteral("SELECT ID, Name, Tax, DieselPricePerGallon FROM Company ORDER BY ID"));
    QCOMPARE(companies.size(), 2);
    QCOMPARE(companies[0].value("ID").toInt(), 1);
    QCOMPARE(companies[1].value("ID").toInt(), 2);
    for (const QSqlRecord &c : companies) {
        QVERIFY(!c.value("Name").toString().isEmpty());
        QVERIFY(c.value("Tax").toDouble() > 0 && c.value("Tax").toDouble() < 0.2);
        QVERIFY(c.value("DieselPricePerGallon").toDouble() > 0);
    }

    QStringList types;
    for (const QSqlRecord &r : db->rows(QStringLiteral("SELECT CardType FROM CardType")))
        types << r.value("CardType").toString();
    std::sort(types.begin(), types.end());
    QCOMPARE(types, (QStringList{"1", "2", "3", "4"}));
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM State")) >= 50);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM State WHERE State = ?"), {"TX"}), 1);

    // On hold exactly where the balance has reached the limit, and some of each standing.
    const auto misheld = db->rows(QStringLiteral("SELECT ID FROM Customer WHERE (AcctOnHold = 1 AND CurrentBalance < %1) "
                                                 "OR (AcctOnHold = 0 AND CurrentBalance >= %1) OR AcctOnHold IS NULL")
                                      .arg(limit));
    QVERIFY2(misheld.isEmpty(), misheld.isEmpty() ? "" : qPrintable(misheld.first().value("ID").toString()));
    const int customers = count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer"));
    QVERIFY(customers >= 15 && customers <= 30);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE AcctOnHold = 1")) >= 1);
    QVERIFY(
        count(*db,
              QStringLiteral("SELECT COUNT(*) FROM Customer WHERE AcctOnHold = 0 AND CurrentBalance >= WarnAt * %1").arg(limit))
        >= 1);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE Inactive = 1")) >= 1);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE Inactive = 0 AND AcctOnHold = 0")) >= 10);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE InActive = 1")) >= 1);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM WebUser")) >= 1);
    // Every customer has a card, and every ticket names an existing card.
    QCOMPARE(
        count(*db,
              QStringLiteral(
                  "SELECT COUNT(*) FROM Customer WHERE NOT EXISTS (SELECT 1 FROM Cards WHERE Cards.CustomerID = Customer.ID)")),
        0);
    QCOMPARE(
        count(*db, QStringLiteral(
                       "SELECT COUNT(*) FROM Tickets WHERE NOT EXISTS "
                       "(SELECT 1 FROM Cards WHERE Cards.CustomerID = Tickets.CustomerID AND Cards.CardNo = Tickets.CardNo)")),
        0);

    // Several hundred tickets at both locations within the last months, none in the future.
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets")) >= 200);
    for (int location : {1, 2})
        QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE Location = ?"), {location}) >= 20);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE DateEntered > ? OR DateEntered < ?"),
                   {sql.dayEnd(today), sql.dayStart(today.addMonths(-12))}),
             0);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE DateEntered >= ?"), {sql.dayStart(today.addDays(-30))})
            >= 1);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE Total IS NULL OR Total <= 0")), 0);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments")) >= 10);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments WHERE PaymentDate > ?"), {sql.dateValue(today)}), 0);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM CashTickets")) >= 10);

    // Each gift card holds its purchases less its redemptions.
    const auto cards = db->rows(QStringLiteral("SELECT ID, CardBalance, "
                                               "(SELECT SUM(Amount) FROM GiftCardTransactions WHERE CardID = GiftCards.ID AND "
                                               "TransactionType = 'Gift Card Purchase') AS Bought, "
                                               "(SELECT SUM(Amount) FROM GiftCardTransactions WHERE CardID = GiftCards.ID AND "
                                               "TransactionType = 'Gift Card Redemption') AS Spent "
                                               "FROM GiftCards"));
    QVERIFY(cards.size() >= 5);
    for (const QSqlRecord &c : cards)
        QCOMPARE(qRound64(c.value("CardBalance").toDouble() * 100),
                 qRound64(c.value("Bought").toDouble() * 100) - qRound64(c.value("Spent").toDouble() * 100));
}

void tst_Tool::volume()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QDate today = QDate::currentDate();
    DatabaseTool::fillVolume(*db, 120, 5000, today);

    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer")), 120);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards")), 120);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets")), 5000);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(DISTINCT CustomerID) FROM Tickets")), 120);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE CustomerID NOT IN (SELECT ID FROM Customer)")), 0);
    const QStringList wrong = wrongBalances(*db);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    // Spread over the last year, for date-range reports.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE DateEntered > ?"), {db->dialect().dayEnd(today)}), 0);
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE DateEntered < ?"),
                  {db->dialect().dayStart(today.addMonths(-6))})
            >= 1000);
}

// Bulk customers beside the demo ones: four-character IDs, a login each, the cards dealt
// out in turn.
void tst_Tool::customerVolume()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QDate today = QDate::currentDate();
    DatabaseTool::fillDemo(*db, today);
    const int demoCustomers = count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer"));
    const int demoCards = count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards"));
    DatabaseTool::fillCustomerVolume(*db, 50, 140, today);

    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer")), demoCustomers + 50);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards")), demoCards + 140);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE ID LIKE 'C%' AND LENGTH(ID) = 4")), 50);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM WebUser WHERE CustomerID LIKE 'C%'")), 50);
    // 140 cards over 50 customers: 40 have three, 10 have two, under numbers 01 to 03.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CustomerID = ?"), {DatabaseTool::customerVolumeId(0)}),
             3);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CustomerID = ?"), {DatabaseTool::customerVolumeId(49)}),
             2);
    QCOMPARE(
        count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CustomerID LIKE 'C%' AND CardNo NOT IN ('01', '02', '03')")),
        0);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CustomerID NOT IN (SELECT ID FROM Customer)")), 0);
    const QStringList wrong = wrongBalances(*db);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void tst_Tool::cashVolume()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    DatabaseTool::fillCashVolume(*db, 300, 2000, QDate::currentDate());
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM CashTickets")), 2000);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(DISTINCT Customer) FROM CashTickets")), 300);
    // Every row is one the cash ticket screen could have written: no NULL text, a total.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE Clerk IS NULL OR Address2 IS NULL "
                                       "OR Mileage IS NULL OR Total IS NULL")),
             0);
}

void tst_Tool::amsdbCommand()
{
    QFETCH_GLOBAL(QString, server);
    const QString amsdb = QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(QStringLiteral("amsdb"));
    QVERIFY2(QFile::exists(amsdb), qPrintable(amsdb));
    QTemporaryDir dir;
    QString text;
    if (server == u"SQLite") {
        text = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(dir.filePath(QStringLiteral("demo.db")));
    } else {
        TestDb::fresh(server);
        text = TestDb::connectionText(server);
    }
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(amsdb, args);
        p.waitForFinished(120000);
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto [created, createOutput] = run({"create", text, "--replace", "--demo"});
    QVERIFY2(created == 0, qPrintable(createOutput));
    auto [checked, checkOutput] = run({"check", text});
    QVERIFY2(checked == 0, qPrintable(checkOutput));
    QVERIFY2(checkOutput.contains(QStringLiteral(" 0 with a balance that differs")), qPrintable(checkOutput));

    // The check notices a balance that no longer matches.
    {
        auto db = Db::open(text);
        db->exec(QStringLiteral("UPDATE Customer SET CurrentBalance = CurrentBalance + 1 WHERE ID = ?"), {"1001"});
    }
    auto [rechecked, recheckOutput] = run({"check", text});
    QCOMPARE(rechecked, 1);
    QVERIFY2(recheckOutput.contains(QStringLiteral("1001")), qPrintable(recheckOutput));

    // An unknown provider is refused with its name.
    auto [refused, refusedOutput] = run({"create", "Provider=Jet;Data Source=x;"});
    QVERIFY(refused != 0);
    QVERIFY2(refusedOutput.contains(QStringLiteral("Jet")), qPrintable(refusedOutput));
}

QTEST_GUILESS_MAIN(tst_Tool)
#include "tst_tool.moc"
