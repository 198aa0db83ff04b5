// The fleets' website under a bounded load on PostgreSQL over loopback, with a counter
// workstation saving charge tickets meanwhile:
//   1. the station saves tickets alone (its save times without the load);
//   2. SESSIONS fleets sign in, then make REQUESTS page requests each, CONCURRENCY at a
//      time, while the station goes on saving (its save times under the load).
// Prints the errors and the latency percentiles of the page requests and of the saves;
// exits 1 on any error. p99 under LIMIT_MS is the target and is said as met or not.
//
//   bench_portal [SESSIONS REQUESTS CONCURRENCY LIMIT_MS]   (defaults 200 20 16 100;
//                                                            needs AMS_TEST_PG)

#include "BenchSupport.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "tickets/TicketSaving.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <httplib.h>

#include <algorithm>
#include <map>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// What went wrong, by HTTP status (0: no answer), for the report.
class Statuses
{
public:
    void add(int status)
    {
        std::lock_guard lock(m_mutex);
        ++m_counts[status];
    }
    QString text()
    {
        std::lock_guard lock(m_mutex);
        QStringList parts;
        for (const auto &[status, count] : m_counts)
            parts << QStringLiteral("%1 x %2").arg(count).arg(status);
        return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
    }

private:
    std::mutex m_mutex;
    std::map<int, int> m_counts;
};

struct Times
{
    std::vector<double> ms;

    double at(double q) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(q * double(sorted.size())))];
    }
    QString summary() const
    {
        return QStringLiteral("%1 in all, p50 %2 ms, p90 %3 ms, p99 %4 ms, max %5 ms")
            .arg(ms.size())
            .arg(at(0.5), 0, 'f', 1)
            .arg(at(0.9), 0, 'f', 1)
            .arg(at(0.99), 0, 'f', 1)
            .arg(at(1.0), 0, 'f', 1);
    }
};

// A counter workstation saving charge tickets through the program's own save (the ticket
// and its posting in one transaction), one after another until told to stop or `count`
// are saved; each save's time is kept.
class Station
{
public:
    explicit Station(const QString &connection) : m_connection(connection) {}

