// A chain's volume at a small scale: the counts the scale gives, tickets whose lines add
// up to their totals at their location's prices, cards and customers for every ticket,
// balances and gift card balances that agree with the rows, and the amsdb option.

#include "TestDb.h"

#include "accounts/BalanceCheck.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class tst_ChainVolume : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void scaledCounts_data();
    void scaledCounts();
    void rowsAgree();
    void amsdbOption_data();
    void amsdbOption();

private:
    static qint64 count(Db &db, const QString &select) { return db.firstRow(select)->value(0).toLongLong(); }
};

void tst_ChainVolume::scaledCounts_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<qint64>("customers");
    QTest::addColumn<qint64>("tickets");
    QTest::addColumn<qint64>("payments");
    QTest::addColumn<qint64>("giftCardTransactions");
    QTest::newRow("the full chain") << 1.0 << qint64(50000) << qint64(5000000) << qint64(1000000) << qint64(200000);
    QTest::newRow("a hundredth") << 0.01 << qint64(500) << qint64(50000) << qint64(10000) << qint64(2000);
    QTest::newRow("a scale too small for one customer keeps one of each")
        << 0.000001 << qint64(1) << qint64(5) << qint64(1) << qint64(1);
}

void tst_ChainVolume::scaledCounts()
{
    QFETCH(double, scale);
    const auto v = DatabaseTool::ChainVolume::at(scale);
    QCOMPARE(v.locations, 50);
    QTEST(v.customers, "customers");
    QTEST(v.tickets, "tickets");
    QTEST(v.payments, "payments");
    QTEST(v.giftCardTransactions, "giftCardTransactions");
}

