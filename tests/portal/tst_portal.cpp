// The fleets' website over HTTP, as a browser or an attacker meets it: sign-in and its
// lock, sessions and their end, form tokens, one customer never seeing another's rows,
// hostile and oversized requests, and TLS. Each test starts its own ams-portal on a free
// loopback port, on SQLite and on PostgreSQL.

#include "../gui/reports/PdfText.h"
#include "PortalProcess.h"
#include "TestDb.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "accounts/WebPassword.h"
#include "db/Db.h"
#include "tickets/TicketStore.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sodium.h>

#include <map>
#include <memory>
#include <optional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kPassword = QStringLiteral("correct horse 1");
const QString kOtherPassword = QStringLiteral("other fleet pass 2");

void addCustomer(Db &db, const QString &id, const QString &name, double balance, double limit, const QString &userName,
                 const QString &password)
{
    db.insert(QStringLiteral("Customer"),
              {{"ID", id},
               {"Name", name},
               {"Inactive", 0},
               {"CurrentBalance", balance},
               {"Limit", limit},
               {"WarnAt", 0.8},
               {"AcctOnHold", 0}},
              QString());
    db.insert(QStringLiteral("WebUser"), {{"CustomerID", id}, {"UserName", userName}, {"Password", WebPassword::hash(password)}},
              QString());
}

int addTicket(Db &db, const QString &customerId, const QString &cardNo, const QString &truck, double gallons, double total,
              const QDateTime &when)
{
    TicketRecord t;
    t.customerId = customerId;
    t.cardNo = cardNo;
    t.details.truckNumber = truck;
    t.details.driverId = QStringLiteral("D-") + truck;
    t.amounts.fuel[TicketLines::Diesel].gallons = QString::number(gallons);
    t.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.5");
    t.amounts.fuel[TicketLines::Diesel].priceExt = QString::number(total);
    t.amounts.subtotal = QString::number(total);
    t.amounts.tax = QStringLiteral("0");
    t.amounts.total = QString::number(total);
    return TicketStore::save(db, t, TicketStamp{QStringLiteral("WS1"), 1, when});
}

// Two fleets with a login, cards and tickets each; returns the ticket numbers of the
// second fleet.
struct Fleets
{
    int ownTicket = 0;
    int otherTicket = 0;
    // The first fleet's ticket of last month, and the second fleet's of three months ago
    // (before the first fleet had any).
    int lastMonthTicket = 0;
    QDate otherFleetsMonth;
};

// Noon on the 15th of the month `back` months before this one.
QDateTime monthsAgo(int back)
{
    const QDate d = QDate::currentDate().addMonths(-back);
    return QDateTime(QDate(d.year(), d.month(), 15), QTime(12, 0));
}

Fleets addFleets(Db &db)
{
    Fleets f;
    const QDateTime now = QDateTime::currentDateTime();
    addCustomer(db, QStringLiteral("A100"), QStringLiteral("O'Brien Haulage"), 1234.5, 5000, QStringLiteral("obrien.haul"),
                kPassword);
    addCustomer(db, QStringLiteral("B200"), QStringLiteral("Rival Freight"), 99.99, 1000, QStringLiteral("rival"),
                kOtherPassword);
    CustomerStore::saveCard(db, QStringLiteral("A100"), {QStringLiteral("01"), QStringLiteral("1"), false, QString()});
    CustomerStore::saveCard(db, QStringLiteral("A100"), {QStringLiteral("02"), QStringLiteral("2"), true, QString()});
    CustomerStore::saveCard(db, QStringLiteral("B200"), {QStringLiteral("07"), QStringLiteral("1"), false, QString()});
    f.ownTicket = addTicket(db, QStringLiteral("A100"), QStringLiteral("01"), QStringLiteral("TRK-A1"), 100, 350, now);
    addTicket(db, QStringLiteral("A100"), QStringLiteral("02"), QStringLiteral("TRK-A2"), 50, 175, now);
    f.otherTicket = addTicket(db, QStringLiteral("B200"), QStringLiteral("07"), QStringLiteral("SECRET-TRUCK"), 10, 35, now);
    PaymentStore::receive(db, {QStringLiteral("A100"), QDate::currentDate(), 200, QStringLiteral("CHK 555")}, now);
    f.lastMonthTicket =
        addTicket(db, QStringLiteral("A100"), QStringLiteral("01"), QStringLiteral("TRK-OLD"), 20, 70, monthsAgo(1));
    addTicket(db, QStringLiteral("B200"), QStringLiteral("07"), QStringLiteral("SECRET-OLD"), 30, 105, monthsAgo(3));
    f.otherFleetsMonth = monthsAgo(3).date();
    // Two locations: the portal's configuration names the one whose name heads the
    // statements and whose terms stand for customers without their own.
    db.insert(QStringLiteral("Company"),
              {{"ID", 1}, {"Name", "Other Stop"}, {"Address1", "1 Wrong Way"}, {"City", "Nowhere"}, {"PaymentTerms", 30}},
              QString());
    db.insert(QStringLiteral("Company"),
              {{"ID", 7},
               {"Name", "Prairie Fuel & Go"},
               {"Address1", "100 Main St"},
               {"City", "Amarillo"},
               {"State", "TX"},
               {"Zip", "79101"},
               {"PaymentTerms", 15}},
              QString());
    return f;
}

// A signed-in browser: its cookie and the form token its pages carry.
struct Browser
{
    std::string cookie;
    std::string csrf;
    httplib::Headers headers() const { return {{"Cookie", cookie}}; }
};

std::string sessionCookieOf(const httplib::Result &r)
{
    const std::string set = r->get_header_value("Set-Cookie");
    const auto end = set.find(';');
    return set.substr(0, end);
}

std::string csrfOf(const std::string &page)
{
    const auto m = QRegularExpression(QStringLiteral("name=\"csrf\" value=\"([0-9a-f]+)\"")).match(QString::fromStdString(page));
    return m.captured(1).toStdString();
}

