#include "SignInThrottle.h"

namespace {

// Usernames compare as the database compares them (exactly), but a lock must not be
// dodged by a different letter case of the same name on a server that ignores case.
std::string userKey(const QString &userName) { return userName.toCaseFolded().toStdString(); }

} // namespace

std::chrono::milliseconds SignInThrottle::check(std::unordered_map<std::string, Record> &records, const std::string &key,
                                                Clock::time_point now)
{
    auto it = records.find(key);
    if (it == records.end() || it->second.lockedUntil <= now)
        return std::chrono::milliseconds(0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(it->second.lockedUntil - now);
}

std::chrono::milliseconds SignInThrottle::lockedFor(const QString &userName, const QString &address)
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    return std::max(check(m_users, userKey(userName), now), check(m_addresses, address.toStdString(), now));
}

void SignInThrottle::add(std::unordered_map<std::string, Record> &records, const std::string &key, int limit,
                         Clock::time_point now)
{
    // Failures of unknown names cost memory; old records go once there are many.
    if (records.size() > 100000)
        prune(records, now);
    Record &r = records[key];
    while (!r.failures.empty() && now - r.failures.front() > m_window)
        r.failures.pop_front();
    r.failures.push_back(now);
    if (int(r.failures.size()) >= limit) {
        r.lockedUntil = now + m_lock;
        r.failures.clear();
    }
}

void SignInThrottle::prune(std::unordered_map<std::string, Record> &records, Clock::time_point now)
{
    for (auto it = records.begin(); it != records.end();) {
        const bool stale =
            it->second.lockedUntil <= now && (it->second.failures.empty() || now - it->second.failures.back() > m_window);
        it = stale ? records.erase(it) : std::next(it);
    }
}

void SignInThrottle::failed(const QString &userName, const QString &address)
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    add(m_users, userKey(userName), m_perUser, now);
    add(m_addresses, address.toStdString(), m_perAddress, now);
}

void SignInThrottle::succeeded(const QString &userName)
{
    std::lock_guard lock(m_mutex);
    auto it = m_users.find(userKey(userName));
    if (it != m_users.end() && it->second.lockedUntil <= Clock::now())
        m_users.erase(it);
}