    Times run(int count, const std::atomic<bool> *stop = nullptr)
    {
        Times times;
        auto db = Db::open(m_connection);
        const char *const customers[] = {"1001", "1002", "1004", "1006"};
        for (int n = 0; n < count && !(stop && *stop); ++n) {
            TicketRecord ticket;
            ticket.customerId = QLatin1String(customers[n % 4]);
            ticket.cardNo = QStringLiteral("01");
            ticket.details.clerk = QStringLiteral("BENCH");
            ticket.amounts.fuel[TicketLines::Diesel].gallons = QString::number(20 + n % 97);
            ticket.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.899");
            TicketLines::figure(ticket.amounts, 0.0825);
            QElapsedTimer timer;
            timer.start();
            if (!TicketSaving::save(*db, ticket, {QStringLiteral("BENCH"), 1, QDateTime::currentDateTime()}).posted)
                ++m_failures;
            times.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            // A clerk types for a while between tickets; the bench keeps a short pause so
            // that the station is a steady, modest writer.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return times;
    }
    int failures() const { return m_failures; }

private:
    QString m_connection;
    std::atomic<int> m_failures{0};
};

std::unique_ptr<httplib::Client> client(int port)
{
    auto c = std::make_unique<httplib::Client>("127.0.0.1", port);
    c->set_connection_timeout(10, 0);
    c->set_read_timeout(30, 0);
    return c;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Each line as it is made, for whoever follows the run (or profiles the portal in it).
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    const int sessions = args.value(1, QStringLiteral("200")).toInt();
    const int requests = args.value(2, QStringLiteral("20")).toInt();
    const int concurrency = std::max(1, args.value(3, QStringLiteral("16")).toInt());
    const double limit = args.value(4, QStringLiteral("100")).toDouble();

    const QString admin = BenchSupport::postgresAdmin();
    if (admin.isEmpty()) {
        std::printf("bench_portal needs the PostgreSQL server AMS_TEST_PG names (scripts/start-postgres)\n");
        return 1;
    }
    const QString name = QStringLiteral("ams_bench_portal");
    const QString connection = BenchSupport::postgresText(admin, name);
    QList<QPair<QString, QString>> logins;
    try {
        auto db = BenchSupport::freshPostgres(admin, name);
        DatabaseTool::fillDemo(*db, QDate::currentDate());
        for (const QSqlRecord &row : db->rows(QStringLiteral("SELECT UserName, CustomerID FROM WebUser ORDER BY CustomerID")))
            logins.append({row.value(0).toString(), DatabaseTool::demoPassword(row.value(1).toString())});
    } catch (const DbError &e) {
        std::printf("bench_portal: %s\n", qPrintable(e.serverText()));
        return 1;
    }
    if (logins.isEmpty()) {
        std::printf("bench_portal: the demo data has no website logins\n");
        return 1;
    }

    // The portal, as installed: its own process on a free loopback port.
    QTemporaryDir dir;
    {
        QFile config(dir.filePath(QStringLiteral("portal.conf")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("Listen = 127.0.0.1\nPort = 0\nConnection = %1\n").arg(connection).toUtf8());
    }
    QString bin = qEnvironmentVariable("AMS_BIN_DIR");
    if (bin.isEmpty())
        bin = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src"));
    QProcess portal;
    portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    portal.start(QDir(bin).filePath(QStringLiteral("ams-portal")),
                 {QStringLiteral("--config"), dir.filePath(QStringLiteral("portal.conf"))});
    QByteArray said;
    while (!said.contains('\n') && portal.waitForReadyRead(20000))
        said += portal.readAllStandardOutput();
    const auto port = QRegularExpression(QStringLiteral("port (\\d+)")).match(QString::fromUtf8(said));
    if (!port.hasMatch()) {
        std::printf("bench_portal: ams-portal did not start (%s)\n", said.constData());
        return 1;
    }
    const int portNumber = port.captured(1).toInt();
    std::printf("ams-portal on port %d, PostgreSQL database %s, %lld logins of the demo\n", portNumber, qPrintable(name),
                qlonglong(logins.size()));

    Station station(connection);
    const int alone = 150;
    const Times quiet = station.run(alone);
    std::printf("station saves, alone:        %s\n", qPrintable(quiet.summary()));

    // Every session signs in: a password check each, two at a time, as many as the portal
    // checks at once (more would wait for a turn, and past a few seconds be told "busy").
    std::atomic<int> errors{0};
    Statuses signInFailures;
    std::vector<std::string> cookies(static_cast<size_t>(sessions));
    QElapsedTimer signIns;
    signIns.start();
    {
        std::atomic<int> next{0};
        std::vector<std::thread> workers;
        for (int w = 0; w < 2; ++w) {
            workers.emplace_back([&] {
                auto c = client(portNumber);
                for (int i = next++; i < sessions; i = next++) {
                    const auto &login = logins[i % logins.size()];
                    auto r = c->Post("/signin", httplib::Params{{"username", login.first.toStdString()},
                                                                {"password", login.second.toStdString()}});
                    const std::string set = r ? r->get_header_value("Set-Cookie") : std::string();
                    if (!r || r->status != 303 || set.empty()) {
                        ++errors;
                        signInFailures.add(r ? r->status : 0);
                        continue;
                    }
                    cookies[size_t(i)] = set.substr(0, set.find(';'));
                }
            });
        }
        for (auto &w : workers)
            w.join();
    }
    std::printf("%d sign-ins in %.1f s, %d failed (%s)\n", sessions, double(signIns.elapsed()) / 1000, errors.load(),
                qPrintable(signInFailures.text()));

    // The pages a fleet looks at, in turn.
    const char *const pages[] = {"/account", "/tickets", "/payments", "/tickets?card=01", "/statements"};
    std::atomic<bool> stop{false};
    Times loaded;
    std::thread stationThread([&] { loaded = station.run(1000000, &stop); });
    std::mutex timesMutex;
    Times pageTimes;
    std::map<std::string, Times> byPage;
    std::atomic<int> pageErrors{0};
    Statuses pageFailures;
    QElapsedTimer wall;
    wall.start();
    {
        std::atomic<int> next{0};
        const int total = sessions * requests;
        std::vector<std::thread> workers;
        for (int w = 0; w < concurrency; ++w) {
            workers.emplace_back([&] {
                auto c = client(portNumber);
                std::vector<double> mine;
                std::map<std::string, std::vector<double>> minePerPage;
                for (int job = next++; job < total; job = next++) {
                    const std::string &cookie = cookies[size_t(job % sessions)];
                    const char *page = pages[(job / sessions) % std::size(pages)];
                    QElapsedTimer timer;
                    timer.start();
                    auto r = c->Get(page, {{"Cookie", cookie}});
                    mine.push_back(double(timer.nsecsElapsed()) / 1e6);
                    minePerPage[page].push_back(mine.back());
                    if (!r || r->status != 200) {
                        ++pageErrors;
                        pageFailures.add(r ? r->status : 0);
                    }
                }
                std::lock_guard lock(timesMutex);
                pageTimes.ms.insert(pageTimes.ms.end(), mine.begin(), mine.end());
                for (const auto &[page, times] : minePerPage)
                    byPage[page].ms.insert(byPage[page].ms.end(), times.begin(), times.end());
            });
        }
        for (auto &w : workers)
            w.join();
    }
    const double seconds = double(wall.elapsed()) / 1000;
    stop = true;
    stationThread.join();
    portal.terminate();
    portal.waitForFinished(10000);

    std::printf("%d sessions x %d requests, %d at a time: %zu page requests in %.1f s (%.0f/s), %d errors (%s)\n", sessions,
                requests, concurrency, pageTimes.ms.size(), seconds, double(pageTimes.ms.size()) / seconds, pageErrors.load(),
                qPrintable(pageFailures.text()));
    std::printf("page requests:               %s\n", qPrintable(pageTimes.summary()));
    for (const auto &[page, times] : byPage)
        std::printf("  %-26s %s\n", page.c_str(), qPrintable(times.summary()));
    std::printf("station saves, under load:   %s\n", qPrintable(loaded.summary()));
    std::printf("station save failures: %d\n", station.failures());
    const bool met = pageTimes.at(0.99) < limit;
    std::printf("target p99 < %.0f ms: %s\n", limit, met ? "met" : "NOT met");
    try {
        BenchSupport::dropPostgres(admin, name);
    } catch (const DbError &) {
    }
    return errors == 0 && pageErrors == 0 && station.failures() == 0 ? 0 : 1;
}