httplib::Result signIn(httplib::Client &c, const QString &user, const QString &password, const httplib::Headers &headers = {})
{
    return c.Post("/signin", headers, httplib::Params{{"username", user.toStdString()}, {"password", password.toStdString()}});
}

std::optional<Browser> signedIn(PortalProcess &portal, const QString &user = QStringLiteral("obrien.haul"),
                                const QString &password = kPassword)
{
    auto c = portal.client();
    auto r = signIn(*c, user, password);
    if (!r || r->status != 303)
        return std::nullopt;
    Browser b;
    b.cookie = sessionCookieOf(r);
    auto page = c->Get("/account", b.headers());
    if (!page || page->status != 200)
        return std::nullopt;
    b.csrf = csrfOf(page->body);
    return b;
}

// Sends raw bytes on a fresh connection and returns what comes back before the server
// closes it (or the wait ends).
QByteArray rawExchange(int port, const QByteArray &request, int waitMs = 20000)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(quint16(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return "connect failed";
    }
    timeval tv{waitMs / 1000, (waitMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    qsizetype sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    QByteArray answer;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, int(n));
    }
    ::close(fd);
    return answer;
}

int statusOf(const QByteArray &answer)
{
    const auto m = QRegularExpression(QStringLiteral("^HTTP/1\\.1 (\\d{3})")).match(QString::fromLatin1(answer));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

class tst_Portal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    // Cases that change nothing stored share one portal per server.
    void signInShowsOnlyTheFleetsOwnFigures();
    void refusedSignInsLookAlike();
    void formsWithoutTheTokenAreRefused_data();
    void formsWithoutTheTokenAreRefused();
    void anotherFleetsTicketIsNotFound_data();
    void anotherFleetsTicketIsNotFound();
    void ticketListAndDownload();
    void statements_data();
    void statements();
    void hostileInput_data();
    void hostileInput();
    void oversizedRequests_data();
    void oversizedRequests();
    void aBurstOfConnectionsWaitsInALongQueue();
    // Shared but for the one row that changes the password.
    void changePassword_data();
    void changePassword();

    // Cases with a portal of their own: settings of their own, or changes to what is stored.
    void lockAfterTooManyFailures_data();
    void lockAfterTooManyFailures();
    void signInRehashesAnOldHash();
    void sessionsEnd();
    void ticketsFiftyToAPage();
    void slowClientDoesNotHoldUpOthers();
    void databaseWorkTakesTurns_data();
    void databaseWorkTakesTurns();
    void tlsAndItsSecureCookie();
    void plainHttpOnlyOnLoopback();
    void nothingSecretIsLogged();

private:
    bool startPortal(PortalProcess &portal, const QStringList &settings = {});
    // The portal of this server that the cases changing nothing share, started with the
    // fleets on first use; nothing when it could not start. Starting a portal on a fresh
    // database is most of a case's time.
    PortalProcess *sharedPortal();
    // The first fleet signed in on the shared portal, for the cases that only read.
    std::optional<Browser> sharedSession();

    struct Shared
    {
        std::unique_ptr<PortalProcess> portal;
        Fleets fleets;
        std::optional<Browser> session;
    };
    std::map<QString, Shared> m_shared;
    Fleets m_fleets;
};

bool tst_Portal::startPortal(PortalProcess &portal, const QStringList &settings)
{
    QFETCH_GLOBAL(QString, server);
    // A fresh database of this server replaces the shared portal's (on PostgreSQL it is
    // the same database), so that portal starts again when next asked for.
    m_shared.erase(server);
    auto db = TestDb::fresh(server);
    m_fleets = addFleets(*db);
    db.reset();
    const bool started = portal.start(TestDb::connectionText(server), settings);
    if (!started)
        qWarning().noquote() << portal.startError();
    return started;
}

PortalProcess *tst_Portal::sharedPortal()
{
    QFETCH_GLOBAL(QString, server);
    Shared &shared = m_shared[server];
    if (!shared.portal) {
        auto portal = std::make_unique<PortalProcess>();
        if (!startPortal(*portal, {QStringLiteral("Location = 7")}))
            return nullptr;
        Shared &fresh = m_shared[server];
        fresh.portal = std::move(portal);
        fresh.fleets = m_fleets;
        return fresh.portal.get();
    }
    m_fleets = shared.fleets;
    return shared.portal.get();
}

std::optional<Browser> tst_Portal::sharedSession()
{
    PortalProcess *portal = sharedPortal();
    if (!portal)
        return std::nullopt;
    QFETCH_GLOBAL(QString, server);
    Shared &shared = m_shared[server];
    if (!shared.session)
        shared.session = signedIn(*portal);
    return shared.session;
}

void tst_Portal::signInShowsOnlyTheFleetsOwnFigures()
{
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto c = portal.client();
    // A session ID planted beforehand is not kept: sign-in gives a new one.
    const std::string planted = std::string(64, 'a');
    auto r = signIn(*c, QStringLiteral("obrien.haul"), kPassword, {{"Cookie", "ams_session=" + planted}});
    QVERIFY(r);
    QCOMPARE(r->status, 303);
    QCOMPARE(r->get_header_value("Location"), std::string("/account"));
    const std::string setCookie = r->get_header_value("Set-Cookie");
    QVERIFY2(QRegularExpression(QStringLiteral("^ams_session=[0-9a-f]{64}; Path=/; HttpOnly; SameSite=Strict$"))
                 .match(QString::fromStdString(setCookie))
                 .hasMatch(),
             setCookie.c_str());
    QVERIFY(setCookie.find(planted) == std::string::npos);

    Browser b{sessionCookieOf(r), {}};
    auto page = c->Get("/account", b.headers());
    QVERIFY(page);
    QCOMPARE(page->status, 200);
    const QString body = QString::fromStdString(page->body);
    QVERIFY(body.contains(QStringLiteral("O&#39;Brien Haulage")));
    // 1,234.50 owed before the payment of 200 was posted.
    QVERIFY(body.contains(QStringLiteral("$1,034.50")));   // balance
    QVERIFY(body.contains(QStringLiteral("$5,000.00")));   // limit
    QVERIFY(body.contains(QStringLiteral("$3,965.50")));   // available credit
    QVERIFY(body.contains(QStringLiteral("$200.00 on "))); // the last payment
    QVERIFY(!body.contains(QStringLiteral("Rival")));
    QVERIFY(!body.contains(QStringLiteral("<script")));
    // The account pages stay out of caches and frames, and run no script.
    QCOMPARE(page->get_header_value("Cache-Control"), std::string("no-store"));
    QCOMPARE(page->get_header_value("X-Frame-Options"), std::string("DENY"));
    QCOMPARE(page->get_header_value("X-Content-Type-Options"), std::string("nosniff"));
    QCOMPARE(page->get_header_value("Referrer-Policy"), std::string("same-origin"));
    const std::string csp = page->get_header_value("Content-Security-Policy");
    QVERIFY(csp.find("default-src 'none'") != std::string::npos);
    QVERIFY(csp.find("script-src") == std::string::npos && csp.find("unsafe-inline") == std::string::npos);
    QVERIFY(csp.find("frame-ancestors 'none'") != std::string::npos);

    // Signed out pages send the browser to sign in.
    auto anonymous = c->Get("/account");
    QVERIFY(anonymous);
    QCOMPARE(anonymous->status, 303);
    QCOMPARE(anonymous->get_header_value("Location"), std::string("/signin"));
}

