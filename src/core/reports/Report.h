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
// A run can start at any row, so that a far page is drawn without reading every row
// before it again.
class RowSource
{
public:
    // Called for every row; returning false stops the run.
    using Visitor = std::function<bool(const QSqlRecord &)>;
    // Hands the rows from the one at index `first` (from 0) on: `count` of them, or all
    // when count is negative. Handing more than asked is no fault (the visitor ends the
    // run); asking for no more than needed spares a server that streams its rows from
    // reading the rest only to throw them away.
    using Runner = std::function<void(qsizetype first, qsizetype count, const Visitor &)>;

    RowSource() = default;
    // Rows that can only be read from the start: starting later skips the rows before.
    explicit RowSource(std::function<void(const Visitor &)> run);
    static RowSource resumable(Runner run);

    // Rows already read; the report keeps its own copy, so the row set can be closed.
    static RowSource fromRecords(QList<QSqlRecord> records);
    // Runs the query afresh on every run, one row at a time; a run that starts later
    // asks the server to skip the rows before (the query's ORDER BY must then give every
    // row one place, so that each run sees the same order). The listed date-and-time
    // columns are read with ReportText::readDateTime so that layouts see QDateTime on
    // every server. db must outlive the report (the program's connection does).
    static RowSource fromQuery(Db &db, const QString &sql, const QVariantList &values, const QStringList &dateTimeColumns = {});

    // Hands every row to visit until it returns false. Query failures throw DbError.
    void run(const Visitor &visit) const { runFrom(0, visit); }
    // The same from the row at index `first` on, at most `count` rows when count >= 0.
    void runFrom(qsizetype first, const Visitor &visit, qsizetype count = -1) const;

    bool isNull() const { return !m_run; }
    // Whether the rows are held by the source itself (rows already read): nothing of
    // theirs changes, so another thread may read them while this one does.
    bool isHeld() const { return m_held; }

    // The connection a query's rows are read over; nullptr for rows that are not read
    // from a database (rows already read, rows the program makes).
    Db *connection() const { return m_db; }
    // The same query's rows read over another connection to the same database (one of
    // another thread); rows not read from a database are handed back as they are.
    RowSource on(Db &db) const;

private:
    static RowSource readOver(Db &db, const QString &sql, const QVariantList &values, const QStringList &dateTimeColumns);

    Runner m_run;
    Db *m_db = nullptr;
    bool m_held = false;
    std::function<RowSource(Db &)> m_rebind;
};

// A column of the rows looked up by its name once and by its place after that: every
// row of one source has the same columns, and a search by name for every value of every
// row is what would make a long report slow. Names compare without regard to case, as
// the servers hand some names back in lower case.
class FieldRef
{
public:
    FieldRef() = default;
    explicit FieldRef(QString name) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }
    // The value, or a null QVariant when the row has no such column.
    QVariant value(const QSqlRecord &row) const;
    // Its place in the row, -1 when the row has no such column.
    int indexIn(const QSqlRecord &row) const;

private:
    QString m_name;
    mutable int m_index = -1;
    mutable int m_count = -1;
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
    // The number of pages of the whole report; 0 while it is not known yet (the first
    // pass that counts them).
    int pageCount = 0;
};

using TextOf = std::function<QString(const BandContext &)>;

// A value summed over the rows that is not one column: the sum of several columns, a
// flag counted as 1, a column counted only when it is there.
struct SummedValue
{
    QString name;
    std::function<double(const QSqlRecord &)> value;
};

// Sums and row counts of one group or of the whole report, and how many groups of the
// outermost level it holds.
class ReportTotals
{
public:
    ReportTotals() = default;
    explicit ReportTotals(const QStringList &fields, const QList<SummedValue> &values = {});

    void add(const QSqlRecord &row);
    // The row's summed values, to add to several totals without reading them again.
    QList<double> valuesOf(const QSqlRecord &row) const;
    void add(const QList<double> &values);
    void addGroup() { ++m_groups; }
    void clear();
    // The sum of a summed field or value; 0 for a name that is not summed.
    double sum(const QString &name) const;
    int count() const { return m_count; }
    int groupCount() const { return m_groups; }

private:
    QList<FieldRef> m_fields;
    QList<SummedValue> m_values;
    QList<double> m_sums;
    int m_count = 0;
    int m_groups = 0;
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
    // Drawn below the page header on a page that goes on with the group begun on an
    // earlier one, so that its rows are never without their heading: the heading again,
    // saying so ("Monday, April 1, 2024 (continued)"). Empty: nothing is repeated.
    Band continued;
};

// One field of a report as its readers see it: the caption over its column, where its
// value comes from and what kind of value it is. A layout draws its columns from this
// list and the CSV export writes the same list, so the two never disagree.
struct ReportColumn
{
    enum class Kind { Text, Number, Integer, Date, DateTime, Flag };

