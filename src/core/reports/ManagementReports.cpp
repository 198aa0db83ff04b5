#include "reports/ManagementReports.h"

#include "app/Numbers.h"
#include "db/Db.h"
#include "reports/ListingLayout.h"
#include "reports/PrintedDocuments.h"
#include "reports/Report.h"
#include "tickets/TicketLines.h"

#include <QDateTime>

namespace ManagementReports {

namespace {

using Column = ReportColumn;
using namespace ListingLayout;
using namespace ReportStyle;

// The customer columns every customer report selects, in the order the layouts expect.
// A NULL hold flag is "not on hold" and sorts with the zeros on every server (PostgreSQL
// would put NULL before the ones).
QString customerColumns(const SqlDialect &dialect, const QString &idColumn = QStringLiteral("Customer.ID"))
{
    QStringList columns{idColumn + QStringLiteral(" AS CustomerID")};
    for (const char *column :
         {"Name", "Address1", "City", "State", "Zip", "Phone", "Fax", "Contact", "Inactive", "CurrentBalance"})
        columns << QStringLiteral("Customer.") + QLatin1String(column);
    columns << QStringLiteral("Customer.") + dialect.limitColumn() << QStringLiteral("Customer.WarnAt")
            << QStringLiteral("Customer.AcctOnHold");
    return columns.join(u',');
}
QString holdFirst(const SqlDialect &dialect)
{
    return dialect.ifNull(QStringLiteral("Customer.AcctOnHold"), QStringLiteral("0")) + QStringLiteral(" DESC");
}

std::shared_ptr<Report> newListing(const QString &layout, bool landscape, const QStringList &headings, const QString &range = {})
{
    auto report = std::make_shared<Report>(layout);
    QPageLayout page = report->pageLayout();
    page.setOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    report->setPageLayout(page);
    report->setHeadingTexts(headings);
    report->setText(rangeText, range);
    report->setText(printedText, QStringLiteral("Printed ") + QDateTime::currentDateTime().toString(dateTimeFormat));
    return report;
}

// A text of its own on a band: what the row says through fn.
TextOf rowText(std::function<QString(const QSqlRecord &)> fn)
{
    return [fn = std::move(fn)](const BandContext &c) { return fn(c.row); };
}

// A number of the totals shown through a pattern.
TextOf totalText(const QString &format, std::function<QString(const ReportTotals &)> fn)
{
    return [format, fn = std::move(fn)](const BandContext &c) { return c.totals ? format.arg(fn(*c.totals)) : QString(); };
}

QString plural(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

bool flagSet(const QVariant &value) { return value.toInt() != 0; }

// A card listed without its customer: the customer row it names is gone.
bool withoutCustomer(const QSqlRecord &row) { return row.value(QStringLiteral("NoCustomer")).toInt() != 0; }

QString cityLine(const QSqlRecord &row)
{
    const QString city = row.value(QStringLiteral("City")).toString();
    const QString state = row.value(QStringLiteral("State")).toString();
    const QString zip = row.value(QStringLiteral("Zip")).toString();
    QString line = city;
    if (!state.isEmpty())
        line += (line.isEmpty() ? QString() : QStringLiteral(", ")) + state;
    if (!zip.isEmpty())
        line += (line.isEmpty() ? QString() : QStringLiteral("  ")) + zip;
    return line;
}

// The customer columns of the account listings; the page shows those with a place.
QList<Column> customerReportColumns(bool onPage)
{
    auto at = [onPage](double x) { return onPage ? x : 0.0; };
    auto width = [onPage](double w) { return onPage ? w : 0.0; };
    Column cityState = Column::text(QStringLiteral("City"), QStringLiteral("CityLine"), at(195), width(110)).onPageOnly();
    cityState.compute = [](const QSqlRecord &row) { return QVariant(cityLine(row)); };
    return {
        Column::text(QStringLiteral("Customer ID"), QStringLiteral("CustomerID"), at(0), width(45))
            .shortened(QStringLiteral("ID")),
        Column::text(QStringLiteral("Name"), QStringLiteral("Name"), at(45), width(150)),
        Column::text(QStringLiteral("Address"), QStringLiteral("Address1")),
        Column::text(QStringLiteral("City"), QStringLiteral("City")),
        Column::text(QStringLiteral("State"), QStringLiteral("State")),
        Column::text(QStringLiteral("Zip"), QStringLiteral("Zip")),
        cityState,
        Column::text(QStringLiteral("Phone"), QStringLiteral("Phone"), at(305), width(70)).shownAs(phonePattern),
        Column::text(QStringLiteral("Fax"), QStringLiteral("Fax")),
        Column::text(QStringLiteral("Contact"), QStringLiteral("Contact"), at(375), width(90)),
        Column::flag(QStringLiteral("Inactive"), QStringLiteral("Inactive"), at(462), width(36)),
        Column::number(QStringLiteral("Balance"), QStringLiteral("CurrentBalance"), amountPattern, at(500), width(70)).total(),
        Column::number(QStringLiteral("Limit"), QStringLiteral("Limit"), amountPattern, at(570), width(70)).total(),
        Column::number(QStringLiteral("Warn At"), QStringLiteral("WarnAt"), QStringLiteral("0%"), at(640), width(40)),
        Column::flag(QStringLiteral("On Hold"), QStringLiteral("AcctOnHold"), at(684), width(36)),
        Column::dateTime(QStringLiteral("Date Entered"), QStringLiteral("DateEntered")),
    };
}

SummedValue onHoldCount()
{
    return {QStringLiteral("OnHold"),
            [](const QSqlRecord &row) { return flagSet(row.value(QStringLiteral("AcctOnHold"))) ? 1.0 : 0.0; }};
}

} // namespace

std::shared_ptr<Report> accountBalance(Db &db, const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    auto report = newListing(QStringLiteral("crtpAccountListing"), true, headings);
    report->columns = customerReportColumns(true);
    addCaptions(*report, addHeading(*report, QStringLiteral("Account Balance Report")));
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);
    report->summedValues.append(onHoldCount());

