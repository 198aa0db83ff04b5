#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QSet>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

class Db;
class Report;

// Fonts of the layouts: the one sans-serif family in a given size.
QFont reportFont(double pointSize = 10, bool bold = false);

class ReportTotals;

// The rows a report is fed with. A source can be run more than once (the viewer lays a
// report out once and then draws each page the user asks for by running it again), and
// it hands its rows over one at a time, so a long report never holds its rows in memory.
class RowSource
{
public:
    // Called for every row; returning false stops the run.
    using Visitor = std::function<bool(const QSqlRecord &)>;

    RowSource() = default;
    explicit RowSource(std::function<void(const Visitor &)> run) : m_run(std::move(run)) {}

    // Rows already read; the report keeps its own copy, so the row set can be closed.
    static RowSource fromRecords(QList<QSqlRecord> records);
    // Runs the query afresh on every run, one row at a time. The listed date-and-time
    // columns are read through the connection's dialect so that layouts see QDateTime
    // on every server. db must outlive the report (the program's connection does).
    static RowSource fromQuery(Db &db, const QString &sql, const QVariantList &values,
                               const QStringList &dateTimeColumns = {});

    // Hands every row to visit until it returns false. Query failures throw DbError.
    void run(const Visitor &visit) const;

private:
    std::function<void(const Visitor &)> m_run;
};

// What a band's texts are computed from while the report is drawn.
struct BandContext
{
    const Report &report;
    // The row the band belongs to: the current row for detail and group headers, the
    // last row of the group for group footers, the first row for the report header (an
    // empty record when there are no rows).
    const QSqlRecord &row;
    int page;
    // Sums over the group being closed (group footers) or the whole report (report
    // footer, page footer); nullptr elsewhere.
    const ReportTotals *totals;
};

using TextOf = std::function<QString(const BandContext &)>;

// Sums and row counts of one group or of the whole report.
class ReportTotals
{
public:
    ReportTotals() = default;
    explicit ReportTotals(const QStringList &fields) : m_fields(fields), m_sums(fields.size(), 0.0) {}

    void add(const QSqlRecord &row);
    void clear();
    double sum(const QString &field) const;
    int count() const { return m_count; }

private:
    QStringList m_fields;
    QList<double> m_sums;
    int m_count = 0;
};

// One thing drawn in a band: a text in a box, a line, or a frame. Positions are in
// points (1/72 inch) from the band's top left corner at the left page margin.
struct ReportItem
{
    enum class Kind { Text, Line, Frame };

    Kind kind = Kind::Text;
    QRectF rect;
    TextOf text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QFont font;
    double penWidth = 0.75;
    // Names the object so that a report run can suppress it (the ticket's date and time).
    QString name;
};

// A horizontal strip of the page with a fixed height.
class Band
{
public:
    double height = 0;
    QList<ReportItem> items;

    bool isEmpty() const { return height <= 0; }

    // Adds a text; returns it so that the caller can name it.
    ReportItem &text(const QRectF &rect, TextOf text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                     const QFont &font = reportFont());
    ReportItem &label(const QRectF &rect, const QString &caption, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                      const QFont &font = reportFont());
    ReportItem &line(const QPointF &from, const QPointF &to, double width = 0.75);
    ReportItem &frame(const QRectF &rect, double width = 0.75);
};

// A break in the detail rows where key changes, with a header before and a footer
// (usually with totals) after each run of rows with the same key.
struct ReportGroup
{
    std::function<QString(const QSqlRecord &)> key;
    Band header;
    Band footer;
};

// One report layout with its data: the bands, the rows, the three heading texts, the
// layout's own texts and the objects suppressed for this run.
class Report
{
public:
    explicit Report(const QString &layoutName);

    QString layoutName() const { return m_layoutName; }
    // The name of the print job and the viewer's caption for the report.
    QString title() const { return m_title.isEmpty() ? m_layoutName : m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QPageLayout pageLayout() const { return m_pageLayout; }
    void setPageLayout(const QPageLayout &layout) { m_pageLayout = layout; }
    // The printable width in points, what items are laid out against.
    double bodyWidth() const;

    void setHeadingTexts(const QStringList &texts) { m_headings = texts; }
    QString headingText(int index) const { return m_headings.value(index); }

    void setText(const QString &name, const QString &value) { m_texts.insert(name, value); }
    QString text(const QString &name) const { return m_texts.value(name); }

    void setSuppressed(const QString &objectName, bool suppressed);
    bool isSuppressed(const QString &objectName) const { return m_suppressed.contains(objectName); }

    void setRows(RowSource rows) { m_rows = std::move(rows); }
    const RowSource &rows() const { return m_rows; }

    // Fields summed into every group's and the report's totals.
    QStringList summedFields;

    // Drawn in this order: the report header once at the top of the first page, the page
    // header at the top of every page (below the report header on page one), group
    // headers, details, group footers, the report footer after the last row, and the page
    // footer at the bottom of every page.
    Band reportHeader;
    Band pageHeader;
    QList<ReportGroup> groups;
    Band detail;
    Band reportFooter;
    Band pageFooter;

private:
    QString m_layoutName;
    QString m_title;
    QPageLayout m_pageLayout;
    QStringList m_headings;
    QHash<QString, QString> m_texts;
    QSet<QString> m_suppressed;
    RowSource m_rows;
};

// The usual texts of a layout.
namespace ReportText {

// The column's value as text; "" when it is NULL or missing.
TextOf field(const QString &column);
// The column's number through a display pattern (Numbers::format); "" when NULL or missing.
TextOf number(const QString &column, const QString &pattern);
// The column's date and time in the given QDateTime format; "" when NULL or missing.
TextOf dateTime(const QString &column, const QString &format);
// One of the three heading texts (0, 1, 2).
TextOf heading(int index);
// A text the report run set with Report::setText.
TextOf reportText(const QString &name);
// "Page 3".
TextOf pageNumber();
// A field's sum over the group or report being closed, through a display pattern.
TextOf sum(const QString &field, const QString &pattern);
// The number of rows of the group or report being closed.
TextOf count();

// The value of a column as a date and time, whatever form the server handed it in.
QDateTime readDateTime(const QVariant &value);

} // namespace ReportText

