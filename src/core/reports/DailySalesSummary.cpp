#include "reports/DailySalesSummary.h"

#include "app/Numbers.h"
#include "db/Db.h"
#include "giftcards/GiftCardStore.h"
#include "reports/ListingLayout.h"
#include "reports/Report.h"
#include "tickets/TicketLines.h"

#include <QDateTime>
#include <QHash>
#include <QSqlField>
#include <QSqlRecord>

#include <algorithm>
#include <map>
#include <tuple>

namespace ManagementReports {

namespace {

using namespace ListingLayout;
using namespace ReportStyle;

enum class Measure { Money, Gallons, Count };

// One figure of a summary row: its field, its caption in the exports and its two-line
// caption on the page (a top shared by neighbours with the same top, and its own).
struct Figure
{
    QString field;
    QString caption;
    QString top;
    QString bottom;
    Measure measure = Measure::Money;
};

// Zero stays blank on the page, so that what a workstation did sell stands out.
QString patternOf(Measure measure)
{
    switch (measure) {
    case Measure::Money:
        return QStringLiteral("$#,##0.00;-$#,##0.00;");
    case Measure::Gallons:
        return QStringLiteral("#,##0.000;-#,##0.000;");
    case Measure::Count:
        break;
    }
    return QStringLiteral("#,##0;-#,##0;");
}

// Field names of the figures that are not ticket columns.
const QString kChargeTotal = QStringLiteral("ChargeTotal");
const QString kCashTotal = QStringLiteral("CashTotal");
const QString kChargeTickets = QStringLiteral("ChargeTickets");
const QString kCashTickets = QStringLiteral("CashTickets");
const QString kCardsSold = QStringLiteral("GiftCardsSold");
const QString kCardsSoldCount = QStringLiteral("GiftCardsSoldCount");
const QString kReloads = QStringLiteral("GiftCardReloads");
const QString kReloadCount = QStringLiteral("GiftCardReloadCount");
const QString kRedeemed = QStringLiteral("GiftCardRedemptions");
const QString kRedeemedCount = QStringLiteral("GiftCardRedemptionCount");
const QString kPayments = QStringLiteral("Payments");
const QString kPaymentCount = QStringLiteral("PaymentCount");
// Fields of a row that are not figures.
const QString kDay = QStringLiteral("Day");
const QString kLocation = QStringLiteral("Location");
const QString kWorkstation = QStringLiteral("WorkstationID");
const QString kRowKind = QStringLiteral("RowKind");

// The figures in the order they are read across the page, ten to a line when they fit:
// the fuel rows; the merchandise lines, tax and the two totals; the counts, gift cards
// and payments.
const QList<Figure> &figures()
{
    static const QList<Figure> list = [] {
        QList<Figure> f;
        for (const TicketLines::FuelLine &line : TicketLines::fuelLines()) {
            f.append({line.gallonsColumn(), line.caption + QStringLiteral(" Gallons"), line.caption, QStringLiteral("Gallons"),
                      Measure::Gallons});
            f.append({line.priceExtColumn(), line.caption + QStringLiteral(" Amount"), line.caption, QStringLiteral("Amount"),
                      Measure::Money});
        }
        for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
            f.append({line.column, line.printedCaption, QStringLiteral("Merchandise"), line.printedCaption, Measure::Money});
        f.append({QStringLiteral("Tax"), QStringLiteral("Tax"), QString(), QStringLiteral("Tax"), Measure::Money});
        f.append(
            {kChargeTotal, QStringLiteral("Charge Total"), QStringLiteral("Total"), QStringLiteral("Charge"), Measure::Money});
        f.append({kCashTotal, QStringLiteral("Cash Total"), QStringLiteral("Total"), QStringLiteral("Cash"), Measure::Money});
        f.append({kChargeTickets, QStringLiteral("Charge Tickets"), QStringLiteral("Tickets"), QStringLiteral("Charge"),
                  Measure::Count});
        f.append(
            {kCashTickets, QStringLiteral("Cash Tickets"), QStringLiteral("Tickets"), QStringLiteral("Cash"), Measure::Count});
        f.append({kCardsSold, QStringLiteral("Gift Cards Sold"), QStringLiteral("Gift Cards Sold"), QStringLiteral("Amount"),
                  Measure::Money});
        f.append({kCardsSoldCount, QStringLiteral("Gift Cards Sold Count"), QStringLiteral("Gift Cards Sold"),
                  QStringLiteral("Count"), Measure::Count});
        f.append({kReloads, QStringLiteral("Gift Card Reloads"), QStringLiteral("Gift Card Reloads"), QStringLiteral("Amount"),
                  Measure::Money});
        f.append({kReloadCount, QStringLiteral("Gift Card Reload Count"), QStringLiteral("Gift Card Reloads"),
                  QStringLiteral("Count"), Measure::Count});
        f.append({kRedeemed, QStringLiteral("Gift Card Redemptions"), QStringLiteral("Gift Card Redemptions"),
                  QStringLiteral("Amount"), Measure::Money});
        f.append({kRedeemedCount, QStringLiteral("Gift Card Redemption Count"), QStringLiteral("Gift Card Redemptions"),
                  QStringLiteral("Count"), Measure::Count});
        f.append({kPayments, QStringLiteral("Payments Received"), QStringLiteral("Payments Received"), QStringLiteral("Amount"),
                  Measure::Money});
        f.append({kPaymentCount, QStringLiteral("Payments Received Count"), QStringLiteral("Payments Received"),
                  QStringLiteral("Count"), Measure::Count});
        return f;
    }();
    return list;
}

int figureIndex(const QString &field)
{
    const QList<Figure> &all = figures();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i].field == field)
            return int(i);
    }
    return -1;
}

