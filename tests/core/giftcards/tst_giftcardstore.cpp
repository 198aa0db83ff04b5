// The gift card store: sales that activate and reload cards, redemptions that never
// spend more than a card holds, each change written together with its transaction row
// or not at all, and several workstations on one card at once. Inquiries and edits are
// tested through their screens.

#include "TestDb.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlRecord>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace GiftCardStore;

namespace {

const GiftCardStore::Stamp kStamp{QStringLiteral("WS-7"), 2, QDateTime(QDate(2024, 3, 9), QTime(14, 30, 5))};

// A card as an earlier sale on another workstation left it.
void addCard(Db &db, const QString &id, const QVariant &balance, const QString &notes = QStringLiteral("old note"))
{
    db.insert(QStringLiteral("GiftCards"),
              {{"ID", id},
               {"DateActivated", db.dialect().dateTimeValue(QDateTime(QDate(2023, 1, 2), QTime(9, 0)))},
               {"ActivatedBy", "AL"},
               {"ActivationAmount", 40.0},
               {"CardBalance", balance},
               {"Active", db.dialect().flag(true)},
               {"Notes", notes},
               {"WorkStationID", "3"},
               {"Location", 5}},
              QString());
}

std::optional<QSqlRecord> cardRow(Db &db, const QString &id)
{
    return db.firstRow(QStringLiteral("SELECT * FROM GiftCards WHERE ID = ?"), {id});
}

// Whether the stored balance is exactly the amount, compared on the server.
bool balanceIs(Db &db, const QString &id, double amount)
{
    return db.firstRow(QStringLiteral("SELECT ID FROM GiftCards WHERE ID = ? AND CardBalance = ?"), {id, amount}).has_value();
}

QString storedBalance(Db &db, const QString &id)
{
    const auto row = cardRow(db, id);
    return row ? row->value("CardBalance").toString() : QStringLiteral("no card");
}

QList<QSqlRecord> transactions(Db &db) { return db.rows(QStringLiteral("SELECT * FROM GiftCardTransactions ORDER BY ID")); }

// Makes every insert of a transaction row fail, as a full disk or a lost connection would.
void refuseTransactionRows(Db &db, bool sqlite)
{
    if (sqlite) {
        db.exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE INSERT ON GiftCardTransactions "
                               "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"));
    } else {
        db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_insert() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"));
        db.exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE INSERT ON GiftCardTransactions FOR EACH ROW "
                               "EXECUTE FUNCTION refuse_insert()"));
    }
}

// Must match giftcardworker.
int amountOf(int worker, int n) { return 100 + (worker * 53 + n * 131) % 500; }

struct WorkerRun
{
    QList<int> takenCents;
    qint64 triedCents = 0;
};

// Starts `workers` processes that all work on the card at the same moment and collects
// the amounts the store took.
WorkerRun runWorkers(const QString &server, const QString &card, const QString &mode, int workers, int count)
{
    WorkerRun run;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/giftcardworker");
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < workers; ++w) {
        for (int n = 0; n < count; ++n)
            run.triedCents += amountOf(w, n);
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(program, {TestDb::connectionText(server), card, mode, QString::number(w), QString::number(count), start});
        if (!p->waitForStarted())
            qFatal("%s: %s", qPrintable(program), qPrintable(p->errorString()));
        processes.push_back(std::move(p));
    }
    for (auto &p : processes) {
        if (!p->waitForFinished(120000) || p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            QTest::qFail(qPrintable(QStringLiteral("a worker failed: ") + QString::fromLocal8Bit(p->readAllStandardError())),
                         __FILE__, __LINE__);
        for (const QByteArray &line : p->readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                run.takenCents << line.toInt();
    }
    return run;
}

} // namespace

class tst_GiftCardStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void sales_data();
    void sales();
    void redemptions_data();
    void redemptions();
    void refusedAmounts_data();
    void refusedAmounts();
    void failedTransactionRowChangesNoCard_data();
    void failedTransactionRowChangesNoCard();
    void concurrentRedemptionsNeverOverspend();
    void concurrentSalesLoseNoAmount_data();
    void concurrentSalesLoseNoAmount();
};