void tst_ChainVolume::rowsAgree()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QDate today(2026, 12, 10);
    const auto v = DatabaseTool::ChainVolume::at(0.001);
    DatabaseTool::fillChain(*db, v, today);

    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Company")), qint64(v.locations));
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer")), v.customers);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets")), v.tickets);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments")), v.payments);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions")), v.giftCardTransactions);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM GiftCards")), (v.giftCardTransactions + 4) / 5);
    // One to three cards a customer.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE NOT EXISTS "
                                       "(SELECT 1 FROM Cards WHERE Cards.CustomerID = Customer.ID)")),
             qint64(0));
    QVERIFY(count(*db, QStringLiteral("SELECT MAX(n) FROM (SELECT COUNT(*) AS n FROM Cards GROUP BY CustomerID) AS c")) == 3);

    // Every ticket and payment belongs to a customer, every ticket to one of its cards,
    // and every location, every customer and every year has tickets.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets LEFT JOIN Cards ON Cards.CustomerID = Tickets.CustomerID "
                                       "AND Cards.CardNo = Tickets.CardNo WHERE Cards.CustomerID IS NULL")),
             qint64(0));
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments LEFT JOIN Customer ON Customer.ID = Payments.Customer "
                                       "WHERE Customer.ID IS NULL")),
             qint64(0));
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(DISTINCT Location) FROM Tickets")), qint64(v.locations));
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(DISTINCT CustomerID) FROM Tickets")), v.customers);
    const auto range = db->firstRow(QStringLiteral("SELECT MIN(DateEntered), MAX(DateEntered), MIN(PaymentDate), "
                                                   "MAX(PaymentDate) FROM Tickets, (SELECT MIN(PaymentDate) AS PaymentDate "
                                                   "FROM Payments UNION ALL SELECT MAX(PaymentDate) FROM Payments) AS p"));
    const QDateTime first = db->dialect().readDateTime(range->value(0)), last = db->dialect().readDateTime(range->value(1));
    QCOMPARE(first.date(), today.addYears(-5).addDays(1));
    QCOMPARE(last.date(), today);
    QVERIFY(db->dialect().readDateTime(range->value(2)).date() >= today.addYears(-5));
    QVERIFY(db->dialect().readDateTime(range->value(3)).date() <= today);
    // Ticket numbers rise with time.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets a JOIN Tickets b ON b.ID = a.ID + 1 "
                                       "WHERE b.DateEntered < a.DateEntered")),
             qint64(0));

    // Each line is its gallons at its location's price, the discount runs on the diesel
    // and reefer gallons, the tax is the location's rate on the merchandise, and the
    // totals add up, to the cent.
    const auto tickets = db->rows(QStringLiteral("SELECT Tickets.*, Company.DieselPricePerGallon AS CompanyDiesel, "
                                                 "Company.DiscountPricePerGallon AS CompanyDiscount, Company.Tax AS CompanyTax "
                                                 "FROM Tickets JOIN Company ON Company.ID = Tickets.Location"));
    QCOMPARE(qint64(tickets.size()), v.tickets);
    auto cents = [](const QSqlRecord &r, const char *column) { return qRound64(r.value(column).toDouble() * 100); };
    int withMerchandise = 0, withReefer = 0;
    for (const QSqlRecord &t : tickets) {
        const QString id = t.value("ID").toString();
        QCOMPARE(t.value("DieselPriceEach").toDouble(), t.value("CompanyDiesel").toDouble());
        QCOMPARE(t.value("DiscountPriceEach").toDouble(), t.value("CompanyDiscount").toDouble());
        QCOMPARE(t.value("DiscountGallons").toDouble(),
                 t.value("DieselGallons").toDouble() + t.value("ReeferGallons").toDouble());
        qint64 lines = 0;
        for (const char *row : {"Gas", "Diesel", "Reefer", "Discount", "DEF"}) {
            const QString r = QLatin1String(row);
            const double ext =
                t.value(r + QStringLiteral("Gallons")).toDouble() * t.value(r + QStringLiteral("PriceEach")).toDouble();
            const qint64 stored = qRound64(t.value(r + QStringLiteral("PriceExt")).toDouble() * 100);
            QVERIFY2(std::llabs(stored - qRound64(ext * 100)) <= 1, qPrintable(id + u' ' + r));
            lines += stored;
        }
        qint64 merchandise = 0;
        for (const char *m : {"OilPriceExt", "AddativePriceExt", "AntifreezePriceExt", "WasherPriceExt", "GroceryPriceExt",
                              "DeliPriceExt", "TobaccoPriceExt"})
            merchandise += cents(t, m);
        QCOMPARE(cents(t, "Subtotal"), lines + merchandise);
        QVERIFY2(std::llabs(cents(t, "Tax") - qRound64(merchandise * t.value("CompanyTax").toDouble())) <= 1, qPrintable(id));
        QCOMPARE(cents(t, "Total"), cents(t, "Subtotal") + cents(t, "Tax"));
        QVERIFY(cents(t, "Total") > 0);
        withMerchandise += merchandise > 0;
        withReefer += t.value("ReeferGallons").toDouble() > 0;
    }
    QVERIFY(withMerchandise > tickets.size() / 4 && withMerchandise < tickets.size() / 2);
    QVERIFY(withReefer > tickets.size() / 4 && withReefer < tickets.size() / 2);

    // The balance check of "amsdb check" and the gift cards' own.
    int differ = 0;
    for (const CustomerBalanceCheck &c : CheckCustomerBalances(*db))
        differ += c.differs();
    QCOMPARE(differ, 0);
    const QStringList wrong = TestDb::wrongBalances(*db) + TestDb::wrongGiftCardBalances(*db);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    // Some accounts owe past their limit and are on hold, no other is; some have paid
    // back a returned check.
    const QString limit = db->dialect().limitColumn();
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE AcctOnHold = 1")) > 0);
    QCOMPARE(
        count(*db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE (AcctOnHold = 1) <> (CurrentBalance >= %1)").arg(limit)),
        qint64(0));
    QVERIFY(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments WHERE Amount < 0")) > 0);
}

void tst_ChainVolume::amsdbOption_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("a thousandth of a chain")
        << QStringList{QStringLiteral("--chain"), QStringLiteral("--scale"), QStringLiteral("0.001")} << 0
        << QStringLiteral("50 locations, 50 customers, 5000 tickets");
    for (const char *scale : {"0", "-1", "a", "11"})
        QTest::addRow("a scale of %s is refused", scale)
            << QStringList{QStringLiteral("--chain"), QStringLiteral("--scale"), QLatin1String(scale)} << 2
            << QStringLiteral("--scale must be a number above 0 and at most 10");
    QTest::newRow("a scale without --chain is refused")
        << QStringList{QStringLiteral("--scale"), QStringLiteral("0.001")} << 2 << QStringLiteral("usage:");
}

void tst_ChainVolume::amsdbOption()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    const QString amsdb = QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(QStringLiteral("amsdb"));
    QVERIFY2(QFile::exists(amsdb), qPrintable(amsdb));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("chain.db"));
    QString text;
    if (server == u"SQLite") {
        text = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file);
    } else {
        // A row that "--replace" would drop, to see that a refusal changed nothing.
        TestDb::fresh(server)->exec(QStringLiteral("INSERT INTO Company (ID, Name) VALUES (99, 'Kept')"));
        text = TestDb::connectionText(server);
    }
    QProcess p;
    p.start(amsdb, QStringList{QStringLiteral("create"), text, QStringLiteral("--replace")} + options);
    QVERIFY(p.waitForFinished(300000));
    const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    QVERIFY2(output.contains(said), qPrintable(output));
    QCOMPARE(p.exitCode(), exitCode);
    if (exitCode != 0) {
        // Refused before anything was made.
        if (server == u"SQLite")
            QVERIFY(!QFile::exists(file));
        else
            QVERIFY(Db::open(text)->firstRow(QStringLiteral("SELECT 1 FROM Company WHERE ID = 99")).has_value());
        return;
    }
    QProcess check;
    check.start(amsdb, {QStringLiteral("check"), text});
    QVERIFY(check.waitForFinished(120000));
    const QString checked = QString::fromUtf8(check.readAllStandardOutput());
    QVERIFY2(checked.contains(QStringLiteral("50 customers, 0 with a balance that differs")), qPrintable(checked));
    QCOMPARE(check.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_ChainVolume)
#include "tst_chainvolume.moc"
