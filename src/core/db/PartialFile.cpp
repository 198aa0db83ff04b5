#include "db/PartialFile.h"

#include "db/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

PartialFile::PartialFile(const QString &target)
    : m_target(QFileInfo(target).absoluteFilePath()),
      m_path(m_target + QStringLiteral(".%1.partial").arg(QCoreApplication::applicationPid()))
{
    QFile::remove(m_path);
}

PartialFile::~PartialFile()
{
    if (m_kept)
        return;
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(m_path + suffix);
}

QString PartialFile::connectionText() const { return QStringLiteral("Provider=SQLite;Data Source=%1;").arg(m_path); }

void PartialFile::create()
{
    QFile file(m_path);
    if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly))
        throw DbError(QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(m_path), file.errorString()));
}

void PartialFile::name(const QString &what)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite) || ::fsync(file.handle()) != 0)
        throw DbError(QStringLiteral("Cannot write the %1 %2 to disk: %3")
                          .arg(what, QDir::toNativeSeparators(m_target), file.errorString()));
    file.close();
    // QFile::rename never replaces a file that is there.
    if (!QFile::rename(m_path, m_target))
        throw DbError(QStringLiteral("Cannot name the %1 %2; nothing was kept.").arg(what, QDir::toNativeSeparators(m_target)));
    m_kept = true;
}