void tst_GiftCardStore::sales_data()
{
    QTest::addColumn<QVariant>("stored"); // the card's balance before; invalid: no card yet
    QTest::addColumn<QList<double>>("amounts");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<double>("balance");
    QTest::addColumn<double>("activation");

    const QVariant none;
    QTest::newRow("a reload adds to the balance and keeps the activation")
        << QVariant(40.0) << QList<double>{12.5} << "reloaded" << 52.5 << 40.0;
    QTest::newRow("a reload without a note empties the card's note") << QVariant(40.0) << QList<double>{10} << "" << 50.0 << 40.0;
    QTest::newRow("a card whose balance was never set is reloaded from 0")
        << QVariant(QMetaType(QMetaType::Double)) << QList<double>{10} << "n" << 10.0 << 40.0;
    QTest::newRow("cents sold one after another add up exactly")
        << none << QList<double>{0.1, 0.2, 0.7, 0.01, 0.33, 0.66} << "n" << 2.0 << 0.1;
    QList<double> many(300, 0.07);
    QTest::newRow("three hundred sales of 7 cents make 21 dollars exactly") << none << many << "n" << 21.0 << 0.07;
}

void tst_GiftCardStore::sales()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QVariant, stored);
    QFETCH(QList<double>, amounts);
    QFETCH(QString, notes);
    QFETCH(double, balance);
    QFETCH(double, activation);
    auto db = TestDb::fresh(server);
    const QString id = QStringLiteral("123456789");
    if (stored.isValid())
        addCard(*db, id, stored);
    addCard(*db, QStringLiteral("987654321"), 5.0);

    Saved last;
    for (double amount : amounts)
        last = sell(*db, id, amount, QStringLiteral("JD"), notes, kStamp);

    QVERIFY2(balanceIs(*db, id, balance), qPrintable(storedBalance(*db, id)));
    QCOMPARE(last.balance, balance);
    const auto card = cardRow(*db, id);
    QCOMPARE(card->value("ActivationAmount").toDouble(), activation);
    QCOMPARE(card->value("Notes").toString(), notes);
    if (stored.isValid()) {
        // What the first sale set stays as it set it.
        QCOMPARE(card->value("ActivatedBy").toString(), QStringLiteral("AL"));
        QCOMPARE(card->value("WorkStationID").toString(), QStringLiteral("3"));
        QCOMPARE(card->value("Location").toInt(), 5);
        QCOMPARE(db->dialect().readDateTime(card->value("DateActivated")), QDateTime(QDate(2023, 1, 2), QTime(9, 0)));
    }
    const QList<QSqlRecord> rows = transactions(*db);
    QCOMPARE(rows.size(), amounts.size());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i].value("Amount").toDouble(), amounts[i]);
    QCOMPARE(last.transactionId, rows.last().value("ID").toInt());
    // Another card does not move.
    QVERIFY(balanceIs(*db, QStringLiteral("987654321"), 5.0));
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM GiftCards")).size(), 2);
}

void tst_GiftCardStore::redemptions_data()
{
    QTest::addColumn<QList<double>>("sales");
    QTest::addColumn<QList<double>>("redemptions");
    QTest::addColumn<QList<bool>>("taken");
    QTest::addColumn<double>("balance");

    QTest::newRow("the whole balance can be taken, leaving 0")
        << QList<double>{20} << QList<double>{20} << QList<bool>{true} << 0.0;
    QTest::newRow("a cent more than the balance is refused")
        << QList<double>{20} << QList<double>{20.01} << QList<bool>{false} << 20.0;
    QTest::newRow("after a part is spent only what is left can be taken")
        << QList<double>{50} << QList<double>{30, 20.01, 20} << QList<bool>{true, false, true} << 0.0;
    QTest::newRow("a balance of 0.1 and 0.2 is spent to nothing in two halves")
        << QList<double>{0.1, 0.2} << QList<double>{0.15, 0.15, 0.01} << QList<bool>{true, true, false} << 0.0;
    QTest::newRow("a card that was never sold gives nothing")
        << QList<double>{} << QList<double>{5} << QList<bool>{false} << -1.0;
}

