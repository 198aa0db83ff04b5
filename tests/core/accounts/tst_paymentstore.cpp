// Payments received: the row and its posting stand or fall together, the amount stored
// is the amount posted, and payments and tickets from several workstations at once keep
// every balance equal to its tickets less its payments.

#include "TestDb.h"
#include "Workstations.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlRecord>
#include <QTest>

namespace {

void addCustomer(Db &db, const QString &id, double balance, double limit, bool onHold)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", "Customer " + id},
               {"Inactive", 0},
               {"CurrentBalance", balance},
               {"Limit", limit},
               {"WarnAt", 0.8},
               {"AcctOnHold", onHold ? 1 : 0}},
              QString());
}

// Whether the stored balance is exactly the amount, compared on the server.
bool balanceIs(Db &db, const QString &id, double amount)
{
    return db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ? AND CurrentBalance = ?"), {id, amount}).has_value();
}

QString balanceText(Db &db, const QString &id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {id});
    return row ? row->value(0).toString() : QStringLiteral("no row");
}

bool onHold(Db &db, const QString &id)
{
    return db.firstRow(QStringLiteral("SELECT AcctOnHold FROM Customer WHERE ID = ?"), {id})->value(0).toInt() != 0;
}

int paymentCount(Db &db) { return db.firstRow(QStringLiteral("SELECT COUNT(*) FROM Payments"))->value(0).toInt(); }

// Must match accountworker: even steps are tickets, odd steps payments.
int centsOf(int worker, int n) { return 500 + (worker * 53 + n * 211) % 9000; }

} // namespace

class tst_PaymentStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void receive_data();
    void receive();
    void storedRowHoldsThePayment();
    void failedPostingStoresNothing_data();
    void failedPostingStoresNothing();
    void failedPaymentRowPostsNothing();
    void paymentsAndTicketsFromSeveralWorkstations();
};

void tst_PaymentStore::receive_data()
{
    QTest::addColumn<double>("balance");
    QTest::addColumn<double>("limit");
    QTest::addColumn<bool>("held");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("expectedBalance");
    QTest::addColumn<bool>("expectedHold");

    QTest::newRow("150 paid on 400 leaves 250") << 400.0 << 1000.0 << false << 150.0 << 250.0 << false;
    QTest::newRow("a cent paid at the limit lifts the hold") << 1000.0 << 1000.0 << true << 0.01 << 999.99 << false;
    QTest::newRow("a payment that stays above the limit keeps the hold") << 1500.0 << 1000.0 << true << 100.0 << 1400.0 << true;
    QTest::newRow("a negative payment raises the balance and can put it on hold")
        << 990.0 << 1000.0 << false << -10.0 << 1000.0 << true;
    QTest::newRow("paying more than is owed leaves a credit") << 20.0 << 1000.0 << false << 45.5 << -25.5 << false;
}

void tst_PaymentStore::receive()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(double, balance);
    QFETCH(double, limit);
    QFETCH(bool, held);
    QFETCH(double, amount);
    QFETCH(double, expectedBalance);
    QFETCH(bool, expectedHold);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("O'1"), balance, limit, held);
    addCustomer(*db, QStringLiteral("1002"), 10.0, 100.0, false);

    QVERIFY(
        PaymentStore::receive(*db, {QStringLiteral("O'1"), QDate(2025, 2, 1), amount, QString()}, QDateTime::currentDateTime()));

    QVERIFY2(balanceIs(*db, QStringLiteral("O'1"), expectedBalance), qPrintable(balanceText(*db, QStringLiteral("O'1"))));
    QCOMPARE(onHold(*db, QStringLiteral("O'1")), expectedHold);
    const auto stored = db->rows(QStringLiteral("SELECT Customer FROM Payments WHERE Amount = ?"), {amount});
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].value(0).toString(), QStringLiteral("O'1"));
    QVERIFY(balanceIs(*db, QStringLiteral("1002"), 10.0));
}

void tst_PaymentStore::storedRowHoldsThePayment()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 400, 1000, false);
    const QDateTime entered(QDate(2025, 3, 14), QTime(15, 9, 26));
    QVERIFY(PaymentStore::receive(*db, {QStringLiteral("1001"), QDate(2025, 3, 1), 150.25, QStringLiteral("Ck 1'2")}, entered));

    const auto row = db->firstRow(QStringLiteral("SELECT * FROM Payments"));
    QVERIFY(row);
    const SqlDialect &sql = db->dialect();
    QCOMPARE(row->value("Customer").toString(), QStringLiteral("1001"));
    QCOMPARE(sql.readDate(row->value("PaymentDate")), QDate(2025, 3, 1));
    QCOMPARE(row->value("Amount").toDouble(), 150.25);
    QCOMPARE(row->value("CheckNum").toString(), QStringLiteral("Ck 1'2"));
    QCOMPARE(sql.readDateTime(row->value("EntryDate")), entered);
}

