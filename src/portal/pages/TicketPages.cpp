#include "pages/Pages.h"

#include "accounts/CustomerStore.h"
#include "app/Numbers.h"
#include "pages/PageText.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"
#include "reports/TicketDownload.h"
#include "tickets/TicketLines.h"
#include "tickets/TicketStore.h"
#include "web/Exchange.h"
#include "web/Html.h"

#include <QBuffer>
#include <QUrlQuery>

namespace {

constexpr int kPerPage = 50;

// The filter a ticket page or download asks for; a card that is not one of the
// account's own gives a message naming the field.
struct Filter
{
    TicketStore::CustomerTicketFilter filter;
    QList<IssuedCard> cards;
    QString problem;
};

Filter filterOf(Exchange &x, Db &db)
{
    Filter f;
    const PageText::Range range = PageText::range(x);
    f.problem = range.problem;
    f.filter.customerId = x.session->customerId;
    f.filter.from = range.from;
    f.filter.to = range.to;
    f.cards = CustomerStore::cardsOf(db, x.session->customerId);
    const QString card = x.value("card");
    if (!card.isEmpty()) {
        const bool known = std::any_of(f.cards.cbegin(), f.cards.cend(), [&](const IssuedCard &c) { return c.cardNo == card; });
        if (known)
            f.filter.cardNo = card;
        else if (f.problem.isEmpty())
            f.problem = QStringLiteral("Card: there is no such card on this account.");
    }
    return f;
}

// The query part of a link that keeps the filter.
QString query(const TicketStore::CustomerTicketFilter &f, int page = 0)
{
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("from"), f.from.toString(Qt::ISODate));
    q.addQueryItem(QStringLiteral("to"), f.to.toString(Qt::ISODate));
    if (!f.cardNo.isEmpty())
        q.addQueryItem(QStringLiteral("card"), f.cardNo);
    if (page > 1)
        q.addQueryItem(QStringLiteral("page"), QString::number(page));
    return Html::text(q.toString(QUrl::FullyEncoded));
}

QString cardSelect(const Filter &f)
{
    QString options = QStringLiteral("<option value=\"\">All cards</option>");
    for (const IssuedCard &c : f.cards) {
        options += QStringLiteral("<option value=\"%1\"%2>%1</option>")
                       .arg(Html::text(c.cardNo), c.cardNo == f.filter.cardNo ? QStringLiteral(" selected") : QString());
    }
    return QStringLiteral("<label>Card<select name=\"card\">%1</select></label>").arg(options);
}

QString amountOrBlank(const QVariant &text, const QString &pattern)
{
    if (text.isNull() || text.toString().isEmpty())
        return {};
    return Numbers::format(TicketColumns::valueOf(text), pattern);
}

} // namespace

