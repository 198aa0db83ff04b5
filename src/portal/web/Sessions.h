#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>
#include <optional>
#include <unordered_map>

// The signed-in fleets. A session is known by a 256-bit random ID that only its cookie
// carries; the portal keeps the rest (whose account, the form token) in memory, so ending
// a session here ends it for good, whatever the browser still holds.
class Sessions
{
public:
    using Clock = std::chrono::steady_clock;

    struct Session
    {
        QString customerId;
        QString userName;
        // Every form that changes something carries this token back; a page of another
        // site cannot read it, so it cannot make the browser post one.
        QByteArray csrfToken;
        Clock::time_point lastSeen;
    };

    explicit Sessions(std::chrono::milliseconds idleTimeout) : m_idle(idleTimeout) {}

    // A new session with fresh random ID and token; returns the ID.
    QByteArray start(const QString &customerId, const QString &userName);
    // The live session with this ID, its idle time restarted; nothing when there is none
    // or it has been idle too long (it is then ended).
    std::optional<Session> find(const QByteArray &id);
    void end(const QByteArray &id);
    // Ends every session of the customer but the one given (after a password change).
    void endOthers(const QString &customerId, const QByteArray &keep);
    int count();

    // 32 bytes from the system's random generator, as 64 hex digits.
    static QByteArray randomId();

private:
    void dropIdle(Clock::time_point now);

    std::chrono::milliseconds m_idle;
    std::mutex m_mutex;
    std::unordered_map<std::string, Session> m_sessions;
    Clock::time_point m_lastSweep;
};
