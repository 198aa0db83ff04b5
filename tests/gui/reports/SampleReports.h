#pragma once

// A listing report of generated rows for the report layer's tests: no database needed,
// any number of rows, with or without a group on the region.

#include "reports/Report.h"

#include <QSqlField>
#include <QSqlRecord>

#include <memory>

namespace SampleReports {

struct Row
{
    QString region;
    QString name;
    double amount;
};

inline QSqlRecord record(const Row &row)
{
    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("Region"), QMetaType(QMetaType::QString)));
    record.append(QSqlField(QStringLiteral("Name"), QMetaType(QMetaType::QString)));
    record.append(QSqlField(QStringLiteral("Amount"), QMetaType(QMetaType::Double)));
    record.setValue(0, row.region);
    record.setValue(1, row.name);
    record.setValue(2, row.amount);
    return record;
}

// Rows "Row 1".. "Row n", amount i, all in region "A": made one at a time, never stored.
inline RowSource generated(int count)
{
    return RowSource([count](const RowSource::Visitor &visit) {
        for (int i = 1; i <= count; ++i) {
            if (!visit(record({QStringLiteral("A"), QStringLiteral("Row %1").arg(i), double(i)})))
                return;
        }
    });
}

inline RowSource rows(const QList<Row> &rows)
{
    QList<QSqlRecord> records;
    for (const Row &row : rows)
        records << record(row);
    return RowSource::fromRecords(records);
}

// Bands: page header 30 pt, detail 14 pt, page footer 20 pt on Letter with half-inch
// margins (720 pt of body): 47 detail rows fill a page.
constexpr int rowsPerPage = 47;

inline std::shared_ptr<Report> listing(bool grouped, bool groupFooter = true)
{
    auto report = std::make_shared<Report>(QStringLiteral("sampleListing"));
    const double w = report->bodyWidth();
    report->summedFields = {QStringLiteral("Amount")};
    report->pageHeader.height = 30;
    report->pageHeader.text(QRectF(0, 0, w, 16), ReportText::heading(0), Qt::AlignHCenter | Qt::AlignVCenter,
                            reportFont(12, true));
    report->pageHeader.label(QRectF(0, 16, 200, 14), QStringLiteral("Sample Listing"));
    report->detail.height = 14;
    report->detail.text(QRectF(20, 0, 200, 14), ReportText::field(QStringLiteral("Name")));
    report->detail.text(QRectF(300, 0, 120, 14), ReportText::number(QStringLiteral("Amount"), QStringLiteral("#,##0.00")),
                        Qt::AlignRight | Qt::AlignVCenter);
    report->pageFooter.height = 20;
    report->pageFooter.text(QRectF(0, 4, w, 16), ReportText::pageNumber(), Qt::AlignHCenter | Qt::AlignVCenter);
    if (grouped) {
        ReportGroup group;
        group.key = [](const QSqlRecord &row) { return row.value(QStringLiteral("Region")).toString(); };
        group.header.height = 20;
        group.header.text(QRectF(0, 0, 300, 20), [](const BandContext &c) {
            return QStringLiteral("Region %1").arg(c.row.value(QStringLiteral("Region")).toString());
        });
        if (groupFooter) {
            group.footer.height = 20;
            group.footer.text(QRectF(0, 0, 200, 20), [](const BandContext &c) {
                return QStringLiteral("%1 total").arg(c.row.value(QStringLiteral("Region")).toString());
            });
            group.footer.text(QRectF(300, 0, 120, 20), ReportText::sum(QStringLiteral("Amount"), QStringLiteral("#,##0.00")),
                              Qt::AlignRight | Qt::AlignVCenter);
            group.footer.text(QRectF(430, 0, 100, 20), [](const BandContext &c) {
                return QStringLiteral("(%1 rows)").arg(c.totals ? c.totals->count() : -1);
            });
        }
        report->groups.append(group);
        report->reportFooter.height = 24;
        report->reportFooter.label(QRectF(0, 4, 200, 20), QStringLiteral("Grand total"));
        report->reportFooter.text(QRectF(300, 4, 120, 20), ReportText::sum(QStringLiteral("Amount"), QStringLiteral("#,##0.00")),
                                  Qt::AlignRight | Qt::AlignVCenter);
        report->reportFooter.text(QRectF(430, 4, 100, 20), [](const BandContext &c) {
            return QStringLiteral("(%1 rows)").arg(c.totals ? c.totals->count() : -1);
        });
    }
    report->setHeadingTexts({QStringLiteral("Sample Fuel Co."), QString(), QString()});
    return report;
}

} // namespace SampleReports
