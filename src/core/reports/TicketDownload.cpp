#include "reports/TicketDownload.h"

#include "db/Db.h"
#include "reports/Report.h"
#include "tickets/TicketLines.h"

namespace TicketDownload {

std::shared_ptr<Report> ticketList(Db &db, const TicketStore::CustomerTicketFilter &filter)
{
    auto report = std::make_shared<Report>(QStringLiteral("TicketList"));
    report->setTitle(QStringLiteral("Tickets"));

    // Gallons sold as the ticket pages count them: every fuel row but the discount row,
    // which repeats the diesel and reefer gallons.
    ReportColumn gallons =
        ReportColumn::number(QStringLiteral("Gallons"), QStringLiteral("Gallons"), ReportStyle::gallonsPattern);
    gallons.compute = [](const QSqlRecord &row) {
        TicketRecord ticket;
        ticket.amounts = TicketColumns::readAmounts(row);
        return QVariant(TicketStore::gallonsSold(ticket));
    };
    report->columns = {
        ReportColumn::dateTime(QStringLiteral("Date"), QStringLiteral("DateEntered")),
        ReportColumn::integer(QStringLiteral("Ticket"), QStringLiteral("ID")),
        ReportColumn::text(QStringLiteral("Card"), QStringLiteral("CardNo")),
        ReportColumn::text(QStringLiteral("Truck"), QStringLiteral("TruckNumber")),
        ReportColumn::text(QStringLiteral("Driver"), QStringLiteral("DriverID")),
        gallons,
        ReportColumn::number(QStringLiteral("Total"), QStringLiteral("Total"), ReportStyle::amountPattern),
    };
    QVariantList values;
    const QString sql = TicketStore::ticketsOfQuery(db.dialect(), filter, &values);
    report->setRows(RowSource::fromQuery(db, sql, values, {QStringLiteral("DateEntered")}));
    return report;
}

} // namespace TicketDownload