    ReportGroup hold;
    hold.key = [](const QSqlRecord &row) {
        return flagSet(row.value(QStringLiteral("AcctOnHold"))) ? QStringLiteral("1") : QStringLiteral("0");
    };
    hold.header.height = 18;
    hold.header.text(QRectF(0, 4, 300, 14), rowText([](const QSqlRecord &row) {
                         return flagSet(row.value(QStringLiteral("AcctOnHold"))) ? QStringLiteral("Accounts On Hold")
                                                                                 : QStringLiteral("Accounts Not On Hold");
                     }),
                     left, reportFont(9, true));
    hold.footer.height = 18;
    addSums(*report, hold.footer, 2, [](const BandContext &c) {
        const int n = c.totals ? c.totals->count() : 0;
        return flagSet(c.row.value(QStringLiteral("AcctOnHold"))) ? plural(n, "account on hold", "accounts on hold")
                                                                  : plural(n, "account not on hold", "accounts not on hold");
    });
    report->groups.append(hold);

    Band &end = report->reportFooter;
    end.height = 34;
    end.line(QPointF(0, 2), QPointF(report->bodyWidth(), 2), 0.75);
    addSums(*report, end, 4,
            totalText(QStringLiteral("All accounts: %1"), [](const ReportTotals &t) { return QString::number(t.count()); }),
            true);
    end.text(QRectF(0, 18, 300, 12),
             totalText(QStringLiteral("Accounts on hold: %1"),
                       [](const ReportTotals &t) { return QString::number(qRound(t.sum(QStringLiteral("OnHold")))); }),
             left, boldFont());

