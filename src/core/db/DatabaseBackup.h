#pragma once

#include "accounts/BalanceCheck.h"
#include "db/DatabaseCopy.h"

#include <QList>
#include <QString>

class Db;

// A backup of a station's SQLite database taken while its workstations go on working.
namespace DatabaseBackup {

struct Result
{
    QString integrity;                      // "ok": the backup passed SQLite's integrity check
    QList<DatabaseCopy::TableCount> counts; // rows per table in the backup
    QList<CustomerBalanceCheck> balances;   // the backup's balance check
    int schemaVersion = 0;                  // the backup's schema version (the database's)
};

// Writes a consistent copy of the SQLite database `from` to `file`: the database as it
// stood at one instant, whatever the workstations save meanwhile, which are not held up.
// The copy is written under a passing name beside `file`, checked (SQLite's integrity
// check), flushed to disk and only then given its name, so `file` is either a whole,
// checked backup or not there at all.
//
// Throws DbError for a database that is not an SQLite file (a server has its own tools),
// a `file` that already exists, a backup that fails its check, or any server error.
Result backup(Db &from, const QString &file);

} // namespace DatabaseBackup
