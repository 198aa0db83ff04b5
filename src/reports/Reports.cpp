#include "reports/Reports.h"

#include "app/AppContext.h"
#include "db/Db.h"
#include "reports/Report.h"
#include "reports/TicketLayouts.h"

#include <QStringList>

namespace {

// The fuel and merchandise columns shared by both kinds of ticket; the DEF line came
// later than the others and reads as 0 in rows stored before it.
QString ticketAmountColumns(const SqlDialect &dialect)
{
    const QString zero = QStringLiteral("0");
    return QStringLiteral("GasGallons,GasPriceEach,GasPriceExt,DieselGallons,DieselPriceEach,DieselPriceExt,"
                          "ReeferGallons,ReeferPriceEach,ReeferPriceExt,DiscountGallons,DiscountPriceEach,DiscountPriceExt,")
        + dialect.ifNull(QStringLiteral("DEFGallons"), zero) + QStringLiteral(" AS DEFGallons,")
        + dialect.ifNull(QStringLiteral("DEFPriceEach"), zero) + QStringLiteral(" AS DEFPriceEach,")
        + dialect.ifNull(QStringLiteral("DEFPriceExt"), zero) + QStringLiteral(" AS DEFPriceExt,")
        + QStringLiteral("OilPriceExt,AddativePriceExt,AntifreezePriceExt,WasherPriceExt,GroceryPriceExt,DeliPriceExt,"
                         "TobaccoPriceExt,Subtotal,Tax,Total,WorkstationID,");
}

// Reads the rows, the date-and-time columns through the connection's dialect.
QList<QSqlRecord> readRows(Db &db, const QString &sql, int id, const QStringList &dateTimeColumns)
{
    QList<QSqlRecord> rows = db.rows(sql, {id});
    for (QSqlRecord &row : rows) {
        for (const QString &column : dateTimeColumns)
            row.setValue(column, db.dialect().readDateTime(row.value(column)));
    }
    return rows;
}

// Fills the layout and prints `copies` copies or shows it.
bool run(std::shared_ptr<Report> report, QList<QSqlRecord> rows, bool preview, int copies)
{
    report->setRows(RowSource::fromRecords(std::move(rows)));
    report->setHeadingTexts(appContext().company.headingTexts());
    if (preview)
        return ReportOutput::show(std::move(report));
    return ReportOutput::print(*report, copies);
}

} // namespace

bool PrintChargeTicket(int id, bool preview, bool printDate)
{
    try {
        if (!Db::hasCurrent())
            return false;
        Db &db = Db::current();
        const QString sql = QStringLiteral("SELECT Customer.ID AS CustomerID,Name,Address1,City,State,Zip,Phone,"
                                           "Tickets.ID AS TicketID,CardNo,Clerk,TruckNumber,Mileage,DriverID,License,Trip,Trailer,")
            + ticketAmountColumns(db.dialect())
            + QStringLiteral("Tickets.DateEntered FROM Tickets LEFT JOIN Customer ON Tickets.CustomerID = Customer.ID "
                             "WHERE Tickets.ID = ?");
        auto rows = readRows(db, sql, id, {QStringLiteral("DateEntered")});
        auto report = TicketLayouts::chargeTicket();
        report->setSuppressed(QStringLiteral("DateEntered"), !printDate);
        return run(std::move(report), std::move(rows), preview, 3);
    } catch (...) {
        return false;
    }
}

bool PrintCashTicket(int id, bool preview, bool printDate)
{
    try {
        if (!Db::hasCurrent())
            return false;
        Db &db = Db::current();
        const QString sql = QStringLiteral("SELECT Customer,Address1,Address2,ID AS TicketID,Clerk,TruckNumber,Mileage,DriverID,"
                                           "License,Trip,Trailer,")
            + ticketAmountColumns(db.dialect()) + QStringLiteral("DateEntered FROM CashTickets WHERE CashTickets.ID = ?");
        auto rows = readRows(db, sql, id, {QStringLiteral("DateEntered")});
        auto report = TicketLayouts::cashTicket();
        report->setSuppressed(QStringLiteral("DateEntered"), !printDate);
        return run(std::move(report), std::move(rows), preview, 3);
    } catch (...) {
        return false;
    }
}

bool PrintGiftCardReceipt(int id)
{
    try {
        if (!Db::hasCurrent())
            return false;
        Db &db = Db::current();
        const QString sql = QStringLiteral("SELECT T.ID,T.CardID,T.TransactionDate,T.TransactionType,T.Amount,T.Clerk,"
                                           "T.WorkstationID,T.Location,C.CardBalance,C.Notes,C.DateActivated "
                                           "FROM GiftCardTransactions T LEFT JOIN GiftCards C ON T.CardID = C.ID WHERE T.ID = ?");
        auto rows = readRows(db, sql, id, {QStringLiteral("TransactionDate"), QStringLiteral("DateActivated")});
        return run(TicketLayouts::giftCardReceipt(), std::move(rows), false, 1);
    } catch (...) {
        return false;
    }
}
