#include "db/DatabaseBackup.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "db/SchemaUpgrade.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlRecord>

#include <unistd.h>

namespace {

void flushToDisk(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || ::fsync(file.handle()) != 0)
        throw DbError(QStringLiteral("Cannot write the backup %1 to disk: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

// Removes the passing file unless the backup got its name.
class PartialFile
{
public:
    explicit PartialFile(QString path) : m_path(std::move(path)) { QFile::remove(m_path); }
    ~PartialFile()
    {
        if (!m_kept) {
            QFile::remove(m_path);
            QFile::remove(m_path + QStringLiteral("-wal"));
            QFile::remove(m_path + QStringLiteral("-shm"));
        }
    }
    const QString &path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

} // namespace

namespace DatabaseBackup {

Result backup(Db &from, const QString &file)
{
    if (from.dialect().name() != QLatin1String("SQLite"))
        throw DbError(QStringLiteral("amsdb backup copies an SQLite database file; back up a %1 database with the "
                                     "server's own tools (see the README).")
                          .arg(from.dialect().name()));
    const QString target = QFileInfo(file).absoluteFilePath();
    if (QFileInfo::exists(target))
        throw DbError(QStringLiteral("%1 already exists; nothing was written.").arg(QDir::toNativeSeparators(target)));
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        throw DbError(QStringLiteral("The folder of %1 does not exist.").arg(QDir::toNativeSeparators(target)));

    PartialFile partial(target + QStringLiteral(".%1.partial").arg(QCoreApplication::applicationPid()));
    // VACUUM INTO reads the whole database inside one read transaction of its own, so the
    // copy is one consistent state; in WAL mode writers go on meanwhile. (It cannot run
    // inside a transaction the caller opened.)
    from.exec(QStringLiteral("VACUUM INTO ?"), {partial.path()});

    Result result;
    {
        auto copy = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(partial.path()));
        result.integrity = copy->firstRow(QStringLiteral("PRAGMA integrity_check"))->value(0).toString();
        if (result.integrity != QLatin1String("ok"))
            throw DbError(QStringLiteral("The backup failed its integrity check (%1); nothing was kept.").arg(result.integrity));
        result.counts = DatabaseCopy::countRows(*copy);
        result.schemaVersion = SchemaUpgrade::versionOf(*copy);
        result.balances = CheckCustomerBalances(*copy);
        // The backup is a file of its own, with no write-ahead log beside it.
        copy->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    flushToDisk(partial.path());
    if (!QFile::rename(partial.path(), target))
        throw DbError(QStringLiteral("Cannot name the backup %1; nothing was kept.").arg(QDir::toNativeSeparators(target)));
    partial.keep();
    return result;
}

} // namespace DatabaseBackup
