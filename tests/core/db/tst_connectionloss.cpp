// Every save road when the connection to the PostgreSQL server goes at a chosen moment:
// between two saves (as a restarted server leaves an idle workstation), half-way
// through the save's transaction, with its COMMIT never reaching the server, and with
// the COMMIT carried out but its answer lost. The connection runs through a small relay
// of the test's own that cuts it at that moment, so each case happens every time. After
// each save the row is stored exactly once, and the clerk was told the connection was
// made again; when it cannot be made again, the save says it failed and stores nothing.

#include "TestDb.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "giftcards/GiftCardStore.h"
#include "setup/CompanyStore.h"
#include "tickets/TicketSaving.h"
#include "tickets/TicketStore.h"

#include <QMutex>
#include <QSet>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>

namespace {

const QString kCustomer = QStringLiteral("1001");
const QString kGiftCard = QStringLiteral("700000009");
const QDateTime kWhen(QDate(2026, 3, 14), QTime(9, 30));

// Passes the bytes of every connection between the program and the server, and cuts
// a connection at the moment the test chose. Lives in a thread of its own: the
// program's statements block the test's thread while the relay works.
class Relay : public QObject
{
public:
    enum class Cut {
        None,
        // The connection is closed as the client sends the trigger; the server never sees it.
        BeforeSending,
        // The trigger goes to the server; its answer is dropped and the connection closed.
        AfterAnswer,
        // The trigger goes to the server, and the connection is closed as the client
        // sends its next statement, which the server never sees.
        BeforeNext,
    };

    Relay(const QString &host, quint16 port) : m_host(host), m_port(port)
    {
        connect(m_server, &QTcpServer::newConnection, this, &Relay::accept);
    }

    quint16 listen()
    {
        m_server->listen(QHostAddress::LocalHost);
        return m_server->serverPort();
    }

    // From the test's thread: the next statement holding `trigger` meets the cut.
    void arm(Cut cut, const QByteArray &trigger)
    {
        QMutexLocker lock(&m_mutex);
        m_cut = cut;
        m_trigger = trigger;
    }
    // New connections are refused while set, as by a server that is down.
    std::atomic<bool> refusing = false;
    std::atomic<int> cuts = 0;

    // Closes every connection now (call in the relay's thread).
    void closeAll()
    {
        for (QTcpSocket *client : m_pairs.keys())
            cut(client);
    }

private:
    void accept()
    {
        while (QTcpSocket *client = m_server->nextPendingConnection()) {
            if (refusing) {
                client->abort();
                client->deleteLater();
                continue;
            }
            auto *server = new QTcpSocket(this);
            m_pairs.insert(client, server);
            m_swallow.insert(client, false);
            connect(client, &QTcpSocket::readyRead, this, [this, client] { fromClient(client); });
            connect(server, &QTcpSocket::readyRead, this, [this, client] { fromServer(client); });
            connect(client, &QTcpSocket::disconnected, this, [this, client] { cut(client); });
            connect(server, &QTcpSocket::disconnected, this, [this, client] { cut(client); });
            server->connectToHost(m_host, m_port);
            server->waitForConnected(5000);
        }
    }

    void fromClient(QTcpSocket *client)
    {
        QTcpSocket *server = m_pairs.value(client);
        if (!server)
            return;
        const QByteArray data = client->readAll();
        QMutexLocker lock(&m_mutex);
        if (m_cutNext.remove(client)) {
            ++cuts;
            cut(client);
            return;
        }
        if (m_cut != Cut::None && data.contains(m_trigger)) {
            const Cut cutNow = m_cut;
            m_cut = Cut::None;
            if (cutNow == Cut::BeforeSending) {
                ++cuts;
                cut(client);
                return;
            }
            if (cutNow == Cut::BeforeNext)
                m_cutNext.insert(client);
            else
                m_swallow[client] = true;
        }
        server->write(data);
    }

    void fromServer(QTcpSocket *client)
    {
        QTcpSocket *server = m_pairs.value(client);
        if (!server)
            return;
        const QByteArray data = server->readAll();
        if (m_swallow.value(client)) {
            ++cuts;
            cut(client);
            return;
        }
        client->write(data);
    }

    void cut(QTcpSocket *client)
    {
        QTcpSocket *server = m_pairs.take(client);
        m_swallow.remove(client);
        m_cutNext.remove(client);
        if (!server)
            return;
        client->abort();
        server->abort();
        client->deleteLater();
        server->deleteLater();
    }

