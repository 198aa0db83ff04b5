// ams-portal: the fleets' website. Reads its configuration, opens the database once to
// see that it can, and serves until it is told to stop (SIGTERM or SIGINT).
#include "app/PortalConfig.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "web/Portal.h"

#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

int main(int argc, char *argv[])
{
    // Statements and downloads are drawn with Qt's fonts and painter, which need a GUI
    // application object but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("ams-portal"));
    QTextStream err(stderr);

    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--config"));
    if (at < 0 || at + 1 >= args.size()) {
        err << "Usage: ams-portal --config FILE\n";
        return 2;
    }
    PortalConfig config;
    QString error;
    if (!PortalConfig::read(args.at(at + 1), &config, &error)) {
        err << error << "\n";
        return 1;
    }
    try {
        // Fail at start, with the server's own words, rather than at the first page.
        Db::open(config.connection, config.baseDir);
    } catch (const DbError &e) {
        err << "The database cannot be opened: " << e.what() << "\n";
        return 1;
    }

    // The signals are waited for by one thread of their own; every other thread blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Portal portal(config);
    if (!portal.bind(&error)) {
        err << error << "\n";
        return 1;
    }
    // Tests and scripts read the port from this line (the configuration may ask for any free port).
    std::printf("Listening on %s port %d (%s)\n", qPrintable(config.listenAddress), portal.port(),
                config.tls() ? "HTTPS" : "plain HTTP");
    std::fflush(stdout);

    std::thread waiter([&portal, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        portal.stop();
    });
    const bool ran = portal.run();
    if (waiter.joinable()) {
        // run() ended on its own: wake the waiting thread so that it can end too. SIGTERM is
        // blocked in every thread and only taken by the waiter's sigwait(), so this ends the
        // wait and nothing else.
        pthread_kill(waiter.native_handle(), SIGTERM); // NOLINT(bugprone-bad-signal-to-kill-thread)
        waiter.join();
    }
    return ran ? 0 : 1;
}
