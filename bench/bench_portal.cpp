// The fleets' website under a bounded load on PostgreSQL over loopback, with a counter
// workstation saving charge tickets meanwhile:
//   1. the station saves tickets alone (its save times without the load);
//   2. SESSIONS fleets sign in, then make REQUESTS page requests each, CONCURRENCY at a
//      time, while the station goes on saving (its save times under the load);
//   3. the station saves alone again: the machine's speed drifts, and the p99 under the
//      load is held against the p99 alone both before and after.
// Prints the errors and the latency percentiles of the page requests and of the saves;
// exits 1 on any error. p99 under LIMIT_MS is the target and is said as met or not.
//
// The fleets' browsers are other machines; here they share the cores with the station,
// the portal and PostgreSQL. So the page requests are made by a process of their own
// (this program started again with --clients), at the lowest CPU priority and kept to
// the last core, standing in for browsers elsewhere as far as one machine can. The portal
// runs as its service file runs it (CPUSchedulingPolicy=idle in ams-portal.service), so
// the website yields to the counters' work.
//
//   bench_portal [SESSIONS REQUESTS CONCURRENCY LIMIT_MS] [--portal-nice N] [--clients-nice N]
//                [--clients-everywhere] [--passes N] [--database-workers N] [--station-apart]
//     defaults 200 20 16 100, the portal in the idle class, clients nice 19 on the last
//     core; needs AMS_TEST_PG. --portal-nice N runs the portal in the normal class at nice
//     N instead; --portal-nice 0 --clients-nice 0 --clients-everywhere puts everything on
//     an equal footing, as the first version of this bench did. --passes N makes the
//     sessions' requests N times over (default 1): one pass lasts a few seconds, too few
//     of the station's saves for their p99 to mean much. --database-workers N is the
//     portal's DatabaseWorkers setting (default as installed: half the machine's CPUs, at
//     least one): how many of its requests do their database work at once; 16, one per
//     request it serves, is no bound at all.
//     --station-apart keeps the station's thread to the first core and everything else
//     (PostgreSQL's processes, the station's own server process among them, the portal
//     and the page requests) to the other cores: the counter workstation on a machine of
//     its own, as it is at a station, against a server one core smaller. It moves the
//     server's processes, so it needs the right to (root, or PostgreSQL's own user).
//
// For each save it also reads the kernel's scheduler counts of the station's thread and of
// the server process serving it, and prints their mean time on a CPU and waiting for one:
// a save slowed by the load shows there whether it queued for a CPU or waited on something
// else (a lock, the disk). The machine's load average is printed before the saves alone
// and after the page requests: other work on the machine shows in both.

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
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

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
    // Where the saves' time went, summed over them, in ms: the station's own thread and
    // its server process each on a CPU and waiting for one (the kernel's scheduler counts).
    double clientCpu = 0, clientQueued = 0, serverCpu = 0, serverQueued = 0;

    double at(double q) const { return BenchSupport::percentile(ms, q); }
    QString summary() const
    {
        return QStringLiteral("%1 in all, p50 %2 ms, p90 %3 ms, p99 %4 ms, max %5 ms")
            .arg(ms.size())
            .arg(at(0.5), 0, 'f', 1)
            .arg(at(0.9), 0, 'f', 1)
            .arg(at(0.99), 0, 'f', 1)
            .arg(at(1.0), 0, 'f', 1);
    }
    // The mean save and, of it, the on-CPU and waiting-for-a-CPU time of both sides. The
    // server process may still be finishing its part when the station reads the counts,
    // so the four can add up to a little more than the save took.
    QString split() const
    {
        const double n = double(std::max<size_t>(1, ms.size()));
        double wall = 0;
        for (double m : ms)
            wall += m;
        return QStringLiteral("mean %1 ms: the station on a CPU %2, waiting for one %3; its server process on a CPU %4, "
                              "waiting for one %5")
            .arg(wall / n, 0, 'f', 2)
            .arg(clientCpu / n, 0, 'f', 2)
            .arg(clientQueued / n, 0, 'f', 2)
            .arg(serverCpu / n, 0, 'f', 2)
            .arg(serverQueued / n, 0, 'f', 2);
    }
};

// A thread's time on a CPU and waiting in a run queue so far, in ms, from the kernel's
// schedstat file; zeros where it cannot be read (another machine's server, say).
struct SchedTimes
{
    double cpu = 0, queued = 0;

    static SchedTimes of(const char *path)
    {
        SchedTimes t;
        std::ifstream in(path);
        unsigned long long cpuNs = 0, queuedNs = 0;
        if (in >> cpuNs >> queuedNs) {
            t.cpu = double(cpuNs) / 1e6;
            t.queued = double(queuedNs) / 1e6;
        }
        return t;
    }
};

