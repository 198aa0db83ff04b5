#include "db/DatabaseBackup.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "db/PartialFile.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlRecord>

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

    PartialFile partial(target);
    // VACUUM INTO reads the whole database inside one read transaction of its own, so the
    // copy is one consistent state; in WAL mode writers go on meanwhile. (It cannot run
    // inside a transaction the caller opened.)
    from.exec(QStringLiteral("VACUUM INTO ?"), {partial.path()});

    Result result;
    {
        auto copy = Db::open(partial.connectionText());
        result.integrity = copy->firstRow(QStringLiteral("PRAGMA integrity_check"))->value(0).toString();
        if (result.integrity != QLatin1String("ok"))
            throw DbError(QStringLiteral("The backup failed its integrity check (%1); nothing was kept.").arg(result.integrity));
        result.counts = DatabaseCopy::countRows(*copy);
        result.schemaVersion = SchemaUpgrade::versionOf(*copy);
        result.balances = CheckCustomerBalances(*copy);
        // The backup is a file of its own, with no write-ahead log beside it.
        copy->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    partial.name(QStringLiteral("backup"));
    return result;
}

} // namespace DatabaseBackup
