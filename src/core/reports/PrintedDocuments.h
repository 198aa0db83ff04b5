#pragma once

#include <QStringList>

#include <memory>

class Db;
class Report;
class SqlDialect;

// The printed documents as reports ready to print or show: the layout, its row read
// from the database (values bound) and the three heading texts. An ID without a row
// gives the layout with empty fields. Query failures throw DbError.
namespace PrintedDocuments {

// The select list of every fuel and merchandise column of a ticket row and its subtotal,
// tax and total, as the printed tickets and the sales report read them.
QString amountColumns(const SqlDialect &dialect);

// The charge ticket (crptTicket3); its date and time only when printDate.
std::shared_ptr<Report> chargeTicket(Db &db, int id, bool printDate, const QStringList &headings);
// The cash ticket (crptCashTicket2); its date and time only when printDate.
std::shared_ptr<Report> cashTicket(Db &db, int id, bool printDate, const QStringList &headings);
// The gift card receipt (crptGiftCardTransaction) of a GiftCardTransactions row, with
// the card's balance and notes as they stand now.
std::shared_ptr<Report> giftCardReceipt(Db &db, int id, const QStringList &headings);

} // namespace PrintedDocuments
