// The save road of a charge ticket: the ticket row and what it does to the balances
// commit together, a reprint posts the difference to the right customers, a failing
// posting keeps the ticket, an amount the money columns cannot hold writes nothing, and a
// saving process killed at any moment leaves every balance equal to its tickets less
// its payments.

#include "TestDb.h"

#include "accounts/BalanceCheck.h"
#include "accounts/CustomerBalances.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlRecord>
#include <QTest>

#include <cmath>

namespace {

using namespace TicketLines;

const TicketStamp kStamp{QStringLiteral("7"), 1, QDateTime(QDate(2024, 3, 14), QTime(9, 30))};

void addCustomer(Db &db, const QString &id, double balance, double limit = 1000)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", "Customer " + id},
               {"Inactive", 0},
               {"CurrentBalance", balance},
               {"Limit", limit},
               {"WarnAt", 0.8},
               {"AcctOnHold", 0}},
              QString());
    db.insert(QStringLiteral("Cards"), {{"CustomerID", id}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}}, QString());
}

// A ticket of oil only: with 8.25 % tax, oil 100 comes to 108.25.
TicketRecord oilTicket(const QString &customerId, const QString &oil, int id = 0)
{
    TicketRecord t;
    t.id = id;
    t.customerId = customerId;
    t.cardNo = QStringLiteral("01");
    t.details.clerk = QStringLiteral("JD");
    t.amounts.merchandise[Oil] = oil;
    figure(t.amounts, 0.0825);
    return t;
}

qint64 centsOf(const QVariant &v) { return std::llround(v.toDouble() * 100); }

qint64 balanceCents(Db &db, const QString &id)
{
    return centsOf(db.firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {id})->value(0));
}

bool onHold(Db &db, const QString &id)
{
    return db.firstRow(QStringLiteral("SELECT AcctOnHold FROM Customer WHERE ID = ?"), {id})->value(0).toInt() != 0;
}

// Every customer whose balance is not its tickets less its payments, or whose hold flag
// does not follow its balance, as "ID: what is wrong".
QStringList balanceFaults(Db &db)
{
    QStringList faults;
    for (const CustomerBalanceCheck &c : CheckCustomerBalances(db))
        if (c.differs())
            faults
                << QStringLiteral("%1: balance %2, tickets less payments %3").arg(c.customerId).arg(c.balance).arg(c.expected());
    const QString sql =
        QStringLiteral("SELECT ID, CurrentBalance, %1 AS CreditLimit, AcctOnHold FROM Customer").arg(db.dialect().limitColumn());
    for (const QSqlRecord &row : db.rows(sql)) {
        const qint64 balance = centsOf(row.value("CurrentBalance"));
        const bool held = row.value("AcctOnHold").toInt() != 0;
        if (held != (balance >= centsOf(row.value("CreditLimit"))))
            faults
                << QStringLiteral("%1: hold flag %2 at balance %3 cents").arg(row.value("ID").toString()).arg(held).arg(balance);
    }
    return faults;
}

} // namespace

