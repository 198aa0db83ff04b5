// How long month-end takes at volume: the A/R aging report over CUSTOMERS customers and
// TICKETS tickets (one query, then sorted), and STATEMENTS statements of last month
// written one PDF per customer into a folder.
//
//   bench_statements [CUSTOMERS TICKETS]      defaults 10000 1000000
//
// SQLite always; PostgreSQL too when AMS_TEST_PG is set. Filling the database is not
// timed. Aims: the aging report under 2 s on PostgreSQL, 1,000 statements under 30 s.

#include "BenchSupport.h"

#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "reports/ArAgingReport.h"
#include "reports/Report.h"
#include "reports/ReportBatch.h"
#include "reports/ReportRenderer.h"
#include "reports/Statements.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void runOn(const char *server, Db &db, int customers, int tickets)
{
    const QDate today = QDate::currentDate();
    QElapsedTimer fill;
    fill.start();
    DatabaseTool::fillVolume(db, customers, tickets, today);
    // A payment for every tenth customer, so that credits meet charges.
    {
        Transaction transaction(db);
        for (int i = 0; i < customers; i += 10)
            db.insert(QStringLiteral("Payments"),
                      {{QStringLiteral("Customer"), QStringLiteral("V%1").arg(i, 3, 36, QLatin1Char('0')).toUpper()},
                       {QStringLiteral("PaymentDate"), db.dialect().dateValue(today.addDays(-45))},
                       {QStringLiteral("Amount"), 500.0},
                       {QStringLiteral("CheckNum"), QStringLiteral("BENCH")},
                       {QStringLiteral("EntryDate"), db.dialect().dateTimeValue(QDateTime(today.addDays(-45), QTime(9, 0)))}});
        transaction.commit();
    }
    if (QString::fromLatin1(server) == QLatin1String("PostgreSQL"))
        db.exec(QStringLiteral("ANALYZE"));
    std::printf("%s: filled %d customers, %d tickets in %.1f s\n", server, customers, tickets, fill.elapsed() / 1000.0);

    const QStringList headings = {QStringLiteral("Bench Fuel"), QStringLiteral("1 Main St"),
                                  QStringLiteral("Springfield, MO  65801")};
    QElapsedTimer aging;
    aging.start();
    auto report = ArAgingReport::build(db, today, 30, headings);
    const qint64 query = aging.elapsed();
    const PageIndex index = paginate(*report);
    std::printf("%s: A/R aging report of %d customers: %lld ms to read and age, %lld ms with its %d pages laid out\n", server,
                customers, query, aging.elapsed(), index.pageCount());

    const QDate first(today.year(), today.month(), 1);
    const QDate start = first.addMonths(-1), end = first.addDays(-1);
    QElapsedTimer gather;
    gather.start();
    QList<Statement> statements = Statements::gather(db, start, end, 30);
    const qint64 gathered = gather.elapsed();
    if (statements.size() > 1000)
        statements.resize(1000);
    QList<std::shared_ptr<Report>> reports;
    for (const Statement &s : std::as_const(statements))
        reports << Statements::report(s, headings);
    QTemporaryDir dir;
    QElapsedTimer write;
    write.start();
    const ReportBatch::Outcome outcome = ReportBatch::writePdfFolder(
        reports, dir.path(), [&](int i) { return Statements::fileNameFor(statements[i].account.customerId); });
    std::printf("%s: statements of last month read in %lld ms; %d written to PDF files in %.1f s (%s)\n", server, gathered,
                outcome.filesWritten, write.elapsed() / 1000.0, outcome.written() ? "whole" : qPrintable(outcome.error));
    std::printf("%s: peak memory %ld KiB\n", server, BenchSupport::peakKiB());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int customers = argc > 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int tickets = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1000000;

    QTemporaryDir dir;
    {
        auto db = BenchSupport::freshSqlite(dir, QStringLiteral("bench.db"));
        runOn("SQLite", *db, customers, tickets);
    }
    const QString admin = BenchSupport::postgresAdmin();
    if (!admin.isEmpty()) {
        const QString name = QStringLiteral("ams_bench_statements");
        {
            auto db = BenchSupport::freshPostgres(admin, name);
            runOn("PostgreSQL", *db, customers, tickets);
        }
        BenchSupport::dropPostgres(admin, name);
    }
    return 0;
}
