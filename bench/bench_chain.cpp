// How fast the reports and the balance work come up on a chain's database, made before
// with "amsdb create CONNECTION --chain [--scale S]" (50 locations over five years,
// 5,000,000 tickets at scale 1).
//
//   bench_chain CONNECTION          every case in its own process, as a table
//   bench_chain CASE CONNECTION     one case: prints "ms pages peakKiB cpuMs allMs"
//
// The CPU time is this process's: on SQLite all the work, on PostgreSQL without the
// server's. On a machine shared with other work it shows what the wall time would be
// on a quiet one.
//
// CONNECTION is an SQLite file or a connection text (with its password). Each report
// case is what the manager waits for: from asking for the report to its first page drawn
// in the viewer (the report built, its first pages laid out and page 1 drawn); "all"
// is when the viewer knows the number of pages, the rest laid out on the viewer's
// thread meanwhile (a report of 20 pages or fewer is counted before it shows). The CPU
// time covers both threads. The other cases:
//   rebuild   "Rebuild Customer Balance": every balance recomputed from the rows
//   balance   the account balance of one customer as the ticket screen reads it
//
// Goals: every report's first page under 1 s; the account balance under 1 s; one
// customer's history for a year under 0.3 s; the A/R aging report under 2 s; the
// rebuild under 30 s. The detail sales export against a bare QPainter loop is
// bench_management's "sales" and "bare" cases, run on the same CONNECTION.

#include "BenchSupport.h"

#include "accounts/CustomerBalances.h"
#include "accounts/CustomerStore.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/ArAgingReport.h"
#include "reports/DailySalesSummary.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>

#include <ctime>
#include <functional>

namespace {

const QDate today = QDate::currentDate();
const QStringList headings = {QStringLiteral("Crossroads Fuel Stop"), QStringLiteral("4100 Interstate Dr"),
                              QStringLiteral("Amarillo, TX  79118")};

QString connection(const QString &text)
{
    return text.startsWith(QLatin1String("Provider=")) ? text : QStringLiteral("Provider=SQLite;Data Source=%1;").arg(text);
}

// The customer in the middle of the chain's list.
QString middleCustomer(Db &db)
{
    const qint64 customers = db.firstRow(QStringLiteral("SELECT COUNT(*) FROM Customer"))->value(0).toLongLong();
    return DatabaseTool::chainCustomerId(customers / 2);
}

struct Case
{
    const char *name;
    const char *what;
    qint64 goalMs;
    // Builds the report (nullptr for a case that is not a report) or does the work.
    std::function<std::shared_ptr<Report>(Db &)> run;
};

const QList<Case> &cases()
{
    using namespace ManagementReports;
    static const QList<Case> list = {
        {"accounts", "Account balance report", 1000, [](Db &db) { return accountBalance(db, headings); }},
        {"cards", "Customer / card listing", 1000, [](Db &db) { return customerCardListing(db, headings); }},
        {"history", "Customer history, one customer, a year", 300,
         [](Db &db) { return customerHistory(db, middleCustomer(db), today.addYears(-1), today, headings); }},
        {"sales", "Detail sales, the last year", 1000,
         [](Db &db) { return detailSales(db, today.addYears(-1), today, headings); }},
        {"salesday", "Detail sales, the last day", 1000, [](Db &db) { return detailSales(db, today, today, headings); }},
        {"giftcards", "Gift card transactions, the last year", 1000,
         [](Db &db) { return giftCardTransactions(db, today.addYears(-1), today, headings); }},
        {"giftlist", "Gift card listing", 1000, [](Db &db) { return giftCardListing(db, headings); }},
        {"aging", "A/R aging report", 2000, [](Db &db) { return ArAgingReport::build(db, today, 30, headings); }},
        {"summary", "Daily sales summary, a month, all locations", 1000,
         [](Db &db) { return dailySalesSummary(db, today.addMonths(-1).addDays(1), today, std::nullopt, headings); }},
        {"balance", "Account balance of one customer", 1000,
         [](Db &db) {
             const QString customer = middleCustomer(db);
             const double balance = CustomerStore::balanceOf(db, customer);
             QTextStream(stderr) << "balance of " << customer << ": " << balance << "\n";
             return std::shared_ptr<Report>();
         }},
        {"rebuild", "Rebuild Customer Balance", 30000,
         [](Db &db) {
             const RebuildCount count = RebuildCustomerBalances(db);
             if (count.customers == 0)
                 throw DbError(QStringLiteral("No customer rebuilt"));
             return std::shared_ptr<Report>();
         }},
    };
    return list;
}

int runCase(const QString &name, const QString &text)
{
    for (const Case &c : cases()) {
        if (name != QLatin1String(c.name))
            continue;
        auto db = Db::open(connection(text));
        Db::setCurrent(db.get());
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpu = std::clock();
        int pages = 0;
        qint64 firstMs = -1;
        try {
            const std::shared_ptr<Report> report = c.run(*db);
            if (report) {
                Viewer *viewer = Viewer::openReport(report);
                if (!viewer)
                    return 1;
                QApplication::processEvents();
                firstMs = timer.elapsed();
                viewer->waitForLayout();
                if (!viewer->isLaidOut())
                    return 1;
                pages = viewer->pageCount();
            }
        } catch (const DbError &e) {
            QTextStream(stderr) << e.serverText() << "\n" << e.statement() << "\n";
            return 1;
        }
        const qint64 allMs = timer.elapsed();
        QTextStream(stdout) << (firstMs >= 0 ? firstMs : allMs) << ' ' << pages << ' ' << BenchSupport::peakKiB() << ' '
                            << qint64((std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC) << ' ' << allMs << '\n';
        return 0;
    }
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3)
        return runCase(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (argc != 2) {
        QTextStream(stderr) << "usage: bench_chain CONNECTION | bench_chain CASE CONNECTION\n";
        return 2;
    }
    QTextStream out(stdout);
    {
        auto db = Db::open(connection(QString::fromLocal8Bit(argv[1])));
        out << db->dialect().name() << ", " << db->firstRow(QStringLiteral("SELECT COUNT(*) FROM Tickets"))->value(0).toLongLong()
            << " tickets\n";
    }
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(QStringLiteral("case"), -46)
               .arg(QStringLiteral("ms (CPU)"), 16)
               .arg(QStringLiteral("all ms"), 9)
               .arg(QStringLiteral("goal"), 7)
               .arg(QStringLiteral("pages"), 7)
               .arg(QStringLiteral("peak MiB"), 9)
               .arg(QString());
    out.flush();
    for (const Case &c : cases()) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(c.name), QString::fromLocal8Bit(argv[1])});
        child.waitForFinished(-1);
        const QStringList r = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed().split(u' ');
        if (child.exitCode() != 0 || r.size() < 5) {
            out << QLatin1String(c.what) << ": failed " << child.readAllStandardError() << "\n";
            continue;
        }
        const qint64 ms = r[0].toLongLong();
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(QLatin1String(c.what), -46)
                   .arg(QStringLiteral("%1 (%2)").arg(ms).arg(r[3].toLongLong()), 16)
                   .arg(r[4].toLongLong(), 9)
                   .arg(c.goalMs, 7)
                   .arg(r[1].toInt(), 7)
                   .arg(r[2].toLong() / 1024.0, 9, 'f', 1)
                   .arg(ms <= c.goalMs ? QStringLiteral("met") : QStringLiteral("MISSED"));
        out.flush();
    }
    return 0;
}