void tst_PaymentStore::failedPostingStoresNothing_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("when");
    QTest::newRow("the balance cannot be changed") << "UPDATE OF CurrentBalance"
                                                   << "1 = 1";
    QTest::newRow("the hold cannot be lifted") << "UPDATE OF AcctOnHold"
                                               << "NEW.AcctOnHold = 0";
}

void tst_PaymentStore::failedPostingStoresNothing()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, event);
    QFETCH(QString, when);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 1000, 1000, true);
    TestDb::refuse(*db, QStringLiteral("Customer"), event, when);

    QCOMPARE(
        PaymentStore::receive(*db, {QStringLiteral("1001"), QDate::currentDate(), 200, QString()}, QDateTime::currentDateTime()),
        false);
    QCOMPARE(paymentCount(*db), 0);
    QVERIFY2(balanceIs(*db, QStringLiteral("1001"), 1000), qPrintable(balanceText(*db, QStringLiteral("1001"))));
    QCOMPARE(onHold(*db, QStringLiteral("1001")), true);

    TestDb::stopRefusing(*db, QStringLiteral("Customer"));
    QVERIFY(
        PaymentStore::receive(*db, {QStringLiteral("1001"), QDate::currentDate(), 200, QString()}, QDateTime::currentDateTime()));
    QCOMPARE(paymentCount(*db), 1);
    QVERIFY(balanceIs(*db, QStringLiteral("1001"), 800));
}

void tst_PaymentStore::failedPaymentRowPostsNothing()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 500, 1000, false);
    TestDb::refuse(*db, QStringLiteral("Payments"), QStringLiteral("INSERT"));
    QVERIFY_THROWS_EXCEPTION(DbError, PaymentStore::receive(*db, {QStringLiteral("1001"), QDate::currentDate(), 50, QString()},
                                                            QDateTime::currentDateTime()));
    QCOMPARE(paymentCount(*db), 0);
    QVERIFY(balanceIs(*db, QStringLiteral("1001"), 500));
}

void tst_PaymentStore::paymentsAndTicketsFromSeveralWorkstations()
{
    QFETCH_GLOBAL(QString, server);
    const int workers = 4, count = 40;
    qint64 expectedCents = 0;
    for (int w = 0; w < workers; ++w)
        for (int n = 0; n < count; ++n)
            expectedCents += (n % 2 == 0 ? 1 : -1) * centsOf(w, n);

    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 0, 1e9, false);
    addCustomer(*db, QStringLiteral("1002"), 0, 1, false);

    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    Workstations stations(QStringLiteral("accountworker"));
    for (int w = 0; w < workers; ++w)
        QVERIFY2(stations.start({TestDb::connectionText(server), QStringLiteral("charges"), QStringLiteral("1001"),
                                 QString::number(w), QString::number(count), start}),
                 qPrintable(stations.error()));
    QVERIFY2(stations.finish(), qPrintable(stations.error()));

    QCOMPARE(db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Tickets"))->value(0).toInt(), workers * count / 2);
    QCOMPARE(paymentCount(*db), workers * count / 2);
    const double expected = double(expectedCents) / 100;
    QVERIFY2(balanceIs(*db, QStringLiteral("1001"), expected),
             qPrintable(QStringLiteral("%1 instead of %2").arg(balanceText(*db, QStringLiteral("1001"))).arg(expected)));
    // The rebuild's own sum agrees to the cent.
    const QString sums = QStringLiteral("SELECT ID FROM Customer WHERE ID = ? AND CurrentBalance = %1")
                             .arg(db->dialect().money(QStringLiteral("(SELECT SUM(Total) FROM Tickets WHERE CustomerID = ?) - "
                                                                     "(SELECT SUM(Amount) FROM Payments WHERE Customer = ?)")));
    QVERIFY(db->firstRow(sums, {QStringLiteral("1001"), QStringLiteral("1001"), QStringLiteral("1001")}).has_value());
    QVERIFY(balanceIs(*db, QStringLiteral("1002"), 0));
}

QTEST_GUILESS_MAIN(tst_PaymentStore)
#include "tst_paymentstore.moc"