    const QString order =
        QStringLiteral(" FROM Customer ORDER BY ") + holdFirst(d) + QStringLiteral(",Customer.Name,Customer.ID");
    report->setRows(
        RowSource::fromQuery(db, QStringLiteral("SELECT ") + customerColumns(d) + QStringLiteral(",DateEntered") + order, {}));
    report->setLayoutRows(
        RowSource::fromQuery(db, QStringLiteral("SELECT AcctOnHold,CurrentBalance,") + d.limitColumn() + order, {}));
    return report;
}

std::shared_ptr<Report> customerCardListing(Db &db, const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    auto report = newListing(QStringLiteral("crptCustomerCardListingReport"), false, headings);
    report->columns = customerReportColumns(false);
    report->columns << Column::text(QStringLiteral("Card No"), QStringLiteral("CardNo"), 70, 60)
                    << Column::text(QStringLiteral("Card Type"), QStringLiteral("CardType"), 130, 90)
                    << Column::flag(QStringLiteral("Card Inactive"), QStringLiteral("CardInActive"), 220, 50)
                           .shortened(QStringLiteral("Inactive"));
    addCaptions(*report, addHeading(*report, QStringLiteral("Customer / Card Listing")), false);
    addDetailLine(*report, 11);
    report->detail.text(QRectF(70, 0, 200, 11), rowText([](const QSqlRecord &row) {
                            return row.value(QStringLiteral("CardNo")).isNull() && !withoutCustomer(row)
                                       ? QStringLiteral("No cards issued")
                                       : QString();
                        }),
                        left, reportFont(7.5));
    // A card whose customer is gone names the account it was issued to.
    report->detail.text(QRectF(0, 0, 66, 11), rowText([](const QSqlRecord &row) {
                            return withoutCustomer(row) ? row.value(QStringLiteral("CustomerID")).toString() : QString();
                        }),
                        left, detailFont());
    addPageFooter(*report);
    // A customer's balance stands on the row of each of its cards: added up over the rows
    // it would count twice.
    report->grandTotals = false;
    report->summedValues.append({QStringLiteral("Cards"),
                                 [](const QSqlRecord &row) { return row.value(QStringLiteral("CardNo")).isNull() ? 0.0 : 1.0; }});
    report->summedValues.append(
        {QStringLiteral("CardsWithoutCustomer"), [](const QSqlRecord &row) { return withoutCustomer(row) ? 1.0 : 0.0; }});

    // Each customer heads its own cards; the cards whose customer is gone come last, under
    // a heading of their own.
    ReportGroup customer;
    customer.key = [](const QSqlRecord &row) {
        return withoutCustomer(row) ? QStringLiteral("-")
                                    : QStringLiteral("C") + row.value(QStringLiteral("CustomerID")).toString();
    };
    // A heading text of a customer, none above the cards without one.
    auto ofCustomer = [](TextOf text) {
        return [text = std::move(text)](const BandContext &c) { return withoutCustomer(c.row) ? QString() : text(c); };
    };
    Band &h = customer.header;
    const double w = report->bodyWidth();
    h.height = 40;
    h.text(QRectF(0, 4, 50, 12), ofCustomer(ReportText::field(QStringLiteral("CustomerID"))), left, reportFont(8.5, true));
    h.text(QRectF(50, 4, 230, 12), ofCustomer(ReportText::field(QStringLiteral("Name"))), left, reportFont(8.5, true));
    h.text(QRectF(0, 4, 280, 12), rowText([](const QSqlRecord &row) {
               return withoutCustomer(row) ? QStringLiteral("Cards without a customer") : QString();
           }),
           left, reportFont(8.5, true));
    h.text(QRectF(280, 4, 80, 12), rowText([](const QSqlRecord &row) {
               return Numbers::formatText(row.value(QStringLiteral("Phone")).toString(), phonePattern);
           }),
           left, detailFont());
    h.text(QRectF(360, 4, w - 360, 12), ReportText::field(QStringLiteral("Contact")), left, detailFont());
    h.text(QRectF(50, 16, 230, 12), rowText([](const QSqlRecord &row) {
               const QString street = row.value(QStringLiteral("Address1")).toString();
               const QString city = cityLine(row);
               return street.isEmpty() ? city : city.isEmpty() ? street : street + QStringLiteral(", ") + city;
           }),
           left, detailFont());
    // A balance never set stays empty, as in the other reports.
    h.text(QRectF(280, 16, 130, 12), ofCustomer(rowText([](const QSqlRecord &row) {
               const QVariant balance = row.value(QStringLiteral("CurrentBalance"));
               return balance.isNull() ? QStringLiteral("Balance")
                                       : QStringLiteral("Balance ") + Numbers::format(balance.toDouble(), amountPattern);
           })),
           left, detailFont());
    h.text(QRectF(410, 16, w - 410, 12), rowText([](const QSqlRecord &row) {
               QStringList marks;
               if (flagSet(row.value(QStringLiteral("Inactive"))))
                   marks << QStringLiteral("Inactive");
               if (flagSet(row.value(QStringLiteral("AcctOnHold"))))
                   marks << QStringLiteral("On Hold");
               return marks.join(QStringLiteral(", "));
           }),
           left, boldFont());
    h.text(QRectF(0, 28, 66, 12),
           rowText([](const QSqlRecord &row) { return withoutCustomer(row) ? QStringLiteral("Customer ID") : QString(); }), left,
           reportFont(7, true));
    for (const Column &column : std::as_const(report->columns)) {
        if (!column.onPage())
            continue;
        // The card captions only above cards.
        h.text(
            QRectF(column.x, 28, column.width, 12),
            [column](const BandContext &c) {
                return c.row.value(QStringLiteral("CardNo")).isNull() ? QString() : column.pageCaption();
            },
            column.alignment(), reportFont(7, true));
    }
    customer.footer.height = 4;
    report->groups.append(customer);

    Band &end = report->reportFooter;
    end.height = 20;
    end.line(QPointF(0, 2), QPointF(w, 2), 0.75);
    // The cards counted are the cards listed, those without a customer included.
    end.text(
        QRectF(0, 5, w, 12),
        [](const BandContext &c) {
            if (!c.totals)
                return QString();
            const int orphans = qRound(c.totals->sum(QStringLiteral("CardsWithoutCustomer")));
            QString text = plural(c.totals->groupCount() - (orphans > 0 ? 1 : 0), "customer", "customers") + QStringLiteral(", ")
                           + plural(qRound(c.totals->sum(QStringLiteral("Cards"))), "card", "cards");
            if (orphans > 0)
                text += QStringLiteral(" (%1 without a customer)").arg(orphans);
            return text;
        },
        left, boldFont());

    // One row per card beneath its customer, a customer without cards once: the cards of
    // each customer in card number order, the customers in the account listing's order,
    // then the cards whose customer row is gone, by the account they name.
    const QString cardColumns =
        QStringLiteral(",Customer.DateEntered,Cards.CardNo,Cards.CardType,Cards.InActive AS CardInActive,");
    const QString sql =
        QStringLiteral("SELECT * FROM (SELECT ") + customerColumns(d) + cardColumns
        + QStringLiteral("0 AS NoCustomer FROM Customer LEFT JOIN Cards ON Cards.CustomerID = Customer.ID "
                         "UNION ALL SELECT ")
        + customerColumns(d, QStringLiteral("Cards.CustomerID")) + cardColumns
        + QStringLiteral(
            "1 AS NoCustomer FROM Cards LEFT JOIN Customer ON Cards.CustomerID = Customer.ID WHERE Customer.ID IS NULL"
            ") AS Listing ORDER BY NoCustomer,")
        + d.ifNull(QStringLiteral("AcctOnHold"), QStringLiteral("0")) + QStringLiteral(" DESC,Name,CustomerID,CardNo,CardType");
    report->setRows(RowSource::fromQuery(db, sql, {}));
    return report;
}

std::shared_ptr<Report> customerHistory(Db &db, const QString &customerId, const QDate &start, const QDate &end,
                                        const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    auto report = newListing(QStringLiteral("crtpCustomerHistoryReport"), false, headings, rangeOf(start, end));

    Column date = Column::dateTime(QStringLiteral("Date"), QStringLiteral("TranDate"), 0, 55).shownAs(QStringLiteral("M/d/yyyy"));
    Column time = Column::text(QStringLiteral("Time"), QStringLiteral("TranTime"), 55, 45).onPageOnly();
    // Payments carry a day only.
    time.compute = [](const QSqlRecord &row) {
        if (row.value(QStringLiteral("TranLocation")).toString() == QLatin1String("N/A"))
            return QVariant(QString());
        return QVariant(ReportText::readDateTime(row.value(QStringLiteral("TranDate"))).toString(QStringLiteral("h:mm AP")));
    };
    report->columns = {
        Column::text(QStringLiteral("Customer ID"), QStringLiteral("CustomerID")),
        Column::text(QStringLiteral("Name"), QStringLiteral("Name")),
        date,
        time,
        Column::text(QStringLiteral("Type"), QStringLiteral("TranType"), 105, 170),
        Column::integer(QStringLiteral("Number"), QStringLiteral("TranID"), 275, 60),
        Column::text(QStringLiteral("Location"), QStringLiteral("TranLocation"), 355, 60),
        Column::number(QStringLiteral("Amount"), QStringLiteral("TranAmount"), amountPattern, 430, 110).total(),
    };

    // The customer heads every page, whether or not the range has entries.
    const auto customer = db.firstRow(QStringLiteral("SELECT ID,Name,Address1,City,State,Zip,Phone,CurrentBalance,")
                                          + d.limitColumn() + QStringLiteral(",AcctOnHold,Inactive FROM Customer WHERE ID = ?"),
                                      {customerId});
    const double w = report->bodyWidth();
    double y = addHeading(*report, QStringLiteral("Customer History Report"));
    Band &b = report->pageHeader;
    auto line = [&](const QString &text, const QFont &font) {
        b.label(QRectF(0, y, w, 12), text, left, font);
        y += 12;
    };
    if (customer) {
        const QSqlRecord &c = *customer;
        line(c.value(QStringLiteral("ID")).toString() + QStringLiteral("  ") + c.value(QStringLiteral("Name")).toString(),
             reportFont(9, true));
        QString address = c.value(QStringLiteral("Address1")).toString();
        const QString city = cityLine(c);
        if (!city.isEmpty())
            address += (address.isEmpty() ? QString() : QStringLiteral(", ")) + city;
        const QString phone = Numbers::formatText(c.value(QStringLiteral("Phone")).toString(), phonePattern);
        if (!phone.isEmpty())
            address += (address.isEmpty() ? QString() : QStringLiteral("   ")) + phone;
        line(address, detailFont());
        // A balance or limit never set stays empty, as in the listings.
        auto amount = [&c](const char *column) {
            const QVariant value = c.value(QLatin1String(column));
            return value.isNull() ? QString() : QStringLiteral(" ") + Numbers::format(value.toDouble(), amountPattern);
        };
        QString standing = QStringLiteral("Current balance%1   Limit%2").arg(amount("CurrentBalance"), amount("Limit"));
        if (flagSet(c.value(QStringLiteral("AcctOnHold"))))
            standing += QStringLiteral("   On Hold");
        if (flagSet(c.value(QStringLiteral("Inactive"))))
            standing += QStringLiteral("   Inactive");
        line(standing, detailFont());
    } else {
        line(customerId, reportFont(9, true));
        y += 24;
    }
    addCaptions(*report, y + 4);
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);
    // An entry is a charge or a payment by what it is, not by its sign: a refund ticket
    // is a negative charge, a returned check a payment the other way.
    auto part = [](const char *name, bool charges, bool counted) {
        return SummedValue{QLatin1String(name), [charges, counted](const QSqlRecord &row) {
                               const bool charge =
                                   row.value(QStringLiteral("TranType")).toString() == QLatin1String("Charge Ticket");
                               if (charge != charges)
                                   return 0.0;
                               return counted ? 1.0 : row.value(QStringLiteral("TranAmount")).toDouble();
                           }};
    };
    report->summedValues << part("Charges", true, false) << part("ChargeCount", true, true) << part("Payments", false, false)
                         << part("PaymentCount", false, true);

