#include "reports/Reports.h"

#include "app/AppContext.h"
#include "app/Logging.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/PrintedDocuments.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"

#include <exception>

namespace {

// Builds the document on the program's connection and prints `copies` copies or shows
// it; false, with the reason in the log, on any failure.
bool run(const char *what, int id, const std::function<std::shared_ptr<Report>(Db &, const QStringList &)> &build, bool preview,
         int copies)
{
    try {
        if (!Db::hasCurrent()) {
            qCWarning(lcPrint) << what << id << "not printed: the database is not open";
            return false;
        }
        std::shared_ptr<Report> report = build(Db::current(), appContext().company.headingTexts());
        const bool done = preview ? ReportOutput::show(report) : ReportOutput::print(*report, copies);
        if (!done)
            qCWarning(lcPrint) << what << id << (preview ? "could not be shown" : "could not be printed");
        return done;
    } catch (const DbError &error) {
        qCWarning(lcPrint) << what << id << "not printed:" << error.serverText() << error.statement();
    } catch (const std::exception &error) {
        qCWarning(lcPrint) << what << id << "not printed:" << error.what();
    } catch (...) {
        qCWarning(lcPrint) << what << id << "not printed: an unknown failure";
    }
    return false;
}

} // namespace

bool PrintChargeTicket(int id, bool preview, bool printDate)
{
    return run(
        "charge ticket", id, [&](Db &db, const QStringList &h) { return PrintedDocuments::chargeTicket(db, id, printDate, h); },
        preview, kChargeTicketCopies);
}

bool PrintCashTicket(int id, bool preview, bool printDate)
{
    return run(
        "cash ticket", id, [&](Db &db, const QStringList &h) { return PrintedDocuments::cashTicket(db, id, printDate, h); },
        preview, 3);
}

bool PrintGiftCardReceipt(int id)
{
    return run(
        "gift card receipt", id, [&](Db &db, const QStringList &h) { return PrintedDocuments::giftCardReceipt(db, id, h); },
        false, 1);
}

namespace Printers {

TicketPrinter &chargeTicket()
{
    static TicketPrinter printer = &PrintChargeTicket;
    return printer;
}

TicketPrinter &cashTicket()
{
    static TicketPrinter printer = &PrintCashTicket;
    return printer;
}

ReceiptPrinter &giftCardReceipt()
{
    static ReceiptPrinter printer = &PrintGiftCardReceipt;
    return printer;
}

void reset()
{
    chargeTicket() = &PrintChargeTicket;
    cashTicket() = &PrintCashTicket;
    giftCardReceipt() = &PrintGiftCardReceipt;
}

} // namespace Printers