// ---- Reading the figures ------------------------------------------------------------

// A summary row is one day at one workstation of one location, or one day's payments.
enum RowKind { StationRow = 0, PaymentsRow = 1 };

// Sorts the rows by day, then the workstations of each location (tickets without a
// location or workstation after the others), then the day's payments.
using RowKey = std::tuple<qint64, int, int, int, int, QString>;

struct SummaryRow
{
    QDate day;
    RowKind kind = StationRow;
    QVariant location;
    QVariant workstation;
    QList<double> values = QList<double>(figures().size(), 0.0);
};

class Rows
{
public:
    SummaryRow &at(const QVariant &day, RowKind kind, const QVariant &location, const QVariant &workstation)
    {
        const QDate date = ReportText::readDateTime(day).date();
        const bool noLocation = location.isNull();
        const bool noWorkstation = workstation.isNull();
        const RowKey key{date.toJulianDay(),    int(kind),
                         noLocation ? 1 : 0,    noLocation ? 0 : location.toInt(),
                         noWorkstation ? 1 : 0, noWorkstation ? QString() : workstation.toString()};
        auto found = m_rows.find(key);
        if (found == m_rows.end()) {
            SummaryRow row;
            row.day = date;
            row.kind = kind;
            row.location = noLocation ? QVariant() : QVariant(location.toInt());
            row.workstation = noWorkstation ? QVariant() : QVariant(workstation.toString());
            found = m_rows.emplace(key, std::move(row)).first;
        }
        return found->second;
    }

    // Before each query's rows: its columns are looked up by name on its first row and by
    // place after that.
    void newQuery() { m_places.clear(); }
    // Adds the summed columns of a grouped row to the figures of the same names.
    void add(SummaryRow &row, const QSqlRecord &read, const QStringList &fields)
    {
        if (m_places.isEmpty()) {
            for (const QString &field : fields)
                m_places.append({read.indexOf(field), figureIndex(field)});
        }
        for (const auto &[column, figure] : std::as_const(m_places)) {
            if (column >= 0 && figure >= 0)
                row.values[figure] += read.value(column).toDouble();
        }
    }

