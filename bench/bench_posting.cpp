// How long saving a charge ticket takes in the database: one ticket row inserted and its
// total posted to the customer (balance and hold flag in one transaction), repeated.
// Beside it, the same statements run by the servers' own tools: the sqlite3 shell reading
// one generated script, and pgbench running a custom script against the same database.
//
//   bench_posting [COUNT]          (default 2000; PostgreSQL when AMS_TEST_PG is set)

#include "BenchSupport.h"

#include "accounts/BalancePosting.h"
#include "app/Numbers.h"
#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

const QString kCustomer = QStringLiteral("B001");

// The ticket the benchmark saves again and again: a diesel and reefer fill with a
// discount and one merchandise line, as the ticket screen writes it.
ColumnValues ticketColumns(const SqlDialect &sql, const QDateTime &at)
{
    return {{"CustomerID", kCustomer},
            {"CardNo", "01"},
            {"Clerk", "BENCH"},
            {"TruckNumber", "114"},
            {"Mileage", "412345"},
            {"License", "D1234567"},
            {"DriverID", "42"},
            {"Trip", "5001"},
            {"Trailer", "T77"},
            {"GasGallons", 0},
            {"GasPriceEach", 0},
            {"GasPriceExt", 0},
            {"DieselGallons", 120.5},
            {"DieselPriceEach", 3.899},
            {"DieselPriceExt", 469.83},
            {"ReeferGallons", 30},
            {"ReeferPriceEach", 3.459},
            {"ReeferPriceExt", 103.77},
            {"DiscountGallons", 150.5},
            {"DiscountPriceEach", -0.05},
            {"DiscountPriceExt", -7.53},
            {"DEFGallons", 0},
            {"DEFPriceEach", 3.999},
            {"DEFPriceExt", 0},
            {"OilPriceExt", 12.99},
            {"AddativePriceExt", 0},
            {"AntifreezePriceExt", 0},
            {"WasherPriceExt", 0},
            {"GroceryPriceExt", 0},
            {"DeliPriceExt", 0},
            {"TobaccoPriceExt", 0},
            {"Subtotal", 579.06},
            {"Tax", 1.07},
            {"Total", 580.13},
            {"WorkStationID", "BENCH"},
            {"Location", 1},
            {"DateEntered", sql.dateTimeValue(at)}};
}

const double kTotal = 580.13;

// The same row as literal SQL for the servers' own tools.
QString literalInsert(const SqlDialect &sql, const QDateTime &at)
{
    QStringList names, values;
    for (const auto &[name, value] : ticketColumns(sql, at)) {
        names << name;
        values << (value.typeId() == QMetaType::QString ? QStringLiteral("'%1'").arg(value.toString())
                                                        : Numbers::plainText(value.toDouble()));
    }
    return QStringLiteral("INSERT INTO Tickets (%1) VALUES (%2);\n").arg(names.join(u','), values.join(u','));
}

QString literalPosting(const QString &begin)
{
    const QString id = QStringLiteral("'%1'").arg(kCustomer);
    return begin + QStringLiteral(";\n")
           + QStringLiteral("UPDATE Customer SET CurrentBalance = CurrentBalance + %1 WHERE ID = %2;\n")
                 .arg(Numbers::plainText(kTotal), id)
           + QStringLiteral("UPDATE Customer SET AcctOnHold = 1 WHERE (ID = %1) AND (CurrentBalance >= \"Limit\");\n").arg(id)
           + QStringLiteral("UPDATE Customer SET AcctOnHold = 0 WHERE (ID = %1) AND (CurrentBalance < \"Limit\");\n").arg(id)
           + QStringLiteral("COMMIT;\n");
}

void resetCustomer(Db &db)
{
    db.exec(QStringLiteral("DELETE FROM Tickets"));
    db.exec(QStringLiteral("DELETE FROM Customer"));
    db.insert(QStringLiteral("Customer"),
              {{"ID", kCustomer},
               {"Name", "Bench Freight"},
               {"Inactive", 0},
               {"CurrentBalance", 0},
               {"Limit", 1e12},
               {"WarnAt", 0.8},
               {"AcctOnHold", 0}},
              QString());
}

