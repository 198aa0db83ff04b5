#include "ConnectionDeadline.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>

ConnectionDeadline::ConnectionDeadline(std::chrono::milliseconds limit) : m_limit(limit), m_thread([this] { run(); }) {}

ConnectionDeadline::~ConnectionDeadline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

int ConnectionDeadline::watch(int sock)
{
    const int handle = ::dup(sock);
    if (handle < 0)
        return -1;
    std::lock_guard lock(m_mutex);
    m_deadlines[handle] = std::chrono::steady_clock::now() + m_limit;
    return handle;
}

void ConnectionDeadline::unwatch(int handle)
{
    if (handle < 0)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_deadlines.erase(handle);
    }
    ::close(handle);
}

void ConnectionDeadline::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_wake.wait_for(lock, std::chrono::milliseconds(200));
        const auto now = std::chrono::steady_clock::now();
        for (auto it = m_deadlines.begin(); it != m_deadlines.end();) {
            if (it->second <= now) {
                // Shutting the socket down wakes the worker's read or write with an error;
                // the worker then closes it as usual.
                ::shutdown(it->first, SHUT_RDWR);
                it = m_deadlines.erase(it);
            } else {
                ++it;
            }
        }
    }
}

ConnectionRoutine connectionRoutine(bool tls)
{
    // httplib::Server::process_and_close_socket(int) and the SSLServer's, as the
    // compiler names them.
    const char *name =
        tls ? "_ZN7httplib9SSLServer24process_and_close_socketEi" : "_ZN7httplib6Server24process_and_close_socketEi";
    return reinterpret_cast<ConnectionRoutine>(::dlsym(RTLD_DEFAULT, name));
}
