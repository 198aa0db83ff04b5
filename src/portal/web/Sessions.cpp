#include "Sessions.h"

#include <QRandomGenerator>

#include <array>

QByteArray Sessions::randomId()
{
    // QRandomGenerator::system() reads the kernel's generator (getrandom), never a
    // seeded sequence.
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    return QByteArray(reinterpret_cast<const char *>(words.data()), int(sizeof(words))).toHex();
}

QByteArray Sessions::start(const QString &customerId, const QString &userName)
{
    QByteArray id = randomId();
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    dropIdle(now);
    m_sessions[id.toStdString()] = Session{customerId, userName, randomId(), now};
    return id;
}

std::optional<Sessions::Session> Sessions::find(const QByteArray &id)
{
    if (id.size() != 64)
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    dropIdle(now);
    auto it = m_sessions.find(id.toStdString());
    if (it == m_sessions.end())
        return std::nullopt;
    if (now - it->second.lastSeen > m_idle) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    it->second.lastSeen = now;
    return it->second;
}

void Sessions::end(const QByteArray &id)
{
    std::lock_guard lock(m_mutex);
    m_sessions.erase(id.toStdString());
}

void Sessions::endOthers(const QString &customerId, const QByteArray &keep)
{
    std::lock_guard lock(m_mutex);
    const std::string kept = keep.toStdString();
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (it->second.customerId == customerId && it->first != kept)
            it = m_sessions.erase(it);
        else
            ++it;
    }
}

int Sessions::count()
{
    std::lock_guard lock(m_mutex);
    dropIdle(Clock::now());
    return int(m_sessions.size());
}

void Sessions::dropIdle(Clock::time_point now)
{
    // A sweep now and then keeps abandoned sessions from piling up in memory.
    if (now - m_lastSweep < std::chrono::seconds(30))
        return;
    m_lastSweep = now;
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (now - it->second.lastSeen > m_idle)
            it = m_sessions.erase(it);
        else
            ++it;
    }
}
