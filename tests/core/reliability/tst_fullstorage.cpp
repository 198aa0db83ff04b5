// Every save road while the storage runs out: the database file has no page left, the
// write-ahead log cannot grow (as on a full disk: SQLite writes a commit's pages there
// only when it commits), or the server refuses the commit itself. Whatever each save
// reports is read back on a new connection: a save reported done is stored, a save
// reported failed left nothing behind, and balances still follow their rows.

#include "TestDb.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaTables.h"
#include "giftcards/GiftCardStore.h"
#include "setup/CompanyStore.h"
#include "tickets/TicketSaving.h"
#include "tickets/TicketStore.h"

#include <QFileInfo>
#include <QSqlRecord>
#include <QTest>

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace {

constexpr int kAttempts = 60;
const QString kCustomer = QStringLiteral("1001");
const QString kGiftCard = QStringLiteral("700000009");
const QDateTime kWhen(QDate(2026, 3, 14), QTime(9, 30));
const TicketStamp kStamp{QStringLiteral("WS1"), 1, kWhen};
const GiftCardStore::Stamp kCardStamp{QStringLiteral("WS1"), 1, kWhen};

int count(Db &db, const QString &sql, const QVariantList &values = {}) { return db.firstRow(sql, values)->value(0).toInt(); }

// An account with its card, the location's company row and a gift card holding 1000.
void setUp(Db &db)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", kCustomer},
               {"Name", "SMITH TRUCKING"},
               {"Inactive", 0},
               {"CurrentBalance", 0},
               {"Limit", 1000000},
               {"WarnAt", 0.8},
               {"AcctOnHold", 0}},
              QString());
    db.insert(QStringLiteral("Cards"), {{"CustomerID", kCustomer}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}},
              QString());
    db.insert(QStringLiteral("Company"), {{"ID", 1}, {"Name", "Station"}, {"DieselPricePerGallon", 3.5}}, QString());
    GiftCardStore::sell(db, kGiftCard, 1000, QStringLiteral("SETUP"), QString(), kCardStamp);
}

// One way the program writes. save() returns what identifies the attempt's row when the
// road reports it done and nothing when it reports it not done; a thrown DbError is a
// reported failure too. rows() counts the rows of the road's kind; stored() says whether
// a reported row is there. A road that overwrites one row (overwrites) must leave the
// value of its last save reported done, which stored() is asked of.
struct Road
{
    std::function<std::optional<QVariant>(Db &, int)> save;
    QString rows;
    std::function<bool(Db &, const QVariant &)> stored;
    bool overwrites = false;
};