    Band &f = report->reportFooter;
    f.height = 52;
    f.line(QPointF(0, 2), QPointF(w, 2), 0.75);
    auto totalLine = [&](double at, const TextOf &caption, const QString &sum, bool bold) {
        f.text(QRectF(105, at, 250, 12), caption, left, bold ? boldFont() : detailFont());
        f.text(QRectF(430, at, 110, 12), ReportText::sum(sum, amountPattern), right, bold ? boldFont() : detailFont());
    };
    totalLine(5,
              totalText(QStringLiteral("Charges: %1"),
                        [](const ReportTotals &t) {
                            return plural(qRound(t.sum(QStringLiteral("ChargeCount"))), "ticket", "tickets");
                        }),
              QStringLiteral("Charges"), false);
    totalLine(17,
              totalText(QStringLiteral("Payments: %1"),
                        [](const ReportTotals &t) {
                            return plural(qRound(t.sum(QStringLiteral("PaymentCount"))), "payment", "payments");
                        }),
              QStringLiteral("Payments"), false);
    totalLine(
        31, [](const BandContext &) { return QStringLiteral("Net for the range"); }, QStringLiteral("TranAmount"), true);
    f.text(
        QRectF(0, 5, 100, 12),
        [](const BandContext &c) {
            return c.totals && c.totals->count() == 0 ? QStringLiteral("No entries in this range.") : QString();
        },
        left, detailFont());

