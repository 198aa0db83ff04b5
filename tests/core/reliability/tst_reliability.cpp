// The program under load and under faults: eight workstations working the same accounts
// and gift cards at once, and a workstation killed at random moments while it saves.
// Afterwards nothing is half-written and nothing reported saved is lost: every balance
// is its tickets less its payments to the cent, every hold flag follows its balance,
// every gift card holds its sales less its redemptions and never less than 0, and every
// account keeps its one card. The figures are printed for the CI log.

#include "TestDb.h"
#include "Workstations.h"

#include "db/Db.h"
#include "giftcards/GiftCardStore.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTest>

#include <cmath>
#include <csignal>

namespace {

const QStringList kCustomers = {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003"), QStringLiteral("1004")};
const QStringList kGiftCards = {QStringLiteral("700000001"), QStringLiteral("700000002"), QStringLiteral("700000003")};
// Low enough that the accounts reach it and go on hold, and payments bring them back.
constexpr double kLimit = 400;

qint64 cents(const QVariant &v) { return std::llround(v.toDouble() * 100); }

int count(Db &db, const QString &sql, const QVariantList &values = {}) { return db.firstRow(sql, values)->value(0).toInt(); }

// The accounts, each with its card, and the gift cards, each first sold for 100.
void setUp(Db &db)
{
    for (const QString &id : kCustomers) {
        db.insert(QStringLiteral("Customer"),
                  {{"ID", id},
                   {"Name", "Fleet " + id},
                   {"Inactive", 0},
                   {"CurrentBalance", 0},
                   {"Limit", kLimit},
                   {"WarnAt", 0.8},
                   {"AcctOnHold", 0}},
                  QString());
        db.insert(QStringLiteral("Cards"), {{"CustomerID", id}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}}, QString());
    }
    for (const QString &card : kGiftCards)
        GiftCardStore::sell(db, card, 100, QStringLiteral("SETUP"), QString(),
                            {QStringLiteral("SETUP"), 1, QDateTime::currentDateTime()});
}

// Every rule that must hold whatever happened, as a list of what is wrong.
QStringList faults(Db &db)
{
    QStringList found = TestDb::wrongBalances(db);
    const QString holds =
        QStringLiteral("SELECT ID, CurrentBalance, %1 AS CreditLimit, AcctOnHold FROM Customer").arg(db.dialect().limitColumn());
    for (const QSqlRecord &row : db.rows(holds)) {
        const bool held = row.value("AcctOnHold").toInt() != 0;
        if (held != (cents(row.value("CurrentBalance")) >= cents(row.value("CreditLimit"))))
            found << QStringLiteral("%1: hold flag %2 at balance %3")
                         .arg(row.value("ID").toString())
                         .arg(held)
                         .arg(row.value("CurrentBalance").toString());
        const int cards = count(db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CustomerID = ?"), {row.value("ID")});
        if (cards != 1)
            found << QStringLiteral("%1: %2 cards instead of its one").arg(row.value("ID").toString()).arg(cards);
    }
    for (const QString &card : kGiftCards) {
        const auto stored = db.firstRow(QStringLiteral("SELECT CardBalance FROM GiftCards WHERE ID = ?"), {card});
        const qint64 sold = cents(db.firstRow(QStringLiteral("SELECT SUM(Amount) FROM GiftCardTransactions WHERE CardID = ? "
                                                             "AND TransactionType = 'Gift Card Purchase'"),
                                              {card})
                                      ->value(0));
        const qint64 spent = cents(db.firstRow(QStringLiteral("SELECT SUM(Amount) FROM GiftCardTransactions WHERE CardID = ? "
                                                              "AND TransactionType = 'Gift Card Redemption'"),
                                               {card})
                                       ->value(0));
        const qint64 balance = stored ? cents(stored->value(0)) : -1;
        if (balance != sold - spent || balance < 0)
            found << QStringLiteral("gift card %1: balance %2 cents, sales less redemptions %3")
                         .arg(card)
                         .arg(balance)
                         .arg(sold - spent);
    }
    if (db.dialect().name() == QLatin1String("SQLite")) {
        const QString check = db.firstRow(QStringLiteral("PRAGMA integrity_check"))->value(0).toString();
        if (check != QLatin1String("ok"))
            found << QStringLiteral("integrity check: ") + check;
    }
    return found;
}

// The tally line a workstation ends with, as numbers by name.
QHash<QString, int> tallyOf(const QStringList &output)
{
    QHash<QString, int> tally;
    for (const QString &line : output) {
        if (!line.startsWith(QLatin1String("done ")))
            continue;
        for (const QString &pair : line.mid(5).split(u' ', Qt::SkipEmptyParts))
            tally.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1).toInt());
    }
    return tally;
}