    const std::map<RowKey, SummaryRow> &all() const { return m_rows; }

private:
    std::map<RowKey, SummaryRow> m_rows;
    QList<QPair<int, int>> m_places;
};

// The ticket figures of one table, grouped by day, location and workstation. The charge
// and cash tables have the same line columns.
QString ticketQuery(const SqlDialect &d, const QString &table, const QString &total, const QString &count, bool oneLocation)
{
    const QString day = d.dayOf(QStringLiteral("DateEntered"));
    QStringList columns{day + QStringLiteral(" AS Day"), QStringLiteral("Location"),
                        QStringLiteral("WorkStationID AS WorkstationID")};
    for (const TicketLines::FuelLine &line : TicketLines::fuelLines()) {
        columns << QStringLiteral("SUM(%1) AS %1").arg(line.gallonsColumn())
                << d.money(QStringLiteral("SUM(%1)").arg(line.priceExtColumn())) + QStringLiteral(" AS ") + line.priceExtColumn();
    }
    for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
        columns << d.money(QStringLiteral("SUM(%1)").arg(line.column)) + QStringLiteral(" AS ") + line.column;
    columns << d.money(QStringLiteral("SUM(Tax)")) + QStringLiteral(" AS Tax")
            << d.money(QStringLiteral("SUM(Total)")) + QStringLiteral(" AS ") + total << QStringLiteral("COUNT(*) AS ") + count;
    return QStringLiteral("SELECT ") + columns.join(u',') + QStringLiteral(" FROM ") + table
           + QStringLiteral(" WHERE DateEntered >= ? AND DateEntered <= ?")
           + (oneLocation ? QStringLiteral(" AND Location = ?") : QString()) + QStringLiteral(" GROUP BY ") + day
           + QStringLiteral(",Location,WorkStationID");
}

void readTickets(Db &db, Rows &rows, const QVariantList &range, std::optional<int> location)
{
    const SqlDialect &d = db.dialect();
    QVariantList values = range;
    if (location)
        values << *location;
    QStringList lineFields;
    for (const QString &column : TicketLines::amountColumns()) {
        if (!column.endsWith(QLatin1String("PriceEach")) && column != QLatin1String("Subtotal")
            && column != QLatin1String("Total"))
            lineFields << column;
    }
    struct Table
    {
        QString name;
        QString total;
        QString count;
    };
    for (const Table &table : {Table{QStringLiteral("Tickets"), kChargeTotal, kChargeTickets},
                               Table{QStringLiteral("CashTickets"), kCashTotal, kCashTickets}}) {
        const QStringList fields = lineFields + QStringList{table.total, table.count};
        rows.newQuery();
        db.forEachRow(ticketQuery(d, table.name, table.total, table.count, location.has_value()), values,
                      [&](const QSqlRecord &r) {
                          rows.add(rows.at(r.value(kDay), StationRow, r.value(kLocation), r.value(kWorkstation)), r, fields);
                      });
    }
}

