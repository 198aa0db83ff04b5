#include "db/Db.h"

#include "db/ConnectionText.h"
#include "db/DbError.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QThread>

namespace {

Db *g_current = nullptr;
QAtomicInt g_connectionCounter;

Q_LOGGING_CATEGORY(lcConnection, "ams.connection")

// About half a minute in all: a server restarted on purpose is back within seconds.
const QList<int> kReconnectPauses = {0, 500, 1000, 1000, 2000, 2000, 3000, 3000, 3000, 5000, 5000, 5000};
QList<int> g_reconnectPauses = kReconnectPauses;
std::function<void(const QString &)> g_connectionNotice;

void notify(const QString &text)
{
    if (g_connectionNotice)
        g_connectionNotice(text);
}

// Whether the statement only reads, so that running it again changes nothing.
bool isQuery(const QString &sql) { return sql.trimmed().startsWith(u"SELECT", Qt::CaseInsensitive); }

// Whether the statement, run outside a transaction, commits a change of its own.
bool changesOnItsOwn(const QString &sql)
{
    const QString s = sql.trimmed();
    for (const char *word : {"SELECT", "BEGIN", "ROLLBACK", "SET", "SHOW"})
        if (s.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return false;
    return true;
}

// Whether the PostgreSQL client library says the connection itself is gone, by what it
// reports and never by the wording of any other error: a connection error, an SQLSTATE
// of class 08 (connection exception) or 57P01-57P03 (the server shutting down, crashed
// or not yet accepting connections), the library's own texts for a connection the
// server closed, or the library no longer counting the connection open.
bool connectionGone(const QSqlError &error, const QSqlDatabase &db)
{
    if (error.type() == QSqlError::ConnectionError)
        return true;
    const QString state = error.nativeErrorCode();
    if (state.startsWith(u"08") || state == u"57P01" || state == u"57P02" || state == u"57P03")
        return true;
    for (const QString &text : {error.databaseText(), error.driverText()})
        if (text.contains(u"server closed the connection", Qt::CaseInsensitive)
            || text.contains(u"no connection to the server", Qt::CaseInsensitive))
            return true;
    return !db.isOpen();
}

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unknown database error.");
    return text;
}

// Table and column names are never user input; this guard keeps it that way. It runs for
// every column of every insert and update, so it reads the characters itself: a letter or
// underscore, then letters, digits and underscores, and nothing else (no line break
// either).
const QString &checkedName(const QString &name)
{
    const auto letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
    bool valid = !name.isEmpty() && letter(name.front().unicode());
    for (qsizetype i = 1; valid && i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        valid = letter(c) || (c >= u'0' && c <= u'9');
    }
    if (!valid)
        throw DbError(QStringLiteral("Not a table or column name: %1").arg(name));
    return name;
}

QString columnName(const QString &name)
{
    // Limit is reserved on every server.
    return name.compare(u"Limit", Qt::CaseInsensitive) == 0 ? QStringLiteral("\"Limit\"") : checkedName(name);
}

// A value as the PostgreSQL client library reads it in its option list: between single
// quotes, with quotes and backslashes escaped, when it holds anything but plain characters.
QString libpqQuoted(QString value)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:-]+$"));
    if (plain.match(value).hasMatch())
        return value;
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

// Why an SQLite database file cannot be worked with; empty when it can.
QString sqliteFileProblem(const QString &file)
{
    const QFileInfo info(file);
    const QString folder = QFileInfo(info.absolutePath()).absoluteFilePath();
    if (!info.exists()) {
        if (!QFileInfo(folder).isDir())
            return QStringLiteral("The database file %1 does not exist: there is no folder %2.").arg(file, folder);
        return QStringLiteral("The database file %1 does not exist.").arg(file);
    }
    if (!info.isFile())
        return QStringLiteral("The database file %1 is not a regular file.").arg(file);
    if (!info.isReadable())
        return QStringLiteral("The database file %1 cannot be read: this user has no right to read it.").arg(file);
    if (!info.isWritable())
        return QStringLiteral("The database file %1 is read-only: this user cannot write to it, and every save would fail.")
            .arg(file);
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("The folder %1 of the database file %2 is read-only: the database keeps its journal files "
                              "beside the file, so every save would fail.")
            .arg(folder, file);
    return {};
}

} // namespace