// Whether what a workstation reported saved is there.
QStringList missing(Db &db, const QStringList &reported)
{
    QStringList lost;
    for (const QString &line : reported) {
        const QString kind = line.section(u' ', 0, 0);
        const QString key = line.section(u' ', 1, 1);
        int found = 1;
        if (kind == u"ticket")
            found = count(db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE ID = ?"), {key.toInt()});
        else if (kind == u"payment")
            found = count(db, QStringLiteral("SELECT COUNT(*) FROM Payments WHERE CheckNum = ?"), {key});
        else if (kind == u"cash")
            found = count(db, QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE ID = ?"), {key.toInt()});
        else if (kind == u"sale" || kind == u"redemption")
            found = count(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE ID = ?"), {key.toInt()});
        if (found != 1)
            lost << line;
    }
    return lost;
}

} // namespace

class tst_Reliability : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void eightWorkstationsAtOnce();
    void killedWhileSaving();
};

void tst_Reliability::eightWorkstationsAtOnce()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    setUp(*db);

    const int stations = 8, operations = 1000;
    Workstations workstations(QStringLiteral("workstation"));
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 1500;
    QElapsedTimer clock;
    clock.start();
    for (int w = 0; w < stations; ++w)
        QVERIFY2(workstations.start({TestDb::connectionText(server), QStringLiteral("W%1").arg(w + 1),
                                     QString::number(7919 * (w + 1)), QString::number(operations), QString::number(start)}),
                 qPrintable(workstations.error()));
    const bool ended = workstations.finish(540000);

    QHash<QString, int> total;
    for (int w = 0; w < stations; ++w) {
        const QHash<QString, int> tally = tallyOf(workstations.output(size_t(w)));
        QVERIFY2(!tally.isEmpty(), qPrintable(QStringLiteral("workstation %1 gave no tally").arg(w + 1)));
        for (auto it = tally.cbegin(); it != tally.cend(); ++it)
            total[it.key()] += it.value();
    }
    qInfo().noquote() << QStringLiteral(
                             "%1: %2 workstations, %3 operations in %4 s: %5 charge tickets, %6 payments, %7 cash tickets, "
                             "%8 gift card sales, %9 redemptions, %10 card saves; refused as the rules say: %11 tickets on "
                             "a held account, %12 redemptions beyond the card; holds set %13 and lifted %14 times; "
                             "%15 errors")
                             .arg(server)
                             .arg(stations)
                             .arg(stations * operations)
                             .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                             .arg(total["tickets"])
                             .arg(total["payments"])
                             .arg(total["cash"])
                             .arg(total["sales"])
                             .arg(total["redemptions"])
                             .arg(total["cards"])
                             .arg(total["refusedHold"])
                             .arg(total["refusedRedemption"])
                             .arg(total["holdsSet"])
                             .arg(total["holdsLifted"])
                             .arg(total["errors"]);
    QVERIFY2(ended, qPrintable(workstations.error()));
    QCOMPARE(total["errors"], 0);

    const QStringList wrong = faults(*db);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    // One row for every operation that reported success, and no other.
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets")), total["tickets"]);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments")), total["payments"]);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM CashTickets")), total["cash"]);
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE TransactionType = 'Gift Card Purchase'")),
             total["sales"] + int(kGiftCards.size()));
    QCOMPARE(
        count(*db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE TransactionType = 'Gift Card Redemption'")),
        total["redemptions"]);
    QCOMPARE(total["tickets"] + total["payments"] + total["cash"] + total["sales"] + total["redemptions"] + total["cards"]
                 + total["refusedHold"] + total["refusedRedemption"],
             stations * operations);
    // The accounts crossed their limit both ways while the workstations worked.
    QVERIFY(total["holdsSet"] > 0);
    QVERIFY(total["holdsLifted"] > 0);
    QVERIFY(total["refusedRedemption"] > 0);
}

