#include "reports/TicketLayouts.h"

#include "app/Numbers.h"
#include "reports/Report.h"
#include "tickets/TicketLines.h"

namespace {

using namespace ReportText;
using namespace ReportStyle;

// "City, ST  Zip", or "" when the row has none of them (a customer row that is gone).
TextOf cityLine()
{
    return [](const BandContext &c) {
        const QString city = c.row.value(QStringLiteral("City")).toString();
        const QString state = c.row.value(QStringLiteral("State")).toString();
        const QString zip = c.row.value(QStringLiteral("Zip")).toString();
        if (city.isEmpty() && state.isEmpty() && zip.isEmpty())
            return QString();
        return city + QStringLiteral(", ") + state + QStringLiteral("  ") + zip;
    };
}

// A telephone number shown as the screens show it: ten digits as (417) 555-0100, any
// other text as it was typed.
TextOf phone(const QString &column)
{
    return [column](const BandContext &c) { return Numbers::formatText(c.row.value(column).toString(), phonePattern); };
}

// The company heading, centred across the page; returns the height it takes.
double addHeading(Band &band, double width)
{
    band.text(QRectF(0, 0, width, 22), heading(0), centre, reportFont(16, true));
    band.text(QRectF(0, 22, width, 15), heading(1), centre, reportFont(11));
    band.text(QRectF(0, 37, width, 15), heading(2), centre, reportFont(11));
    band.line(QPointF(0, 58), QPointF(width, 58), 1.5);
    return 58;
}

// A small capital caption above a box.
void addCaption(Band &band, double x, double y, double width, const QString &caption)
{
    band.label(QRectF(x + 6, y + 3, width - 12, 11), caption, left, reportFont(7.5, true));
}

// A caption and a value on one line.
void addPair(Band &band, double x, double y, double labelWidth, double valueWidth, const QString &caption, TextOf value,
             double size = 10, bool boldValue = false)
{
    band.label(QRectF(x, y, labelWidth, 14), caption, left, reportFont(size - 1));
    band.text(QRectF(x + labelWidth, y, valueWidth, 14), std::move(value), left, reportFont(size, boldValue));
}

std::shared_ptr<Report> ticket(bool charge)
{
    auto report = std::make_shared<Report>(charge ? QStringLiteral("crptTicket3") : QStringLiteral("crptCashTicket2"));
    report->setTitle(charge ? QStringLiteral("Charge Ticket") : QStringLiteral("Cash Ticket"));
    const double w = report->bodyWidth();
    Band &b = report->reportHeader;

    double y = addHeading(b, w) + 10;
    b.label(QRectF(0, y, 300, 26), charge ? QStringLiteral("CHARGE TICKET") : QStringLiteral("CASH TICKET"), left,
            reportFont(18, true));
    b.label(QRectF(300, y, 140, 26), QStringLiteral("Ticket No."), right, reportFont(11));
    b.text(QRectF(440, y, w - 440, 26), field(QStringLiteral("TicketID")), right, reportFont(16, true));
    y += 28;
    if (charge) {
        b.label(QRectF(0, y, 60, 16), QStringLiteral("Account"), left, reportFont(10));
        b.text(QRectF(60, y, 90, 16), field(QStringLiteral("CustomerID")), left, reportFont(11, true));
        b.label(QRectF(150, y, 40, 16), QStringLiteral("Card"), left, reportFont(10));
        b.text(QRectF(190, y, 80, 16), field(QStringLiteral("CardNo")), left, reportFont(11, true));
    }
    b.label(QRectF(300, y, 80, 16), QStringLiteral("Date / Time"), right, reportFont(9)).name = QStringLiteral("DateEntered");
    b.text(QRectF(385, y, w - 385, 16), dateTime(QStringLiteral("DateEntered"), dateTimeFormat), right, reportFont(11, true))
        .name = QStringLiteral("DateEntered");
    y += 24;

    // The customer on the left, the vehicle and trip on the right.
    const double boxHeight = 96;
    const double split = 300;
    b.frame(QRectF(0, y, split - 8, boxHeight));
    addCaption(b, 0, y, split - 8, QStringLiteral("CUSTOMER"));
    double cy = y + 18;
    if (charge) {
        b.text(QRectF(8, cy, split - 24, 16), field(QStringLiteral("Name")), left, reportFont(11, true));
        b.text(QRectF(8, cy + 17, split - 24, 14), field(QStringLiteral("Address1")), left, reportFont(10));
        b.text(QRectF(8, cy + 32, split - 24, 14), cityLine(), left, reportFont(10));
        b.text(QRectF(8, cy + 47, split - 24, 14), phone(QStringLiteral("Phone")), left, reportFont(10));
    } else {
        b.text(QRectF(8, cy, split - 24, 16), field(QStringLiteral("Customer")), left, reportFont(11, true));
        b.text(QRectF(8, cy + 17, split - 24, 14), field(QStringLiteral("Address1")), left, reportFont(10));
        b.text(QRectF(8, cy + 32, split - 24, 14), field(QStringLiteral("Address2")), left, reportFont(10));
    }
    b.frame(QRectF(split, y, w - split, boxHeight));
    addCaption(b, split, y, w - split, QStringLiteral("VEHICLE AND TRIP"));
    const QList<QPair<QString, QString>> trip = {
        {QStringLiteral("Truck No."), QStringLiteral("TruckNumber")},
        {QStringLiteral("Mileage"), QStringLiteral("Mileage")},
        {QStringLiteral("Driver ID"), QStringLiteral("DriverID")},
        {QStringLiteral("License"), QStringLiteral("License")},
        {QStringLiteral("Trip"), QStringLiteral("Trip")},
        {QStringLiteral("Trailer"), QStringLiteral("Trailer")},
    };
    for (int i = 0; i < trip.size(); ++i)
        addPair(b, split + 8, y + 16 + i * 13, 62, w - split - 78, trip[i].first, field(trip[i].second), 9.5);
    y += boxHeight + 14;

    // Fuel: gallons, price each and extension in columns.
    const double colGallons = 290, colEach = 330, colAmount = 430;
    const double rowHeight = 18;
    b.frame(QRectF(0, y, w, rowHeight * 6 + 4));
    b.label(QRectF(8, y, 200, rowHeight), QStringLiteral("FUEL"), left, reportFont(8.5, true));
    b.label(QRectF(colGallons - 90, y, 90, rowHeight), QStringLiteral("Gallons"), right, reportFont(8.5, true));
    b.label(QRectF(colEach, y, 90, rowHeight), QStringLiteral("Price Each"), right, reportFont(8.5, true));
    b.label(QRectF(colAmount, y, w - colAmount - 8, rowHeight), QStringLiteral("Amount"), right, reportFont(8.5, true));
    b.line(QPointF(0, y + rowHeight), QPointF(w, y + rowHeight), 0.5);
    for (int i = 0; i < TicketLines::FuelRowCount; ++i) {
        const double ry = y + rowHeight * (i + 1) + 2;
        const TicketLines::FuelLine &line = TicketLines::fuelLines()[i];
        b.label(QRectF(8, ry, 200, rowHeight), line.caption, left, reportFont(10));
        b.text(QRectF(colGallons - 120, ry, 120, rowHeight), number(line.gallonsColumn(), gallonsPattern), right, reportFont(10));
        b.text(QRectF(colEach - 20, ry, 110, rowHeight), number(line.priceEachColumn(), pricePattern), right, reportFont(10));
        b.text(QRectF(colAmount - 20, ry, w - colAmount + 12, rowHeight), number(line.priceExtColumn(), amountPattern), right,
               reportFont(10));
    }
    y += rowHeight * 6 + 4 + 14;

    // Merchandise on the left, the totals on the right.
    const double merchWidth = 292;
    const double mRow = 15.5;
    const auto &merchandise = TicketLines::merchandiseLines();
    const double merchHeight = mRow * (TicketLines::MerchandiseCount + 1) + 4;
    b.frame(QRectF(0, y, merchWidth, merchHeight));
    b.label(QRectF(8, y, 150, mRow + 2), QStringLiteral("MERCHANDISE"), left, reportFont(8.5, true));
    b.label(QRectF(merchWidth - 120, y, 112, mRow + 2), QStringLiteral("Amount"), right, reportFont(8.5, true));
    b.line(QPointF(0, y + mRow + 2), QPointF(merchWidth, y + mRow + 2), 0.5);
    for (int i = 0; i < TicketLines::MerchandiseCount; ++i) {
        const double ry = y + mRow * (i + 1) + 3;
        b.label(QRectF(8, ry, 150, mRow), merchandise[i].printedCaption, left, reportFont(10));
        b.text(QRectF(merchWidth - 140, ry, 132, mRow), number(merchandise[i].column, amountPattern), right, reportFont(10));
    }

    const double tx = split;
    const double tw = w - split;
    const double tRow = 22;
    b.frame(QRectF(tx, y, tw, tRow * 3 + 8), 1);
    b.label(QRectF(tx + 10, y + 4, 100, tRow), QStringLiteral("Subtotal"), left, reportFont(10.5));
    b.text(QRectF(tx + 100, y + 4, tw - 110, tRow), number(QStringLiteral("Subtotal"), amountPattern), right, reportFont(10.5));
    b.label(QRectF(tx + 10, y + 4 + tRow, 100, tRow), QStringLiteral("Tax"), left, reportFont(10.5));
    b.text(QRectF(tx + 100, y + 4 + tRow, tw - 110, tRow), number(QStringLiteral("Tax"), amountPattern), right, reportFont(10.5));
    b.line(QPointF(tx + 6, y + 4 + 2 * tRow), QPointF(tx + tw - 6, y + 4 + 2 * tRow), 0.75);
    b.label(QRectF(tx + 10, y + 4 + 2 * tRow, 100, tRow), QStringLiteral("TOTAL"), left, reportFont(13, true));
    b.text(QRectF(tx + 100, y + 4 + 2 * tRow, tw - 110, tRow), number(QStringLiteral("Total"), amountPattern), right,
           reportFont(13, true));

    const double after = y + tRow * 3 + 8;
    addPair(b, tx, after + 10, 72, tw - 72, QStringLiteral("Clerk"), field(QStringLiteral("Clerk")));
    addPair(b, tx, after + 26, 72, tw - 72, QStringLiteral("Workstation"), field(QStringLiteral("WorkstationID")));
    y += qMax(merchHeight, after + 40 - y) + 54;

    // The driver signs here.
    b.line(QPointF(0, y), QPointF(split + 60, y), 0.75);
    b.label(QRectF(0, y + 2, 250, 12), charge ? QStringLiteral("Driver Signature") : QStringLiteral("Customer Signature"), left,
            reportFont(8));
    if (charge)
        b.label(QRectF(0, y + 16, w, 12), QStringLiteral("Charge the total above to the account shown."), left, reportFont(8));
    b.height = y + 32;
    return report;
}

} // namespace