void readGiftCards(Db &db, Rows &rows, const QVariantList &range, std::optional<int> location)
{
    const SqlDialect &d = db.dialect();
    const QString day = d.dayOf(QStringLiteral("T.TransactionDate"));
    // The card's first sale is the purchase stamped with the card's activation: the same
    // card, second and amount.
    const QString sold = QStringLiteral("T.TransactionType = ? AND G.ID IS NOT NULL");
    const QString reload = QStringLiteral("T.TransactionType = ? AND G.ID IS NULL");
    const QString redeemed = QStringLiteral("T.TransactionType = ?");
    auto sumWhen = [&](const QString &condition, const QString &as) {
        return d.money(QStringLiteral("SUM(CASE WHEN %1 THEN T.Amount ELSE 0 END)").arg(condition)) + QStringLiteral(" AS ") + as;
    };
    auto countWhen = [](const QString &condition, const QString &as) {
        return QStringLiteral("SUM(CASE WHEN %1 THEN 1 ELSE 0 END) AS %2").arg(condition, as);
    };
    const QString sql =
        QStringLiteral("SELECT ") + day + QStringLiteral(" AS Day,T.Location AS Location,T.WorkStationID AS WorkstationID,")
        + QStringList{sumWhen(sold, kCardsSold),       countWhen(sold, kCardsSoldCount), sumWhen(reload, kReloads),
                      countWhen(reload, kReloadCount), sumWhen(redeemed, kRedeemed),     countWhen(redeemed, kRedeemedCount)}
              .join(u',')
        + QStringLiteral(
            " FROM GiftCardTransactions T LEFT JOIN GiftCards G ON G.ID = T.CardID AND G.DateActivated = T.TransactionDate "
            "AND G.ActivationAmount = T.Amount "
            "WHERE T.TransactionDate >= ? AND T.TransactionDate <= ? AND T.TransactionType IN (?, ?)")
        + (location ? QStringLiteral(" AND T.Location = ?") : QString()) + QStringLiteral(" GROUP BY ") + day
        + QStringLiteral(",T.Location,T.WorkStationID");
    const QString purchase = GiftCardStore::purchaseType();
    const QString redemption = GiftCardStore::redemptionType();
    QVariantList values{purchase, purchase, purchase, purchase, redemption, redemption};
    values << range << purchase << redemption;
    if (location)
        values << *location;
    const QStringList fields{kCardsSold, kCardsSoldCount, kReloads, kReloadCount, kRedeemed, kRedeemedCount};
    rows.newQuery();
    db.forEachRow(sql, values, [&](const QSqlRecord &r) {
        rows.add(rows.at(r.value(kDay), StationRow, r.value(kLocation), r.value(kWorkstation)), r, fields);
    });
}

// Payments carry a day of their own (any time of day it was stored with counts on that
// day), as in the customer history.
void readPayments(Db &db, Rows &rows, const QDate &start, const QDate &end)
{
    const SqlDialect &d = db.dialect();
    const QString day = d.dayOf(QStringLiteral("PaymentDate"));
    const QString sql =
        QStringLiteral("SELECT ") + day + QStringLiteral(" AS Day,") + d.money(QStringLiteral("SUM(Amount)"))
        + QStringLiteral(
            " AS Payments,COUNT(*) AS PaymentCount FROM Payments WHERE PaymentDate >= ? AND PaymentDate < ? GROUP BY ")
        + day;
    rows.newQuery();
    db.forEachRow(sql, {d.dateValue(start), d.dateValue(end.addDays(1))}, [&](const QSqlRecord &r) {
        rows.add(rows.at(r.value(kDay), PaymentsRow, QVariant(), QVariant()), r, {kPayments, kPaymentCount});
    });
}

// Sums read as doubles: money to the cent, gallons to a millionth, so that a day whose
// sales cancel out shows blank rather than a rounding remainder.
double cleaned(double value, Measure measure)
{
    const int decimals = measure == Measure::Money ? 2 : measure == Measure::Gallons ? 6 : 0;
    const double rounded = Numbers::roundHalfEven(value, decimals);
    return rounded == 0 ? 0.0 : rounded;
}

QList<QSqlRecord> records(const Rows &rows)
{
    QSqlRecord shape;
    shape.append(QSqlField(kDay, QMetaType(QMetaType::QDate)));
    shape.append(QSqlField(kLocation, QMetaType(QMetaType::Int)));
    shape.append(QSqlField(kWorkstation, QMetaType(QMetaType::QString)));
    shape.append(QSqlField(kRowKind, QMetaType(QMetaType::Int)));
    for (const Figure &figure : figures())
        shape.append(QSqlField(figure.field, QMetaType(QMetaType::Double)));

    QList<QSqlRecord> list;
    list.reserve(qsizetype(rows.all().size()));
    for (const auto &[key, row] : rows.all()) {
        QSqlRecord record = shape;
        record.setValue(0, row.day);
        if (row.location.isNull())
            record.setNull(1);
        else
            record.setValue(1, row.location);
        if (row.workstation.isNull())
            record.setNull(2);
        else
            record.setValue(2, row.workstation);
        record.setValue(3, int(row.kind));
        for (qsizetype i = 0; i < row.values.size(); ++i)
            record.setValue(int(4 + i), cleaned(row.values[i], figures()[i].measure));
        list.append(record);
    }
    return list;
}