void tst_Portal::refusedSignInsLookAlike()
{
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto c = portal.client();
    auto unknown = signIn(*c, QStringLiteral("nobody"), kPassword);
    auto wrong = signIn(*c, QStringLiteral("obrien.haul"), QStringLiteral("not the password"));
    auto otherFleets = signIn(*c, QStringLiteral("obrien.haul"), kOtherPassword);
    QVERIFY(unknown && wrong && otherFleets);
    QCOMPARE(unknown->status, 200);
    QCOMPARE(wrong->status, 200);
    QVERIFY(!unknown->has_header("Set-Cookie") && !wrong->has_header("Set-Cookie") && !otherFleets->has_header("Set-Cookie"));
    const std::string message = "The username or password is not right.";
    QVERIFY(unknown->body.find(message) != std::string::npos);
    // The same page but for the username typed back into its box.
    auto strip = [](std::string body, const std::string &name) {
        const auto at = body.find("value=\"" + name + "\"");
        return at == std::string::npos ? body : body.replace(at, name.size() + 8, "value=\"\"");
    };
    QCOMPARE(strip(unknown->body, "nobody"), strip(wrong->body, "obrien.haul"));
}

void tst_Portal::lockAfterTooManyFailures_data()
{
    QTest::addColumn<bool>("manyNames");
    QTest::addColumn<int>("failures");
    QTest::newRow("ten failures for one username lock that username") << false << 10;
    // The address's limit lowered from its 50 (tst_portalconfig holds the defaults): the
    // count is the same, and each failure costs a password check's time.
    QTest::newRow("the address's limit of failures locks every username from it") << true << 12;
}

void tst_Portal::lockAfterTooManyFailures()
{
    QFETCH(bool, manyNames);
    QFETCH(int, failures);
    PortalProcess portal;
    // A short lock, so the test sees it lift.
    QStringList settings{QStringLiteral("LockoutMinutes = 0.05")};
    if (manyNames)
        settings << QStringLiteral("FailuresPerAddress = %1").arg(failures);
    QVERIFY(startPortal(portal, settings));
    auto c = portal.client();
    // One short of the limit, then the right password still gets in.
    for (int i = 0; i < failures - 1; ++i) {
        const QString user = manyNames ? QStringLiteral("guess%1").arg(i) : QStringLiteral("obrien.haul");
        auto r = signIn(*c, user, QStringLiteral("wrong password %1").arg(i));
        QVERIFY(r);
        QCOMPARE(r->status, 200);
    }
    auto last =
        signIn(*c, manyNames ? QStringLiteral("guess-last") : QStringLiteral("obrien.haul"), QStringLiteral("wrong again"));
    QVERIFY(last);
    QCOMPARE(last->status, 200);

    auto locked = signIn(*c, QStringLiteral("obrien.haul"), kPassword);
    QVERIFY(locked);
    QCOMPARE(locked->status, 429);
    QVERIFY(!locked->has_header("Set-Cookie"));
    QVERIFY2(locked->body.find("Signing in is locked for a while after too many failed tries. Try again in 1 minute.")
                 != std::string::npos,
             locked->body.c_str());

    QThread::msleep(3300);
    auto again = signIn(*c, QStringLiteral("obrien.haul"), kPassword);
    QVERIFY(again);
    QCOMPARE(again->status, 303);
}

void tst_Portal::signInRehashesAnOldHash()
{
    PortalProcess portal;
    QVERIFY(startPortal(portal));
    // A hash made under weaker limits than the ones passwords are hashed with now.
    QVERIFY(sodium_init() >= 0);
    char old[crypto_pwhash_STRBYTES];
    const QByteArray password = kPassword.toUtf8();
    QCOMPARE(crypto_pwhash_str(old, password.constData(), quint64(password.size()), crypto_pwhash_OPSLIMIT_MIN,
                               crypto_pwhash_MEMLIMIT_MIN),
             0);
    QVERIFY(WebPassword::needsRehash(QString::fromLatin1(old)));
    QFETCH_GLOBAL(QString, server);
    auto db = Db::open(TestDb::connectionText(server));
    QCOMPARE(db->exec(QStringLiteral("UPDATE WebUser SET Password = ? WHERE CustomerID = ?"),
                      {QString::fromLatin1(old), QStringLiteral("A100")}),
             1);

    auto c = portal.client();
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), kPassword)->status, 303);
    const auto login = CustomerStore::loginOf(*db, QStringLiteral("A100"));
    QVERIFY(login);
    QVERIFY(login->passwordHash != QString::fromLatin1(old));
    QVERIFY(!WebPassword::needsRehash(login->passwordHash));
    QVERIFY(WebPassword::verify(login->passwordHash, kPassword));
    // A wrong password rehashes nothing.
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), QStringLiteral("not the password"))->status, 200);
    QCOMPARE(CustomerStore::loginOf(*db, QStringLiteral("A100"))->passwordHash, login->passwordHash);
}

