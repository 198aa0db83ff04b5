#pragma once

#include "db/DbError.h"
#include "db/SqlDialect.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class QSqlError;
class QSqlQuery;

// Column names and values for an insert or an update, in the order they are assigned.
using ColumnValues = QList<QPair<QString, QVariant>>;

// One open database connection. The program holds one for its whole run (Db::current());
// tests and the database tool open their own. Every value is bound, never spliced into
// SQL text; table and column names come only from the program's own fixed lists.
// Every failure throws DbError with the server's own text.
class Db
{
public:
    // Opens the connection described by a connection text (see ConnectionText), within
    // a 10-second time-out. baseDir is where a relative SQLite file lies.
    static std::unique_ptr<Db> open(const QString &connectionText, const QString &baseDir = {});
    ~Db();

    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    // The program's connection, set by start-up.
    static Db &current();
    static bool hasCurrent();
    static void setCurrent(Db *db);

    const SqlDialect &dialect() const { return *m_dialect; }
    // Opens another connection to the same database, for work on a thread of its own
    // (a connection belongs to the thread that opened it). The function may be called on
    // any thread; it throws DbError as open() does. The connection it opens never
    // reconnects by itself: a lost connection fails its statements, and its work is
    // for its owner to give up or start again. Empty when this connection was not
    // opened from a connection text.
    std::function<std::unique_ptr<Db>()> anotherConnection() const;

    // Which database this is, as people name it: the SQLite file, or the PostgreSQL
    // database and its server. Never the user or the password.
    QString description() const;
    QSqlDatabase &database() { return m_db; }

    // Every row of a query.
    QList<QSqlRecord> rows(const QString &sql, const QVariantList &values = {});
    // The first row, or nothing when the query returns none.
    std::optional<QSqlRecord> firstRow(const QString &sql, const QVariantList &values = {});
    // One row after another without holding them all: for long reports.
    void forEachRow(const QString &sql, const QVariantList &values, const std::function<void(const QSqlRecord &)> &visit);
    // A row whose columns are read by their place in the select, straight from the
    // statement. Valid only while the visitor it is handed to runs.
    class Row
    {
    public:
        explicit Row(const QSqlQuery &query) : m_query(query) {}
        QVariant value(int column) const;

    private:
        const QSqlQuery &m_query;
    };
    // The same as forEachRow, for many rows of many columns that the caller knows by
    // place: no record is made, nor any column looked up by name.
    void forEachRowByPlace(const QString &sql, const QVariantList &values, const std::function<void(const Row &)> &visit);
    // Runs a statement; returns the number of rows it changed.
    int exec(const QString &sql, const QVariantList &values = {});
    // Inserts one row and returns the key the server gave it (keyColumn empty: no key).
    QVariant insert(const QString &table, const ColumnValues &columns, const QString &keyColumn = QStringLiteral("ID"));
    // Changes the row whose keyColumn equals key; returns the number of rows changed.
    int update(const QString &table, const ColumnValues &columns, const QVariant &key,
               const QString &keyColumn = QStringLiteral("ID"));

    void close();

    // Whether a transaction is open on this connection.
    bool inTransaction() const { return m_transactionDepth > 0; }
    // An inner step of the open transaction ended without committing: it cannot commit.
    bool transactionDoomed() const { return m_doomed; }

    // --- A lost connection (a PostgreSQL server stopped or restarted) ---
    // A statement that fails because the connection is gone throws DbError with
    // connectionLost(); so does every later statement of the transaction it was in, and
    // its commit. The first statement outside a transaction opens the connection again
    // (reopen()), and a query (SELECT) that found the connection gone outside a
    // transaction is run once more on the new one: nothing of it was stored. Whether a
    // change is tried again is for its save to decide (SaveRetry), since only it knows
    // how to find out whether it was stored.