    QString m_host;
    quint16 m_port;
    // A child, so that it moves to the relay's thread along with it.
    QTcpServer *m_server = new QTcpServer(this);
    QHash<QTcpSocket *, QTcpSocket *> m_pairs;
    QHash<QTcpSocket *, bool> m_swallow;
    QSet<QTcpSocket *> m_cutNext;
    QMutex m_mutex;
    Cut m_cut = Cut::None;
    QByteArray m_trigger;
};

int count(Db &db, const QString &sql, const QVariant &value) { return db.firstRow(sql, {value})->value(0).toInt(); }

// One save road: save() makes the entry tagged `tag`; times() says how often it is stored.
struct Road
{
    std::function<void(Db &, const QString &tag)> save;
    std::function<int(Db &, const QString &tag)> times;
};

QMap<QString, Road> roads()
{
    const auto countOf = [](const QString &sql) { return [sql](Db &db, const QString &tag) { return count(db, sql, tag); }; };
    const GiftCardStore::Stamp cardStamp{QStringLiteral("WS1"), 1, kWhen};
    return {
        {QStringLiteral("charge ticket"),
         {[](Db &db, const QString &tag) {
              TicketRecord t;
              t.customerId = kCustomer;
              t.cardNo = QStringLiteral("01");
              t.details.clerk = QStringLiteral("JD");
              t.details.truckNumber = tag;
              t.amounts.merchandise[TicketLines::Oil] = QStringLiteral("25");
              TicketLines::figure(t.amounts, 0.0825);
              const TicketSaving::Outcome outcome = TicketSaving::save(db, t, {QStringLiteral("WS1"), 1, kWhen});
              QVERIFY(outcome.posted);
              QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE ID = ?"), outcome.id), 1);
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE TruckNumber = ?"))}},
        {QStringLiteral("cash ticket"),
         {[](Db &db, const QString &tag) {
              CashTicketRecord t;
              t.customer = tag;
              t.details.clerk = QStringLiteral("JD");
              t.amounts.merchandise[TicketLines::Oil] = QStringLiteral("12");
              TicketLines::figure(t.amounts, 0.0825);
              const int id = CashTicketStore::insert(db, t, {QStringLiteral("WS1"), 1, kWhen});
              QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE ID = ?"), id), 1);
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM CashTickets WHERE Customer = ?"))}},
        {QStringLiteral("payment"),
         {[](Db &db, const QString &tag) {
              QVERIFY(PaymentStore::receive(db, {kCustomer, kWhen.date(), 7.5, tag}, kWhen));
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM Payments WHERE CheckNum = ?"))}},
        {QStringLiteral("gift card first sale"),
         {[cardStamp](Db &db, const QString &tag) {
              GiftCardStore::sell(db, QStringLiteral("80") + tag, 25, QStringLiteral("JD"), QString(), cardStamp);
          },
          [](Db &db, const QString &tag) {
              return count(db, QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE CardID = ?"),
                           QStringLiteral("80") + tag);
          }}},
        {QStringLiteral("gift card reload"),
         {[cardStamp](Db &db, const QString &tag) { GiftCardStore::sell(db, kGiftCard, 10, tag, QString(), cardStamp); },
          countOf(QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE Clerk = ?"))}},
        {QStringLiteral("gift card redemption"),
         {[cardStamp](Db &db, const QString &tag) { QVERIFY(GiftCardStore::redeem(db, kGiftCard, 5, tag, cardStamp)); },
          countOf(QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE Clerk = ?"))}},
        {QStringLiteral("gift card edit"),
         {[cardStamp](Db &db, const QString &tag) {
              GiftCardStore::Stamp stamp = cardStamp;
              stamp.workstationId = tag;
              QVERIFY(GiftCardStore::edit(db, kGiftCard, 90000, tag, stamp));
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE WorkStationID = ?"))}},
        {QStringLiteral("gift card inquiry"),
         {[cardStamp](Db &db, const QString &tag) {
              GiftCardStore::Stamp stamp = cardStamp;
              stamp.workstationId = tag;
              GiftCardStore::inquire(db, kGiftCard, stamp);
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM GiftCardTransactions WHERE WorkStationID = ?"))}},
        {QStringLiteral("new customer"),
         {[](Db &db, const QString &tag) {
              CustomerEntry entry;
              entry.accountNumber = tag;
              entry.name = QStringLiteral("FLEET");
              entry.limit = QStringLiteral("500");
              entry.warnAt = QStringLiteral("0.8");
              entry.userName = tag.toLower();
              entry.password = QStringLiteral("secret-password");
              QCOMPARE(CustomerStore::save(db, entry, kWhen), LoginSave::Written);
          },
          [](Db &db, const QString &tag) {
              return count(db, QStringLiteral("SELECT COUNT(*) FROM Customer WHERE ID = ?"), tag)
                     * count(db, QStringLiteral("SELECT COUNT(*) FROM WebUser WHERE CustomerID = ?"), tag);
          }}},
        {QStringLiteral("company information"),
         {[](Db &db, const QString &tag) {
              CompanyStore::saveInformation(db, 1, {{QStringLiteral("Name"), tag}});
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM Company WHERE Name = ?"))}},
        {QStringLiteral("customer's card"),
         {[](Db &db, const QString &tag) {
              CustomerStore::saveCard(db, kCustomer, {tag, QStringLiteral("1"), false, tag});
          },
          countOf(QStringLiteral("SELECT COUNT(*) FROM Cards WHERE CardNo = ?"))}},
    };
}

} // namespace

class tst_ConnectionLoss : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void savedOnceWhereverTheConnectionGoes_data();
    void savedOnceWhereverTheConnectionGoes();
    void reportedNotSavedWhenTheServerStaysAway_data();
    void reportedNotSavedWhenTheServerStaysAway();
    void queryAskedAgainOnTheNewConnection();

private:
    QThread m_thread;
    Relay *m_relay = nullptr;
    std::unique_ptr<Db> m_db;
    std::unique_ptr<Db> m_check;
    QStringList m_notices;
    int m_tag = 0;
};

void tst_ConnectionLoss::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("AMS_TEST_PG"), "AMS_TEST_PG names no PostgreSQL server");
    m_check = TestDb::fresh(QStringLiteral("PostgreSQL"));
    m_check->insert(QStringLiteral("Customer"),
                    {{"ID", kCustomer},
                     {"Name", "SMITH TRUCKING"},
                     {"Inactive", 0},
                     {"CurrentBalance", 0},
                     {"Limit", 1000000},
                     {"WarnAt", 0.8},
                     {"AcctOnHold", 0}},
                    QString());
    m_check->insert(QStringLiteral("Cards"), {{"CustomerID", kCustomer}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}},
                    QString());
    GiftCardStore::sell(*m_check, kGiftCard, 100000, QStringLiteral("SETUP"), QString(), {QStringLiteral("WS0"), 1, kWhen});

    // The same database, through the relay, without TLS so that the relay can see the
    // statements go by.
    QString text = TestDb::connectionText(QStringLiteral("PostgreSQL"));
    const QRegularExpression server(QStringLiteral("Server=([^;]*);"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression port(QStringLiteral("Port=([^;]*);"), QRegularExpression::CaseInsensitiveOption);
    const QString host = server.match(text).captured(1);
    const int serverPort = port.match(text).hasMatch() ? port.match(text).captured(1).toInt() : 5432;
    m_relay = new Relay(host, quint16(serverPort));
    m_relay->moveToThread(&m_thread);
    m_thread.start();
    quint16 relayPort = 0;
    QMetaObject::invokeMethod(
        m_relay, [&] { relayPort = m_relay->listen(); }, Qt::BlockingQueuedConnection);
    QVERIFY(relayPort != 0);
    text.remove(port);
    text.remove(QRegularExpression(QStringLiteral("sslmode=[^;]*;"), QRegularExpression::CaseInsensitiveOption));
    text.replace(server, QStringLiteral("Server=127.0.0.1;Port=%1;sslmode=disable;").arg(relayPort));
    m_db = Db::open(text);
    Db::setConnectionNotice([this](const QString &notice) { m_notices << notice; });
    Db::setReconnectPauses({0, 100, 200});
}

void tst_ConnectionLoss::cleanupTestCase()
{
    Db::setConnectionNotice({});
    Db::setReconnectPauses({});
    m_db.reset();
    if (m_relay)
        QMetaObject::invokeMethod(
            m_relay, [this] { delete m_relay; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void tst_ConnectionLoss::init()
{
    m_notices.clear();
    m_relay->cuts = 0;
    m_relay->refusing = false;
}

void tst_ConnectionLoss::cleanup()
{
    m_relay->arm(Relay::Cut::None, {});
    m_relay->refusing = false;
    QVERIFY2(TestDb::wrongBalances(*m_check).isEmpty(), qPrintable(TestDb::wrongBalances(*m_check).join(u'\n')));
    QVERIFY2(TestDb::wrongGiftCardBalances(*m_check).isEmpty(), qPrintable(TestDb::wrongGiftCardBalances(*m_check).join(u'\n')));
}

void tst_ConnectionLoss::savedOnceWhereverTheConnectionGoes_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QByteArray>("trigger");
    const QList<std::tuple<const char *, Relay::Cut, QByteArray>> moments = {
        {"the server restarted since the last save", Relay::Cut::None, {}},
        // (Statements with values are prepared once per connection and then sent without
        // their text: the statement after BEGIN is the one the save starts with.)
        {"the connection goes half-way through the save", Relay::Cut::BeforeNext, "BEGIN"},
        {"the connection goes before the commit reaches the server", Relay::Cut::BeforeSending, "COMMIT"},
        {"the connection goes after the commit, before its answer", Relay::Cut::AfterAnswer, "COMMIT"},
    };
    for (const QString &road : roads().keys())
        for (const auto &[moment, cut, trigger] : moments)
            QTest::addRow("%s: %s", qPrintable(road), moment) << road << int(cut) << trigger;
}

void tst_ConnectionLoss::savedOnceWhereverTheConnectionGoes()
{
    QFETCH(QString, road);
    QFETCH(int, cut);
    QFETCH(QByteArray, trigger);
    const Road r = roads().value(road);
    const QString tag = QStringLiteral("L%1").arg(++m_tag);

    if (cut == int(Relay::Cut::None))
        QMetaObject::invokeMethod(
            m_relay, [this] { m_relay->closeAll(); }, Qt::BlockingQueuedConnection);
    else
        m_relay->arm(Relay::Cut(cut), trigger);
    r.save(*m_db, tag);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(r.times(*m_check, tag), 1);
    if (cut != int(Relay::Cut::None))
        QCOMPARE(m_relay->cuts.load(), 1);
    QVERIFY2(m_notices.contains(QStringLiteral("Connection to the database lost; reconnected")),
             qPrintable(m_notices.join(u'\n')));
    // The next save goes through as any other.
    m_notices.clear();
    r.save(*m_db, tag + u'b');
    QCOMPARE(r.times(*m_check, tag + u'b'), 1);
    QVERIFY(m_notices.isEmpty());
}

void tst_ConnectionLoss::reportedNotSavedWhenTheServerStaysAway_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<QString>("told");
    QTest::addColumn<int>("stored");
    for (const QString &road : {QStringLiteral("charge ticket"), QStringLiteral("gift card reload")}) {
        QTest::addRow("%s: half-way", qPrintable(road))
            << road << int(Relay::Cut::BeforeNext) << QByteArray("BEGIN") << QStringLiteral("Nothing was saved") << 0;
        QTest::addRow("%s: the commit went unanswered", qPrintable(road))
            << road << int(Relay::Cut::AfterAnswer) << QByteArray("COMMIT")
            << QStringLiteral("whether it was stored is not known") << 1;
    }
}

void tst_ConnectionLoss::reportedNotSavedWhenTheServerStaysAway()
{
    QFETCH(QString, road);
    QFETCH(int, cut);
    QFETCH(QByteArray, trigger);
    QFETCH(QString, told);
    QFETCH(int, stored);
    const Road r = roads().value(road);
    const QString tag = QStringLiteral("L%1").arg(++m_tag);

    m_relay->arm(Relay::Cut(cut), trigger);
    m_relay->refusing = true;
    try {
        r.save(*m_db, tag);
        QFAIL("the save reported success without a server");
    } catch (const DbError &error) {
        QVERIFY(error.connectionLost());
        QVERIFY2(error.serverText().contains(told), qPrintable(error.serverText()));
        QVERIFY2(error.serverText().contains(QStringLiteral("3 tries")), qPrintable(error.serverText()));
    }
    QCOMPARE(r.times(*m_check, tag), stored);
    QCOMPARE(m_notices.last(), QStringLiteral("Connection to the database lost; not reconnected"));

    // Once the server answers again, so does the program, without being started anew.
    m_relay->refusing = false;
    m_notices.clear();
    r.save(*m_db, tag + u'b');
    QCOMPARE(r.times(*m_check, tag + u'b'), 1);
    QCOMPARE(m_notices.last(), QStringLiteral("Connection to the database lost; reconnected"));
}

void tst_ConnectionLoss::queryAskedAgainOnTheNewConnection()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { m_relay->closeAll(); }, Qt::BlockingQueuedConnection);
    const std::optional<GiftCardStore::Card> card = GiftCardStore::card(*m_db, kGiftCard);
    QVERIFY(card.has_value());
    QCOMPARE(m_notices.last(), QStringLiteral("Connection to the database lost; reconnected"));
}

QTEST_GUILESS_MAIN(tst_ConnectionLoss)
#include "tst_connectionloss.moc"
