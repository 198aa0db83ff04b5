#pragma once

#include <QDate>
#include <QString>

struct Exchange;

// Figures and dates as the website shows them, and the date range most pages take.
namespace PageText {

QString money(double value);
QString gallons(double value);
QString date(const QDate &value);

// A date range from the query's "from" and "to" (YYYY-MM-DD); this month when both are
// absent. An unreadable date or a range that ends before it starts gives a message that
// names the field, and leaves the range at this month.
struct Range
{
    QDate from;
    QDate to;
    QString problem;
};
Range range(const Exchange &x);

// The range's two date boxes for a filter form.
QString rangeFields(const Range &range);

} // namespace PageText
