#include "reports/ManagementRoutines.h"

#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/Logging.h"
#include "db/Db.h"
#include "reports/DailySalesSummary.h"
#include "reports/ManagementReports.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"
#include "reports/Viewer.h"

#include <functional>

namespace {

using Build = std::function<std::shared_ptr<Report>(Db &, const QStringList &)>;

// A query that fails does so here, with its error, before the viewer or the printer is
// involved: the viewer shows the report once its first pages are laid out (the rest
// follow on a thread of their own); a print lays it all out first.
void run(const Build &build, bool preview)
{
    BusyCursor busy;
    std::shared_ptr<Report> report = build(Db::current(), appContext().company.headingTexts());
    if (preview) {
        if (!Viewer::openReport(report))
            qCWarning(lcPrint) << report->layoutName() << "could not be shown";
        return;
    }
    paginate(*report);
    if (!ReportOutput::print(*report, 1)) {
        qCWarning(lcPrint) << report->layoutName() << "could not be printed";
    }
}

} // namespace

void PrintAccountBalanceReport(bool preview) { run(&ManagementReports::accountBalance, preview); }

void PrintCustomerCardListing(bool preview) { run(&ManagementReports::customerCardListing, preview); }

void PrintCustomerHistory(const QString &customerId, const QDate &startDate, const QDate &endDate, bool preview)
{
    run(
        [&](Db &db, const QStringList &headings) {
            return ManagementReports::customerHistory(db, customerId, startDate, endDate, headings);
        },
        preview);
}

void PrintDetailSalesReport(const QDate &startDate, const QDate &endDate, bool preview)
{
    run([&](Db &db, const QStringList &headings) { return ManagementReports::detailSales(db, startDate, endDate, headings); },
        preview);
}

void PrintGiftCardTransactionReport(const QDate &startDate, const QDate &endDate, bool preview)
{
    run([&](Db &db,
            const QStringList &headings) { return ManagementReports::giftCardTransactions(db, startDate, endDate, headings); },
        preview);
}

void PrintDailySalesSummary(const QDate &startDate, const QDate &endDate, std::optional<int> location, bool preview)
{
    run(
        [&](Db &db, const QStringList &headings) {
            return ManagementReports::dailySalesSummary(db, startDate, endDate, location, headings);
        },
        preview);
}

void ShowGiftCardListing() { run(&ManagementReports::giftCardListing, true); }