    // Tickets count with their totals, payments with their amounts negated; zero amounts
    // stay out. A ticket's day runs to 23:59:59; a payment counts on its day whatever time
    // of day it was stored with, and a payment without a memo still reads "Payment: ".
    const QString sql =
        QStringLiteral("SELECT ") + customerColumns(d)
        + QStringLiteral(",Tickets.ID AS TranID,'Charge Ticket' AS TranType,Tickets.DateEntered AS TranDate,"
                         "Tickets.Total AS TranAmount,")
        + d.castToText(QStringLiteral("Tickets.Location"))
        + QStringLiteral(" AS TranLocation FROM Customer LEFT JOIN Tickets ON Customer.ID = Tickets.CustomerID "
                         "WHERE Tickets.Total <> 0 AND Customer.ID = ? AND Tickets.DateEntered >= ? AND Tickets.DateEntered <= ? "
                         "UNION ALL SELECT ")
        + customerColumns(d) + QStringLiteral(",Payments.ID AS TranID,")
        + d.concat({QStringLiteral("'Payment: '"), d.ifNull(QStringLiteral("Payments.CheckNum"), QStringLiteral("''"))})
        + QStringLiteral(
            " AS TranType,Payments.PaymentDate AS TranDate,Payments.Amount * -1 AS TranAmount,'N/A' AS TranLocation "
            "FROM Customer LEFT JOIN Payments ON Customer.ID = Payments.Customer "
            "WHERE Payments.Amount <> 0 AND Customer.ID = ? AND Payments.PaymentDate >= ? AND Payments.PaymentDate < ? "
            "ORDER BY AcctOnHold DESC,Name,TranDate DESC,TranType,TranID DESC");
    const QVariantList values = {customerId, d.dayStart(start),  d.dayEnd(end),
                                 customerId, d.dateValue(start), d.dateValue(end.addDays(1))};
    report->setRows(RowSource::fromQuery(db, sql, values));
    return report;
}