void tst_Portal::sessionsEnd()
{
    PortalProcess portal;
    QVERIFY(startPortal(portal, {QStringLiteral("SessionMinutes = 0.04")}));
    auto c = portal.client();

    // Idle too long: the server has forgotten the session.
    auto idle = signedIn(portal);
    QVERIFY(idle);
    QThread::msleep(1000);
    QCOMPARE(c->Get("/account", idle->headers())->status, 200); // a request restarts the idle time
    QThread::msleep(1800);
    QCOMPARE(c->Get("/account", idle->headers())->status, 200);
    QThread::msleep(2800);
    auto expired = c->Get("/account", idle->headers());
    QCOMPARE(expired->status, 303);
    QCOMPARE(expired->get_header_value("Location"), std::string("/signin"));

    // Signed out: the old cookie is worth nothing even if a browser kept it.
    auto b = signedIn(portal);
    QVERIFY(b);
    auto out = c->Post("/signout", b->headers(), httplib::Params{{"csrf", b->csrf}});
    QCOMPARE(out->status, 303);
    QVERIFY(out->get_header_value("Set-Cookie").find("Max-Age=0") != std::string::npos);
    QCOMPARE(c->Get("/account", b->headers())->status, 303);
    QCOMPARE(c->Get("/tickets.csv", b->headers())->status, 303);
}

void tst_Portal::formsWithoutTheTokenAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("token");
    QTest::newRow("sign-out without a token") << "/signout"
                                              << "";
    QTest::newRow("sign-out with another session's token") << "/signout"
                                                           << "other";
    QTest::newRow("password change without a token") << "/password"
                                                     << "";
    QTest::newRow("password change with a token one digit off") << "/password"
                                                                << "off";
}

void tst_Portal::formsWithoutTheTokenAreRefused()
{
    QFETCH(QString, path);
    QFETCH(QString, token);
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto b = signedIn(portal);
    auto other = signedIn(portal, QStringLiteral("rival"), kOtherPassword);
    QVERIFY(b && other);
    std::string sent;
    if (token == QLatin1String("other"))
        sent = other->csrf;
    else if (token == QLatin1String("off"))
        sent = b->csrf.substr(0, b->csrf.size() - 1) + (b->csrf.back() == '0' ? "1" : "0");
    auto c = portal.client();
    httplib::Params params{{"old", kPassword.toStdString()}, {"new", "a brand new pass"}, {"again", "a brand new pass"}};
    if (!token.isEmpty())
        params.emplace("csrf", sent);
    auto r = c->Post(path.toStdString(), b->headers(), params);
    QVERIFY(r);
    QCOMPARE(r->status, 403);
    // Nothing happened: still signed in, and the old password still works.
    QCOMPARE(c->Get("/account", b->headers())->status, 200);
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), kPassword)->status, 303);
}

void tst_Portal::changePassword_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("message");
    QTest::newRow("a wrong old password") << "guessed wrong 1"
                                          << "a brand new pass"
                                          << "a brand new pass"
                                          << "Current password: this is not the password of this account.";
    QTest::newRow("a new password of nine characters") << kPassword << "nine char"
                                                       << "nine char"
                                                       << "The new password must be at least 10 characters long.";
    QTest::newRow("the username as the new password") << kPassword << "OBRIEN.HAUL"
                                                      << "OBRIEN.HAUL"
                                                      << "The new password must not be the same as the username.";
    QTest::newRow("the two new passwords differ") << kPassword << "a brand new pass"
                                                  << "a brand new pasS"
                                                  << "New password again: the two new passwords differ.";
    // Last, as its portal of its own replaces the shared one.
    QTest::newRow("the right old password and a good new one") << kPassword << "a brand new pass"
                                                               << "a brand new pass"
                                                               << "Your password was changed.";
}

void tst_Portal::changePassword()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, again);
    QFETCH(QString, message);
    const bool changed = message == QLatin1String("Your password was changed.");
    // A refused change leaves everything stored as it was, so it may use the shared
    // portal (its one failed sign-in below counts against the username's lock, well
    // short of it); a change gets a portal and a database of its own.
    PortalProcess own;
    PortalProcess *shared = changed ? nullptr : sharedPortal();
    QVERIFY(changed ? startPortal(own) : shared != nullptr);
    PortalProcess &portal = changed ? own : *shared;
    auto b = signedIn(portal);
    auto elsewhere = signedIn(portal);
    QVERIFY(b && elsewhere);
    auto c = portal.client();
    auto r = c->Post("/password", b->headers(),
                     httplib::Params{{"csrf", b->csrf},
                                     {"old", oldPassword.toStdString()},
                                     {"new", newPassword.toStdString()},
                                     {"again", again.toStdString()}});
    QVERIFY(r);
    QVERIFY2(QString::fromStdString(r->body).contains(message.toHtmlEscaped()), r->body.c_str());
    QCOMPARE(r->status, changed ? 200 : 400);
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), kPassword)->status, changed ? 200 : 303);
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), newPassword)->status, changed ? 303 : 200);
    // The other browser signed in with the old password is signed out by a change.
    QCOMPARE(c->Get("/account", elsewhere->headers())->status, changed ? 303 : 200);
    QCOMPARE(c->Get("/account", b->headers())->status, 200);

    // What is stored is a hash, never the password.
    QFETCH_GLOBAL(QString, server);
    auto db = Db::open(TestDb::connectionText(server));
    const auto login = CustomerStore::loginByUserName(*db, QStringLiteral("obrien.haul"));
    QVERIFY(login);
    QVERIFY(!login->passwordHash.contains(newPassword));
    QCOMPARE(WebPassword::verify(login->passwordHash, newPassword), changed);
}

