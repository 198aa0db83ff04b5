#pragma once

#include <QString>

#include <chrono>
#include <deque>
#include <mutex>
#include <unordered_map>

// Counts failed sign-ins per username and per client address. Too many failures within
// the window lock further tries of that username (or from that address) for a while, so
// guessing a password costs hours rather than seconds.
class SignInThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    SignInThrottle(std::chrono::milliseconds window, std::chrono::milliseconds lock, int perUser, int perAddress)
        : m_window(window),
          m_lock(lock),
          m_perUser(perUser),
          m_perAddress(perAddress)
    {}

    // How long until a try for this username from this address is allowed again; zero
    // when it is allowed now.
    std::chrono::milliseconds lockedFor(const QString &userName, const QString &address);
    void failed(const QString &userName, const QString &address);
    // A good sign-in forgets the username's failures (not the address's).
    void succeeded(const QString &userName);

private:
    struct Record
    {
        std::deque<Clock::time_point> failures;
        Clock::time_point lockedUntil{};
    };
    std::chrono::milliseconds check(std::unordered_map<std::string, Record> &records, const std::string &key,
                                    Clock::time_point now);
    void add(std::unordered_map<std::string, Record> &records, const std::string &key, int limit, Clock::time_point now);
    void prune(std::unordered_map<std::string, Record> &records, Clock::time_point now);

    std::chrono::milliseconds m_window;
    std::chrono::milliseconds m_lock;
    int m_perUser;
    int m_perAddress;
    std::mutex m_mutex;
    std::unordered_map<std::string, Record> m_users;
    std::unordered_map<std::string, Record> m_addresses;
};
