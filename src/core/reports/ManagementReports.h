#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

class Db;
class Report;

// The management reports, each a layout fed straight from its query (values bound,
// rows read one at a time as the report is drawn) with the three heading texts and,
// where it has one, its date range. A report day runs from 00:00:00 to 23:59:59; a start
// after the end gives a report without rows. Building a report reads nothing but what
// its heading needs; the rows are read when it is laid out (DbError then).
namespace ManagementReports {

// crtpAccountListing: every customer, those on hold first, then by name; totals of the
// balances and limits and the count on hold.
std::shared_ptr<Report> accountBalance(Db &db, const QStringList &headings);

// crptCustomerCardListingReport: every customer in the same order, each with its cards
// beneath it in card number order.
std::shared_ptr<Report> customerCardListing(Db &db, const QStringList &headings);

// crtpCustomerHistoryReport: the customer's charge tickets (their totals) and payments
// (their amounts negated) in the range, newest first, without zero amounts, and the net
// of the range. Reads the customer's row for the heading (DbError).
std::shared_ptr<Report> customerHistory(Db &db, const QString &customerId, const QDate &start, const QDate &end,
                                        const QStringList &headings);

// crptDetailTicketListing: every charge ticket of the range in time order, by day, with
// day and grand totals of the gallons of each fuel row, merchandise, tax and total.
std::shared_ptr<Report> detailSales(Db &db, const QDate &start, const QDate &end, const QStringList &headings);

// crptGiftCardTransactionReport: the gift card transactions of the range by type, each
// type in time order, with the count and amount of each type.
std::shared_ptr<Report> giftCardTransactions(Db &db, const QDate &start, const QDate &end, const QStringList &headings);

// crptGiftCardListingReport: every gift card by number, with the outstanding balance of
// all of them at the end.
std::shared_ptr<Report> giftCardListing(Db &db, const QStringList &headings);

} // namespace ManagementReports