void tst_Portal::anotherFleetsTicketIsNotFound_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("another fleet's ticket by its number") << "/tickets/OTHER";
    QTest::newRow("a ticket number that is not there") << "/tickets/987654321";
    QTest::newRow("a ticket number too long to be one") << "/tickets/12345678901234567890";
    QTest::newRow("a path that climbs out") << "/tickets/../../etc/passwd";
    QTest::newRow("another fleet's card in the download") << "/tickets.csv?card=07";
}

void tst_Portal::anotherFleetsTicketIsNotFound()
{
    QFETCH(QString, path);
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto b = sharedSession();
    QVERIFY(b);
    path.replace(QStringLiteral("OTHER"), QString::number(m_fleets.otherTicket));
    auto c = portal.client();
    auto r = c->Get(path.toStdString(), b->headers());
    QVERIFY(r);
    QVERIFY2(r->status == 404 || r->status == 400, std::to_string(r->status).c_str());
    QVERIFY(r->body.find("SECRET-TRUCK") == std::string::npos);
    QVERIFY(r->body.find("root:") == std::string::npos);

    // The fleet's own ticket shows every line of the printed ticket.
    auto own = c->Get("/tickets/" + std::to_string(m_fleets.ownTicket), b->headers());
    QCOMPARE(own->status, 200);
    for (const char *line : {"Diesel", "100.000", "$3.500", "$350.00", "TRK-A1", "Subtotal", "Tax", "TOTAL"})
        QVERIFY2(own->body.find(line) != std::string::npos, line);
}

void tst_Portal::ticketListAndDownload()
{
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto b = sharedSession();
    QVERIFY(b);
    auto c = portal.client();
    auto all = c->Get("/tickets", b->headers());
    QCOMPARE(all->status, 200);
    QVERIFY(all->body.find("TRK-A1") != std::string::npos && all->body.find("TRK-A2") != std::string::npos);
    QVERIFY(all->body.find("SECRET-TRUCK") == std::string::npos);

    auto oneCard = c->Get("/tickets?card=02", b->headers());
    QCOMPARE(oneCard->status, 200);
    QVERIFY(oneCard->body.find("TRK-A2") != std::string::npos && oneCard->body.find("TRK-A1") == std::string::npos);

    auto lastYear = c->Get("/tickets?from=2001-01-01&to=2001-12-31", b->headers());
    QCOMPARE(lastYear->status, 200);
    QVERIFY(lastYear->body.find("TRK-A") == std::string::npos);
    QVERIFY(lastYear->body.find("0 tickets.") != std::string::npos);

    auto csv = c->Get("/tickets.csv", b->headers());
    QCOMPARE(csv->status, 200);
    QCOMPARE(csv->get_header_value("Content-Type"), std::string("text/csv; charset=utf-8"));
    QVERIFY(csv->get_header_value("Content-Disposition").find("attachment;") == 0);
    const QStringList lines = QString::fromStdString(csv->body).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Date,Ticket,Card,Truck,Driver,Gallons,Total"));
    QVERIFY(lines.join(QLatin1Char('\n')).contains(QStringLiteral(",01,TRK-A1,D-TRK-A1,100,350")));
    QVERIFY(!csv->body.empty() && csv->body.find("SECRET") == std::string::npos);

    auto payments = c->Get("/payments", b->headers());
    QCOMPARE(payments->status, 200);
    QVERIFY(payments->body.find("CHK 555") != std::string::npos);
}

void tst_Portal::statements_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");
    const QDate last = monthsAgo(1).date();
    const auto month = [](const QDate &d) { return d.toString(QStringLiteral("yyyy-MM")); };
    const QString lastEnd = QDate(last.year(), last.month(), last.daysInMonth()).toString(QStringLiteral("M/d/yyyy"));
    QTest::newRow("last month's statement, headed by the configured location")
        << "/statements/" + month(last) + ".pdf" << 200 << QStringList{QStringLiteral("Prairie Fuel & Go"),
                                                                       QStringLiteral("Amarillo, TX 79101"),
                                                                       QStringLiteral("Statement Date ") + lastEnd,
                                                                       QStringLiteral("Account No. A100"),
                                                                       QStringLiteral("Terms Net 15"),
                                                                       QStringLiteral("O'Brien Haulage"),
                                                                       QStringLiteral("TRK-OLD"),
                                                                       QStringLiteral("Closing balance $70.00"),
                                                                       QStringLiteral("Page 1 of 1")}
        << QStringList{QStringLiteral("Other Stop"), QStringLiteral("TRK-A1"), QStringLiteral("Rival")};
    QTest::newRow("this month so far, brought forward from last month")
        << "/statements/" + month(QDate::currentDate()) + ".pdf" << 200
        << QStringList{QStringLiteral("Balance forward $70.00"), QStringLiteral("TRK-A1"), QStringLiteral("TRK-A2"),
                       QStringLiteral("Payment: CHK 555"),
                       QStringLiteral("Statement Date ") + QDate::currentDate().toString(QStringLiteral("M/d/yyyy"))}
        << QStringList{QStringLiteral("SECRET")};
    QTest::newRow("a month of the other fleet's, before this fleet's first ticket")
        << "/statements/OTHER.pdf" << 404 << QStringList() << QStringList{QStringLiteral("SECRET-OLD")};
    QTest::newRow("another customer named in the query")
        << "/statements/" + month(last) + ".pdf?customer=B200&id=B200" << 200 << QStringList{QStringLiteral("Account No. A100")}
        << QStringList{QStringLiteral("Rival")};
    QTest::newRow("next month") << "/statements/" + month(QDate::currentDate().addMonths(1)) + ".pdf" << 404 << QStringList()
                                << QStringList();
    QTest::newRow("a thirteenth month") << "/statements/2025-13.pdf" << 404 << QStringList() << QStringList();
    QTest::newRow("month zero of year zero") << "/statements/0000-00.pdf" << 404 << QStringList() << QStringList();
    QTest::newRow("a month in the distant past") << "/statements/1999-01.pdf" << 404 << QStringList() << QStringList();
    QTest::newRow("a path that climbs out") << "/statements/../../etc/passwd" << 404 << QStringList() << QStringList();
}

