#include "pages/Pages.h"

#include "accounts/ReceivablesStore.h"
#include "reports/Report.h"
#include "reports/ReportBatch.h"
#include "reports/Statements.h"
#include "setup/CompanyStore.h"
#include "web/Exchange.h"
#include "web/Html.h"

#include <QBuffer>
#include <QLocale>

#include <stdexcept>

namespace {

// How far back the list of statements reaches.
constexpr int kMonthsShown = 24;

// The months a fleet has statements for, newest first: from the month of its first
// ticket or payment (at most kMonthsShown back) to this month, which runs to today.
QList<QDate> statementMonths(Exchange &x)
{
    const auto first = ReceivablesStore::firstDay(DatabaseTurn(x.services).db(), x.session->customerId);
    if (!first)
        return {};
    const QDate today = QDate::currentDate();
    const QDate thisMonth(today.year(), today.month(), 1);
    QDate from(first->year(), first->month(), 1);
    from = std::max(from, thisMonth.addMonths(-(kMonthsShown - 1)));
    QList<QDate> months;
    for (QDate m = thisMonth; m >= from; m = m.addMonths(-1))
        months << m;
    return months;
}

// The month's last day, or today for this month: a statement is never dated ahead.
QDate periodEnd(const QDate &month)
{
    const QDate today = QDate::currentDate();
    const QDate last(month.year(), month.month(), month.daysInMonth());
    return std::min(last, today);
}

QString monthName(const QDate &month) { return QLocale::c().toString(month, QStringLiteral("MMMM yyyy")); }

} // namespace

namespace Pages {

void statements(Exchange &x)
{
    const QList<QDate> months = statementMonths(x);
    QString body = QStringLiteral("<p>Each month's statement as the station mails it, as a PDF: the balance brought "
                                  "forward, the month's tickets and payments, the amount due and its aging.</p>");
    body += QStringLiteral("<table><thead><tr><th>Statement (PDF)</th><th>Dated</th></tr></thead><tbody>");
    for (const QDate &m : months) {
        const QDate end = periodEnd(m);
        const QString name =
            monthName(m) + (end < QDate(m.year(), m.month(), m.daysInMonth()) ? QStringLiteral(" (to date)") : QString());
        body += QStringLiteral("<tr><td><a href=\"/statements/%1.pdf\">%2</a></td><td>%3</td></tr>")
                    .arg(m.toString(QStringLiteral("yyyy-MM")), Html::text(name), end.toString(QStringLiteral("M/d/yyyy")));
    }
    if (months.isEmpty())
        body += QStringLiteral("<tr><td colspan=\"2\">No statements yet: there is no ticket or payment on this "
                               "account.</td></tr>");
    body += QStringLiteral("</tbody></table>");
    x.page(200, QStringLiteral("Statements"), body);
}

void statementPdf(Exchange &x, int year, int month)
{
    // Only a month of the list: any other (before the account's first ticket, ahead of
    // today, or no month at all) is not there for this fleet.
    const QDate start(year, month, 1);
    if (!start.isValid() || !statementMonths(x).contains(start)) {
        x.notFound();
        return;
    }
    QList<Statement> found;
    std::optional<CompanySettings> company;
    {
        // The figures are read in a turn; the drawing, the slow part, is done after it.
        DatabaseTurn turn(x.services);
        Db &db = turn.db();
        const QString &location = x.services.config.locationId;
        found = Statements::gather(db, start, periodEnd(start), CompanyStore::paymentTerms(db, location), x.session->customerId);
        if (found.size() == 1)
            company = CompanyStore::settings(db, location);
    }
    if (found.size() != 1 || found.first().account.customerId != x.session->customerId) {
        x.notFound();
        return;
    }
    const QStringList headings = company ? company->headingTexts() : QStringList{QString(), QString(), QString()};

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    const ReportBatch::Outcome outcome = ReportBatch::writePdf({Statements::report(found.first(), headings)}, pdf);
    if (!outcome.written())
        throw std::runtime_error("the statement could not be drawn: " + outcome.error.toStdString());
    x.response.status = 200;
    x.response.set_header("Cache-Control", "no-store");
    x.response.set_header(
        "Content-Disposition",
        QStringLiteral("attachment; filename=\"statement-%1.pdf\"").arg(start.toString(QStringLiteral("yyyy-MM"))).toStdString());
    x.response.set_content(pdf.data().toStdString(), "application/pdf");
}

} // namespace Pages
