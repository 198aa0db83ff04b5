#pragma once

#include <QString>

#include <algorithm>
#include <thread>

// What the website is told by its configuration file: where it listens, whether it speaks
// TLS itself, the database it reads and how long a session lives. The file is a list of
// "Name = value" lines; blank lines and lines starting with # are skipped, names compare
// without regard to letter case, and a value runs to the line end (so a connection text
// keeps its = and ; signs).
struct PortalConfig
{
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8443;
    // Both set: the portal speaks HTTPS itself. Both empty: plain HTTP, which is only
    // allowed on a loopback address, for a reverse proxy on the same machine.
    QString tlsCertificate;
    QString tlsKey;
    QString connection;
    // Where a relative SQLite file in the connection text lies: beside the configuration file.
    QString baseDir;
    // The station's location (its Company row): its name and address head the statements,
    // and its payment terms stand for customers without terms of their own.
    QString locationId = QStringLiteral("1");
    // A session ends after this long without a request.
    double sessionMinutes = 30;
    // Failed sign-ins are counted over the window; too many lock further tries for the
    // lockout's length.
    double failureWindowMinutes = 15;
    double lockoutMinutes = 15;
    int failuresPerUser = 10;
    int failuresPerAddress = 50;
    // Behind a reverse proxy every request comes from the proxy's address; the proxy then
    // names the client in X-Real-IP, which is believed only when this is set.
    bool behindProxy = false;
    // How many requests may do their database work at once, and how long one waits for its
    // turn before it is answered "busy". The website usually shares its machine and its
    // database server with the counters: by default its queries take at most half the
    // machine's CPUs (one on a machine of two), so a counter's save always finds one free.
    int databaseWorkers = std::max(1, int(std::thread::hardware_concurrency()) / 2);
    double databaseWaitSeconds = 5;

    // The requests the website serves at once; DatabaseWorkers is at most this.
    static constexpr int kRequestWorkers = 16;

    bool tls() const { return !tlsCertificate.isEmpty(); }

    // Reads the file; false with a message naming the file and the line or the setting
    // when it cannot be read or does not make sense.
    static bool read(const QString &path, PortalConfig *config, QString *error);
    // Checks settings that belong together; "" when they are sound.
    QString problem() const;
};
