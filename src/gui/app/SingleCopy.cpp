#include "app/SingleCopy.h"

#include <QDir>
#include <QTextStream>

QString SingleCopy::lockPath() { return QDir(QDir::tempPath()).filePath(QStringLiteral("AccountManagementSoftware.lock")); }

bool SingleCopy::acquire()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // The first copy may run for days: the lock must never count as stale by its age,
    // only when its process is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError)
        return false;
    QTextStream(stderr) << "The single-copy lock " << QDir::toNativeSeparators(lockPath())
                        << " cannot be taken; running without it." << Qt::endl;
    return true;
}