class tst_TicketSaving : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void newTicketIsPostedWithIt()
    {
        QFETCH_GLOBAL(QString, server);
        auto db = TestDb::fresh(server);
        addCustomer(*db, "1001", 100, 200);
        const TicketSaving::Outcome outcome = TicketSaving::save(*db, oilTicket("1001", "100"), kStamp);
        QVERIFY(outcome.posted);
        QCOMPARE(db->firstRow("SELECT ID FROM Tickets")->value(0).toInt(), outcome.id);
        QCOMPARE(balanceCents(*db, "1001"), 20825);
        // The posting sets the hold as a posting always does.
        QVERIFY(onHold(*db, "1001"));
        // ... and the screen is handed the account as the posting left it.
        QVERIFY(outcome.account);
        QCOMPARE(qRound64(outcome.account->balance * 100), 20825);
        QVERIFY(outcome.account->onHold);
    }

    void reprintPostsWhatChanged_data()
    {
        QTest::addColumn<QString>("savedUnder");
        QTest::addColumn<QString>("oil");
        QTest::addColumn<qint64>("balanceA"); // cents; A001 holds the ticket of 108.25
        QTest::addColumn<qint64>("balanceB"); // cents; B002 holds another ticket of 50.00
        QTest::addColumn<bool>("holdA");      // A001's limit is 500
        QTest::newRow("an unchanged reprint posts nothing") << "A001"
                                                            << "100" << qint64(10825) << qint64(5000) << false;
        QTest::newRow("changed amounts post the difference") << "A001"
                                                             << "50" << qint64(5412) << qint64(5000) << false;
        QTest::newRow("a higher total puts the account on hold") << "A001"
                                                                 << "900" << qint64(97425) << qint64(5000) << true;
        QTest::newRow("another account takes the whole ticket") << "B002"
                                                                << "100" << qint64(0) << qint64(15825) << false;
        QTest::newRow("another account with other amounts") << "B002"
                                                            << "10" << qint64(0) << qint64(6082) << false;
    }
    void reprintPostsWhatChanged()
    {
        QFETCH_GLOBAL(QString, server);
        QFETCH(QString, savedUnder);
        QFETCH(QString, oil);
        auto db = TestDb::fresh(server);
        addCustomer(*db, "A001", 0, 500);
        addCustomer(*db, "B002", 50);
        db->insert("Tickets", {{"CustomerID", "B002"}, {"CardNo", "01"}, {"Total", 50.0}, {"Location", 2}});
        const int id = TicketSaving::save(*db, oilTicket("A001", "100"), kStamp).id;
        QCOMPARE(balanceCents(*db, "A001"), 10825);

        const TicketSaving::Outcome outcome = TicketSaving::save(*db, oilTicket(savedUnder, oil, id), kStamp);
        QVERIFY(outcome.posted);
        QCOMPARE(outcome.id, id);
        QCOMPARE(db->firstRow("SELECT COUNT(*) FROM Tickets")->value(0).toInt(), 2);
        QCOMPARE(db->firstRow("SELECT CustomerID FROM Tickets WHERE ID = ?", {id})->value(0).toString(), savedUnder);
        QTEST(balanceCents(*db, "A001"), "balanceA");
        QTEST(balanceCents(*db, "B002"), "balanceB");
        QTEST(onHold(*db, "A001"), "holdA");
        // The balances stand as the rebuild would make them, so it changes nothing.
        QCOMPARE(balanceFaults(*db), QStringList());
        const qint64 a = balanceCents(*db, "A001"), b = balanceCents(*db, "B002");
        QCOMPARE(RebuildCustomerBalances(*db).changed, 0);
        QCOMPARE(balanceCents(*db, "A001"), a);
        QCOMPARE(balanceCents(*db, "B002"), b);
    }

    void failingPostingKeepsTheTicket_data()
    {
        QTest::addColumn<bool>("inCallersTransaction");
        QTest::newRow("a save of its own") << false;
        QTest::newRow("a save inside the caller's transaction") << true;
    }

    void failingPostingKeepsTheTicket()
    {
        QFETCH_GLOBAL(QString, server);
        QFETCH(bool, inCallersTransaction);
        auto db = TestDb::fresh(server);
        addCustomer(*db, "1001", 100);
        // The posting statement cannot run: the hold it sets is not there.
        db->exec("ALTER TABLE Customer RENAME COLUMN AcctOnHold TO HeldByHand");
        TicketSaving::Outcome outcome;
        if (inCallersTransaction) {
            Transaction caller(*db);
            outcome = TicketSaving::save(*db, oilTicket("1001", "100"), kStamp);
            caller.commit();
        } else {
            outcome = TicketSaving::save(*db, oilTicket("1001", "100"), kStamp);
        }
        QVERIFY(!outcome.posted);
        QVERIFY(!outcome.account);
        QCOMPARE(db->firstRow("SELECT COUNT(*) FROM Tickets")->value(0).toInt(), 1);
        QVERIFY(outcome.id > 0);
        QCOMPARE(db->firstRow("SELECT Total FROM Tickets WHERE ID = ?", {outcome.id})->value(0).toDouble(), 108.25);
        // The posting is undone as a whole, not left half-way.
        QCOMPARE(balanceCents(*db, "1001"), 10000);
        QVERIFY(!db->inTransaction());
    }

    void unstorableTicketWritesNothing_data()
    {
        QTest::addColumn<QString>("field"); // gallons or price of diesel, or oil
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("1e308 gallons of diesel") << "gallons"
                                                 << "1e308"
                                                 << "Diesel Gallons";
        QTest::newRow("forty nines of oil") << "oil" << QString(40, u'9') << "Oil";
        QTest::newRow("a price a cent beyond the limit") << "price"
                                                         << "1000000000"
                                                         << "Diesel Price Each";
        QTest::newRow("an infinite amount of oil") << "oil"
                                                   << "1e999"
                                                   << "Oil";
        QTest::newRow("gallons whose extension is beyond the limit") << "gallons"
                                                                     << "300000000"
                                                                     << "Diesel Price Ext";
    }
    void unstorableTicketWritesNothing()
    {
        QFETCH_GLOBAL(QString, server);
        QFETCH(QString, field);
        QFETCH(QString, text);
        auto db = TestDb::fresh(server);
        addCustomer(*db, "1001", 100);
        TicketRecord t = oilTicket("1001", "5");
        t.amounts.fuel[Diesel].priceEach = QStringLiteral("3.9");
        if (field == u"oil")
            t.amounts.merchandise[Oil] = text;
        else if (field == u"gallons")
            t.amounts.fuel[Diesel].gallons = text;
        else
            t.amounts.fuel[Diesel].priceEach = text;
        figure(t.amounts, 0.0825);
        try {
            TicketSaving::save(*db, t, kStamp);
            QFAIL("stored");
        } catch (const DbError &error) {
            QFETCH(QString, caption);
            QVERIFY2(error.serverText().startsWith(caption + QStringLiteral(" holds an amount")), qPrintable(error.serverText()));
        }
        QCOMPARE(db->firstRow("SELECT COUNT(*) FROM Tickets")->value(0).toInt(), 0);
        QCOMPARE(balanceCents(*db, "1001"), 10000);
    }

    void vanishedTicketIsNotStoredAgain()
    {
        QFETCH_GLOBAL(QString, server);
        auto db = TestDb::fresh(server);
        addCustomer(*db, "1001", 100);
        const int id = TicketSaving::save(*db, oilTicket("1001", "100"), kStamp).id;
        db->exec("DELETE FROM Tickets");
        QVERIFY_THROWS_EXCEPTION(DbError, TicketSaving::save(*db, oilTicket("1001", "50", id), kStamp));
        QCOMPARE(db->firstRow("SELECT COUNT(*) FROM Tickets")->value(0).toInt(), 0);
        QCOMPARE(balanceCents(*db, "1001"), 20825);
    }

    // A workstation killed with SIGKILL at random moments while it saves new tickets and
    // rewrites stored ones: whatever instant the kill lands on, each ticket and its
    // postings are there together or not at all.
    void killedWhileSaving()
    {
        QFETCH_GLOBAL(QString, server);
        auto db = TestDb::fresh(server);
        const QStringList customers = {"K001", "K002", "K003"};
        // Limits low enough that the customers cross them both ways during the run.
        for (const QString &id : customers)
            addCustomer(*db, id, -25, 1500);
        for (const QString &id : customers)
            db->insert("Payments", {{"Customer", id}, {"Amount", 25.0}});

        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/ticketsavingworker");
        QRandomGenerator random(QRandomGenerator::global()->generate());
        const int rounds = 15;
        int killedInsideSave = 0;
        QSet<int> reportedSaved;
        for (int round = 0; round < rounds; ++round) {
            QProcess worker;
            worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            worker.start(program, QStringList{TestDb::connectionText(server), QString::number(random.generate())} + customers);
            QVERIFY2(worker.waitForStarted(), qPrintable(program + QStringLiteral(": ") + worker.errorString()));
            // Once it is saving, let it run a random while, then kill it where it stands.
            QVERIFY(worker.waitForReadyRead(15000));
            QTest::qWait(random.bounded(10, 250));
            // A worker that ended by itself has said why on the error channel.
            QCOMPARE(worker.state(), QProcess::Running);
            worker.kill();
            QVERIFY(worker.waitForFinished(15000));
            const QList<QByteArray> lines = worker.readAllStandardOutput().trimmed().split('\n');
            if (lines.last() == "saving")
                ++killedInsideSave;
            for (const QByteArray &line : lines)
                if (line.startsWith("saved "))
                    reportedSaved.insert(line.mid(6).toInt());
        }
        const int tickets = db->firstRow("SELECT COUNT(*) FROM Tickets")->value(0).toInt();
        qInfo("%s: %d kills, %d inside a save; %d tickets stored, %d saves reported", qPrintable(server), rounds,
              killedInsideSave, tickets, int(reportedSaved.size()));
        QVERIFY(killedInsideSave > 0);
        QVERIFY(tickets > 0);
        for (int id : reportedSaved)
            QVERIFY2(db->firstRow("SELECT ID FROM Tickets WHERE ID = ?", {id}), qPrintable(QString::number(id)));
        QCOMPARE(balanceFaults(*db), QStringList());
        if (server == QLatin1String("SQLite"))
            QCOMPARE(db->firstRow("PRAGMA integrity_check")->value(0).toString(), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(tst_TicketSaving)
#include "tst_ticketsaving.moc"
