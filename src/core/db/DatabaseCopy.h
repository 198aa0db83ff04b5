#pragma once

#include "accounts/BalanceCheck.h"

#include <QList>
#include <QString>

class Db;

// Moving a station's data from one database to another: from the SQLite file of a single
// workstation to a shared server, and back. Every row of the eleven tables is copied with
// its keys and every value as stored (texts to the byte, NULLs as NULL, numbers, dates
// and times), in one transaction on the target: a copy that fails anywhere leaves the
// target as it was.
namespace DatabaseCopy {

enum class Target {
    MustBeEmpty, // refuse a target that holds any row
    Replace,     // delete the target's rows first, in the same transaction
};

struct TableCount
{
    QString table;
    qint64 rows = 0;
};

struct Result
{
    QList<TableCount> counts;             // rows per table, the same in source and target
    QList<CustomerBalanceCheck> balances; // the target's balance check
    int schemaVersion = 0;                // the version both sides are at, carried with its time
};

// Copies from `from` into `to`. The source is read as one snapshot (other workstations
// may go on writing to it); a target without the tables gets them from the schema. The
// key counters of the target are set past the copied keys, so the next ticket saved
// there gets the number after the highest copied one.
//
// Before it commits, the copy counts the target's rows of every table against the
// source's and checks every customer's balance, tickets and payments against the
// source's to the cent; any difference rolls everything back.
//
// Both sides must be at the schema version this program knows (SchemaUpgrade); the
// target's SchemaVersion row becomes the source's.
//
// Throws DbError: for a refused target, a side at another schema version, a source or target whose tables lack a column of
// the schema or hold one the schema does not know, the same database on both sides, or
// any server error; nothing is written then.
Result copy(Db &from, Db &to, Target target = Target::MustBeEmpty);

// The number of rows of every table (a missing table counts -1).
QList<TableCount> countRows(Db &db);

} // namespace DatabaseCopy