void tst_Portal::statements()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto b = sharedSession();
    QVERIFY(b);
    path.replace(QStringLiteral("OTHER"), m_fleets.otherFleetsMonth.toString(QStringLiteral("yyyy-MM")));
    auto c = portal.client();

    // The list names this month and last month, the fleet's first, never the other
    // fleet's earlier month.
    auto list = c->Get("/statements", b->headers());
    QVERIFY(list);
    QCOMPARE(list->status, 200);
    for (int back = 0; back < 2; ++back) {
        const QString month = monthsAgo(back).date().toString(QStringLiteral("yyyy-MM"));
        QVERIFY2(QString::fromStdString(list->body).contains(QStringLiteral("/statements/%1.pdf").arg(month)), qPrintable(month));
    }
    QVERIFY(!QString::fromStdString(list->body).contains(m_fleets.otherFleetsMonth.toString(QStringLiteral("yyyy-MM"))));

    auto r = c->Get(path.toStdString(), b->headers());
    QVERIFY(r);
    QCOMPARE(r->status, status);
    QCOMPARE(r->get_header_value("Cache-Control"), std::string("no-store"));
    for (const QString &text : absent)
        QVERIFY2(r->body.find(text.toStdString()) == std::string::npos, qPrintable(text));
    if (status != 200)
        return;
    QCOMPARE(r->get_header_value("Content-Type"), std::string("application/pdf"));
    QVERIFY(r->get_header_value("Content-Disposition").find("attachment; filename=\"statement-") == 0);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("statement.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(r->body.data(), qint64(r->body.size()));
    file.close();
    const QString text = PdfText::squeezed(PdfText::of(file.fileName())).simplified();
    for (const QString &e : expected)
        QVERIFY2(text.contains(e), qPrintable(e + QStringLiteral(" not in: ") + text));
    for (const QString &a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a + QStringLiteral(" in: ") + text));

    // Signed out, the same address sends the browser to sign in.
    auto anonymous = c->Get(path.toStdString());
    QCOMPARE(anonymous->status, 303);
}

void tst_Portal::hostileInput_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QList<int>>("statuses");
    const QList<int> shown{200, 400};
    QTest::newRow("quotes in the dates") << "/tickets?from=%27%22&to=%22%27" << QByteArray() << shown;
    QTest::newRow("SQL text as a card") << "/tickets?card=%27%20OR%201%3D1%20--" << QByteArray() << shown;
    QTest::newRow("a NUL in the card") << "/tickets?card=01%00" << QByteArray() << shown;
    QTest::newRow("a climb in the card") << "/tickets.csv?card=..%2F..%2Fetc%2Fpasswd" << QByteArray() << shown;
    QTest::newRow("broken UTF-8 in the page number") << "/tickets?page=%C3%28%FF" << QByteArray() << shown;
    QTest::newRow("a page number past any integer") << "/tickets?page=99999999999999999999" << QByteArray() << shown;
    QTest::newRow("a query of 100 KB") << "/tickets?from=" + QString(100 * 1024, QLatin1Char('9')) << QByteArray()
                                       << QList<int>{414, 0};
    QTest::newRow("SQL text as the username")
        << "/signin" << QByteArray("username=%27%20OR%20%271%27%3D%271&password=x") << QList<int>{200};
    QTest::newRow("a NUL and broken UTF-8 in the username")
        << "/signin" << QByteArray("username=obrien%00%C3%28&password=x") << QList<int>{200};
    QTest::newRow("markup as the username") << "/signin" << QByteArray("username=%3Cscript%3Ealert(1)%3C%2Fscript%3E&password=x")
                                            << QList<int>{200};
    QTest::newRow("a password of 100 KB") << "/signin"
                                          << "username=obrien&password=" + QByteArray(100 * 1024, 'x') << QList<int>{413, 0};
}

void tst_Portal::hostileInput()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, field);
    QFETCH(QList<int>, statuses);
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    auto b = sharedSession();
    QVERIFY(b);
    auto c = portal.client();
    httplib::Result r = field.isEmpty()
                            ? c->Get(path.toStdString(), b->headers())
                            : c->Post(path.toStdString(), b->headers(), field.toStdString(), "application/x-www-form-urlencoded");
    const int status = r ? r->status : 0;
    QVERIFY2(statuses.contains(status), std::to_string(status).c_str());
    if (r) {
        QVERIFY(r->body.find("<script>") == std::string::npos);
        QVERIFY(r->body.find("SECRET-TRUCK") == std::string::npos);
        QVERIFY(r->body.find("root:") == std::string::npos);
    }
    // The portal is still there, and the fleet still signed in.
    QCOMPARE(c->Get("/account", b->headers())->status, 200);
}

void tst_Portal::oversizedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QByteArray manyHeaders = "GET /signin HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 200; ++i)
        manyHeaders += "X-Filler-" + QByteArray::number(i) + ": y\r\n";
    QTest::newRow("two hundred headers") << manyHeaders + "\r\n" << 431;
    QTest::newRow("a header line of 20 KB") << "GET /signin HTTP/1.1\r\nHost: x\r\nX-Big: " + QByteArray(20 * 1024, 'a')
                                                   + "\r\n\r\n"
                                            << 400;
    QTest::newRow("a body of 1 MB") << "POST /signin HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                       "application/x-www-form-urlencoded\r\nContent-Length: 1048576\r\n\r\n"
                                           + QByteArray(1024 * 1024, 'a')
                                    << 413;
    QTest::newRow("a body that claims a terabyte")
        << QByteArray("POST /signin HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                      "Content-Length: 1099511627776\r\n\r\nusername=a")
        << 413;
    QTest::newRow("an address of 20 KB") << "GET /" + QByteArray(20 * 1024, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n" << 414;
}

void tst_Portal::oversizedRequests()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("What is tested here happens before any database is read; once is enough.");
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    PortalProcess &portal = *shared;
    QElapsedTimer timer;
    timer.start();
    const QByteArray answer = rawExchange(portal.port(), request);
    // Either refused with the status, or (a read cut short) the connection dropped.
    const int got = statusOf(answer);
    QVERIFY2(got == status || got == 0, answer.left(200).constData());
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(portal.client()->Get("/signin")->status, 200);
}