std::shared_ptr<Report> detailSales(Db &db, const QDate &start, const QDate &end, const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    auto report = newListing(QStringLiteral("crptDetailTicketListing"), true, headings, rangeOf(start, end));

    QList<Column> &columns = report->columns;
    columns
        << Column::dateTime(QStringLiteral("Date Entered"), QStringLiteral("DateEntered"), 0, 40)
               .shortened(QStringLiteral("Time"))
               .shownAs(QStringLiteral("h:mm AP"))
        << Column::integer(QStringLiteral("Ticket No."), QStringLiteral("TicketID"), 40, 35).shortened(QStringLiteral("Ticket"))
        << Column::text(QStringLiteral("Customer ID"), QStringLiteral("CustomerID"), 82, 38).shortened(QStringLiteral("Acct"))
        << Column::text(QStringLiteral("Card No"), QStringLiteral("CardNo"), 120, 25).shortened(QStringLiteral("Card"))
        << Column::text(QStringLiteral("Name"), QStringLiteral("Name"), 145, 120)
        << Column::integer(QStringLiteral("Location"), QStringLiteral("Location"), 265, 25).shortened(QStringLiteral("Loc."))
        << Column::text(QStringLiteral("Workstation"), QStringLiteral("WorkstationID"))
        << Column::text(QStringLiteral("Clerk"), QStringLiteral("Clerk"))
        << Column::text(QStringLiteral("Truck No."), QStringLiteral("TruckNumber"))
        << Column::text(QStringLiteral("Mileage"), QStringLiteral("Mileage"))
        << Column::text(QStringLiteral("Driver ID"), QStringLiteral("DriverID"))
        << Column::text(QStringLiteral("License"), QStringLiteral("License"))
        << Column::text(QStringLiteral("Trip"), QStringLiteral("Trip"))
        << Column::text(QStringLiteral("Trailer"), QStringLiteral("Trailer"));
    double x = 292;
    for (const TicketLines::FuelLine &line : TicketLines::fuelLines()) {
        columns << Column::number(line.caption + QStringLiteral(" Gallons"), line.gallonsColumn(), gallonsPattern, x, 48)
                       .shortened(line.stem == QLatin1String("Reefer") ? QStringLiteral("Off Road") : line.caption)
                       .total()
                << Column::number(line.caption + QStringLiteral(" Price Each"), line.priceEachColumn(), pricePattern)
                << Column::number(line.caption + QStringLiteral(" Amount"), line.priceExtColumn(), amountPattern);
        x += 50;
    }
    for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
        columns << Column::number(line.printedCaption, line.column, amountPattern);
    // The merchandise lines together, summed by the server like the other columns.
    Column merchandise =
        Column::number(QStringLiteral("Merchandise"), QStringLiteral("Merchandise"), amountPattern, x, 58).onPageOnly().total();
    columns << merchandise << Column::number(QStringLiteral("Subtotal"), QStringLiteral("Subtotal"), amountPattern)
            << Column::number(QStringLiteral("Tax"), QStringLiteral("Tax"), amountPattern, x + 60, 50).total()
            << Column::number(QStringLiteral("Total"), QStringLiteral("Total"), amountPattern, x + 110,
                              report->bodyWidth() - x - 110)
                   .total();

    const QString ticketRange = QStringLiteral("WHERE Tickets.DateEntered >= ? AND Tickets.DateEntered <= ? "
                                               "ORDER BY Tickets.DateEntered,Tickets.ID");
    addCaptions(*report, addHeading(*report, QStringLiteral("Detail Sales Report")));
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);

    ReportGroup day;
    day.key = [ref = FieldRef(QStringLiteral("DateEntered"))](const QSqlRecord &row) {
        return QString::number(ReportText::readDateTime(ref.value(row)).date().toJulianDay());
    };
    const auto dayOf = [](const QSqlRecord &row) {
        return ReportText::readDateTime(row.value(QStringLiteral("DateEntered"))).toString(QStringLiteral("dddd, MMMM d, yyyy"));
    };
    day.header.height = 16;
    day.header.text(QRectF(0, 3, 300, 13), rowText(dayOf), left, reportFont(8.5, true));
    // A day that runs onto another page is headed there again.
    day.continued.height = 16;
    day.continued.text(QRectF(0, 3, 300, 13),
                       rowText([dayOf](const QSqlRecord &row) { return dayOf(row) + QStringLiteral(" (continued)"); }), left,
                       reportFont(8.5, true));
    day.footer.height = 18;
    day.footer.line(QPointF(292, 1), QPointF(report->bodyWidth(), 1), 0.5);
    addSums(*report, day.footer, 3, totalText(QStringLiteral("Day total: %1"), [](const ReportTotals &t) {
        return plural(t.count(), "ticket", "tickets");
    }));
    report->groups.append(day);

    Band &f = report->reportFooter;
    f.height = 22;
    f.line(QPointF(0, 2), QPointF(report->bodyWidth(), 2), 1);
    addSums(*report, f, 6,
            totalText(QStringLiteral("Grand total: %1"),
                      [](const ReportTotals &t) { return plural(t.count(), "ticket", "tickets"); }),
            true);

    QStringList lines;
    for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
        lines << d.ifNull(line.column, QStringLiteral("0"));
    const QString merchandiseSum = lines.join(u'+') + QStringLiteral(" AS Merchandise");
    // The ticket's own account number, so that a ticket whose customer row is gone still
    // says whose it was.
    const QString sql =
        QStringLiteral("SELECT Tickets.CustomerID AS CustomerID,Name,Address1,City,State,Zip,Phone,Tickets.ID AS TicketID,CardNo,"
                       "Clerk,TruckNumber,Mileage,DriverID,License,Trip,Trailer,")
        + PrintedDocuments::amountColumns(d) + u',' + merchandiseSum
        + QStringLiteral(",WorkstationID,Tickets.DateEntered,Tickets.Location FROM Tickets "
                         "LEFT JOIN Customer ON Tickets.CustomerID = Customer.ID ")
        + ticketRange;
    const QVariantList range = {d.dayStart(start), d.dayEnd(end)};
    report->setRows(RowSource::fromQuery(db, sql, range));
    // Laying the pages out needs only the day and the summed columns. The customer join
    // is left out: it matches at most one customer per ticket (its ID is the key), so it
    // neither adds nor drops a row.
    QStringList summed;
    for (const Column &column : std::as_const(report->columns)) {
        if (column.summed && column.field != QLatin1String("Merchandise"))
            summed << (column.field.startsWith(QLatin1String("DEF"))
                           ? d.ifNull(column.field, QStringLiteral("0")) + QStringLiteral(" AS ") + column.field
                           : column.field);
    }
    report->setLayoutRows(RowSource::fromQuery(db,
                                               QStringLiteral("SELECT ") + summed.join(u',') + u',' + merchandiseSum + u','
                                                   + d.dayOf(QStringLiteral("Tickets.DateEntered"))
                                                   + QStringLiteral(" AS DateEntered FROM Tickets ") + ticketRange,
                                               range));
    return report;
}