// ---- The page -----------------------------------------------------------------------

constexpr double kFigureSize = 7.5;
constexpr double kSmallestFigureSize = 6;
constexpr double kCaptionSize = 7;
constexpr double kLineHeight = 10.5;
constexpr double kCaptionLine = 8.5;
constexpr int kMostPerLine = 10;
constexpr int kFewestPerLine = 4;
constexpr double kCellPadding = 6;

// How wide a text comes out in DejaVu Sans Bold at a size, erring on the wide side: the
// widths of its bold glyphs rounded up (digits and "$" 0.70 em, capitals 0.78, small
// letters 0.66, narrow ones such as "i" and "l" 0.40, "," and "." 0.38). An estimate
// rather than a measurement, so that a report is laid out the same with or without a
// display.
double textWidth(const QString &text, double pointSize)
{
    static const QString narrow = QStringLiteral("fijlrtI|!");
    double em = 0;
    for (const QChar c : text) {
        if (c.isDigit() || c == u'$' || c == u'#')
            em += 0.70;
        else if (c == u',' || c == u'.' || c == u':' || c == u'\'')
            em += 0.38;
        else if (c == u'-' || c == u' ' || c == u'(' || c == u')' || c == u'/')
            em += 0.45;
        else if (narrow.contains(c))
            em += 0.40;
        else if (c == u'M' || c == u'W' || c == u'm' || c == u'w')
            em += 1.05;
        else if (c.isUpper())
            em += 0.78;
        else
            em += 0.66;
    }
    return em * pointSize;
}

// The text cut into pieces of at most `width` each, at blanks where it can be, for a
// label that takes several lines; the last piece keeps whatever is left.
QStringList wrapped(const QString &text, double width, int lines, double pointSize)
{
    QStringList pieces;
    QString rest = text;
    while (!rest.isEmpty() && pieces.size() < lines - 1 && textWidth(rest, pointSize) > width) {
        qsizetype cut = 1;
        while (cut < rest.size() && textWidth(rest.left(cut + 1), pointSize) <= width)
            ++cut;
        const qsizetype blank = rest.lastIndexOf(u' ', cut);
        if (blank > 0)
            cut = blank;
        pieces << rest.left(cut).trimmed();
        rest = rest.mid(cut).trimmed();
    }
    pieces << rest;
    return pieces;
}

// The narrowest column in which the label takes no more than `lines` lines, cut at its
// blanks where it can be.
double labelWidthOver(const QString &text, int lines)
{
    double width = textWidth(text, kFigureSize) / lines;
    while (textWidth(wrapped(text, width, lines, kFigureSize).constLast(), kFigureSize) > width)
        width += 2;
    return width;
}

// Where the figures stand: the label column at the left, then up to `perLine` cells a
// line, in a size that lets the widest of them fit. Figures that share a top caption stay
// on one line.
struct Grid
{
    double labelWidth = 90;
    double cellWidth = 60;
    int perLine = kMostPerLine;
    int lines = 3;
    double figureSize = kFigureSize;
    // Each figure's line and place on it.
    QList<int> line;
    QList<int> slot;

    int lineOf(int figure) const { return line[figure]; }
    double xOf(int figure) const { return labelWidth + slot[figure] * cellWidth; }
    QFont font(bool bold) const { return reportFont(figureSize, bold); }