// QSqlDatabase is a shared handle without a move constructor in the Qt this builds with:
// taking it by value costs one reference count, and keeps callers free to hand over a temporary.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
Db::Db(QSqlDatabase db, std::unique_ptr<SqlDialect> dialect) : m_db(db), m_dialect(std::move(dialect)) {}

Db::~Db()
{
    if (g_current == this)
        g_current = nullptr;
    close();
}

std::unique_ptr<Db> Db::open(const QString &connectionText, const QString &baseDir)
{
    // Whatever the server, its client library or the checks below say, no password is
    // ever shown: a text that runs one keyword into the next can carry one into any
    // value a message names.
    try {
        std::unique_ptr<Db> db = openConnection(connectionText, baseDir);
        db->m_connectionText = connectionText;
        db->m_baseDir = baseDir;
        return db;
    } catch (const DbError &error) {
        throw DbError(ConnectionText::withoutPasswords(error.serverText(), connectionText), error.statement());
    }
}

std::unique_ptr<Db> Db::openConnection(const QString &connectionText, const QString &baseDir)
{
    const ConnectionText c = ConnectionText::parse(connectionText, baseDir);
    std::unique_ptr<SqlDialect> dialect =
        c.provider == ConnectionText::Provider::SQLite ? SqlDialect::forSQLite() : SqlDialect::forPostgreSQL();

    const QString name = QStringLiteral("ams-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driver(), name);
    if (!db.isValid()) {
        QSqlDatabase::removeDatabase(name);
        throw DbError(QStringLiteral("The %1 database driver is not installed.").arg(dialect->name()));
    }
    if (c.provider == ConnectionText::Provider::SQLite) {
        // What SQLite would say only as "unable to open database file", or not until the
        // first save: a missing file (opening it would quietly create an empty database),
        // a file it could only read, a folder where it cannot keep its journal files.
        if (const QString problem = sqliteFileProblem(c.dataSource); !problem.isEmpty()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw DbError(problem);
        }
        db.setDatabaseName(c.dataSource);
        // Another process writing the same file makes us wait, not fail.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        db.setHostName(c.server);
        db.setPort(c.port);
        db.setDatabaseName(c.database);
        db.setUserName(c.user);
        db.setPassword(c.password);
        QStringList options = {QStringLiteral("connect_timeout=10")};
        if (!c.sslMode.isEmpty())
            options << QStringLiteral("sslmode=") + c.sslMode;
        if (!c.sslRootCert.isEmpty())
            options << QStringLiteral("sslrootcert=") + libpqQuoted(c.sslRootCert);
        db.setConnectOptions(options.join(u';'));
    }
    if (!db.open()) {
        const QString text = errorText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        if (c.provider == ConnectionText::Provider::SQLite)
            throw DbError(QStringLiteral("Cannot open the database file %1: %2").arg(c.dataSource, text));
        throw DbError(text);
    }
    std::unique_ptr<Db> result(new Db(db, std::move(dialect)));
    try {
        for (const QString &statement : result->m_dialect->sessionSetup())
            result->exec(statement);
    } catch (const DbError &error) {
        if (c.provider == ConnectionText::Provider::SQLite)
            throw DbError(QStringLiteral("Cannot open the database file %1: %2").arg(c.dataSource, error.serverText()),
                          error.statement());
        throw;
    }
    return result;
}

Db &Db::current()
{
    if (!g_current)
        throw DbError(QStringLiteral("The database is not open."));
    return *g_current;
}

QString Db::description() const
{
    if (m_db.driverName() == QLatin1String("QSQLITE"))
        return QFileInfo(m_db.databaseName()).absoluteFilePath();
    QString server = m_db.hostName();
    if (m_db.port() > 0 && m_db.port() != 5432)
        server += QStringLiteral(":%1").arg(m_db.port());
    return QStringLiteral("%1 on %2").arg(m_db.databaseName(), server);
}

std::function<std::unique_ptr<Db>()> Db::anotherConnection() const
{
    if (m_connectionText.isEmpty())
        return {};
    return [text = m_connectionText, baseDir = m_baseDir] {
        std::unique_ptr<Db> db = open(text, baseDir);
        db->m_reconnects = false;
        return db;
    };
}

bool Db::hasCurrent() { return g_current != nullptr; }
void Db::setCurrent(Db *db) { g_current = db; }

void Db::close()
{
    if (!m_db.isValid())
        return;
    const QString name = m_db.connectionName();
    forgetPrepared();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

struct Db::Prepared
{
    explicit Prepared(const QSqlDatabase &db) : query(db) {}
    QSqlQuery query;
    // A caller is still reading its rows (a visitor of forEachRow may run other
    // statements, even this one, which then runs as a one-off).
    bool inUse = false;
};

// A statement being run: a kept one, whose rows are let go and which is given back for
// the next run when this ends, or a one-off.
class Db::Running
{
public:
    explicit Running(std::shared_ptr<Prepared> kept) : m_kept(std::move(kept)) { m_kept->inUse = true; }
    explicit Running(QSqlQuery oneOff) : m_oneOff(std::move(oneOff)) {}
    Running(Running &&other) noexcept : m_kept(std::move(other.m_kept)), m_oneOff(std::move(other.m_oneOff)) {}
    Running(const Running &) = delete;
    Running &operator=(const Running &) = delete;
    Running &operator=(Running &&) = delete;
    ~Running()
    {
        if (m_kept) {
            // An SQLite statement left open would hold its read of the file.
            m_kept->query.finish();
            m_kept->inUse = false;
        }
    }

    QSqlQuery &query() { return m_kept ? m_kept->query : *m_oneOff; }

private:
    std::shared_ptr<Prepared> m_kept;
    std::optional<QSqlQuery> m_oneOff;
};

namespace {

// More distinct statements than the program has are SQL built from the data (report
// filters): those are prepared each time rather than kept without end.
constexpr std::size_t kMostKept = 200;

// A change of the tables' shape: a kept statement may then return other columns.
bool changesTables(const QString &sql)
{
    const QString start = sql.trimmed().left(6).toUpper();
    return start.startsWith(QLatin1String("CREATE")) || start.startsWith(QLatin1String("ALTER"))
           || start.startsWith(QLatin1String("DROP"));
}

} // namespace

void Db::forgetPrepared()
{
    // One still being read goes when its reader ends.
    m_prepared.clear();
}

Db::Running Db::run(const QString &sql, const QVariantList &values)
{
    if (!m_db.isValid())
        throw DbError(QStringLiteral("The database is not open."), sql);
    if (!connectionUp()) {
        if (m_db.driverName() == QLatin1String("QSQLITE"))
            throw DbError(QStringLiteral("The database is not open."), sql);
        // The transaction went with the connection; its guard ends it.
        if (inTransaction() || !m_reconnects)
            throw lostError(sql);
        reopen();
    }
    try {
        return execute(sql, values);
    } catch (const DbError &error) {
        // A query found the connection gone: nothing was changed, so it is asked again
        // on the connection made anew.
        if (!error.connectionLost() || inTransaction() || !isQuery(sql) || !m_reconnects)
            throw;
        reopen();
        return execute(sql, values);
    }
}

Db::Running Db::execute(const QString &sql, const QVariantList &values)
{
    // A statement without values runs as it is: some servers cannot prepare
    // transaction control or session settings.
    if (values.isEmpty()) {
        if (changesTables(sql))
            forgetPrepared();
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        ++m_traffic.statements;
        ++m_traffic.roundTrips;
        if (!query.exec(sql))
            throw failure(query.lastError(), sql);
        return Running(std::move(query));
    }
    const bool sqlite = m_dialect->name() == QLatin1String("SQLite");
    std::shared_ptr<Prepared> kept;
    if (const auto found = m_prepared.find(sql); found != m_prepared.end()) {
        if (!found->second->inUse)
            kept = found->second;
    } else if (m_prepared.size() < kMostKept) {
        auto fresh = std::make_shared<Prepared>(m_db);
        fresh->query.setForwardOnly(true);
        ++m_traffic.roundTrips;
        if (!fresh->query.prepare(sql))
            throw failure(fresh->query.lastError(), sql);
        m_prepared.emplace(sql, fresh);
        kept = std::move(fresh);
    }
    if (kept) {
        Running running(kept);
        QSqlQuery &query = running.query();
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(int(i), values[i]);
        ++m_traffic.statements;
        ++m_traffic.roundTrips;
        if (!query.exec())
            throw failure(query.lastError(), sql);
        return running;
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    // Prepared, run and (on PostgreSQL) freed again when the query goes.
    m_traffic.roundTrips += sqlite ? 2 : 3;
    ++m_traffic.statements;
    if (!query.prepare(sql))
        throw failure(query.lastError(), sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw failure(query.lastError(), sql);
    return Running(std::move(query));
}

DbError Db::failure(const QSqlError &error, const QString &sql)
{
    const QString text = errorText(error);
    // An SQLite file has no connection to lose: its errors are about the file.
    if (m_db.driverName() == QLatin1String("QSQLITE") || !connectionGone(error, m_db))
        return DbError(text, sql);
    if (!m_lost)
        qCWarning(lcConnection) << "connection to" << description() << "lost:" << text;
    m_lost = true;
    m_lostReason = text;
    // Outside a transaction a change commits with its own statement, so whether it
    // was stored is not known; inside one, the server drops it with the connection.
    const bool mayBeStored = !inTransaction() && changesOnItsOwn(sql);
    return DbError(text, sql, mayBeStored ? DbError::Connection::LostInCommit : DbError::Connection::Lost);
}

DbError Db::lostError(const QString &sql) const
{
    return DbError(QStringLiteral("The connection to the database was lost: %1").arg(m_lostReason), sql,
                   DbError::Connection::Lost);
}

bool Db::connectionUp()
{
    if (m_lost)
        return false;
    // An SQLite file has no connection to lose.
    if (m_db.isOpen() || m_db.driverName() == QLatin1String("QSQLITE"))
        return m_db.isOpen();
    // The client library gave the connection up after a statement that still
    // succeeded, having read the server's goodbye behind its answer.
    const QString text = m_db.lastError().databaseText().trimmed();
    m_lost = true;
    m_lostReason = text.isEmpty() ? QStringLiteral("the server closed the connection.") : text;
    qCWarning(lcConnection) << "connection to" << description() << "lost:" << m_lostReason;
    return false;
}

void Db::requireConnection()
{
    if (m_db.isValid() && !connectionUp())
        throw lostError(QString());
}

void Db::setConnectionNotice(std::function<void(const QString &)> notice) { g_connectionNotice = std::move(notice); }

void Db::setReconnectPauses(const QList<int> &msecs) { g_reconnectPauses = msecs.isEmpty() ? kReconnectPauses : msecs; }

QList<int> Db::reconnectPauses() { return g_reconnectPauses; }

void Db::reopen()
{
    if (inTransaction())
        throw lostError(QString());
    if (m_connectionText.isEmpty())
        throw DbError(QStringLiteral("The database is not open."));
    const QList<int> pauses = g_reconnectPauses;
    QElapsedTimer waited;
    waited.start();
    QString reason = m_lostReason;
    for (int i = 0; i < pauses.size(); ++i) {
        if (pauses[i] > 0)
            QThread::msleep(pauses[i]);
        notify(QStringLiteral("Connection to the database lost; reconnecting (try %1 of %2)").arg(i + 1).arg(pauses.size()));
        std::unique_ptr<Db> fresh;
        try {
            fresh = open(m_connectionText, m_baseDir);
        } catch (const DbError &error) {
            reason = error.serverText();
            qCInfo(lcConnection) << "reconnecting to" << description() << "try" << i + 1 << "failed:" << reason;
            continue;
        }
        // The old connection is let go, and with it the statements kept for it (close()
        // forgets them); the new one, set up as every connection is, takes its place.
        close();
        m_db = fresh->m_db;
        fresh->m_db = QSqlDatabase();
        m_lost = false;
        m_lostReason.clear();
        m_savepoints = 0;
        m_doomed = false;
        qCWarning(lcConnection) << "reconnected to" << description() << "after" << waited.elapsed() << "ms";
        notify(QStringLiteral("Connection to the database lost; reconnected"));
        return;
    }
    notify(QStringLiteral("Connection to the database lost; not reconnected"));
    throw DbError(QStringLiteral("The connection to the database was lost and could not be made again in %1 tries over %2 "
                                 "seconds: %3")
                      .arg(pauses.size())
                      .arg((waited.elapsed() + 500) / 1000)
                      .arg(reason),
                  QString(), DbError::Connection::Lost);
}

QList<QSqlRecord> Db::rows(const QString &sql, const QVariantList &values)
{
    QList<QSqlRecord> result;
    Running running = run(sql, values);
    QSqlQuery &query = running.query();
    while (query.next())
        result.append(query.record());
    if (query.lastError().isValid())
        throw failure(query.lastError(), sql);
    return result;
}

std::optional<QSqlRecord> Db::firstRow(const QString &sql, const QVariantList &values)
{
    Running running = run(sql, values);
    QSqlQuery &query = running.query();
    if (query.next())
        return query.record();
    if (query.lastError().isValid())
        throw failure(query.lastError(), sql);
    return std::nullopt;
}

void Db::forEachRow(const QString &sql, const QVariantList &values, const std::function<void(const QSqlRecord &)> &visit)
{
    Running running = run(sql, values);
    QSqlQuery &query = running.query();
    // One record is made for the statement and its values replaced row by row: a record
    // of its own per row would build every column's description again, which on a report
    // of fifty thousand rows costs more than reading them. A visitor that keeps the row
    // keeps a copy, as the record is shared until it is written to. A column the driver
    // marks read-only would refuse a new value, so then each row is its own record.
    QSqlRecord row;
    bool first = true;
    bool reuse = true;
    while (query.next()) {
        if (first || !reuse) {
            row = query.record();
            for (int i = 0; first && i < row.count(); ++i)
                reuse = reuse && !row.field(i).isReadOnly();
            first = false;
        } else {
            for (int i = 0; i < row.count(); ++i)
                row.setValue(i, query.value(i));
        }
        visit(row);
    }
    if (query.lastError().isValid())
        throw failure(query.lastError(), sql);
}

QVariant Db::Row::value(int column) const { return m_query.value(column); }

void Db::forEachRowByPlace(const QString &sql, const QVariantList &values, const std::function<void(const Row &)> &visit)
{
    Running running = run(sql, values);
    QSqlQuery &query = running.query();
    const Row row(query);
    while (query.next())
        visit(row);
    if (query.lastError().isValid())
        throw failure(query.lastError(), sql);
}

int Db::exec(const QString &sql, const QVariantList &values)
{
    Running running = run(sql, values);
    return running.query().numRowsAffected();
}

QVariant Db::insert(const QString &table, const ColumnValues &columns, const QString &keyColumn)
{
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (const auto &[column, value] : columns) {
        names << columnName(column);
        marks << QStringLiteral("?");
        values << value;
    }
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(checkedName(table), names.join(u','), marks.join(u','));
    if (keyColumn.isEmpty()) {
        run(sql, values);
        return {};
    }
    sql += m_dialect->returningKey(checkedName(keyColumn));
    Running running = run(sql, values);
    QSqlQuery &query = running.query();
    if (!query.next()) {
        if (query.lastError().isValid())
            throw failure(query.lastError(), sql);
        throw DbError(QStringLiteral("The server returned no key for the new %1 row.").arg(table), sql);
    }
    QVariant key = query.value(0);
    // The statement is run to its end before the key counts. Outside a transaction,
    // SQLite commits a statement that returns rows only when it ends, and that commit
    // can still fail (a full disk, a file turned read-only); a statement merely dropped
    // after its first row would lose the row while the key went back as stored.
    while (query.next()) {
    }
    if (query.lastError().isValid())
        throw failure(query.lastError(), sql);
    return key;
}

int Db::update(const QString &table, const ColumnValues &columns, const QVariant &key, const QString &keyColumn)
{
    QStringList sets;
    QVariantList values;
    for (const auto &[column, value] : columns) {
        sets << columnName(column) + QStringLiteral(" = ?");
        values << value;
    }
    values << key;
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(checkedName(table), sets.join(u", "), checkedName(keyColumn));
    return exec(sql, values);
}

Transaction::Transaction(Db &db) : m_db(db)
{
    m_outer = (m_db.m_transactionDepth == 0);
    if (m_outer) {
        m_db.exec(m_db.dialect().beginTransaction());
        m_db.m_doomed = false;
    }
    ++m_db.m_transactionDepth;
}

Transaction::~Transaction()
{
    --m_db.m_transactionDepth;
    if (m_done)
        return;
    if (!m_outer) {
        m_db.m_doomed = true;
        return;
    }
    m_db.m_doomed = false;
    // A lost connection took the transaction with it: there is nothing to roll back,
    // and opening a new connection only to say so would hold up the error.
    if (m_db.m_lost)
        return;
    try {
        m_db.exec(QStringLiteral("ROLLBACK"));
    } catch (const DbError &) {
        // The connection may be gone; nothing was committed either way.
    }
}

void Transaction::commit()
{
    if (m_done)
        return;
    if (!m_outer) {
        m_done = true;
        return;
    }
    // A step that failed with the connection may have been caught and gone past: the
    // transaction is gone all the same, and says so.
    m_db.requireConnection();
    if (m_db.m_doomed)
        throw DbError(QStringLiteral("Nothing was saved: a part of the change could not be written."));
    // Done only once the server accepted the commit: a refused commit (a deferred
    // constraint, a busy file) leaves SQLite inside the transaction, and the guard must
    // still roll it back.
    try {
        m_db.exec(QStringLiteral("COMMIT"));
    } catch (const DbError &error) {
        // The connection went while the server was committing: the change may well be
        // stored, with only the answer lost.
        if (error.connectionLost())
            throw DbError(error.serverText(), error.statement(), DbError::Connection::LostInCommit);
        throw;
    }
    m_done = true;
}

Savepoint::Savepoint(Db &db) : m_db(db)
{
    if (!m_db.inTransaction())
        m_own.emplace(m_db);
    m_name = QStringLiteral("step%1").arg(++m_db.m_savepoints);
    m_doomedBefore = m_db.m_doomed;
    m_db.exec(QStringLiteral("SAVEPOINT %1").arg(m_name));
}

Savepoint::~Savepoint()
{
    if (!m_done && m_db.m_lost) {
        // The whole transaction went with the connection.
        m_db.m_doomed = true;
    } else if (!m_done) {
        try {
            m_db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT %1").arg(m_name));
            m_db.exec(QStringLiteral("RELEASE SAVEPOINT %1").arg(m_name));
            // What failed inside the step was undone with it.
            m_db.m_doomed = m_doomedBefore;
        } catch (const DbError &) {
            // Could not undo the step: the transaction as a whole must not commit.
            m_db.m_doomed = true;
        }
    }
    --m_db.m_savepoints;
}

void Savepoint::commit()
{
    if (m_done)
        return;
    if (m_db.m_doomed && !m_doomedBefore)
        throw DbError(QStringLiteral("Nothing was saved: a part of the change could not be written."));
    m_db.exec(QStringLiteral("RELEASE SAVEPOINT %1").arg(m_name));
    m_done = true;
    if (m_own)
        m_own->commit();
}