QString attemptText(int i) { return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')); }

bool has(Db &db, const QString &sql, const QVariant &value) { return count(db, sql, {value}) == 1; }

const QMap<QString, Road> &roads()
{
    static const QMap<QString, Road> all = {
        {QStringLiteral("a charge ticket"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              TicketRecord t;
              t.customerId = kCustomer;
              t.cardNo = QStringLiteral("01");
              t.details.clerk = QStringLiteral("JD");
              t.details.truckNumber = attemptText(i);
              t.amounts.merchandise[TicketLines::Oil] = QString::number(10 + i);
              TicketLines::figure(t.amounts, 0.0825);
              const TicketSaving::Outcome outcome = TicketSaving::save(db, t, kStamp);
              if (!outcome.posted)
                  return std::nullopt;
              return outcome.id;
          },
          QStringLiteral("SELECT COUNT(*) FROM Tickets"),
          [](Db &db, const QVariant &id) { return has(db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE ID = ?"), id); }}},
        {QStringLiteral("a cash ticket"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              CashTicketRecord t;
              t.customer = QStringLiteral("WALK-IN ") + attemptText(i);
              t.address1 = QStringLiteral("1 MAIN ST");
              t.details.clerk = QStringLiteral("JD");
              t.amounts.merchandise[TicketLines::Oil] = QString::number(10 + i);
              TicketLines::figure(t.amounts, 0.0825);
              const int id = CashTicketStore::insert(db, t, kStamp);
              return QStringLiteral("%1 %2").arg(id).arg(t.customer);
          },
          QStringLiteral("SELECT COUNT(*) FROM CashTickets"),
          [](Db &db, const QVariant &key) {
              const QString text = key.toString();
              return count(db, QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE ID = ? AND Customer = ?"),
                           {text.section(u' ', 0, 0).toInt(), text.section(u' ', 1)})
                     == 1;
          }}},
        {QStringLiteral("a payment"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              const Payment payment{kCustomer, kWhen.date(), 1.0 + i, QStringLiteral("CHK ") + attemptText(i)};
              if (!PaymentStore::receive(db, payment, kWhen))
                  return std::nullopt;
              return payment.checkNum;
          },
          QStringLiteral("SELECT COUNT(*) FROM Payments"),
          [](Db &db, const QVariant &check) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM Payments WHERE CheckNum = ?"), check);
          }}},
        {QStringLiteral("a gift card's first sale"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              const QString card = QStringLiteral("800000") + attemptText(i);
              GiftCardStore::sell(db, card, 25, QStringLiteral("JD"), QStringLiteral("NEW"), kCardStamp);
              return card;
          },
          QStringLiteral("SELECT COUNT(*) FROM GiftCards"),
          [](Db &db, const QVariant &card) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCards WHERE ID = ?"), card)
                     && has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE CardID = ?"), card);
          }}},
        {QStringLiteral("a gift card reload"),
         {[](Db &db, int) -> std::optional<QVariant> {
              return GiftCardStore::sell(db, kGiftCard, 10, QStringLiteral("JD"), QString(), kCardStamp).transactionId;
          },
          QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions"),
          [](Db &db, const QVariant &id) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE ID = ?"), id);
          }}},
        {QStringLiteral("a gift card redemption"),
         {[](Db &db, int) -> std::optional<QVariant> {
              const auto saved = GiftCardStore::redeem(db, kGiftCard, 5, QStringLiteral("JD"), kCardStamp);
              return saved ? std::optional<QVariant>(saved->transactionId) : std::nullopt;
          },
          QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions"),
          [](Db &db, const QVariant &id) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE ID = ?"), id);
          }}},
        {QStringLiteral("a gift card balance inquiry"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              GiftCardStore::Stamp stamp = kCardStamp;
              stamp.workstationId = QStringLiteral("Q") + attemptText(i);
              GiftCardStore::inquire(db, kGiftCard, stamp);
              return stamp.workstationId;
          },
          QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions"),
          [](Db &db, const QVariant &ws) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE WorkStationID = ?"), ws);
          }}},
        {QStringLiteral("a gift card edit"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              const auto saved =
                  GiftCardStore::edit(db, kGiftCard, 500 + i, QStringLiteral("EDIT ") + attemptText(i), kCardStamp);
              return saved ? std::optional<QVariant>(saved->transactionId) : std::nullopt;
          },
          QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions"),
          [](Db &db, const QVariant &id) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE ID = ?"), id);
          }}},
        {QStringLiteral("a customer with a login"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              CustomerEntry entry;
              entry.accountNumber = QStringLiteral("K") + attemptText(i);
              entry.name = QStringLiteral("FLEET ") + attemptText(i);
              entry.address1 = QStringLiteral("2 DEPOT RD");
              entry.limit = QStringLiteral("500");
              entry.warnAt = QStringLiteral("0.8");
              entry.userName = QStringLiteral("fleet") + attemptText(i);
              entry.password = QStringLiteral("secret");
              if (CustomerStore::save(db, entry, kWhen) != LoginSave::Written)
                  return std::nullopt;
              return entry.accountNumber;
          },
          QStringLiteral("SELECT COUNT(*) FROM Customer"),
          [](Db &db, const QVariant &id) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE ID = ?"), id)
                     && has(db, QStringLiteral("SELECT COUNT(*) FROM WebUser WHERE CustomerID = ?"), id);
          }}},
        {QStringLiteral("a customer's card"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              const QString cardNo = QStringLiteral("C") + attemptText(i);
              CustomerStore::saveCard(db, kCustomer,
                                      {cardNo, QStringLiteral("1"), false, QStringLiteral("NOTE ") + attemptText(i)});
              return cardNo;
          },
          QStringLiteral("SELECT COUNT(*) FROM Cards"),
          [](Db &db, const QVariant &cardNo) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CardNo = ?"), cardNo);
          }}},
        {QStringLiteral("the company information"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              // Longer every time, so that the row needs more room.
              const QString name = QStringLiteral("STATION ") + attemptText(i) + QString(i * 40, u'X');
              CompanyStore::saveInformation(db, 1, {{QStringLiteral("Name"), name}});
              return name;
          },
          QStringLiteral("SELECT COUNT(*) FROM Company"),
          [](Db &db, const QVariant &name) {
              return has(db, QStringLiteral("SELECT COUNT(*) FROM Company WHERE ID = 1 AND Name = ?"), name);
          },
          true}},
        {QStringLiteral("the prices"),
         {[](Db &db, int i) -> std::optional<QVariant> {
              const double price = 3.5 + (i + 1) / 100.0;
              CompanyStore::savePrices(db, 1, {{QStringLiteral("DieselPricePerGallon"), price}});
              return price;
          },
          QStringLiteral("SELECT COUNT(*) FROM Company"),
          [](Db &db, const QVariant &price) {
              const double stored =
                  db.firstRow(QStringLiteral("SELECT DieselPricePerGallon FROM Company WHERE ID = 1"))->value(0).toDouble();
              return qAbs(stored - price.toDouble()) < 1e-9;
          },
          true}},
    };
    return all;
}

// A file size limit on this process: a write that would make a file longer fails as
// it fails on a full disk. Lifted when the guard goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limit = m_before;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_before); }

private:
    rlimit m_before{};
};