namespace Pages {

void tickets(Exchange &x)
{
    bool pageOk = true;
    const QString pageText = x.value("page");
    int page = pageText.isEmpty() ? 1 : pageText.toInt(&pageOk);
    const bool pageGood = pageOk && page >= 1 && page <= 1000000;
    if (!pageGood)
        page = 1;
    // Everything the page shows is read in one turn; the page is written after it.
    Filter f;
    QList<TicketRecord> list;
    int count = 0;
    {
        DatabaseTurn turn(x.services);
        Db &db = turn.db();
        f = filterOf(x, db);
        list = TicketStore::ticketsOf(db, f.filter, (page - 1) * kPerPage, kPerPage);
        // A first page that is not full holds every ticket of the filter, which is most
        // visits: the count then costs no query of its own.
        count = page == 1 && list.size() < kPerPage ? int(list.size()) : TicketStore::countOf(db, f.filter);
    }
    QString problem = f.problem;
    if (problem.isEmpty() && !pageGood)
        problem = QStringLiteral("Page: give a page number from 1 on.");
    QString body = problem.isEmpty() ? QString() : Html::message(problem);
    body += QStringLiteral(
                "<form class=\"filter\" method=\"get\" action=\"/tickets\">%1%2<button type=\"submit\">Show</button></form>")
                .arg(PageText::rangeFields({f.filter.from, f.filter.to, QString()}), cardSelect(f));
    const int pages = std::max(1, (count + kPerPage - 1) / kPerPage);
    body += QStringLiteral("<p>%1 %2. <a href=\"/tickets.csv?%3\">Download this list (CSV)</a></p>")
                .arg(count)
                .arg(count == 1 ? QStringLiteral("ticket") : QStringLiteral("tickets"), query(f.filter));
    body += QStringLiteral(
        "<table><thead><tr><th>Date</th><th>Ticket</th><th>Card</th><th class=\"wide\">Truck</th>"
        "<th class=\"wide\">Driver</th><th class=\"n\">Gallons</th><th class=\"n\">Total</th></tr></thead><tbody>");
    for (const TicketRecord &t : list) {
        body +=
            QStringLiteral("<tr><td>%1</td><td><a href=\"/tickets/%2\">%2</a></td><td>%3</td><td class=\"wide\">%4</td>"
                           "<td class=\"wide\">%5</td><td class=\"n\">%6</td><td class=\"n\">%7</td></tr>")
                .arg(Html::text(t.entered.toString(ReportStyle::dateTimeFormat)))
                .arg(t.id)
                .arg(Html::text(t.cardNo), Html::text(t.details.truckNumber), Html::text(t.details.driverId),
                     PageText::gallons(TicketStore::gallonsSold(t)), PageText::money(TicketColumns::valueOf(t.amounts.total)));
    }
    if (list.isEmpty())
        body += QStringLiteral("<tr><td colspan=\"7\">No tickets on this page.</td></tr>");
    body += QStringLiteral("</tbody></table><p class=\"pager\">");
    if (page > 1)
        body += QStringLiteral("<a href=\"/tickets?%1\">Previous 50</a>").arg(query(f.filter, page - 1));
    body += QStringLiteral("<span>Page %1 of %2</span>").arg(page).arg(pages);
    if (page < pages)
        body += QStringLiteral("<a href=\"/tickets?%1\">Next 50</a>").arg(query(f.filter, page + 1));
    body += QStringLiteral("</p>");
    x.page(problem.isEmpty() ? 200 : 400, QStringLiteral("Tickets"), body);
}

void ticket(Exchange &x, int id)
{
    const auto found = TicketStore::loadFor(DatabaseTurn(x.services).db(), x.session->customerId, id);
    if (!found) {
        x.notFound();
        return;
    }
    const TicketRecord &t = *found;
    QString body = QStringLiteral("<dl>");
    auto pair = [&body](const QString &caption, const QString &value) {
        body += QStringLiteral("<dt>%1</dt><dd>%2</dd>").arg(caption, Html::text(value));
    };
    pair(QStringLiteral("Ticket No."), QString::number(t.id));
    pair(QStringLiteral("Date / Time"), t.entered.toString(ReportStyle::dateTimeFormat));
    pair(QStringLiteral("Account"), t.customerId);
    pair(QStringLiteral("Card"), t.cardNo);
    pair(QStringLiteral("Truck No."), t.details.truckNumber);
    pair(QStringLiteral("Mileage"), t.details.mileage);
    pair(QStringLiteral("Driver ID"), t.details.driverId);
    pair(QStringLiteral("License"), t.details.license);
    pair(QStringLiteral("Trip"), t.details.trip);
    pair(QStringLiteral("Trailer"), t.details.trailer);
    pair(QStringLiteral("Clerk"), t.details.clerk);
    body += QStringLiteral("</dl>");

    // Every line the printed ticket has, in its order, with its captions and formats.
    body += QStringLiteral("<table><thead><tr><th>Fuel</th><th class=\"n\">Gallons</th><th class=\"n\">Price Each</th>"
                           "<th class=\"n\">Amount</th></tr></thead><tbody>");
    for (int i = 0; i < TicketLines::FuelRowCount; ++i) {
        const auto &fuel = t.amounts.fuel[i];
        body +=
            QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td></tr>")
                .arg(Html::text(TicketLines::fuelLines()[i].caption), amountOrBlank(fuel.gallons, ReportStyle::gallonsPattern),
                     amountOrBlank(fuel.priceEach, ReportStyle::pricePattern),
                     amountOrBlank(fuel.priceExt, ReportStyle::amountPattern));
    }
    body +=
        QStringLiteral("</tbody></table><table><thead><tr><th>Merchandise</th><th class=\"n\">Amount</th></tr></thead><tbody>");
    for (int i = 0; i < TicketLines::MerchandiseCount; ++i) {
        body += QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td></tr>")
                    .arg(Html::text(TicketLines::merchandiseLines()[i].printedCaption),
                         amountOrBlank(t.amounts.merchandise[i], ReportStyle::amountPattern));
    }
    body += QStringLiteral("</tbody></table><table><tbody>");
    body += QStringLiteral("<tr><td>Subtotal</td><td class=\"n\">%1</td></tr><tr><td>Tax</td><td class=\"n\">%2</td></tr>"
                           "<tr><th>TOTAL</th><th class=\"n\">%3</th></tr></tbody></table>")
                .arg(amountOrBlank(t.amounts.subtotal, ReportStyle::amountPattern),
                     amountOrBlank(t.amounts.tax, ReportStyle::amountPattern),
                     amountOrBlank(t.amounts.total, ReportStyle::amountPattern));
    body += QStringLiteral("<p><a href=\"/tickets\">Back to the tickets</a></p>");
    x.page(200, QStringLiteral("Ticket %1").arg(t.id), body);
}

void ticketsCsv(Exchange &x)
{
    // The list's rows are read as the file is written: the turn lasts until it is done.
    DatabaseTurn turn(x.services);
    const Filter f = filterOf(x, turn.db());
    if (!f.problem.isEmpty()) {
        x.page(400, QStringLiteral("Tickets"), Html::message(f.problem));
        return;
    }
    const auto report = TicketDownload::ticketList(turn.db(), f.filter);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(*report, buffer);
    x.response.status = 200;
    x.response.set_header("Cache-Control", "no-store");
    x.response.set_header("Content-Disposition", QStringLiteral("attachment; filename=\"tickets-%1-%2.csv\"")
                                                     .arg(f.filter.from.toString(Qt::ISODate), f.filter.to.toString(Qt::ISODate))
                                                     .toStdString());
    x.response.set_content(buffer.data().toStdString(), "text/csv; charset=utf-8");
}

} // namespace Pages
