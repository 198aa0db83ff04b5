#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <type_traits>

// Ends connections that take too long. The HTTP library times out each read that waits
// too long, but a client that sends a byte now and then could still keep a worker busy
// for ever; here every connection gets a deadline by which its request must be read,
// handled and answered, after which its socket is shut down and the worker moves on.
class ConnectionDeadline
{
public:
    explicit ConnectionDeadline(std::chrono::milliseconds limit);
    ~ConnectionDeadline();

    // Watches the socket until unwatch(); returns a handle that stays valid meanwhile (a
    // duplicate of the socket, so that a socket number reused after close is never
    // shut down by mistake).
    int watch(int sock);
    void unwatch(int handle);

private:
    void run();

    std::chrono::milliseconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<int, std::chrono::steady_clock::time_point> m_deadlines;
    bool m_stopping = false;
    std::thread m_thread;
};

// The library's own routine that reads, answers and closes one connection of a plain or
// TLS server. It is virtual but private, so a subclass that watches the connection
// cannot call it by name; it is found by its exported symbol instead (the library is a
// shared object of the distribution). Null when the symbol is missing.
using ConnectionRoutine = bool (*)(void *server, int sock);
ConnectionRoutine connectionRoutine(bool tls);

// An HTTP or HTTPS server of the library whose connections are each watched from the
// moment they are accepted until they are closed, and cut off at the deadline.
template <class Base>
class BoundedServer : public Base
{
public:
    template <class... Args>
    explicit BoundedServer(std::chrono::milliseconds deadline, Args &&...args)
        : Base(std::forward<Args>(args)...),
          m_deadline(deadline),
          m_routine(connectionRoutine(std::is_same_v<Base, httplib::SSLServer>))
    {}

    // False when the library's routine could not be found: the server must not run.
    bool canWatch() const { return m_routine != nullptr; }

private:
    bool process_and_close_socket(socket_t sock) override
    {
        const int handle = m_deadline.watch(sock);
        const bool result = m_routine(static_cast<Base *>(this), sock);
        m_deadline.unwatch(handle);
        return result;
    }

    ConnectionDeadline m_deadline;
    ConnectionRoutine m_routine;
};