    // True from the moment the connection was found gone until it is open again.
    bool connectionLost() const { return m_lost; }
    // Throws DbError (Connection::Lost) when the connection is known to be gone: for a
    // save whose step caught the error and went on as if only the step had failed.
    void requireConnection();
    // Opens the connection again with the connection text it was first opened with,
    // trying a bounded number of times with pauses in between while the server comes
    // back, and saying so through the connection notice. Whatever belonged to the old
    // connection goes with it; a transaction cannot be open. Throws DbError
    // (Connection::Lost) naming the last reason when no try succeeded; the next
    // statement tries again.
    void reopen();
    // What the user is told while a lost connection is being made again: a line for
    // each try, "Connection to the database lost; reconnected" once it is open again.
    // The program shows it in the main window's status bar; empty: nobody is told.
    static void setConnectionNotice(std::function<void(const QString &)> notice);
    // The pause before each try, in milliseconds (the first is usually 0); their number
    // is the number of tries. Tests shorten them.
    static void setReconnectPauses(const QList<int> &msecs);
    static QList<int> reconnectPauses();

    // What this connection has asked of its server so far, so that a benchmark can show
    // what a save costs. A statement is one run of SQL; a round trip is every request the
    // server answers: each statement, and on PostgreSQL each preparing of a statement and
    // each freeing of one again (on SQLite, preparing is compiling in the process).
    struct Traffic
    {
        qint64 statements = 0;
        qint64 roundTrips = 0;
    };
    Traffic traffic() const { return m_traffic; }

private:
    friend class Transaction;
    friend class Savepoint;
    Db(QSqlDatabase db, std::unique_ptr<SqlDialect> dialect);
    static std::unique_ptr<Db> openConnection(const QString &connectionText, const QString &baseDir);
    class Running;
    Running run(const QString &sql, const QVariantList &values);
    Running execute(const QString &sql, const QVariantList &values);
    // Lets go of every kept statement: the connection they belong to is closing.
    void forgetPrepared();
    // The error of a failed statement, marking the connection lost when that is why.
    DbError failure(const QSqlError &error, const QString &sql);
    DbError lostError(const QString &sql) const;
    // False, marking the connection lost, once it is known to be gone.
    bool connectionUp();

    QSqlDatabase m_db;
    std::unique_ptr<SqlDialect> m_dialect;
    int m_transactionDepth = 0;
    int m_savepoints = 0;
    // An inner step ended without committing: the whole transaction must not commit.
    bool m_doomed = false;
    Traffic m_traffic;
    // Each statement with values is prepared once and kept, by its SQL text, for as long as
    // the connection is open: a save then costs one request per statement instead of a
    // prepare, a run and a release.
    struct Prepared;
    std::unordered_map<QString, std::shared_ptr<Prepared>> m_prepared;
    // What reopen() opens again, and why the connection was lost.
    QString m_connectionText;
    QString m_baseDir;
    // False for a connection of another thread (anotherConnection()): reopening tells
    // the user through the program's notice, which belongs to the main thread.
    bool m_reconnects = true;
    bool m_lost = false;
    QString m_lostReason;
};

// Rolls back unless commit() was called. A guard opened inside another joins it, so
// shared routines compose into one larger transaction: an inner guard that ends without
// commit() (its step failed) marks the whole transaction failed, and the outer commit()
// then rolls everything back and throws DbError. Nothing of it is ever half-written.
class Transaction
{
public:
    explicit Transaction(Db &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Db &m_db;
    bool m_outer = false;
    bool m_done = false;
};

// A step inside a transaction that may fail on its own: unless commit() is called, the
// step's changes are undone and the rest of the transaction goes on as if it had not
// been tried (the one way a failure does not doom the outer transaction). Outside a
// transaction it opens one of its own.
class Savepoint
{
public:
    explicit Savepoint(Db &db);
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void commit();

private:
    Db &m_db;
    std::optional<Transaction> m_own;
    QString m_name;
    bool m_doomedBefore = false;
    bool m_done = false;
};
