// How fast the Daily Sales Summary comes up for a chain: 50 locations of three
// workstations each, five years of charge tickets (5,000,000 unless a count is given),
// a cash ticket for every five charge tickets, a gift card transaction for every twenty
// and a payment for every fifty, spread evenly over the days. The rows are made by the
// server itself, so that filling takes minutes rather than hours.
//
//   bench_dailysummary [TICKETS]
//
// For each server (SQLite, and PostgreSQL when AMS_TEST_PG is set), the summary of the
// last whole month and of its last day, for all locations and for one: the time to read
// and sum the rows, then to lay the pages out (what "Ok" in the dialog waits for), and the
// number of rows and pages; the CPU time of this process for both (the server's own work
// on PostgreSQL is not in it).
//
// Goal: a month of all locations under 2 s from "Ok" to the pages laid out.

#include "BenchSupport.h"

#include "db/Db.h"
#include "reports/DailySalesSummary.h"
#include "reports/Report.h"
#include "reports/ReportRenderer.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kLocations = 50;
const QDate lastDay(2026, 11, 30);
const QDate firstDay = lastDay.addYears(-5);
const QStringList headings = {QStringLiteral("Benchmark Fuel Co."), QStringLiteral("1 Interstate Dr"),
                              QStringLiteral("Springfield, MO  65801")};

// The numbers 1..n as rows of one column i, on either server.
QString numbers(const Db &db, qint64 n)
{
    if (db.dialect().name() == QLatin1String("SQLite"))
        return QStringLiteral("(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) SELECT i FROM s) n")
            .arg(n);
    return QStringLiteral("generate_series(1, %1) AS n(i)").arg(n);
}

// The i-th of n rows' stamp, spread evenly over the five years.
QString stampOf(const Db &db, qint64 n)
{
    const qint64 seconds = qint64(firstDay.daysTo(lastDay.addDays(1))) * 86400;
    const QString offset = QStringLiteral("(CAST(i AS BIGINT) * %1 / %2)").arg(seconds).arg(n);
    const QString start = firstDay.toString(Qt::ISODate);
    if (db.dialect().name() == QLatin1String("SQLite"))
        return QStringLiteral("datetime('%1', '+' || %2 || ' seconds')").arg(start, offset);
    return QStringLiteral("TIMESTAMP '%1' + %2 * INTERVAL '1 second'").arg(start, offset);
}

void fillTickets(Db &db, const QString &table, const QString &who, qint64 n)
{
    const QString sql =
        QStringLiteral(
            "INSERT INTO %1 (%2,Clerk,GasGallons,GasPriceEach,GasPriceExt,DieselGallons,DieselPriceEach,DieselPriceExt,"
            "ReeferGallons,ReeferPriceEach,ReeferPriceExt,DiscountGallons,DiscountPriceEach,DiscountPriceExt,DEFGallons,"
            "DEFPriceEach,DEFPriceExt,OilPriceExt,AddativePriceExt,AntifreezePriceExt,WasherPriceExt,GroceryPriceExt,"
            "DeliPriceExt,TobaccoPriceExt,Subtotal,Tax,Total,WorkStationID,Location,DateEntered) "
            "SELECT %3,'ANN',i % 7,3.259,(i % 7) * 3.26,i % 101,3.999,(i % 101) * 4,i % 13,3.5,(i % 13) * 3.5,"
            "i % 101 + i % 13,-0.05,-(i % 101 + i % 13) * 0.05,i % 3,2.999,(i % 3) * 3,i % 5,0,0,i % 2,i % 11,0,0,"
            "(i % 101) * 4,(i % 5 + i % 2 + i % 11) * 0.08,(i % 101) * 4 + 1,'WS' || (i / %4 % 3 + 1),i % %4 + 1,%5 FROM %6")
            .arg(table, who == QLatin1String("Customer") ? QStringLiteral("Customer") : QStringLiteral("CustomerID"),
                 who == QLatin1String("Customer") ? QStringLiteral("'Walk-in'") : QStringLiteral("'C001'"))
            .arg(kLocations)
            .arg(stampOf(db, n), numbers(db, n));
    db.exec(sql);
}