    void place(const QList<Figure> &all)
    {
        line.clear();
        slot.clear();
        int at = 0, current = 0;
        for (qsizetype i = 0; i < all.size();) {
            qsizetype span = 1;
            while (i + span < all.size() && all[i + span].top == all[i].top)
                ++span;
            // A group that would not fit on what is left of the line starts the next one
            // (a group longer than a line runs on anyway).
            if (at > 0 && at + span > perLine && span <= perLine) {
                ++current;
                at = 0;
            }
            for (qsizetype j = i; j < i + span; ++j) {
                if (at == perLine) {
                    ++current;
                    at = 0;
                }
                line << current;
                slot << at++;
            }
            i += span;
        }
        lines = current + 1;
    }
};

QString workstationLabel(const QSqlRecord &row)
{
    if (row.value(kRowKind).toInt() == PaymentsRow)
        return QStringLiteral("All accounts");
    const QVariant id = row.value(kWorkstation);
    return id.isNull() || id.toString().isEmpty() ? QStringLiteral("(no workstation)") : id.toString();
}

QString locationLabel(const QSqlRecord &row)
{
    if (row.value(kRowKind).toInt() == PaymentsRow)
        return QStringLiteral("Payments received on account (kept without a location)");
    const QVariant location = row.value(kLocation);
    return location.isNull() ? QStringLiteral("No location") : QStringLiteral("Location %1").arg(location.toInt());
}

QString locationTotalLabel(const QSqlRecord &row)
{
    const QVariant location = row.value(kLocation);
    return location.isNull() ? QStringLiteral("No location total") : QStringLiteral("Location %1 total").arg(location.toInt());
}

QString dayTotalLabel(const QSqlRecord &row)
{
    return QStringLiteral("Total ") + row.value(kDay).toDate().toString(QStringLiteral("M/d/yyyy"));
}

const QString kRangeTotalLabel = QStringLiteral("Range total");

// Every column as wide as its widest caption and value: any total of a column lies
// between the sum of its negative values and the sum of its positive ones, so those two
// are the widest it can show. Ten figures a line keep the fuel, the merchandise and the
// takings on a line each; when the largest totals would not fit there even in a smaller
// size, the figures run on over more lines.
Grid gridFor(const Report &report, const QList<QSqlRecord> &rows)
{
    const QList<Figure> &all = figures();
    QList<double> positive(all.size(), 0.0), negative(all.size(), 0.0);
    double label = textWidth(kRangeTotalLabel, kFigureSize);
    double station = 0;
    for (const QSqlRecord &row : rows) {
        for (qsizetype i = 0; i < all.size(); ++i) {
            const double v = row.value(int(4 + i)).toDouble();
            (v < 0 ? negative : positive)[i] += v;
        }
        label = std::max({label, textWidth(locationTotalLabel(row), kFigureSize), textWidth(dayTotalLabel(row), kFigureSize)});
        station = qMax(station, labelWidthOver(workstationLabel(row), 3));
    }
    // The captions: each cell's own, and a top shared by n cells over n of them.
    double captions = 0;
    QHash<QString, int> sharing;
    for (const Figure &figure : all)
        ++sharing[figure.top];
    for (const Figure &figure : all)
        captions = std::max(
            {captions, textWidth(figure.bottom, kCaptionSize), textWidth(figure.top, kCaptionSize) / sharing[figure.top]});
    auto widestValue = [&](double size) {
        double widest = 0;
        for (qsizetype i = 0; i < all.size(); ++i) {
            const QString pattern = patternOf(all[i].measure);
            widest = std::max({widest, textWidth(Numbers::format(positive[i], pattern), size),
                               textWidth(Numbers::format(negative[i], pattern), size)});
        }
        return widest;
    };

    Grid grid;
    const double body = report.bodyWidth();
    // A workstation's name may take up to three lines of its column.
    grid.labelWidth = qBound(80.0, qMax(label, station) + kCellPadding, 160.0);
    const double room = (body - grid.labelWidth) / kMostPerLine;
    auto cellFor = [&](double size) { return qMax(captions, widestValue(size)) + kCellPadding; };
    grid.figureSize = kFigureSize;
    while (grid.figureSize > kSmallestFigureSize && cellFor(grid.figureSize) > room)
        grid.figureSize -= 0.5;
    if (cellFor(grid.figureSize) > room) {
        // Too wide for ten a line even small: the usual size, over more lines.
        grid.figureSize = kFigureSize;
        grid.perLine = qBound(kFewestPerLine, int((body - grid.labelWidth) / cellFor(kFigureSize)), kMostPerLine);
    }
    grid.cellWidth = (body - grid.labelWidth) / grid.perLine;
    grid.place(all);
    return grid;
}

