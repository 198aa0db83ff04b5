// Posting amounts to a customer's balance: the hold flag against the limit, unknown
// customers, exact cents, all-or-nothing when a statement fails, and several
// workstations posting to one customer at the same time.

#include "TestDb.h"

#include "accounts/BalancePosting.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlRecord>
#include <QTest>

#include <memory>
#include <vector>

namespace {

void addCustomer(Db &db, const QString &id, const QVariant &balance, double limit, bool onHold)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", "Customer " + id},
               {"Inactive", db.dialect().flag(false)},
               {"CurrentBalance", balance},
               {"Limit", limit},
               {"WarnAt", 0.8},
               {"AcctOnHold", db.dialect().flag(onHold)}},
              QString());
}

QSqlRecord customer(Db &db, const QString &id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT CurrentBalance, AcctOnHold FROM Customer WHERE ID = ?"), {id});
    if (!row)
        throw DbError(QStringLiteral("no customer ") + id);
    return *row;
}

// Whether the stored balance is exactly the amount, compared on the server.
bool balanceIs(Db &db, const QString &id, double amount)
{
    return db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ? AND CurrentBalance = ?"), {id, amount}).has_value();
}

// Must match postworker.
int amountOf(int worker, int n) { return (worker * 37 + n * 113) % 500 - 150; }

} // namespace

class tst_Posting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void posting_data();
    void posting();
    void unknownCustomer();
    void nullBalanceStaysNull();
    void failedStatementChangesNothing_data();
    void failedStatementChangesNothing();
    void postingJoinsTheCallersTransaction_data();
    void postingJoinsTheCallersTransaction();
    void concurrentPostings_data();
    void concurrentPostings();
};

void tst_Posting::initTestCase_data() { TestDb::addServerRows(); }

void tst_Posting::posting_data()
{
    QTest::addColumn<double>("limit");
    QTest::addColumn<double>("balance");
    QTest::addColumn<bool>("onHold");
    QTest::addColumn<QList<double>>("amounts");
    QTest::addColumn<double>("expectedBalance");
    QTest::addColumn<bool>("expectedHold");

    QTest::newRow("50 onto 950 reaches the limit of 1000 and puts the account on hold")
        << 1000.0 << 950.0 << false << QList<double>{50} << 1000.0 << true;
    QTest::newRow("a payment of a cent at the limit lifts the hold")
        << 1000.0 << 1000.0 << true << QList<double>{-0.01} << 999.99 << false;
    QTest::newRow("reaching the limit and paying a cent back")
        << 1000.0 << 950.0 << false << QList<double>{50, -0.01} << 999.99 << false;
    QTest::newRow("twelve and a half is added as it is") << 1000.0 << 0.0 << false << QList<double>{12.5} << 12.5 << false;
    QTest::newRow("a payment of thirty lowers the balance") << 1000.0 << 100.0 << false << QList<double>{-30} << 70.0 << false;
    QTest::newRow("0.7 and 0.1 reach a limit of 0.8 exactly") << 0.8 << 0.0 << false << QList<double>{0.7, 0.1} << 0.8 << true;
    QTest::newRow("a payment that stays above the limit keeps the hold")
        << 500.0 << 900.0 << true << QList<double>{-399.99} << 500.01 << true;
    QTest::newRow("a hold cleared by hand is set again by the next posting")
        << 500.0 << 600.0 << false << QList<double>{0.01} << 600.01 << true;
    QTest::newRow("a hold set by hand below the limit is lifted by the next posting")
        << 1000.0 << 100.0 << true << QList<double>{10} << 110.0 << false;
    QTest::newRow("a negative ticket below the limit lifts the hold")
        << 1000.0 << 1000.0 << true << QList<double>{-43.24} << 956.76 << false;
    QTest::newRow("a payment larger than the balance leaves a credit")
        << 1000.0 << 25.5 << false << QList<double>{-100} << -74.5 << false;

    QList<double> cents(1000, 0.01);
    QTest::newRow("a thousand single cents reach a limit of 10 exactly") << 10.0 << 0.0 << false << cents << 10.0 << true;
    QList<double> mixed;
    for (int i = 0; i < 200; ++i)
        mixed << 0.1 << 0.7 << -0.3 << 0.2 << 0.13;
    QTest::newRow("two hundred rounds of mixed cents reach a limit of 166 exactly")
        << 166.0 << 0.0 << false << mixed << 166.0 << true;
    QTest::newRow("the same cents stop a cent below a limit of 166.01") << 166.01 << 0.0 << false << mixed << 166.0 << false;
}

