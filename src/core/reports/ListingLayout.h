#pragma once

#include "reports/Report.h"

#include <QList>
#include <QString>

// The frame the management listings share: the company heading, the report's title and
// range on every page, the captions of its columns, one detail line drawn from the same
// columns, sums set under the columns they belong to, and "Page N of M" at the foot of
// every page. A listing defines its columns once (Report::columns); this reads them.
namespace ListingLayout {

// Report texts the frame shows: the date range under the title ("" for none) and when
// the report was made.
inline const QString rangeText = QStringLiteral("Range");
inline const QString printedText = QStringLiteral("Printed");

// Fonts of the listings.
QFont detailFont();
QFont boldFont();

// The top of every page: the three heading texts, the title and the range. Returns the
// height taken, where a report adds lines of its own before the captions.
double addHeading(Report &report, const QString &title);

// Ends the page header at y: the captions of the page columns on one line, a rule under
// them. Without captions (a report whose page columns sit under headings of their own)
// only the rule.
void addCaptions(Report &report, double y, bool withCaptions = true);

// The foot of every page: when the report was made on the left, "Page N of M" on the right.
void addPageFooter(Report &report);

// The detail band: one line with every page column.
void addDetailLine(Report &report, double height = 12);

// The sums of the summed page columns, each in its column, on a line of the band at y,
// with the caption at the left.
void addSums(const Report &report, Band &band, double y, const TextOf &caption, bool bold = false);

// Sums every summed column into the report's totals (under the column's field name).
void sumColumns(Report &report);

// "3/7/2024 - 3/14/2024".
QString rangeOf(const QDate &start, const QDate &end);

} // namespace ListingLayout