std::shared_ptr<Report> giftCardTransactions(Db &db, const QDate &start, const QDate &end, const QStringList &headings)
{
    const SqlDialect &d = db.dialect();
    auto report = newListing(QStringLiteral("crptGiftCardTransactionReport"), false, headings, rangeOf(start, end));
    report->columns = {
        Column::text(QStringLiteral("Type"), QStringLiteral("TransactionType")),
        Column::dateTime(QStringLiteral("Date"), QStringLiteral("TransactionDate"), 0, 85),
        Column::integer(QStringLiteral("Transaction No."), QStringLiteral("ID"), 85, 45).shortened(QStringLiteral("No.")),
        Column::text(QStringLiteral("Card Number"), QStringLiteral("CardID"), 140, 90),
        Column::number(QStringLiteral("Amount"), QStringLiteral("Amount"), amountPattern, 430, 110).total(),
        Column::text(QStringLiteral("Clerk"), QStringLiteral("Clerk"), 235, 70),
        Column::text(QStringLiteral("Workstation"), QStringLiteral("WorkstationID"), 305, 80),
        Column::integer(QStringLiteral("Location"), QStringLiteral("Location"), 385, 35).shortened(QStringLiteral("Loc.")),
    };
    addCaptions(*report, addHeading(*report, QStringLiteral("Gift Card Transaction Report")));
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);

    ReportGroup type;
    type.key = [](const QSqlRecord &row) { return row.value(QStringLiteral("TransactionType")).toString(); };
    type.header.height = 16;
    type.header.text(QRectF(0, 3, 300, 13), ReportText::field(QStringLiteral("TransactionType")), left, reportFont(8.5, true));
    type.footer.height = 20;
    type.footer.line(QPointF(430, 1), QPointF(report->bodyWidth(), 1), 0.5);
    addSums(*report, type.footer, 3, [](const BandContext &c) {
        return c.row.value(QStringLiteral("TransactionType")).toString() + QStringLiteral(": ")
               + plural(c.totals ? c.totals->count() : 0, "transaction", "transactions");
    });
    report->groups.append(type);

    // Purchases and redemptions added together mean nothing: the end counts only.
    report->grandTotals = false;
    Band &f = report->reportFooter;
    f.height = 20;
    f.line(QPointF(0, 2), QPointF(report->bodyWidth(), 2), 0.75);
    f.text(QRectF(0, 5, 300, 12),
           totalText(QStringLiteral("All transactions: %1"), [](const ReportTotals &t) { return QString::number(t.count()); }),
           left, boldFont());

    const QString sql = QStringLiteral("SELECT ID,CardID,TransactionDate,TransactionType,Amount,Clerk,WorkstationID,Location "
                                       "FROM GiftCardTransactions WHERE TransactionDate >= ? AND TransactionDate <= ? "
                                       "ORDER BY TransactionType,TransactionDate,ID");
    report->setRows(RowSource::fromQuery(db, sql, {d.dayStart(start), d.dayEnd(end)}));
    return report;
}

