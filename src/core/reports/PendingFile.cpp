#include "reports/PendingFile.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool failed(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

PendingFile::PendingFile(QString target) : m_target(std::move(target)) {}

PendingFile::~PendingFile() = default;

bool PendingFile::open(QString *error)
{
    const QFileInfo target(m_target);
    // A dot first keeps the passing file out of the way of a user looking at the folder.
    m_file = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                              + QStringLiteral(".XXXXXX.part"));
    if (!m_file->open())
        return failed(error, QStringLiteral("Cannot write %1: %2").arg(m_target, m_file->errorString()));
    m_file->close();
    return true;
}

QString PendingFile::path() const { return m_file ? m_file->fileName() : QString(); }

bool PendingFile::commit(QString *error)
{
    if (!m_file)
        return failed(error, QStringLiteral("Cannot write %1").arg(m_target));
    const QString passing = m_file->fileName();
    const QByteArray from = QFile::encodeName(passing);
    const QByteArray to = QFile::encodeName(m_target);
    // The passing file is written by another library: make sure all of it is on the disk
    // before it takes the name.
    const int fd = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        return failed(error, QStringLiteral("Cannot write %1: the file could not be flushed to the disk").arg(m_target));
    // A replaced file keeps its permissions; a new one gets the usual read-for-all.
    const QFileInfo old(m_target);
    QFile::setPermissions(passing, old.exists() ? old.permissions()
                                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // rename() replaces the target in one step: a reader sees the old file or the new one.
    if (std::rename(from.constData(), to.constData()) != 0)
        return failed(error, QStringLiteral("Cannot write %1: %2").arg(m_target, QString::fromLocal8Bit(std::strerror(errno))));
    m_file->setAutoRemove(false);
    m_file.reset();
    return true;
}