void fill(Db &db, qint64 tickets)
{
    Transaction transaction(db);
    fillTickets(db, QStringLiteral("Tickets"), QStringLiteral("CustomerID"), tickets);
    fillTickets(db, QStringLiteral("CashTickets"), QStringLiteral("Customer"), tickets / 5);
    const qint64 gifts = tickets / 20;
    db.exec(QStringLiteral(
                "INSERT INTO GiftCardTransactions (CardID,TransactionDate,TransactionType,Amount,Clerk,WorkStationID,Location) "
                "SELECT 'G' || ((i - 1) / 3),%1,CASE WHEN i % 3 = 2 THEN 'Gift Card Redemption' ELSE 'Gift Card Purchase' END,"
                "25,'ANN','WS' || (i / %2 % 3 + 1),i % %2 + 1 FROM %3")
                .arg(stampOf(db, gifts))
                .arg(kLocations)
                .arg(numbers(db, gifts)));
    // The first purchase of each card activated it.
    db.exec(QStringLiteral(
        "INSERT INTO GiftCards (ID,DateActivated,ActivatedBy,ActivationAmount,CardBalance,Active,WorkStationID,Location) "
        "SELECT CardID,TransactionDate,'ANN',Amount,Amount,1,WorkStationID,Location FROM GiftCardTransactions "
        "WHERE ID % 3 = 1"));
    const qint64 payments = tickets / 50;
    const QString day = db.dialect().name() == QLatin1String("SQLite")
                            ? QStringLiteral("date(%1)").arg(stampOf(db, payments))
                            : QStringLiteral("CAST(%1 AS DATE)").arg(stampOf(db, payments));
    db.exec(QStringLiteral("INSERT INTO Payments (Customer,PaymentDate,Amount,CheckNum) SELECT 'C001',%1,100,'1001' FROM %2")
                .arg(day, numbers(db, payments)));
    transaction.commit();
    db.exec(QStringLiteral("ANALYZE"));
}

void measure(Db &db, const char *server, const char *what, const QDate &from, const QDate &to, std::optional<int> location)
{
    QElapsedTimer timer;
    const std::clock_t cpu = std::clock();
    timer.start();
    auto report = ManagementReports::dailySalesSummary(db, from, to, location, headings);
    const qint64 read = timer.restart();
    qsizetype rows = 0;
    report->rows().run([&](const QSqlRecord &) { return ++rows > 0; });
    timer.restart();
    const PageIndex index = paginate(*report);
    const qint64 laid = timer.elapsed();
    const long cpuMs = long((std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
    std::printf("%-10s %-26s %8lld %8lld %8lld %8ld %7lld %6d\n", server, what, read, laid, read + laid, cpuMs, qint64(rows),
                index.pageCount());
    std::fflush(stdout);
}

void run(Db &db, const char *server, qint64 tickets)
{
    QElapsedTimer timer;
    timer.start();
    fill(db, tickets);
    std::printf("%-10s filled %lld tickets in %lld s\n", server, tickets, timer.elapsed() / 1000);
    std::printf("%-10s %-26s %8s %8s %8s %8s %7s %6s\n", "server", "summary", "read ms", "pages ms", "total ms", "CPU ms", "rows",
                "pages");
    const QDate monthStart(lastDay.year(), lastDay.month(), 1);
    measure(db, server, "a month, all locations", monthStart, lastDay, std::nullopt);
    measure(db, server, "a month, one location", monthStart, lastDay, 17);
    measure(db, server, "a day, all locations", lastDay, lastDay, std::nullopt);
    measure(db, server, "a day, one location", lastDay, lastDay, 17);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const qint64 tickets = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 5000000;

    QTemporaryDir dir;
    {
        auto db = BenchSupport::freshSqlite(dir, QStringLiteral("summary.db"));
        run(*db, "SQLite", tickets);
    }
    const QString admin = BenchSupport::postgresAdmin();
    if (!admin.isEmpty()) {
        const QString name = QStringLiteral("ams_bench_summary");
        {
            auto db = BenchSupport::freshPostgres(admin, name);
            run(*db, "PostgreSQL", tickets);
        }
        BenchSupport::dropPostgres(admin, name);
    }
    return 0;
}