void tst_Portal::ticketsFiftyToAPage()
{
    PortalProcess portal;
    QVERIFY(startPortal(portal));
    {
        QFETCH_GLOBAL(QString, server);
        auto db = Db::open(TestDb::connectionText(server));
        Transaction t(*db);
        for (int i = 0; i < 55; ++i)
            addTicket(*db, QStringLiteral("A100"), i < 52 ? QStringLiteral("01") : QStringLiteral("02"),
                      QStringLiteral("PAGE-%1").arg(i, 2, 10, QLatin1Char('0')), 10, 35,
                      QDateTime(QDate(2001, 3, 1 + i % 28), QTime(8, i)));
        t.commit();
    }
    auto b = signedIn(portal);
    QVERIFY(b);
    auto c = portal.client();
    // The rows shown, by their truck cells.
    const auto rows = [](const std::string &body) {
        return QString::fromStdString(body).count(QRegularExpression(QStringLiteral(">PAGE-\\d\\d<")));
    };
    const std::string march = "/tickets?from=2001-03-01&to=2001-03-31";
    auto first = c->Get(march, b->headers());
    QCOMPARE(first->status, 200);
    QVERIFY(first->body.find("55 tickets.") != std::string::npos);
    QVERIFY(first->body.find("Page 1 of 2") != std::string::npos && first->body.find("Next 50") != std::string::npos);
    QCOMPARE(rows(first->body), 50);
    auto second = c->Get(march + "&page=2", b->headers());
    QVERIFY(second->body.find("55 tickets.") != std::string::npos);
    QVERIFY(second->body.find("Page 2 of 2") != std::string::npos && second->body.find("Previous 50") != std::string::npos);
    QCOMPARE(rows(second->body), 5);
    // A first page that is not full counts its own rows; a page past the end still
    // knows how many there are.
    auto oneCard = c->Get(march + "&card=02", b->headers());
    QVERIFY(oneCard->body.find("3 tickets.") != std::string::npos && oneCard->body.find("Page 1 of 1") != std::string::npos);
    QCOMPARE(rows(oneCard->body), 3);
    auto past = c->Get(march + "&page=3", b->headers());
    QVERIFY(past->body.find("55 tickets.") != std::string::npos
            && past->body.find("No tickets on this page.") != std::string::npos);
}

void tst_Portal::slowClientDoesNotHoldUpOthers()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("What is tested here happens before any database is read; once is enough.");
    PortalProcess portal;
    QVERIFY(startPortal(portal));
    // A client that sends one header byte every two seconds: every single read is in
    // time, but the request as a whole is not.
    QElapsedTimer timer;
    timer.start();
    QByteArray dropped;
    std::thread slow([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(quint16(portal.port()));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        const QByteArray head = "GET /signin HTTP/1.1\r\nHost: x\r\nX-Slow: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
        for (char ch : head) {
            if (::send(fd, &ch, 1, MSG_NOSIGNAL) != 1)
                break;
            QThread::msleep(ch == ':' || ch == 'a' ? 2000 : 0);
            if (timer.elapsed() > 40000)
                break;
        }
        ::close(fd);
        dropped = QByteArray::number(timer.elapsed());
    });
    QThread::msleep(500);
    // Meanwhile others are served at once.
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer one;
        one.start();
        auto r = portal.client()->Get("/signin");
        QVERIFY(r);
        QCOMPARE(r->status, 200);
        QVERIFY(one.elapsed() < 2000);
    }
    slow.join();
    // The slow one was cut off near the deadline (15 s), long before it could finish.
    const qint64 ms = dropped.toLongLong();
    QVERIFY2(ms >= 14000 && ms < 25000, dropped.constData());
}

void tst_Portal::databaseWorkTakesTurns_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("waitSeconds");
    // How many of the two requests reach the server while the first is held up there.
    QTest::addColumn<int>("atTheServer");
    QTest::addColumn<int>("secondStatus");
    QTest::newRow("one turn: the second request waits in the portal, then is served") << 1 << 10 << 1 << 200;
    QTest::newRow("two turns: both requests reach the server") << 2 << 10 << 2 << 200;
    QTest::newRow("one turn held past the wait: the second request is told busy") << 1 << 1 << 1 << 503;
}

void tst_Portal::databaseWorkTakesTurns()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("PostgreSQL"))
        QSKIP("A request is held up here by a lock on the server's table, which SQLite's readers never wait for.");
    QFETCH(int, workers);
    QFETCH(int, waitSeconds);
    QFETCH(int, atTheServer);
    QFETCH(int, secondStatus);
    PortalProcess portal;
    QVERIFY(startPortal(portal, {QStringLiteral("DatabaseWorkers = %1").arg(workers),
                                 QStringLiteral("DatabaseWaitSeconds = %1").arg(waitSeconds)}));
    const auto browser = signedIn(portal);
    QVERIFY(browser);

    // The counters' side holds the customers' table, as a long save or an upgrade would;
    // the account page waits for it at the server while holding its turn.
    auto holder = Db::open(TestDb::connectionText(server));
    auto watcher = Db::open(TestDb::connectionText(server));
    auto waitingAtTheServer = [&watcher] {
        return watcher
            ->rows(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                                  "AND wait_event_type = 'Lock'"))
            .value(0)
            .value(0)
            .toInt();
    };
    std::optional<Transaction> hold(std::in_place, *holder);
    holder->exec(QStringLiteral("LOCK TABLE Customer IN ACCESS EXCLUSIVE MODE"));
    int statuses[2] = {0, 0};
    std::string bodies[2];
    auto visit = [&](int n) {
        auto r = portal.client()->Get("/account", browser->headers());
        statuses[n] = r ? r->status : -1;
        bodies[n] = r ? r->body : std::string();
    };
    // Every check waits until both requests are answered: a thread left running would end
    // the whole test program.
    std::thread first(visit, 0);
    QElapsedTimer arrived;
    arrived.start();
    while (waitingAtTheServer() < 1 && arrived.elapsed() < 10000)
        QThread::msleep(20);
    const bool firstHeldUp = waitingAtTheServer() == 1;
    std::thread second(visit, 1);
    // Long enough for a second turn's request to reach the server, and, in the last row,
    // for the second request's wait to run out.
    QElapsedTimer held;
    held.start();
    int most = 0;
    while (held.elapsed() < 2500) {
        most = std::max(most, waitingAtTheServer());
        QThread::msleep(50);
    }
    hold.reset();
    first.join();
    second.join();
    QVERIFY2(firstHeldUp, "the first request never waited for the lock");
    QCOMPARE(most, atTheServer);
    QCOMPARE(statuses[0], 200);
    QVERIFY(bodies[0].find("O&#39;Brien Haulage") != std::string::npos);
    QCOMPARE(statuses[1], secondStatus);
    if (secondStatus == 503) {
        QVERIFY2(bodies[1].find("The website is busy. Please try again in a minute.") != std::string::npos, bodies[1].c_str());
        // Nothing of the account: neither its name nor its balance.
        QVERIFY(bodies[1].find("Brien") == std::string::npos);
        QVERIFY(bodies[1].find("1,234.50") == std::string::npos);
    }
    // The turns are all given back: the next request is served at once.
    auto after = portal.client()->Get("/account", browser->headers());
    QVERIFY(after);
    QCOMPARE(after->status, 200);
    portal.stop();
    QCOMPARE(portal.log().contains("busy: a request found no turn for the database"), secondStatus == 503);
}

