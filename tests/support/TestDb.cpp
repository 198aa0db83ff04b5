#include "TestDb.h"

#include "db/DatabaseTool.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlRecord>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <list>

namespace {

QString postgresBase() { return qEnvironmentVariable("AMS_TEST_PG"); }

QString notConfigured()
{
    return QStringLiteral("No PostgreSQL server for the tests: AMS_TEST_PG is not set. scripts/test sets it; "
                          "for a single test, start one with scripts/start-postgres DIR and set AMS_TEST_PG to "
                          "the connection text it prints (AMS_TEST_PG_CA to DIR/pg-tls/ca.crt).");
}

QTemporaryDir &tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString &lastText(const QString &server)
{
    static QString sqlite, postgres;
    return server == QLatin1String("SQLite") ? sqlite : postgres;
}

// Creates a PostgreSQL database of this test process afresh (suffix tells several apart)
// and returns its connection text; it is dropped when the process ends.
QString createPostgresDatabase(const QString &suffix)
{
    const QString base = postgresBase() + QStringLiteral("PWD=QZ;");
    const QString name =
        QStringLiteral("ams_t_%1_%2%3")
            .arg(QCoreApplication::applicationName().toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9_]"))))
            .arg(QCoreApplication::applicationPid())
            .arg(suffix);
    {
        auto admin = Db::open(base);
        admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        admin->exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    QString replaced = base;
    replaced.replace(QRegularExpression(QStringLiteral("Database=[^;]*;"), QRegularExpression::CaseInsensitiveOption),
                     QStringLiteral("Database=%1;").arg(name));
    // Dropped when the process ends.
    struct Dropper
    {
        QString base, name;
        ~Dropper()
        {
            try {
                auto admin = Db::open(base);
                admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (...) {
            }
        }
    };
    static std::list<Dropper> droppers;
    if (std::none_of(droppers.begin(), droppers.end(), [&](const Dropper &d) { return d.name == name; })) {
        // Made in place: a temporary would drop the database as it goes.
        Dropper &dropper = droppers.emplace_back();
        dropper.base = base;
        dropper.name = name;
    }
    return replaced;
}

// One PostgreSQL database per test process, so that test executables can run side by side.
QString postgresDatabaseText()
{
    static QString text;
    if (text.isEmpty())
        text = createPostgresDatabase(QString());
    return text;
}

} // namespace

namespace TestDb {

QStringList servers()
{
    // PostgreSQL always has its rows: a run that was not given a server fails them with
    // a message saying how to get one, rather than passing without them.
    return {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL")};
}

QString postgresServer() { return postgresBase(); }

QString postgresMissing() { return notConfigured(); }

void addServerRows()
{
    if (postgresBase().isEmpty())
        qWarning("%s", qPrintable(notConfigured()));
    QTest::addColumn<QString>("server");
    for (const QString &s : servers())
        QTest::newRow(qPrintable(s)) << s;
}

std::unique_ptr<Db> fresh(const QString &server)
{
    static int counter = 0;
    if (server == QLatin1String("SQLite")) {
        const QString file = tempDir().filePath(QStringLiteral("test%1.db").arg(++counter));
        QFile::remove(file);
        lastText(server) = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file);
        // The program opens existing files only; create the file first.
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.close();
        auto db = Db::open(lastText(server));
        DatabaseTool::createSchema(*db);
        return db;
    }
    if (postgresBase().isEmpty())
        throw DbError(notConfigured());
    lastText(server) = postgresDatabaseText();
    auto db = Db::open(lastText(server));
    db->exec(QStringLiteral("SET client_min_messages TO WARNING"));
    DatabaseTool::dropSchema(*db);
    DatabaseTool::createSchema(*db);
    return db;
}

void createVersionZero(Db &db)
{
    const QString name = db.dialect().name() == QLatin1String("SQLite") ? QStringLiteral("schema_v0_sqlite.sql")
                                                                        : QStringLiteral("schema_v0_postgresql.sql");
    QFile file(QStringLiteral(AMS_TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Cannot read %1").arg(file.fileName()));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    Transaction transaction(db);
    for (const QString &piece : lines.join(u'\n').split(u';'))
        if (!piece.trimmed().isEmpty())
            db.exec(piece.trimmed());
    transaction.commit();
}

std::unique_ptr<Db> freshAtVersionZero(const QString &server)
{
    auto db = fresh(server);
    DatabaseTool::dropSchema(*db);
    createVersionZero(*db);
    return db;
}

QString connectionText(const QString &server) { return lastText(server); }

QString emptyDatabase(const QString &server)
{
    static int counter = 0;
    if (server == QLatin1String("SQLite"))
        return QStringLiteral("Provider=SQLite;Data Source=%1;")
            .arg(tempDir().filePath(QStringLiteral("empty%1.db").arg(++counter)));
    if (postgresBase().isEmpty())
        throw DbError(notConfigured());
    return createPostgresDatabase(QStringLiteral("_b"));
}

QStringList wrongBalances(Db &db)
{
    QStringList wrong;
    for (const QSqlRecord &r : db.rows(QStringLiteral(
             "SELECT ID, CurrentBalance, (SELECT SUM(Total) FROM Tickets WHERE Tickets.CustomerID = Customer.ID) AS Charged, "
             "(SELECT SUM(Amount) FROM Payments WHERE Payments.Customer = Customer.ID) AS Paid FROM Customer"))) {
        const qint64 expected = qRound64(r.value("Charged").toDouble() * 100) - qRound64(r.value("Paid").toDouble() * 100);
        if (qRound64(r.value("CurrentBalance").toDouble() * 100) != expected)
            wrong << QStringLiteral("%1: %2 instead of %3")
                         .arg(r.value("ID").toString(), r.value("CurrentBalance").toString())
                         .arg(expected / 100.0);
    }
    return wrong + wrongKeptTotals(db);
}

QStringList wrongKeptTotals(Db &db)
{
    // Every customer ID any ticket, payment or kept total names, with its three pairs.
    QHash<QString, std::array<qint64, 4>> sums;
    const auto add = [&](const QString &sql, int at) {
        for (const QSqlRecord &r : db.rows(sql)) {
            auto &s = sums[r.value(0).toString()];
            s[at] += qRound64(r.value(1).toDouble() * 100);
        }
    };
    add(QStringLiteral("SELECT CustomerID, SUM(Total) FROM Tickets WHERE CustomerID IS NOT NULL GROUP BY CustomerID"), 0);
    add(QStringLiteral("SELECT Customer, SUM(Amount) FROM Payments WHERE Customer IS NOT NULL GROUP BY Customer"), 1);
    add(QStringLiteral("SELECT CustomerID, TicketSum FROM CustomerTotals"), 2);
    add(QStringLiteral("SELECT CustomerID, PaymentSum FROM CustomerTotals"), 3);
    QStringList wrong;
    for (auto it = sums.cbegin(); it != sums.cend(); ++it)
        if (it.value()[0] != it.value()[2] || it.value()[1] != it.value()[3])
            wrong << QStringLiteral("%1: kept tickets %2 and payments %3 instead of %4 and %5")
                         .arg(it.key())
                         .arg(it.value()[2] / 100.0)
                         .arg(it.value()[3] / 100.0)
                         .arg(it.value()[0] / 100.0)
                         .arg(it.value()[1] / 100.0);
    wrong.sort();
    return wrong;
}

QStringList wrongGiftCardBalances(Db &db)
{
    QHash<QString, qint64> left;
    for (const QSqlRecord &r :
         db.rows(QStringLiteral("SELECT CardID, TransactionType, Amount FROM GiftCardTransactions ORDER BY ID"))) {
        const QString type = r.value("TransactionType").toString();
        const qint64 cents = qRound64(r.value("Amount").toDouble() * 100);
        qint64 &balance = left[r.value("CardID").toString()];
        if (type == QLatin1String("Gift Card Purchase"))
            balance += cents;
        else if (type == QLatin1String("Gift Card Redemption"))
            balance -= cents;
        else if (type == QLatin1String("Gift Card Edit"))
            balance = cents;
    }
    QStringList wrong;
    for (const QSqlRecord &r : db.rows(QStringLiteral("SELECT ID, CardBalance FROM GiftCards"))) {
        const QString id = r.value("ID").toString();
        const qint64 stored = qRound64(r.value("CardBalance").toDouble() * 100);
        if (stored != left.value(id) || stored < 0)
            wrong
                << QStringLiteral("%1: %2 instead of %3").arg(id, r.value("CardBalance").toString()).arg(left.value(id) / 100.0);
    }
    return wrong;
}

void refuse(Db &db, const QString &table, const QString &event, const QString &when)
{
    if (db.dialect().name() == QLatin1String("SQLite")) {
        db.exec(QStringLiteral("CREATE TRIGGER Refuse_%1 BEFORE %2 ON %1 WHEN %3 "
                               "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                    .arg(table, event, when));
        return;
    }
    db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refused_by_the_test() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"));
    db.exec(
        QStringLiteral("CREATE TRIGGER Refuse_%1 BEFORE %2 ON %1 FOR EACH ROW WHEN (%3) EXECUTE FUNCTION refused_by_the_test()")
            .arg(table, event, when));
}

void stopRefusing(Db &db, const QString &table)
{
    if (db.dialect().name() == QLatin1String("SQLite"))
        db.exec(QStringLiteral("DROP TRIGGER Refuse_%1").arg(table));
    else
        db.exec(QStringLiteral("DROP TRIGGER Refuse_%1 ON %1").arg(table));
}

} // namespace TestDb