void tst_Posting::posting()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(double, limit);
    QFETCH(double, balance);
    QFETCH(bool, onHold);
    QFETCH(QList<double>, amounts);
    QFETCH(double, expectedBalance);
    QFETCH(bool, expectedHold);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("O'1"), balance, limit, onHold);
    addCustomer(*db, QStringLiteral("1002"), 5.0, 10.0, false);

    std::optional<PostedBalance> posted;
    for (double amount : amounts)
        QVERIFY(PostCustomerBalance(*db, QStringLiteral("O'1"), amount, &posted));

    const QSqlRecord row = customer(*db, QStringLiteral("O'1"));
    QVERIFY2(balanceIs(*db, QStringLiteral("O'1"), expectedBalance), qPrintable(row.value("CurrentBalance").toString()));
    QCOMPARE(row.value("AcctOnHold").toBool(), expectedHold);
    // The posting hands back the account as it left it, with no second read.
    QVERIFY(posted);
    QCOMPARE(qRound64(posted->balance * 100), qRound64(expectedBalance * 100));
    QCOMPARE(posted->limit, limit);
    QCOMPARE(posted->onHold, expectedHold);
    // Nobody else's balance moves.
    QVERIFY(balanceIs(*db, QStringLiteral("1002"), 5.0));
    QCOMPARE(customer(*db, QStringLiteral("1002")).value("AcctOnHold").toBool(), false);
}

void tst_Posting::unknownCustomer()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 950.0, 1000.0, false);

    std::optional<PostedBalance> posted = PostedBalance{};
    QVERIFY(PostCustomerBalance(*db, QStringLiteral("9999"), 50, &posted));
    QVERIFY(!posted);
    QVERIFY(PostCustomerBalance(*db, QStringLiteral("100"), 50)); // a prefix is not the customer
    QVERIFY(PostCustomerBalance(*db, QStringLiteral("1001' OR '1'='1"), 50));
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Customer")).size(), 1);
    QVERIFY(balanceIs(*db, QStringLiteral("1001"), 950.0));
    QCOMPARE(customer(*db, QStringLiteral("1001")).value("AcctOnHold").toBool(), false);
}

// A customer whose balance was never set keeps it unset, and the hold keeps its value.
void tst_Posting::nullBalanceStaysNull()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), QVariant(QMetaType(QMetaType::Double)), 10.0, true);
    QVERIFY(PostCustomerBalance(*db, QStringLiteral("1001"), -50));
    const QSqlRecord row = customer(*db, QStringLiteral("1001"));
    QVERIFY(row.value("CurrentBalance").isNull());
    QCOMPARE(row.value("AcctOnHold").toBool(), true);
}

void tst_Posting::failedStatementChangesNothing_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<double>("amount");

    QTest::newRow("the balance statement fails") << "balance" << 50.0;
    QTest::newRow("the statement that sets the hold fails") << "setHold" << 50.0;
    QTest::newRow("the statement that lifts the hold fails") << "liftHold" << -0.01;
    QTest::newRow("both hold statements fail on a missing column") << "column" << -0.01;
}

void tst_Posting::failedStatementChangesNothing()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, breakage);
    QFETCH(double, amount);
    auto db = TestDb::fresh(server);
    // At 950 of 1000 with the hold set: +50 reaches the limit, -0.01 stays below it.
    addCustomer(*db, QStringLiteral("1001"), 950.0, 1000.0, amount < 0);

    const bool sqlite = server == u"SQLite";
    auto refuse = [&](const QString &column, const QString &when) {
        if (sqlite) {
            db->exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE UPDATE OF %1 ON Customer WHEN %2 "
                                    "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                         .arg(column, when));
        } else {
            db->exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_update() RETURNS trigger LANGUAGE plpgsql AS "
                                    "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"));
            db->exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE UPDATE OF %1 ON Customer FOR EACH ROW WHEN (%2) "
                                    "EXECUTE FUNCTION refuse_update()")
                         .arg(column, when));
        }
    };
    if (breakage == u"balance")
        refuse(QStringLiteral("CurrentBalance"), QStringLiteral("1 = 1"));
    else if (breakage == u"setHold")
        refuse(QStringLiteral("AcctOnHold"), QStringLiteral("NEW.AcctOnHold = 1"));
    else if (breakage == u"liftHold")
        refuse(QStringLiteral("AcctOnHold"), QStringLiteral("NEW.AcctOnHold = 0"));
    else
        db->exec(QStringLiteral("ALTER TABLE Customer RENAME COLUMN AcctOnHold TO HeldByHand"));

    QCOMPARE(PostCustomerBalance(*db, QStringLiteral("1001"), amount), false);
    QVERIFY2(balanceIs(*db, QStringLiteral("1001"), 950.0),
             qPrintable(db->firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer"))->value(0).toString()));

    // Mended, the same posting goes through on the same connection.
    if (breakage == u"column")
        db->exec(QStringLiteral("ALTER TABLE Customer RENAME COLUMN HeldByHand TO AcctOnHold"));
    else
        db->exec(sqlite ? QStringLiteral("DROP TRIGGER Refuse") : QStringLiteral("DROP TRIGGER Refuse ON Customer"));
    QCOMPARE(customer(*db, QStringLiteral("1001")).value("AcctOnHold").toBool(), amount < 0);
    QVERIFY(PostCustomerBalance(*db, QStringLiteral("1001"), amount));
    QVERIFY(balanceIs(*db, QStringLiteral("1001"), 950.0 + amount));
    QCOMPARE(customer(*db, QStringLiteral("1001")).value("AcctOnHold").toBool(), amount > 0);
}

// A payment row and its posting, as a screen writes them together: the posting is a
// step of the caller's transaction, never a commit of its own.
void tst_Posting::postingJoinsTheCallersTransaction_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("rowKept");
    QTest::addColumn<double>("balance");
    QTest::addColumn<bool>("commitFails");

    QTest::newRow("row and posting commit together") << "commit" << true << 70.0 << false;
    QTest::newRow("the caller not committing undoes the posting") << "leave" << false << 100.0 << false;
    QTest::newRow("a failed posting makes the caller's commit fail") << "fail" << false << 100.0 << true;
    QTest::newRow("a failed posting in a savepoint leaves the row to commit") << "savepoint" << true << 100.0 << false;
}