// The figures' captions under the heading: on each line, a top caption over the cells
// that share it, and each cell's own caption beneath.
double addFigureCaptions(Report &report, const Grid &grid, double y)
{
    const QList<Figure> &all = figures();
    Band &b = report.pageHeader;
    const QFont font = reportFont(kCaptionSize, true);
    const double pitch = 2 * kCaptionLine + 4;
    for (int i = 0; i < int(all.size());) {
        int span = 1;
        while (i + span < int(all.size()) && all[i + span].top == all[i].top && grid.lineOf(i + span) == grid.lineOf(i))
            ++span;
        const double top = y + grid.lineOf(i) * pitch;
        if (!all[i].top.isEmpty()) {
            const double x = grid.xOf(i) + 4;
            const double width = span * grid.cellWidth - 4;
            b.label(QRectF(x, top, width, kCaptionLine), all[i].top, span > 1 ? centre : right, font);
            if (span > 1)
                b.line(QPointF(x, top + kCaptionLine + 0.5), QPointF(x + width, top + kCaptionLine + 0.5), 0.4);
        }
        for (int j = i; j < i + span; ++j)
            b.label(QRectF(grid.xOf(j), top + kCaptionLine + 1.5, grid.cellWidth, kCaptionLine), all[j].bottom, right, font);
        i += span;
    }
    const double end = y + grid.lines * pitch;
    b.line(QPointF(0, end + 1), QPointF(report.bodyWidth(), end + 1), 0.75);
    b.height = end + 4;
    return end + 4;
}

// The figures of a row (detail) or of a total (footer) on the grid's lines from y on,
// with a label at the left that may take several lines.
void addFigures(const Report &report, Band &band, const Grid &grid, double y, const TextOf &label, bool totals)
{
    const QFont font = grid.font(totals);
    for (int line = 0; line < grid.lines; ++line) {
        band.text(
            QRectF(0, y + line * kLineHeight, grid.labelWidth - 4, kLineHeight),
            [label, line, grid](const BandContext &c) {
                return wrapped(label(c), grid.labelWidth - 4, grid.lines, grid.figureSize).value(line);
            },
            left, font);
    }
    for (qsizetype i = 0; i < report.columns.size(); ++i) {
        const ReportColumn &column = report.columns[i];
        if (!column.onPage())
            continue;
        const int figure = figureIndex(column.field);
        const QRectF box(grid.xOf(figure), y + grid.lineOf(figure) * kLineHeight, grid.cellWidth, kLineHeight);
        if (totals)
            band.text(box, ReportText::sum(column.field, column.pattern), right, font);
        else
            band.text(
                box, [column](const BandContext &c) { return column.pageText(c.row); }, right, font);
    }
}

} // namespace