// A counter workstation saving charge tickets through the program's own save (the ticket
// and its posting in one transaction), one after another until told to stop or `count`
// are saved; each save's time is kept.
class Station
{
public:
    // With a core set, the saving thread keeps to it.
    Station(const QString &connection, std::optional<cpu_set_t> core) : m_connection(connection), m_core(core) {}

    Times run(int count, const std::atomic<bool> *stop = nullptr)
    {
        if (m_core)
            sched_setaffinity(0, sizeof *m_core, &*m_core);
        Times times;
        auto db = Db::open(m_connection);
        // The server process serving this connection: on this machine over loopback, the
        // kernel's counts show whether a save waited for a CPU on either side.
        const std::string serverStat =
            "/proc/" + db->rows(QStringLiteral("SELECT pg_backend_pid()")).value(0).value(0).toString().toStdString()
            + "/schedstat";
        const char *const customers[] = {"1001", "1002", "1004", "1006"};
        for (int n = 0; n < count && !(stop && *stop); ++n) {
            TicketRecord ticket;
            ticket.customerId = QLatin1String(customers[n % 4]);
            ticket.cardNo = QStringLiteral("01");
            ticket.details.clerk = QStringLiteral("BENCH");
            ticket.amounts.fuel[TicketLines::Diesel].gallons = QString::number(20 + n % 97);
            ticket.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.899");
            TicketLines::figure(ticket.amounts, 0.0825);
            const SchedTimes clientBefore = SchedTimes::of("/proc/thread-self/schedstat");
            const SchedTimes serverBefore = SchedTimes::of(serverStat.c_str());
            QElapsedTimer timer;
            timer.start();
            if (!TicketSaving::save(*db, ticket, {QStringLiteral("BENCH"), 1, QDateTime::currentDateTime()}).posted)
                ++m_failures;
            times.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            const SchedTimes clientAfter = SchedTimes::of("/proc/thread-self/schedstat");
            const SchedTimes serverAfter = SchedTimes::of(serverStat.c_str());
            times.clientCpu += clientAfter.cpu - clientBefore.cpu;
            times.clientQueued += clientAfter.queued - clientBefore.queued;
            times.serverCpu += serverAfter.cpu - serverBefore.cpu;
            times.serverQueued += serverAfter.queued - serverBefore.queued;
            // A clerk types for a while between tickets; the bench keeps a short pause so
            // that the station is a steady, modest writer.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return times;
    }
    int failures() const { return m_failures; }

private:
    QString m_connection;
    std::optional<cpu_set_t> m_core;
    std::atomic<int> m_failures{0};
};

std::unique_ptr<httplib::Client> client(int port)
{
    auto c = std::make_unique<httplib::Client>("127.0.0.1", port);
    c->set_connection_timeout(10, 0);
    c->set_read_timeout(30, 0);
    return c;
}

// The pages a fleet looks at, in turn.
const char *const kPages[] = {"/account", "/tickets", "/payments", "/tickets?card=01", "/statements"};

// The browsers' side, run as a process of its own: the signed-in sessions' cookies one a
// line in `cookieFile`, REQUESTS page requests each, CONCURRENCY at a time, `passes`
// times over. Prints one line per request, "page-index status ms", for the bench to read.
int runClients(int port, const QString &cookieFile, int requests, int concurrency, int passes)
{
    std::vector<std::string> cookies;
    {
        std::ifstream in(cookieFile.toStdString());
        for (std::string line; std::getline(in, line);)
            cookies.push_back(line);
    }
    const int sessions = int(cookies.size());
    if (sessions == 0)
        return 1;
    std::mutex outMutex;
    std::atomic<int> next{0};
    const int total = sessions * requests * passes;
    std::vector<std::thread> workers;
    for (int w = 0; w < concurrency; ++w) {
        workers.emplace_back([&] {
            auto c = client(port);
            std::string lines;
            for (int job = next++; job < total; job = next++) {
                const std::string &cookie = cookies[size_t(job % sessions)];
                const int page = (job / sessions) % int(std::size(kPages));
                QElapsedTimer timer;
                timer.start();
                auto r = c->Get(kPages[page], {{"Cookie", cookie}});
                const double ms = double(timer.nsecsElapsed()) / 1e6;
                lines += std::to_string(page) + ' ' + std::to_string(r ? r->status : 0) + ' ' + std::to_string(ms) + '\n';
            }
            std::lock_guard lock(outMutex);
            std::fwrite(lines.data(), 1, lines.size(), stdout);
        });
    }
    for (auto &w : workers)
        w.join();
    std::fflush(stdout);
    return 0;
}

// The machine's load averages (1, 5 and 15 minutes): other work on the machine shows in
// the save times, alone and under the load alike.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

// The value after `option` in args (and both taken out of args); `otherwise` when absent.
int takeOption(QStringList &args, const QString &option, int otherwise)
{
    const qsizetype at = args.indexOf(option);
    if (at < 0 || at + 1 >= args.size())
        return otherwise;
    const int value = args[at + 1].toInt();
    args.remove(at, 2);
    return value;
}

// The machine's cores from `first` to `last` (counted from 0; negative: from the end).
cpu_set_t cores(int first, int last)
{
    const int count = int(sysconf(_SC_NPROCESSORS_ONLN));
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int core = first < 0 ? count + first : first; core <= (last < 0 ? count + last : last); ++core)
        CPU_SET(core, &set);
    return set;
}