void tst_Posting::postingJoinsTheCallersTransaction()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, how);
    QFETCH(bool, rowKept);
    QFETCH(double, balance);
    QFETCH(bool, commitFails);
    auto db = TestDb::fresh(server);
    addCustomer(*db, QStringLiteral("1001"), 100.0, 1000.0, false);
    if (how == u"fail" || how == u"savepoint")
        db->exec(QStringLiteral("ALTER TABLE Customer RENAME COLUMN AcctOnHold TO HeldByHand"));

    bool failed = false;
    try {
        Transaction transaction(*db);
        db->insert(QStringLiteral("Payments"), {{"Customer", "1001"}, {"Amount", 30.0}});
        if (how == u"savepoint") {
            Savepoint step(*db);
            try {
                postToCustomerBalance(*db, QStringLiteral("1001"), -30.0);
                step.commit();
            } catch (const DbError &) {
            }
        } else {
            QCOMPARE(PostCustomerBalance(*db, QStringLiteral("1001"), -30.0), how != u"fail");
        }
        if (how != u"leave")
            transaction.commit();
    } catch (const DbError &) {
        failed = true;
    }
    QCOMPARE(failed, commitFails);
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM Payments")).size(), rowKept ? 1 : 0);
    QVERIFY(balanceIs(*db, QStringLiteral("1001"), balance));
}

void tst_Posting::concurrentPostings_data()
{
    QTest::addColumn<int>("limitOffsetCents");
    QTest::addColumn<bool>("expectedHold");

    QTest::newRow("the postings end exactly at the limit") << 0 << true;
    QTest::newRow("the postings end a cent below the limit") << 1 << false;
}

void tst_Posting::concurrentPostings()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(int, limitOffsetCents);
    QFETCH(bool, expectedHold);
    const int workers = 4, count = 60;
    qint64 totalCents = 0;
    for (int w = 0; w < workers; ++w)
        for (int n = 0; n < count; ++n)
            totalCents += amountOf(w, n);

    auto db = TestDb::fresh(server);
    const double limit = double(totalCents + limitOffsetCents) / 100;
    addCustomer(*db, QStringLiteral("1001"), 0.0, limit, false);
    addCustomer(*db, QStringLiteral("1002"), 0.0, 1.0, false);

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/postworker");
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < workers; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(program,
                 {TestDb::connectionText(server), QStringLiteral("1001"), QString::number(w), QString::number(count), start});
        QVERIFY2(p->waitForStarted(), qPrintable(program + QStringLiteral(": ") + p->errorString()));
        processes.push_back(std::move(p));
    }
    for (auto &p : processes) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
    }

    const QSqlRecord row = customer(*db, QStringLiteral("1001"));
    QVERIFY2(
        balanceIs(*db, QStringLiteral("1001"), double(totalCents) / 100),
        qPrintable(QStringLiteral("%1 instead of %2").arg(row.value("CurrentBalance").toString()).arg(double(totalCents) / 100)));
    QCOMPARE(row.value("AcctOnHold").toBool(), expectedHold);
    QVERIFY(balanceIs(*db, QStringLiteral("1002"), 0.0));
}

QTEST_GUILESS_MAIN(tst_Posting)
#include "tst_posting.moc"