std::shared_ptr<Report> giftCardListing(Db &db, const QStringList &headings)
{
    auto report = newListing(QStringLiteral("crptGiftCardListingReport"), false, headings);
    report->columns = {
        Column::text(QStringLiteral("Card Number"), QStringLiteral("ID"), 0, 85),
        Column::dateTime(QStringLiteral("Date Activated"), QStringLiteral("DateActivated"), 85, 50)
            .shortened(QStringLiteral("Activated"))
            .shownAs(QStringLiteral("M/d/yyyy")),
        Column::text(QStringLiteral("Activated By"), QStringLiteral("ActivatedBy"), 137, 55).shortened(QStringLiteral("By")),
        Column::number(QStringLiteral("Activation Amount"), QStringLiteral("ActivationAmount"), amountPattern, 192, 63)
            .shortened(QStringLiteral("First Amount"))
            .total(),
        Column::number(QStringLiteral("Card Balance"), QStringLiteral("CardBalance"), amountPattern, 255, 65)
            .shortened(QStringLiteral("Balance"))
            .total(),
        Column::flag(QStringLiteral("Active"), QStringLiteral("Active"), 322, 32),
        Column::integer(QStringLiteral("Location"), QStringLiteral("Location"), 354, 28).shortened(QStringLiteral("Loc.")),
        Column::text(QStringLiteral("Workstation"), QStringLiteral("WorkstationID"), 388, 60),
        Column::text(QStringLiteral("Notes"), QStringLiteral("Notes"), 450, 90),
    };
    addCaptions(*report, addHeading(*report, QStringLiteral("Gift Card Listing")));
    addDetailLine(*report);
    addPageFooter(*report);
    sumColumns(*report);
    report->summedValues.append({QStringLiteral("ActiveCards"),
                                 [](const QSqlRecord &row) { return flagSet(row.value(QStringLiteral("Active"))) ? 1.0 : 0.0; }});

    Band &f = report->reportFooter;
    const double w = report->bodyWidth();
    f.height = 40;
    f.line(QPointF(0, 2), QPointF(w, 2), 0.75);
    addSums(
        *report, f, 5,
        [](const BandContext &c) {
            if (!c.totals)
                return QString();
            return plural(c.totals->count(), "card", "cards")
                   + QStringLiteral(" (%1 active)").arg(qRound(c.totals->sum(QStringLiteral("ActiveCards"))));
        },
        true);
    // What the station owes the holders of its cards.
    f.label(QRectF(0, 22, 250, 14), QStringLiteral("Outstanding balance (owed to card holders)"), left, reportFont(9, true));
    f.text(QRectF(255, 22, 65, 14), ReportText::sum(QStringLiteral("CardBalance"), amountPattern), right, reportFont(9, true));

    report->setRows(
        RowSource::fromQuery(db,
                             QStringLiteral("SELECT ID,DateActivated,ActivatedBy,ActivationAmount,CardBalance,Active,Notes,"
                                            "WorkstationID,Location FROM GiftCards ORDER BY ID"),
                             {}));
    return report;
}

} // namespace ManagementReports