    // The caption in the CSV export, and on the page unless there is a short one.
    QString caption;
    QString shortCaption;
    // The row's column; for a computed column the name its value is summed under.
    QString field;
    Kind kind = Kind::Text;
    // How the value is shown on the page: a number's display pattern (Numbers::format),
    // a text's (Numbers::formatText, for telephone numbers), a date's QDateTime format.
    QString pattern;
    // Where the column stands on the page, in points from the left margin; a width of 0
    // keeps it off the page (in the CSV export only).
    double x = 0;
    double width = 0;
    // Left out of the CSV export (a column the export has in more detail).
    bool pageOnly = false;
    // Summed into the group and report totals.
    bool summed = false;
    // A value computed from the row instead of read from `field`.
    std::function<QVariant(const QSqlRecord &)> compute;

    bool onPage() const { return width > 0; }
    QString pageCaption() const { return shortCaption.isEmpty() ? caption : shortCaption; }
    Qt::Alignment alignment() const;
    bool inCsv() const { return !pageOnly; }
    // The value of the row for this column.
    QVariant value(const QSqlRecord &row) const;
    // As shown on the page: through the pattern, dates as M/d/yyyy unless it says
    // otherwise, flags "Yes" or "", NULL as "".
    QString pageText(const QSqlRecord &row) const;

    // Builders for the usual kinds.
    static ReportColumn text(const QString &caption, const QString &field, double x = 0, double width = 0);
    static ReportColumn number(const QString &caption, const QString &field, const QString &pattern, double x = 0,
                               double width = 0);
    static ReportColumn integer(const QString &caption, const QString &field, double x = 0, double width = 0);
    static ReportColumn date(const QString &caption, const QString &field, double x = 0, double width = 0);
    static ReportColumn dateTime(const QString &caption, const QString &field, double x = 0, double width = 0);
    static ReportColumn flag(const QString &caption, const QString &field, double x = 0, double width = 0);
    // Chaining helpers for the less usual settings.
    ReportColumn &total()
    {
        summed = true;
        return *this;
    }
    ReportColumn &shortened(const QString &text)
    {
        shortCaption = text;
        return *this;
    }
    ReportColumn &shownAs(const QString &displayPattern)
    {
        pattern = displayPattern;
        return *this;
    }
    ReportColumn &onPageOnly()
    {
        pageOnly = true;
        return *this;
    }

private:
    mutable FieldRef m_ref;
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
    // The same rows in the same order, with only the columns that decide where the pages
    // break and what is summed (the group keys' and the summed values'): laying a long
    // report out reads these, and the pages drawn read the whole rows.
    void setLayoutRows(RowSource rows) { m_layoutRows = std::move(rows); }
    const RowSource &layoutRows() const { return m_layoutRows.isNull() ? m_rows : m_layoutRows; }
    bool hasLayoutRows() const { return !m_layoutRows.isNull(); }

    // Fields and values summed into every group's and the report's totals.
    QStringList summedFields;
    // Whether the summed columns add up over the whole report; false where only each
    // group's sums mean something (a spreadsheet export then has no totals row).
    bool grandTotals = true;
    QList<SummedValue> summedValues;

    // The report's fields as columns: what its CSV export writes, and for the tabular
    // layouts what their detail line shows (see ReportColumn).
    QList<ReportColumn> columns;

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
    RowSource m_layoutRows;
};

// The display patterns and alignments the layouts share.
namespace ReportStyle {

inline const QString amountPattern = QStringLiteral("$#,##0.00;-$#,##0.00");
inline const QString gallonsPattern = QStringLiteral("#,##0.000;-#,##0.000");
inline const QString pricePattern = QStringLiteral("$#,##0.000;-$#,##0.000");
// Ten digits as (417) 555-0100; any other text as it was typed (Numbers::formatText).
inline const QString phonePattern = QStringLiteral("(###) ###-####");
inline const QString dateTimeFormat = QStringLiteral("M/d/yyyy h:mm AP");

constexpr Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;

} // namespace ReportStyle

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
// "Page 3 of 12"; "Page 3" while the number of pages is not known.
TextOf pageOfPages();
// A field's sum over the group or report being closed, through a display pattern.
TextOf sum(const QString &field, const QString &pattern);
// The number of rows of the group or report being closed.
TextOf count();
// The number of outermost groups of the report being closed.
TextOf groupCount();

// The value of a column as a date and time, whatever form the server handed it in: a
// QDateTime, a QDate, or ISO text (a day alone, or with the time to the second).
QDateTime readDateTime(const QVariant &value);

} // namespace ReportText