namespace TicketLayouts {

std::shared_ptr<Report> chargeTicket() { return ticket(true); }

std::shared_ptr<Report> cashTicket() { return ticket(false); }

std::shared_ptr<Report> giftCardReceipt()
{
    auto report = std::make_shared<Report>(QStringLiteral("crptGiftCardTransaction"));
    report->setTitle(QStringLiteral("Gift Card Receipt"));
    const double w = report->bodyWidth();
    Band &b = report->reportHeader;

    double y = addHeading(b, w) + 10;
    b.label(QRectF(0, y, 300, 26), QStringLiteral("GIFT CARD RECEIPT"), left, reportFont(18, true));
    b.label(QRectF(300, y, 140, 26), QStringLiteral("Transaction No."), right, reportFont(11));
    b.text(QRectF(440, y, w - 440, 26), field(QStringLiteral("ID")), right, reportFont(16, true));
    y += 36;

    const double boxWidth = 380;
    const double row = 18;
    const QList<std::tuple<QString, TextOf, bool>> lines = {
        {QStringLiteral("Card Number"), field(QStringLiteral("CardID")), true},
        {QStringLiteral("Transaction"), field(QStringLiteral("TransactionType")), false},
        {QStringLiteral("Date / Time"), dateTime(QStringLiteral("TransactionDate"), dateTimeFormat), false},
        {QStringLiteral("Amount"), number(QStringLiteral("Amount"), amountPattern), true},
        {QStringLiteral("Card Balance"), number(QStringLiteral("CardBalance"), amountPattern), true},
        {QStringLiteral("Activated"), dateTime(QStringLiteral("DateActivated"), dateTimeFormat), false},
        {QStringLiteral("Clerk"), field(QStringLiteral("Clerk")), false},
        {QStringLiteral("Workstation"), field(QStringLiteral("WorkstationID")), false},
        {QStringLiteral("Location"), field(QStringLiteral("Location")), false},
        {QStringLiteral("Notes"), field(QStringLiteral("Notes")), false},
    };
    b.frame(QRectF(0, y, boxWidth, row * lines.size() + 12));
    for (int i = 0; i < lines.size(); ++i) {
        const auto &[caption, value, bold] = lines[i];
        b.label(QRectF(10, y + 6 + i * row, 100, row), caption, left, reportFont(10));
        b.text(QRectF(110, y + 6 + i * row, boxWidth - 120, row), value, left, reportFont(bold ? 11.5 : 10.5, bold));
    }
    y += row * lines.size() + 12 + 20;
    b.label(QRectF(0, y, w, 14), QStringLiteral("Please keep this receipt."), left, reportFont(8.5));
    b.height = y + 20;
    return report;
}

} // namespace TicketLayouts