// Checks that a run did what it claims: every ticket stored, every total posted.
void verify(Db &db, int count, const char *who)
{
    const int tickets = db.firstRow(QStringLiteral("SELECT COUNT(*) FROM Tickets"))->value(0).toInt();
    const double balance =
        db.firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {kCustomer})->value(0).toDouble();
    if (tickets != count || qRound64(balance * 100) != qRound64(kTotal * 100) * count)
        throw DbError(
            QStringLiteral("%1 stored %2 tickets and a balance of %3").arg(QLatin1String(who)).arg(tickets).arg(balance));
}

double programRun(Db &db, int count)
{
    resetCustomer(db);
    const QDateTime at = QDateTime::currentDateTime();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        db.insert(QStringLiteral("Tickets"), ticketColumns(db.dialect(), at));
        if (!PostCustomerBalance(db, kCustomer, kTotal))
            throw DbError(QStringLiteral("a posting failed"));
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    verify(db, count, "the program");
    return ms;
}

struct Result
{
    QString server, tool;
    double program = 0, reference = 0;
};

Result benchSQLite(int count, QTemporaryDir &dir)
{
    Result r{QStringLiteral("SQLite"), QStringLiteral("sqlite3 shell")};
    auto db = BenchSupport::freshSqlite(dir, QStringLiteral("bench.db"));
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    r.program = programRun(*db, count);

    resetCustomer(*db);
    const QString script = dir.filePath(QStringLiteral("bench.sql"));
    QFile out(script);
    out.open(QIODevice::WriteOnly);
    QTextStream s(&out);
    s << "PRAGMA journal_mode=WAL;\nPRAGMA synchronous=FULL;\n";
    const QString insert = literalInsert(db->dialect(), QDateTime::currentDateTime());
    const QString posting = literalPosting(QStringLiteral("BEGIN IMMEDIATE"));
    for (int i = 0; i < count; ++i)
        s << insert << posting;
    s.flush();
    out.close();
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty())
        throw DbError(QStringLiteral("the sqlite3 shell is not installed"));
    r.reference = BenchSupport::timedProcess(sqlite3, {file}, script, QProcessEnvironment::systemEnvironment());
    verify(*db, count, "the sqlite3 shell");
    return r;
}

Result benchPostgreSQL(int count, QTemporaryDir &dir, const QString &admin)
{
    Result r{QStringLiteral("PostgreSQL"), QStringLiteral("pgbench")};
    const QString name = QStringLiteral("ams_bench");
    auto db = BenchSupport::freshPostgres(admin, name);
    const ConnectionText c = ConnectionText::parse(BenchSupport::postgresText(admin, name));
    r.program = programRun(*db, count);

    resetCustomer(*db);
    const QString script = dir.filePath(QStringLiteral("bench.pgbench"));
    QFile out(script);
    out.open(QIODevice::WriteOnly);
    out.write((literalInsert(db->dialect(), QDateTime::currentDateTime()) + literalPosting(QStringLiteral("BEGIN"))).toUtf8());
    out.close();
    const QString pgbench = QStandardPaths::findExecutable(QStringLiteral("pgbench"));
    if (pgbench.isEmpty())
        throw DbError(QStringLiteral("pgbench is not installed"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), c.password);
    r.reference = BenchSupport::timedProcess(pgbench,
                                             {"-n", "-f", script, "-t", QString::number(count), "-c", "1", "-h", c.server, "-p",
                                              QString::number(c.port), "-U", c.user, c.database},
                                             QString(), env);
    verify(*db, count, "pgbench");
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir dir;
    QList<Result> results;
    try {
        results << benchSQLite(count, dir);
        const QString admin = BenchSupport::postgresAdmin();
        if (!admin.isEmpty())
            results << benchPostgreSQL(count, dir, admin);
    } catch (const DbError &e) {
        std::fprintf(stderr, "bench_posting: %s\n", qPrintable(e.serverText()));
        return 1;
    }

    std::printf("\nOne ticket row inserted and its total posted, %d times\n\n", count);
    std::printf("%-11s %12s %10s   %-14s %12s %10s %7s\n", "server", "program ms", "ms each", "reference", "reference ms",
                "ms each", "ratio");
    for (const Result &r : results)
        std::printf("%-11s %12.0f %10.3f   %-14s %12.0f %10.3f %6.2fx\n", qPrintable(r.server), r.program, r.program / count,
                    qPrintable(r.tool), r.reference, r.reference / count, r.program / r.reference);
    std::printf("\nGoal: the program within 3x of the reference.\n");
    std::fflush(stdout);
    return 0;
}
