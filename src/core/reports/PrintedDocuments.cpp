#include "reports/PrintedDocuments.h"

#include "db/Db.h"
#include "reports/Report.h"
#include "reports/TicketLayouts.h"
#include "tickets/TicketLines.h"

namespace {

QString ticketAmountColumns(const SqlDialect &dialect)
{
    return PrintedDocuments::amountColumns(dialect) + QStringLiteral(",WorkstationID,");
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

std::shared_ptr<Report> filled(std::shared_ptr<Report> report, QList<QSqlRecord> rows, const QStringList &headings)
{
    report->setRows(RowSource::fromRecords(std::move(rows)));
    report->setHeadingTexts(headings);
    return report;
}

} // namespace

namespace PrintedDocuments {

// The DEF line came later than the others and reads as 0 in rows stored before it.
QString amountColumns(const SqlDialect &dialect)
{
    QStringList columns;
    for (const QString &column : TicketLines::amountColumns()) {
        if (column.startsWith(QLatin1String("DEF")))
            columns << dialect.ifNull(column, QStringLiteral("0")) + QStringLiteral(" AS ") + column;
        else
            columns << column;
    }
    return columns.join(u',');
}

std::shared_ptr<Report> chargeTicket(Db &db, int id, bool printDate, const QStringList &headings)
{
    const QString sql =
        QStringLiteral("SELECT Customer.ID AS CustomerID,Name,Address1,City,State,Zip,Phone,"
                       "Tickets.ID AS TicketID,CardNo,Clerk,TruckNumber,Mileage,DriverID,License,Trip,Trailer,")
        + ticketAmountColumns(db.dialect())
        + QStringLiteral("Tickets.DateEntered FROM Tickets LEFT JOIN Customer ON Tickets.CustomerID = Customer.ID "
                         "WHERE Tickets.ID = ?");
    auto report = TicketLayouts::chargeTicket();
    report->setSuppressed(QStringLiteral("DateEntered"), !printDate);
    return filled(std::move(report), readRows(db, sql, id, {QStringLiteral("DateEntered")}), headings);
}

std::shared_ptr<Report> cashTicket(Db &db, int id, bool printDate, const QStringList &headings)
{
    const QString sql = QStringLiteral("SELECT Customer,Address1,Address2,ID AS TicketID,Clerk,TruckNumber,Mileage,DriverID,"
                                       "License,Trip,Trailer,")
                        + ticketAmountColumns(db.dialect())
                        + QStringLiteral("DateEntered FROM CashTickets WHERE CashTickets.ID = ?");
    auto report = TicketLayouts::cashTicket();
    report->setSuppressed(QStringLiteral("DateEntered"), !printDate);
    return filled(std::move(report), readRows(db, sql, id, {QStringLiteral("DateEntered")}), headings);
}

std::shared_ptr<Report> giftCardReceipt(Db &db, int id, const QStringList &headings)
{
    const QString sql = QStringLiteral("SELECT T.ID,T.CardID,T.TransactionDate,T.TransactionType,T.Amount,T.Clerk,"
                                       "T.WorkstationID,T.Location,C.CardBalance,C.Notes,C.DateActivated "
                                       "FROM GiftCardTransactions T LEFT JOIN GiftCards C ON T.CardID = C.ID WHERE T.ID = ?");
    return filled(TicketLayouts::giftCardReceipt(),
                  readRows(db, sql, id, {QStringLiteral("TransactionDate"), QStringLiteral("DateActivated")}), headings);
}

} // namespace PrintedDocuments
