#pragma once

#include "app/PortalConfig.h"
#include "web/Sessions.h"
#include "web/SignInThrottle.h"
#include "web/TurnQueue.h"

#include <httplib.h>

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <semaphore>
#include <stdexcept>

class Db;

// What every page handler shares: the configuration, the sessions, the sign-in counts,
// and a database connection of the handler's own thread, reached through a DatabaseTurn.
struct PortalServices
{
    explicit PortalServices(const PortalConfig &config);

    PortalConfig config;
    Sessions sessions;
    SignInThrottle throttle;
    // A hash of a random password, checked when the username is unknown so that an
    // unknown name takes as long to refuse as a wrong password.
    QString decoyHash;
    // Each password check or hash takes a tenth of a second and 64 MB by design; a flood
    // of sign-ins waits for these few turns instead of taking every core and the memory.
    std::counting_semaphore<2> hashTurns{2};
    // The database is often the station's own server: the website's queries run there at
    // the same priority as the counters' saves. So only a few requests at a time (the
    // configuration's DatabaseWorkers) do their database work; the others wait their turn
    // here, in the order they came, rather than crowding the server's CPUs.
    TurnQueue databaseTurns;

    // Drops the calling thread's connection after an error, so the next request opens a
    // fresh one.
    void dropDb();

private:
    friend class DatabaseTurn;
    // The connection of the calling thread, opened on first use.
    Db &db();
};

// One request and its answer, as the page handlers see them.
struct Exchange
{
    const httplib::Request &request;
    httplib::Response &response;
    PortalServices &services;
    // The session the request's cookie names, when it is live.
    QByteArray sessionId;
    std::optional<Sessions::Session> session;

    // A query or form value as text; "" when absent. Broken UTF-8 reads as U+FFFD.
    QString value(const char *name) const;
    // The client's address (the proxy's X-Real-IP when configured so).
    QString clientAddress() const;

    // Sends a page; every page about an account is kept out of caches.
    void page(int status, const QString &title, const QString &body);
    void redirect(const QString &path);
    void notFound();
    // Sets or clears the session cookie.
    void setSessionCookie(const QByteArray &id);
    void clearSessionCookie();
};

// Thrown when the website is too busy to check a password or read the database now; the
// request is answered "busy" (503) instead of holding a worker any longer.
struct PortalBusy : std::runtime_error
{
    explicit PortalBusy(const char *work) : std::runtime_error(work) {}
};

// Holds one of the turns for password work while it lives; waits a few seconds for one,
// then gives up with PortalBusy.
class HashTurn
{
public:
    explicit HashTurn(PortalServices &services) : m_turns(services.hashTurns)
    {
        if (!m_turns.try_acquire_for(std::chrono::seconds(5)))
            throw PortalBusy("a password check found no turn");
    }
    ~HashTurn() { m_turns.release(); }
    HashTurn(const HashTurn &) = delete;
    HashTurn &operator=(const HashTurn &) = delete;

private:
    std::counting_semaphore<2> &m_turns;
};

// Holds one of the turns for database work while it lives, and with it the thread's
// connection: a page reads the database only through a turn. Waits the configuration's
// DatabaseWaitSeconds for one, then gives up with PortalBusy.
class DatabaseTurn
{
public:
    explicit DatabaseTurn(PortalServices &services);
    ~DatabaseTurn() { m_services.databaseTurns.giveBack(); }
    DatabaseTurn(const DatabaseTurn &) = delete;
    DatabaseTurn &operator=(const DatabaseTurn &) = delete;

    Db &db() { return m_services.db(); }

private:
    PortalServices &m_services;
};

// The name of the session cookie.
inline constexpr char kSessionCookie[] = "ams_session";