// The faults, each as what it needs set up on an open database and how long it lasts.
enum class Fault { NoPageLeft, LogCannotGrow, CommitRefused };

QList<Fault> faultsOf(const QString &server)
{
    if (server == QLatin1String("SQLite"))
        return {Fault::NoPageLeft, Fault::LogCannotGrow};
    return {Fault::CommitRefused};
}

QString faultName(Fault fault)
{
    switch (fault) {
    case Fault::NoPageLeft:
        return QStringLiteral("no page left in the file");
    case Fault::LogCannotGrow:
        return QStringLiteral("the write-ahead log cannot grow");
    case Fault::CommitRefused:
        return QStringLiteral("the server refuses the commit");
    }
    return {};
}

// Room for a few commits of one row, then none.
constexpr int kLogFramesLeft = 8;
// Row changes the server commits before it refuses every commit.
constexpr int kRowsBeforeRefusing = 10;

// PostgreSQL checks a deferred constraint trigger at the commit: once the budget is
// spent, every commit that changed a row is refused, the way a server out of disk
// refuses to write its log.
void refuseCommits(Db &db)
{
    db.exec(QStringLiteral("DROP SEQUENCE IF EXISTS test_commit_budget"));
    db.exec(QStringLiteral("CREATE SEQUENCE test_commit_budget"));
    db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION test_refuse_commit() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                           "IF nextval('test_commit_budget') > %1 THEN RAISE EXCEPTION 'refused at commit by the test'; END IF; "
                           "RETURN NULL; END $$")
                .arg(kRowsBeforeRefusing));
    for (const SchemaTable &table : SchemaTables::all())
        db.exec(QStringLiteral("CREATE CONSTRAINT TRIGGER RefuseCommit_%1 AFTER INSERT OR UPDATE OR DELETE ON %1 "
                               "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION test_refuse_commit()")
                    .arg(table.name));
}

} // namespace

class tst_FullStorage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    // A write past the limit fails with an error instead of ending the process.
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void everySaveReportedDoneIsStored_data()
    {
        QTest::addColumn<QString>("road");
        for (auto it = roads().keyBegin(); it != roads().keyEnd(); ++it)
            QTest::newRow(qPrintable(*it)) << *it;
    }
    void everySaveReportedDoneIsStored()
    {
        QFETCH_GLOBAL(QString, server);
        QFETCH(QString, road);
        const Road &r = roads()[road];
        for (const Fault fault : faultsOf(server)) {
            auto db = TestDb::fresh(server);
            setUp(*db);
            const int rowsBefore = count(*db, r.rows);
            QStringList failures;
            QList<QVariant> done;
            std::optional<FileSizeLimit> limit;
            if (fault == Fault::NoPageLeft) {
                const int pages = count(*db, QStringLiteral("PRAGMA page_count"));
                db->exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
            } else if (fault == Fault::CommitRefused) {
                refuseCommits(*db);
            }
            const QString log = db->description() + QStringLiteral("-wal");
            if (fault == Fault::LogCannotGrow)
                limit.emplace(QFileInfo(log).size() + kLogFramesLeft * (4096 + 24));
            for (int i = 0; i < kAttempts; ++i) {
                try {
                    const std::optional<QVariant> key = r.save(*db, i);
                    if (key)
                        done << *key;
                    else
                        failures << QStringLiteral("reported not done");
                } catch (const DbError &error) {
                    failures << error.serverText();
                }
            }
            limit.reset();
            db.reset();

            // What a workstation opening the database now finds.
            auto after = Db::open(TestDb::connectionText(server));
            const QString what = QStringLiteral("%1 under \"%2\": %3 reported done, %4 failed (%5)")
                                     .arg(road, faultName(fault))
                                     .arg(done.size())
                                     .arg(failures.size())
                                     .arg(failures.isEmpty() ? QString() : failures.constFirst());
            qInfo("%s", qPrintable(what));
            if (r.overwrites) {
                if (!done.isEmpty())
                    QVERIFY2(r.stored(*after, done.constLast()),
                             qPrintable(what + QStringLiteral(": the last save reported done is not stored")));
                QCOMPARE(count(*after, r.rows), rowsBefore);
            } else {
                for (const QVariant &key : std::as_const(done))
                    QVERIFY2(r.stored(*after, key), qPrintable(what + QStringLiteral(": %1 is not stored").arg(key.toString())));
                // Nothing of a failed save is left behind.
                QCOMPARE(count(*after, r.rows), rowsBefore + int(done.size()));
            }
            QCOMPARE(TestDb::wrongBalances(*after), QStringList());
            QCOMPARE(TestDb::wrongGiftCardBalances(*after), QStringList());
            // Every commit meets these two, so the storage must be seen to run out. (The
            // pages run out only for the roads whose rows outgrow the free room left.)
            if (fault != Fault::NoPageLeft)
                QVERIFY2(!failures.isEmpty(), qPrintable(what));
        }
    }
};

QTEST_GUILESS_MAIN(tst_FullStorage)
#include "tst_fullstorage.moc"