void tst_GiftCardStore::redemptions()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QList<double>, sales);
    QFETCH(QList<double>, redemptions);
    QFETCH(QList<bool>, taken);
    QFETCH(double, balance);
    auto db = TestDb::fresh(server);
    const QString id = QStringLiteral("123456789");
    for (double amount : sales)
        sell(*db, id, amount, QStringLiteral("JD"), QString(), kStamp);

    QList<double> redeemed;
    for (int i = 0; i < redemptions.size(); ++i) {
        const std::optional<Saved> saved = redeem(*db, id, redemptions[i], QStringLiteral("MK"), kStamp);
        QCOMPARE(saved.has_value(), taken[i]);
        if (saved)
            redeemed << redemptions[i];
    }

    if (balance < 0)
        QVERIFY(!cardRow(*db, id));
    else
        QVERIFY2(balanceIs(*db, id, balance), qPrintable(storedBalance(*db, id)));
    QList<double> rows;
    for (const QSqlRecord &row : transactions(*db)) {
        if (row.value("TransactionType").toString() != u"Gift Card Redemption")
            continue;
        rows << row.value("Amount").toDouble();
        QCOMPARE(row.value("Clerk").toString(), QStringLiteral("MK"));
        QCOMPARE(row.value("CardID").toString(), id);
    }
    QCOMPARE(rows, redeemed);
}

void tst_GiftCardStore::refusedAmounts_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<double>("amount");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const char *operation : {"sell", "redeem", "edit"}) {
        QTest::addRow("%s 0", operation) << operation << 0.0;
        QTest::addRow("%s a negative amount", operation) << operation << -5.0;
        QTest::addRow("%s an amount that is not a number", operation) << operation << nan;
        QTest::addRow("%s an infinite amount", operation) << operation << inf;
        QTest::addRow("%s a cent above the largest amount", operation) << operation << 1e9;
    }
}

void tst_GiftCardStore::refusedAmounts()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, operation);
    QFETCH(double, amount);
    auto db = TestDb::fresh(server);
    addCard(*db, QStringLiteral("123456789"), 40.0);

    const QString id = QStringLiteral("123456789");
    QVERIFY_THROWS_EXCEPTION(DbError, {
        if (operation == u"sell")
            sell(*db, id, amount, QStringLiteral("JD"), QString(), kStamp);
        else if (operation == u"redeem")
            redeem(*db, id, amount, QStringLiteral("JD"), kStamp);
        else
            GiftCardStore::edit(*db, id, amount, QString(), kStamp);
    });
    QVERIFY(balanceIs(*db, id, 40.0));
    QVERIFY(transactions(*db).isEmpty());
}

void tst_GiftCardStore::failedTransactionRowChangesNoCard_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("sold");
    QTest::newRow("a first sale") << "sell" << false;
    QTest::newRow("a reload") << "sell" << true;
    QTest::newRow("a redemption") << "redeem" << true;
    QTest::newRow("an edit") << "edit" << true;
}

void tst_GiftCardStore::failedTransactionRowChangesNoCard()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(QString, operation);
    QFETCH(bool, sold);
    auto db = TestDb::fresh(server);
    const QString id = QStringLiteral("123456789");
    if (sold)
        addCard(*db, id, 40.0);
    const bool sqlite = server == u"SQLite";
    refuseTransactionRows(*db, sqlite);

    auto change = [&] {
        if (operation == u"sell")
            sell(*db, id, 10, QStringLiteral("JD"), QStringLiteral("new note"), kStamp);
        else if (operation == u"redeem")
            redeem(*db, id, 10, QStringLiteral("JD"), kStamp);
        else
            GiftCardStore::edit(*db, id, 10, QStringLiteral("new note"), kStamp);
    };
    QVERIFY_THROWS_EXCEPTION(DbError, change());
    if (sold) {
        QVERIFY2(balanceIs(*db, id, 40.0), qPrintable(storedBalance(*db, id)));
        QCOMPARE(cardRow(*db, id)->value("Notes").toString(), QStringLiteral("old note"));
    } else {
        QVERIFY(!cardRow(*db, id));
    }
    QVERIFY(transactions(*db).isEmpty());

    // Mended, the same change goes through on the same connection.
    db->exec(sqlite ? QStringLiteral("DROP TRIGGER Refuse") : QStringLiteral("DROP TRIGGER Refuse ON GiftCardTransactions"));
    change();
    QCOMPARE(transactions(*db).size(), 1);
    QVERIFY(balanceIs(*db, id, operation == u"sell" ? (sold ? 50.0 : 10.0) : (operation == u"redeem" ? 30.0 : 10.0)));
}

