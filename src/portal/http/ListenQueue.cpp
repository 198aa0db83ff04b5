#include "ListenQueue.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>

namespace ListenQueue {

bool lengthen(int port, int length)
{
    // The library keeps its socket to itself; the process's open descriptors are searched
    // for the one socket that listens on the port.
    DIR *fds = ::opendir("/proc/self/fd");
    if (!fds)
        return false;
    bool done = false;
    while (const dirent *entry = ::readdir(fds)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(fds))
            continue;
        int listening = 0;
        socklen_t size = sizeof listening;
        if (::getsockopt(int(fd), SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening)
            continue;
        sockaddr_storage address{};
        socklen_t addressSize = sizeof address;
        if (::getsockname(int(fd), reinterpret_cast<sockaddr *>(&address), &addressSize) != 0)
            continue;
        int bound = -1;
        if (address.ss_family == AF_INET)
            bound = ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
        else if (address.ss_family == AF_INET6)
            bound = ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
        if (bound == port && ::listen(int(fd), length) == 0)
            done = true;
    }
    ::closedir(fds);
    return done;
}

} // namespace ListenQueue