void tst_Portal::aBurstOfConnectionsWaitsInALongQueue()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("What is tested here happens before any database is read; once is enough.");
    PortalProcess *shared = sharedPortal();
    QVERIFY(shared);
    // The queue of connections waiting to be accepted, as the kernel tells it (ss shows a
    // listening socket's queue length as its Send-Q). The library's own 5 would drop a
    // burst of fleets, each then waiting a second to try again.
    QProcess ss;
    ss.start(QStringLiteral("ss"), {QStringLiteral("-ltnH"), QStringLiteral("sport = :%1").arg(shared->port())});
    QVERIFY2(ss.waitForFinished(10000) && ss.exitCode() == 0, "ss (iproute2) could not be run");
    const QStringList fields = QString::fromLatin1(ss.readAllStandardOutput()).simplified().split(u' ');
    QVERIFY2(fields.size() >= 3 && fields.at(0) == QLatin1String("LISTEN"), qPrintable(fields.join(u' ')));
    QCOMPARE(fields.at(2).toInt(), 512);
}

void tst_Portal::tlsAndItsSecureCookie()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("What is tested here happens before any database is read; once is enough.");
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("portal.crt"));
    const QString key = dir.filePath(QStringLiteral("portal.key"));
    QCOMPARE(
        QProcess::execute(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                           QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert}),
        0);
    PortalProcess portal;
    QVERIFY(startPortal(portal, {QStringLiteral("TlsCertificate = ") + cert, QStringLiteral("TlsKey = ") + key}));
    httplib::SSLClient c("127.0.0.1", portal.port());
    c.set_ca_cert_path(cert.toStdString());
    c.enable_server_certificate_verification(false);
    auto r = c.Post("/signin", httplib::Params{{"username", "obrien.haul"}, {"password", kPassword.toStdString()}});
    QVERIFY(r);
    QCOMPARE(r->status, 303);
    QVERIFY2(r->get_header_value("Set-Cookie").find("; Secure") != std::string::npos, r->get_header_value("Set-Cookie").c_str());
    auto page = c.Get("/account", {{"Cookie", sessionCookieOf(r)}});
    QCOMPARE(page->status, 200);
    QVERIFY(page->body.find("$1,034.50") != std::string::npos);
    // Plain HTTP on the TLS port gets nothing.
    QCOMPARE(statusOf(rawExchange(portal.port(), "GET /signin HTTP/1.1\r\nHost: x\r\n\r\n", 5000)), 0);
}

void tst_Portal::plainHttpOnlyOnLoopback()
{
    QFETCH_GLOBAL(QString, server);
    if (server != QLatin1String("SQLite"))
        QSKIP("The configuration is refused before any database is opened; once is enough.");
    PortalProcess portal;
    QVERIFY(!portal.start(QStringLiteral("Provider=SQLite;Data Source=x.db;"), {QStringLiteral("Listen = 0.0.0.0")}));
    QVERIFY2(portal.startError().contains("Plain HTTP is only served on a loopback address"), portal.startError().constData());
    QCOMPARE(portal.exitCode(), 1);
}

void tst_Portal::nothingSecretIsLogged()
{
    PortalProcess portal;
    QVERIFY(startPortal(portal));
    auto c = portal.client();
    QCOMPARE(signIn(*c, QStringLiteral("obrien.haul"), QStringLiteral("a wrong password"))->status, 200);
    auto b = signedIn(portal);
    QVERIFY(b);
    QCOMPARE(c->Get("/tickets?card=01", b->headers())->status, 200);
    c->Post("/password", b->headers(),
            httplib::Params{
                {"csrf", b->csrf}, {"old", kPassword.toStdString()}, {"new", "the newest pass"}, {"again", "the newest pass"}});
    QCOMPARE(c->Post("/signout", b->headers(), httplib::Params{{"csrf", b->csrf}})->status, 303);
    QThread::msleep(300);
    portal.stop();
    const QByteArray log = portal.log();
    QVERIFY2(log.contains("signed in"), log.constData()); // the log is there to be searched
    const std::string id = b->cookie.substr(b->cookie.find('=') + 1);
    for (const QByteArray &secret : {kPassword.toUtf8(), QByteArray("a wrong password"), QByteArray("the newest pass"),
                                     QByteArray::fromStdString(id), QByteArray::fromStdString(b->csrf), QByteArray("$argon2")})
        QVERIFY2(!log.contains(secret), secret.constData());
}

QTEST_GUILESS_MAIN(tst_Portal)
#include "tst_portal.moc"
