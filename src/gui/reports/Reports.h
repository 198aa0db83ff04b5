#pragma once

#include <functional>

// The printed documents. Each reads its row from Db::current() (values bound), fills its
// layout with the row and the three heading texts of appContext().company, and either
// prints it to the system's default printer without a dialog, one print job per copy, or
// shows it in the "Report Viewer" window. Each returns true when the document was
// printed (or shown) and false when anything failed: no connection, a query error, no
// default printer, a copy that could not be drawn or sent; why goes to the "ams.print"
// log. None of them throws.
//
// An ID without a row still prints the layout, with empty fields, and returns true.
//
// Seams for other screens and for tests:
// - Viewer::setMdiArea(QMdiArea *) : the main window hands over its MDI area once, and
//   previews then open as its child window (see Viewer.h). Without it a preview opens
//   as a window of its own.
// - ReportOutput::setPrintTarget(ReportOutput::PrintTarget::PdfFiles, directory) : every
//   copy is written as <directory>/<layout name>-<n>.pdf instead of being printed;
//   PrintTarget::Failing makes every print fail; PrintTarget::DefaultPrinter is the
//   program's own setting (see ReportOutput.h).
// - Printers: what the screens call to print; tests put their own in.

// The charge ticket (crptTicket3), three copies; its date and time only when printDate.
bool PrintChargeTicket(int id, bool preview, bool printDate);
constexpr int kChargeTicketCopies = 3;
// The gift card purchase receipt (crptGiftCardTransaction) of a GiftCardTransactions
// row, one copy, with the card's balance and notes as they stand now.
bool PrintGiftCardReceipt(int id);
// The cash ticket (crptCashTicket2), three copies; its date and time only when printDate.
bool PrintCashTicket(int id, bool preview, bool printDate);
constexpr int kCashTicketCopies = 3;

// What the saving screens print with: the routines above unless a test replaced them.
namespace Printers {

using TicketPrinter = std::function<bool(int id, bool preview, bool printDate)>;
using ReceiptPrinter = std::function<bool(int id)>;

TicketPrinter &chargeTicket();
TicketPrinter &cashTicket();
ReceiptPrinter &giftCardReceipt();
// Puts the program's own routines back.
void reset();

} // namespace Printers
