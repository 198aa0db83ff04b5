#pragma once

// What the benchmarks share.

#include <QByteArray>
#include <QFile>

namespace BenchSupport {

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

} // namespace BenchSupport