std::shared_ptr<Report> dailySalesSummary(Db &db, const QDate &start, const QDate &end, std::optional<int> location,
                                          const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    Rows rows;
    const QVariantList range{d.dayStart(start), d.dayEnd(end)};
    readTickets(db, rows, range, location);
    readGiftCards(db, rows, range, location);
    // Payments belong to no location: one location's summary leaves them out.
    if (!location)
        readPayments(db, rows, start, end);
    QList<QSqlRecord> summary = records(rows);

    auto report = std::make_shared<Report>(QStringLiteral("crptDailySalesSummary"));
    QPageLayout page = report->pageLayout();
    page.setOrientation(QPageLayout::Landscape);
    report->setPageLayout(page);
    report->setHeadingTexts(headings);
    report->setText(rangeText,
                    rangeOf(start, end)
                        + (location ? QStringLiteral(", location %1").arg(*location) : QStringLiteral(", all locations")));
    report->setText(printedText, QStringLiteral("Printed ") + QDateTime::currentDateTime().toString(dateTimeFormat));

    const Grid grid = gridFor(*report, summary);
    report->columns << ReportColumn::date(QStringLiteral("Day"), kDay)
                    << ReportColumn::integer(QStringLiteral("Location"), kLocation)
                    << ReportColumn::text(QStringLiteral("Workstation"), kWorkstation);
    const QList<Figure> &all = figures();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Figure &figure = all[i];
        report->columns << ReportColumn::number(figure.caption, figure.field, patternOf(figure.measure), grid.xOf(int(i)),
                                                grid.cellWidth)
                               .shortened(figure.bottom)
                               .total();
    }

    addFigureCaptions(*report, grid, addHeading(*report, QStringLiteral("Daily Sales Summary")));
    addPageFooter(*report);
    sumColumns(*report);
    const double figuresHeight = grid.lines * kLineHeight;

    report->detail.height = figuresHeight + 3;
    addFigures(
        *report, report->detail, grid, 0, [](const BandContext &c) { return workstationLabel(c.row); }, false);

    ReportGroup day;
    day.key = [](const QSqlRecord &row) { return QString::number(row.value(kDay).toDate().toJulianDay()); };
    day.header.height = 18;
    day.header.text(
        QRectF(0, 4, report->bodyWidth(), 13),
        [](const BandContext &c) { return c.row.value(kDay).toDate().toString(QStringLiteral("dddd, MMMM d, yyyy")); }, left,
        reportFont(9, true));
    day.footer.height = figuresHeight + 10;
    day.footer.line(QPointF(0, 2), QPointF(report->bodyWidth(), 2), 0.75);
    addFigures(
        *report, day.footer, grid, 4, [](const BandContext &c) { return dayTotalLabel(c.row); }, true);
    report->groups.append(day);

    // The payments of a day form a "location" of their own whose one row is its total.
    ReportGroup place;
    place.key = [](const QSqlRecord &row) {
        return row.value(kDay).toDate().toString(Qt::ISODate) + u'/' + row.value(kRowKind).toString() + u'/'
               + row.value(kLocation).toString();
    };
    place.header.height = 14;
    place.header.text(
        QRectF(0, 2, report->bodyWidth(), 12), [](const BandContext &c) { return locationLabel(c.row); }, left,
        reportFont(8, true));
    place.footer.height = figuresHeight + 8;
    place.footer.line(QPointF(grid.labelWidth, 1), QPointF(report->bodyWidth(), 1), 0.4);
    Band stationTotals;
    addFigures(
        *report, stationTotals, grid, 3, [](const BandContext &c) { return locationTotalLabel(c.row); }, true);
    for (ReportItem item : std::as_const(stationTotals.items)) {
        TextOf text = item.text;
        item.text = [text](const BandContext &c) { return c.row.value(kRowKind).toInt() == PaymentsRow ? QString() : text(c); };
        place.footer.items.append(item);
    }
    report->groups.append(place);

    Band &f = report->reportFooter;
    f.height = figuresHeight + 30;
    f.line(QPointF(0, 2), QPointF(report->bodyWidth(), 2), 1);
    f.line(QPointF(0, 4), QPointF(report->bodyWidth(), 4), 1);
    addFigures(
        *report, f, grid, 7,
        [](const BandContext &c) {
            return c.totals && c.totals->count() == 0 ? QStringLiteral("No sales in this range.") : kRangeTotalLabel;
        },
        true);
    const double noteTop = 9 + figuresHeight;
    f.label(QRectF(0, noteTop, report->bodyWidth(), 12),
            location
                ? QStringLiteral("Payments on account are kept without a location and are left out of one location's summary.")
                : QString(),
            left, detailFont());

    report->setRows(RowSource::fromRecords(std::move(summary)));
    return report;
}

} // namespace ManagementReports
