#include "reports/ListingLayout.h"

#include "app/Numbers.h"

namespace ListingLayout {

using namespace ReportStyle;

namespace {

constexpr double captionHeight = 12;

} // namespace

QFont detailFont() { return reportFont(7.5); }
QFont boldFont() { return reportFont(7.5, true); }

double addHeading(Report &report, const QString &title)
{
    report.setTitle(title);
    const double w = report.bodyWidth();
    Band &b = report.pageHeader;
    b.text(QRectF(0, 0, w, 18), ReportText::heading(0), centre, reportFont(13, true));
    b.text(QRectF(0, 18, w, 12), ReportText::heading(1), centre, reportFont(9));
    b.text(QRectF(0, 30, w, 12), ReportText::heading(2), centre, reportFont(9));
    b.label(QRectF(0, 46, w, 18), title, centre, reportFont(12, true));
    b.text(QRectF(0, 64, w, 12), ReportText::reportText(rangeText), centre, reportFont(9));
    return 80;
}

void addCaptions(Report &report, double y, bool withCaptions)
{
    Band &b = report.pageHeader;
    if (withCaptions) {
        for (const ReportColumn &column : std::as_const(report.columns)) {
            if (column.onPage())
                b.label(QRectF(column.x, y, column.width, captionHeight), column.pageCaption(), column.alignment(), boldFont());
        }
        y += captionHeight;
    }
    b.line(QPointF(0, y + 1), QPointF(report.bodyWidth(), y + 1), 0.75);
    b.height = y + 4;
}

void addPageFooter(Report &report)
{
    const double w = report.bodyWidth();
    Band &b = report.pageFooter;
    b.height = 18;
    b.line(QPointF(0, 3), QPointF(w, 3), 0.5);
    b.text(QRectF(0, 5, w / 2, 12), ReportText::reportText(printedText), left, reportFont(7));
    b.text(QRectF(w / 2, 5, w / 2, 12), ReportText::pageOfPages(), right, reportFont(7.5));
}

void addDetailLine(Report &report, double height)
{
    Band &b = report.detail;
    b.height = height;
    for (qsizetype i = 0; i < report.columns.size(); ++i) {
        const ReportColumn &column = report.columns[i];
        if (!column.onPage())
            continue;
        // The band keeps its own copy of the column, with its own field lookup.
        b.text(
            QRectF(column.x, 0, column.width, height), [column](const BandContext &c) { return column.pageText(c.row); },
            column.alignment(), detailFont());
    }
}

void addSums(const Report &report, Band &band, double y, const TextOf &caption, bool bold)
{
    const QFont font = bold ? boldFont() : detailFont();
    double firstSum = report.bodyWidth();
    for (const ReportColumn &column : report.columns) {
        if (!column.onPage() || !column.summed)
            continue;
        firstSum = qMin(firstSum, column.x);
        band.text(QRectF(column.x, y, column.width, captionHeight), ReportText::sum(column.field, column.pattern), right, font);
    }
    band.text(QRectF(0, y, qMax(60.0, firstSum - 4), captionHeight), caption, left, boldFont());
}

void sumColumns(Report &report)
{
    for (const ReportColumn &column : std::as_const(report.columns)) {
        if (!column.summed)
            continue;
        report.summedValues.append({column.field, [column](const QSqlRecord &row) { return column.value(row).toDouble(); }});
    }
}

QString rangeOf(const QDate &start, const QDate &end)
{
    return start.toString(QStringLiteral("M/d/yyyy")) + QStringLiteral(" - ") + end.toString(QStringLiteral("M/d/yyyy"));
}

} // namespace ListingLayout
