#pragma once

#include <QList>
#include <QString>

#include <functional>

class Db;
struct SchemaTable;

// Which schema version a database holds, and the numbered steps that bring an older
// one to the newest. The eleven tables as stations have always had them, without the
// SchemaVersion table, are version 0; "amsdb create" makes the newest version, and
// "amsdb upgrade" applies the steps one after another, each in one transaction that
// also records its version, so a step is either all there or not at all.
namespace SchemaUpgrade {

struct Step
{
    // The version the database is at once the step is applied (1, 2, ...).
    int version;
    // What the step does, as the upgrade prints it.
    QString title;
    // Applies the step inside the upgrade's transaction; returns the rows it changed.
    std::function<qint64(Db &)> apply;
};

// The steps in order. A change of the tables adds one entry at the end, with the next
// version number, and changes SchemaTables to match.
const QList<Step> &steps();

// The version the program needs and creates: the last step's.
int newestVersion();

// The version a database holds: 0 when it has no SchemaVersion table. Throws DbError
// when the table holds no row.
int versionOf(Db &db);

// Records the version in the SchemaVersion table (which must exist) with the time it
// was applied, inside the caller's transaction.
void recordVersion(Db &db, int version);

struct StepDone
{
    int version;
    QString title;
    qint64 rows;
};

// Applies every step above the database's version, each in a transaction of its own;
// `done` hears of each step once it is committed. Returns the steps applied (none when
// the database is up to date). Throws DbError, with the database at the last committed
// step, when a step fails, and before anything is written when the database is newer
// than this program knows.
QList<StepDone> upgrade(Db &db, const std::function<void(const StepDone &)> &done = {});

// Throws DbError, with a message that names both versions and what to do, unless the
// database is at the version this program needs. `connectionText` is the configured
// one, shown without its password in the command to run.
void requireCurrent(Db &db, const QString &connectionText);

// The text the start-up refuses a database with; empty when the versions agree.
QString versionProblem(int found, const QString &connectionText);

// For a step whose change SQLite's ALTER TABLE cannot make: replaces the table with one
// made from `table` (its definition after the step), filling each new column from the
// matching expression of `from` over the old rows, and makes the table's indexes again.
// The server's key counter stays past the highest key ever handed out. Runs inside the
// step's transaction; on PostgreSQL use ALTER TABLE instead.
void rebuildTable(Db &db, const SchemaTable &table, const QStringList &from);

} // namespace SchemaUpgrade
