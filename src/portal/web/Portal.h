#pragma once

#include "app/PortalConfig.h"

#include <QString>

#include <memory>

namespace httplib {
class Server;
}
struct PortalServices;

// The fleets' website: binds its address, then serves its pages on a pool of worker
// threads until stop(). Every connection carries one request, bounded in size, header
// count and time; a slow or oversized request is dropped without holding up the others.
class Portal
{
public:
    explicit Portal(const PortalConfig &config);
    ~Portal();

    // Binds the configured address and port (0 picks a free one); false with the reason.
    bool bind(QString *error);
    // The port bound.
    int port() const { return m_port; }
    // Serves until stop(); returns false when the server could not run.
    bool run();
    void stop();

    // The limits on a request.
    static constexpr size_t kMaxBody = 16 * 1024;
    static constexpr size_t kMaxHeaders = 64;
    static constexpr int kDeadlineSeconds = 15;

private:
    void route();

    PortalConfig m_config;
    std::unique_ptr<PortalServices> m_services;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
};
