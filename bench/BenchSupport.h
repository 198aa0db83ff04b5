#pragma once

// What the benchmarks share: the databases they run on and the memory they used.

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace BenchSupport {

// The sample at fraction p (0 to 1) of the samples in order, by nearest rank: 0.5 is the
// median, 1 the largest. 0 when there are none.
template <typename T>
T percentile(std::vector<T> samples, double p)
{
    if (samples.empty())
        return T();
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(p * double(samples.size())))];
}

// The CPU time (user and system) of the children this process has waited for, in ms.
inline double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The CPU time this thread has used, in ms: the program's own work, without the waits for
// the disk or the server that its wall time also counts.
inline double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs a bare client (the sqlite3 shell, pgbench) with its input from a file and returns
// its wall time in ms; with cpuMs, also the CPU time the client used. A failing run
// throws; with quiet, so does any word on stderr.
inline double timedProcess(const QString &program, const QStringList &args, const QString &input, const QProcessEnvironment &env,
                           bool quiet = false, double *cpuMs = nullptr)
{
    const double cpuBefore = childrenCpuMs();
    QProcess p;
    p.setProcessEnvironment(env);
    if (!input.isEmpty())
        p.setStandardInputFile(input);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        throw DbError(QStringLiteral("%1 failed: %2").arg(program, QString::fromUtf8(p.readAllStandardError())));
    if (const QByteArray err = p.readAllStandardError(); quiet && !err.isEmpty())
        throw DbError(QStringLiteral("%1 said: %2").arg(program, QString::fromUtf8(err)));
    const double wallMs = timer.nsecsElapsed() / 1e6;
    if (cpuMs)
        *cpuMs = childrenCpuMs() - cpuBefore;
    return wallMs;
}

// The process's peak resident memory so far (VmHWM) in KiB; -1 where it cannot be read.
inline long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Starts the peak resident memory (VmHWM) afresh from what the process holds now, so that
// a later peakKiB() is the peak of the work in between; false where the kernel cannot.
inline bool restartPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The connection text of a new SQLite file of `dir`.
inline QString sqliteText(const QTemporaryDir &dir, const QString &fileName)
{
    const QString file = dir.filePath(fileName);
    QFile(file).open(QIODevice::WriteOnly);
    return QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file);
}

// A new SQLite database in a file of `dir`, with the schema.
inline std::unique_ptr<Db> freshSqlite(const QTemporaryDir &dir, const QString &fileName)
{
    auto db = Db::open(sqliteText(dir, fileName));
    DatabaseTool::createSchema(*db);
    return db;
}

// The test PostgreSQL server's connection text with its password (AMS_TEST_PG, which the
// test command sets); empty, with a line saying PostgreSQL is skipped, when there is none.
inline QString postgresAdmin()
{
    const QString base = qEnvironmentVariable("AMS_TEST_PG");
    if (base.isEmpty()) {
        std::printf("PostgreSQL skipped: AMS_TEST_PG is not set\n");
        return {};
    }
    return base + QStringLiteral("PWD=QZ;");
}

// The connection text of the database `name` on the server of `admin`.
inline QString postgresText(const QString &admin, const QString &name)
{
    QString text = admin;
    text.replace(QRegularExpression(QStringLiteral("Database=[^;]*;"), QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral("Database=%1;").arg(name));
    return text;
}

// Drops the database `name` of the server of `admin`, if it is there.
inline void dropPostgres(const QString &admin, const QString &name)
{
    auto db = Db::open(admin);
    db->exec(QStringLiteral("SET client_min_messages TO WARNING"));
    db->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

// A new database `name` on the server of `admin` (an earlier one is dropped first), with
// the schema.
inline std::unique_ptr<Db> freshPostgres(const QString &admin, const QString &name)
{
    dropPostgres(admin, name);
    Db::open(admin)->exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    auto db = Db::open(postgresText(admin, name));
    DatabaseTool::createSchema(*db);
    return db;
}

} // namespace BenchSupport
