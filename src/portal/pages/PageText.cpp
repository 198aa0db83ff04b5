#include "pages/PageText.h"

#include "app/Numbers.h"
#include "reports/Report.h"
#include "web/Exchange.h"
#include "web/Html.h"

namespace PageText {

QString money(double value) { return Numbers::format(value, ReportStyle::amountPattern); }
QString gallons(double value) { return Numbers::format(value, ReportStyle::gallonsPattern); }
QString date(const QDate &value) { return value.toString(QStringLiteral("M/d/yyyy")); }

namespace {

// A date as the date boxes send it; the longest sensible text is ten characters.
bool readDate(const QString &text, QDate *date)
{
    if (text.size() != 10)
        return false;
    const QDate d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid() || d.year() < 1900 || d.year() > 9999)
        return false;
    *date = d;
    return true;
}

} // namespace

Range range(const Exchange &x)
{
    const QDate today = QDate::currentDate();
    Range r{QDate(today.year(), today.month(), 1), QDate(today.year(), today.month(), today.daysInMonth()), QString()};
    const QString from = x.value("from");
    const QString to = x.value("to");
    QDate f = r.from;
    QDate t = r.to;
    if (!from.isEmpty() && !readDate(from, &f))
        r.problem = QStringLiteral("From: give a date as YYYY-MM-DD.");
    else if (!to.isEmpty() && !readDate(to, &t))
        r.problem = QStringLiteral("To: give a date as YYYY-MM-DD.");
    else if (t < f)
        r.problem = QStringLiteral("To: the range ends before it starts.");
    if (r.problem.isEmpty()) {
        r.from = f;
        r.to = t;
    }
    return r;
}

QString rangeFields(const Range &range)
{
    return QStringLiteral("<label>From<input type=\"date\" name=\"from\" value=\"%1\"></label>"
                          "<label>To<input type=\"date\" name=\"to\" value=\"%2\"></label>")
        .arg(range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate));
}

} // namespace PageText