void tst_GiftCardStore::concurrentRedemptionsNeverOverspend()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    const QString id = QStringLiteral("123456789");
    addCard(*db, id, 100.0);
    addCard(*db, QStringLiteral("987654321"), 100.0);

    const WorkerRun run = runWorkers(server, id, QStringLiteral("redeem"), 8, 12);
    // Together they try to spend several times what the card holds.
    QVERIFY(run.triedCents > 3 * 10000);

    qint64 takenCents = 0;
    for (int cents : run.takenCents)
        takenCents += cents;
    QVERIFY(takenCents <= 10000);
    QVERIFY2(balanceIs(*db, id, double(10000 - takenCents) / 100),
             qPrintable(QStringLiteral("%1 instead of %2").arg(storedBalance(*db, id)).arg(double(10000 - takenCents) / 100)));
    QVERIFY(db->firstRow(QStringLiteral("SELECT ID FROM GiftCards WHERE ID = ? AND CardBalance >= 0"), {id}));
    // Whatever is left is less than the smallest amount anyone still wanted: the card was
    // not refused while it held enough.
    QVERIFY(10000 - takenCents < 600);

    const QList<QSqlRecord> rows = transactions(*db);
    QCOMPARE(rows.size(), run.takenCents.size());
    qint64 rowCents = 0;
    for (const QSqlRecord &row : rows)
        rowCents += std::llround(row.value("Amount").toDouble() * 100);
    QCOMPARE(rowCents, takenCents);
    QVERIFY(balanceIs(*db, QStringLiteral("987654321"), 100.0));
}

void tst_GiftCardStore::concurrentSalesLoseNoAmount_data()
{
    QTest::addColumn<bool>("sold");
    QTest::newRow("reloads of a sold card") << true;
    QTest::newRow("first sales of one new card at once") << false;
}

void tst_GiftCardStore::concurrentSalesLoseNoAmount()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(bool, sold);
    auto db = TestDb::fresh(server);
    const QString id = QStringLiteral("123456789");
    if (sold)
        addCard(*db, id, 40.0);

    const int workers = 8, count = 25;
    const WorkerRun run = runWorkers(server, id, QStringLiteral("sell"), workers, count);
    QCOMPARE(run.takenCents.size(), workers * count);

    const qint64 startCents = sold ? 4000 : 0;
    QVERIFY2(balanceIs(*db, id, double(startCents + run.triedCents) / 100),
             qPrintable(
                 QStringLiteral("%1 instead of %2").arg(storedBalance(*db, id)).arg(double(startCents + run.triedCents) / 100)));
    QCOMPARE(db->rows(QStringLiteral("SELECT ID FROM GiftCards")).size(), 1);
    QCOMPARE(transactions(*db).size(), workers * count);
    if (!sold) {
        // Exactly one of the first sales activated the card; the others reloaded it.
        const int activation = std::lround(cardRow(*db, id)->value("ActivationAmount").toDouble() * 100);
        QList<int> firstAmounts;
        for (int w = 0; w < workers; ++w)
            firstAmounts << amountOf(w, 0);
        QVERIFY2(firstAmounts.contains(activation), qPrintable(QString::number(activation)));
    }
}

QTEST_GUILESS_MAIN(tst_GiftCardStore)
#include "tst_giftcardstore.moc"