void tst_Reliability::killedWhileSaving()
{
    QFETCH_GLOBAL(QString, server);
    auto db = TestDb::fresh(server);
    setUp(*db);

    QRandomGenerator random(20261209);
    const int kills = 12;
    int reportedSaves = 0;
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < kills; ++k) {
        QProcess station;
        station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        station.start(QCoreApplication::applicationDirPath() + QStringLiteral("/workstation"),
                      {TestDb::connectionText(server), QStringLiteral("K%1").arg(k + 1), QString::number(random.generate()),
                       QStringLiteral("100000"), QStringLiteral("0")});
        QVERIFY(station.waitForStarted());
        // Once it is saving, at a random moment.
        QVERIFY(station.waitForReadyRead(20000));
        QTest::qWait(int(random.bounded(20, 400)));
        QVERIFY2(station.state() == QProcess::Running, "the workstation ended before it was killed");
        ::kill(pid_t(station.processId()), SIGKILL);
        QVERIFY(station.waitForFinished(10000));
        const QStringList reported = QString::fromUtf8(station.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        reportedSaves += int(reported.size());

        const QStringList lost = missing(*db, reported);
        QVERIFY2(lost.isEmpty(),
                 qPrintable(QStringLiteral("after kill %1, reported saved but not stored:\n").arg(k + 1) + lost.join(u'\n')));
        const QStringList wrong = faults(*db);
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("after kill %1:\n").arg(k + 1) + wrong.join(u'\n')));
        // A replaced card is the one last reported, or the one being saved when the kill came.
        for (const QString &line : reported) {
            if (!line.startsWith(QLatin1String("card ")))
                continue;
            const QString customer = line.section(u' ', 1, 1);
            const QString note =
                db->firstRow(QStringLiteral("SELECT CardNote FROM Cards WHERE CustomerID = ?"), {customer})->value(0).toString();
            const QString last = [&] {
                QString l;
                for (const QString &r : reported)
                    if (r.startsWith(QStringLiteral("card ") + customer + u' '))
                        l = r.section(u' ', 2);
                return l;
            }();
            const auto number = [](const QString &n) { return n.section(QStringLiteral(" n"), 1).toInt(); };
            QVERIFY2(note.section(u' ', 0, 0) == QStringLiteral("K%1").arg(k + 1) && number(note) >= number(last),
                     qPrintable(QStringLiteral("card of %1 holds \"%2\", last reported \"%3\"").arg(customer, note, last)));
        }
    }
    qInfo().noquote() << QStringLiteral(
                             "%1: %2 workstations killed while saving, %3 saves reported before the kills, %4 tickets, "
                             "%5 payments stored; nothing lost or half-written (%6 s)")
                             .arg(server)
                             .arg(kills)
                             .arg(reportedSaves)
                             .arg(count(*db, QStringLiteral("SELECT COUNT(*) FROM Tickets")))
                             .arg(count(*db, QStringLiteral("SELECT COUNT(*) FROM Payments")))
                             .arg(clock.elapsed() / 1000.0, 0, 'f', 1);
}

QTEST_GUILESS_MAIN(tst_Reliability)
#include "tst_reliability.moc"