// A child process started at CPU priority `nice`, or with no nice given in the idle
// class (it runs only on a CPU no other work wants), kept to `set` when one is given.
void lowerPriority(QProcess &process, std::optional<int> nice, std::optional<cpu_set_t> set)
{
    process.setChildProcessModifier([nice, set] {
        if (nice) {
            setpriority(PRIO_PROCESS, 0, *nice);
        } else {
            const sched_param none{};
            sched_setscheduler(0, SCHED_IDLE, &none);
        }
        if (set)
            sched_setaffinity(0, sizeof *set, &*set);
    });
}

// Keeps PostgreSQL's processes to `set`: the server process serving `db`, the server
// that started it and every other process that server started. A connection made later
// is served by a process that starts there. False (with the reason said) when the
// kernel does not allow it.
bool keepServerTo(Db &db, const cpu_set_t &set)
{
    const int backend = db.rows(QStringLiteral("SELECT pg_backend_pid()")).value(0).value(0).toInt();
    const auto parentOf = [](int pid) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("PPid:", 0) == 0)
                return std::stoi(line.substr(5));
        return 0;
    };
    const int server = parentOf(backend);
    std::vector<int> pids{server};
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        if (const int pid = entry.toInt(); pid > 0 && parentOf(pid) == server)
            pids.push_back(pid);
    for (int pid : pids)
        if (sched_setaffinity(pid, sizeof set, &set) != 0) {
            std::printf("bench_portal: PostgreSQL's process %d cannot be moved (%s)\n", pid, std::strerror(errno));
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--clients"))
        return runClients(args.value(2).toInt(), args.value(3), args.value(4).toInt(), std::max(1, args.value(5).toInt()),
                          std::max(1, args.value(6).toInt()));
    // Each line as it is made, for whoever follows the run (or profiles the portal in it).
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // As its service runs it, in the idle class, unless a nice is given.
    const std::optional<int> portalNice = args.contains(QStringLiteral("--portal-nice"))
                                              ? std::optional(takeOption(args, QStringLiteral("--portal-nice"), 0))
                                              : std::nullopt;
    const int clientsNice = takeOption(args, QStringLiteral("--clients-nice"), 19);
    const bool clientsEverywhere = args.removeAll(QStringLiteral("--clients-everywhere")) > 0;
    const bool stationApart = args.removeAll(QStringLiteral("--station-apart")) > 0;
    if (stationApart && sysconf(_SC_NPROCESSORS_ONLN) < 2) {
        std::printf("bench_portal: --station-apart needs two cores or more\n");
        return 1;
    }
    const int passes = std::max(1, takeOption(args, QStringLiteral("--passes"), 1));
    // The portal's own default: half the machine's CPUs, at least one.
    const int databaseWorkers =
        takeOption(args, QStringLiteral("--database-workers"), std::max(1, int(std::thread::hardware_concurrency()) / 2));
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
        if (stationApart && !keepServerTo(*db, cores(1, -1)))
            return 1;
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
        config.write(QStringLiteral("Listen = 127.0.0.1\nPort = 0\nConnection = %1\nDatabaseWorkers = %2\n")
                         .arg(connection)
                         .arg(databaseWorkers)
                         .toUtf8());
    }
    QString bin = qEnvironmentVariable("AMS_BIN_DIR");
    if (bin.isEmpty())
        bin = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src"));
    QProcess portal;
    portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lowerPriority(portal, portalNice, stationApart ? std::optional(cores(1, -1)) : std::nullopt);
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
    std::printf("ams-portal on port %d (%s, DatabaseWorkers = %d), PostgreSQL database %s, %lld logins of the demo; "
                "page requests from a process of their own at nice %d, %s\n",
                portNumber,
                qPrintable(portalNice ? QStringLiteral("nice %1").arg(*portalNice) : QStringLiteral("in the idle class")),
                databaseWorkers, qPrintable(name), qlonglong(logins.size()), clientsNice,
                clientsEverywhere ? "on every core" : "on the last core");

    // Apart, the station is the first core's only work; its server process is on the
    // server's cores with the rest.
    Station station(connection, stationApart ? std::optional(cores(0, 0)) : std::nullopt);
    if (stationApart)
        std::printf("the station's thread on core 0; PostgreSQL, the portal and the page requests on the others\n");
    // Enough saves that their p99 is not just the slowest one or two: the station's times
    // alone are what its times under the load are held against.
    std::printf("machine's load before the saves alone: %s\n", qPrintable(loadAverage()));
    const int alone = 500;
    const Times quiet = station.run(alone);
    std::printf("station saves, alone:        %s\n", qPrintable(quiet.summary()));
    std::printf("  %s\n", qPrintable(quiet.split()));

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

    // The page requests, from the browsers' process.
    const QString cookieFile = dir.filePath(QStringLiteral("cookies.txt"));
    {
        QFile out(cookieFile);
        out.open(QIODevice::WriteOnly);
        for (const std::string &cookie : cookies)
            if (!cookie.empty())
                out.write(QByteArray::fromStdString(cookie) + '\n');
    }
    std::atomic<bool> stop{false};
    Times loaded;
    std::thread stationThread([&] { loaded = station.run(1000000, &stop); });
    Times pageTimes;
    std::map<std::string, Times> byPage;
    int pageErrors = 0;
    Statuses pageFailures;
    QElapsedTimer wall;
    wall.start();
    {
        QProcess clients;
        clients.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        lowerPriority(clients, clientsNice, clientsEverywhere ? std::nullopt : std::optional(cores(-1, -1)));
        clients.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--clients"), QString::number(portNumber), cookieFile, QString::number(requests),
                       QString::number(concurrency), QString::number(passes)});
        if (!clients.waitForFinished(1800000) || clients.exitCode() != 0) {
            std::printf("bench_portal: the page requests' process failed\n");
            ++pageErrors;
        }
        for (const QByteArray &line : clients.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() != 3)
                continue;
            const int page = parts[0].toInt();
            if (page < 0 || page >= int(std::size(kPages)))
                continue;
            const int status = parts[1].toInt();
            const double ms = parts[2].toDouble();
            pageTimes.ms.push_back(ms);
            byPage[kPages[page]].ms.push_back(ms);
            if (status != 200) {
                ++pageErrors;
                pageFailures.add(status);
            }
        }
        // Every request answered or counted: a session that never signed in made none.
        const size_t expected =
            size_t(std::count_if(cookies.begin(), cookies.end(), [](const std::string &c) { return !c.empty(); }))
            * size_t(requests) * size_t(passes);
        if (pageTimes.ms.size() != expected) {
            std::printf("bench_portal: %zu page requests reported of %zu\n", pageTimes.ms.size(), expected);
            ++pageErrors;
        }
    }
    const double seconds = double(wall.elapsed()) / 1000;
    std::printf("machine's load at the end of the page requests: %s\n", qPrintable(loadAverage()));
    stop = true;
    stationThread.join();
    portal.terminate();
    portal.waitForFinished(10000);
    // Alone once more: the machine's own speed drifts over a run, and the times under the
    // load are held against both.
    const Times quietAfter = station.run(alone);

    std::printf("%d sessions x %d requests x %d passes, %d at a time: %zu page requests in %.1f s (%.0f/s), %d errors (%s)\n",
                sessions, requests, passes, concurrency, pageTimes.ms.size(), seconds, double(pageTimes.ms.size()) / seconds,
                pageErrors, qPrintable(pageFailures.text()));
    std::printf("page requests:               %s\n", qPrintable(pageTimes.summary()));
    for (const auto &[page, times] : byPage)
        std::printf("  %-26s %s\n", page.c_str(), qPrintable(times.summary()));
    std::printf("station saves, under load:   %s\n", qPrintable(loaded.summary()));
    std::printf("  %s\n", qPrintable(loaded.split()));
    std::printf("station saves, alone again:  %s\n", qPrintable(quietAfter.summary()));
    // The p99 of 500 saves is their fifth slowest: the two runs alone together give the
    // baseline as many saves as the load gave.
    Times bothAlone = quiet;
    bothAlone.ms.insert(bothAlone.ms.end(), quietAfter.ms.begin(), quietAfter.ms.end());
    std::printf("station's p99 under the load against alone: %.1fx before, %.1fx after, %.1fx both\n",
                loaded.at(0.99) / quiet.at(0.99), loaded.at(0.99) / quietAfter.at(0.99), loaded.at(0.99) / bothAlone.at(0.99));
    std::printf("station save failures: %d\n", station.failures());
    const bool met = pageTimes.at(0.99) < limit;
    std::printf("target p99 < %.0f ms: %s\n", limit, met ? "met" : "NOT met");
    try {
        // The server's processes back on every core.
        if (stationApart)
            keepServerTo(*Db::open(connection), cores(0, -1));
        BenchSupport::dropPostgres(admin, name);
    } catch (const DbError &) {
    }
    return errors == 0 && pageErrors == 0 && station.failures() == 0 ? 0 : 1;
}
