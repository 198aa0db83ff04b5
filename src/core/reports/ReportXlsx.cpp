#include "reports/ReportXlsx.h"

#include "app/Numbers.h"
#include "app/OutputFile.h"
#include "db/DbError.h"
#include "reports/Report.h"

#include <QDateTime>
#include <QFile>

#include <xlsxwriter.h>

#include <cmath>
#include <exception>
#include <stdexcept>

namespace ReportXlsx {

namespace {

// Ends a write early; caught in save().
struct Stop
{
    QString reason;
};

// Excel's letters of a column: 0 is A, 25 Z, 26 AA.
QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(char('A' + (n - 1) % 26));
    return letters;
}

void check(lxw_error result)
{
    if (result != LXW_NO_ERROR)
        throw Stop{QString::fromUtf8(lxw_strerror(result))};
}

// Widths are in characters of the workbook's default font; a little room for the filter
// button and the cell's margins.
constexpr double widthPadding = 2;
constexpr double widestColumn = 80;

// One exported column: how its cells are written and how wide it must be.
struct SheetColumn
{
    ReportColumn column;
    lxw_format *format = nullptr;
    lxw_format *totalFormat = nullptr;
    // Summed under the rows.
    bool totalled = false;
    double sum = 0;
    // The widest text seen, and for numbers the largest magnitude (formatted once at the end).
    qsizetype widest = 0;
    double largest = 0;
    bool negative = false;
};

class Writer
{
public:
    Writer(const Report &report, const ReportProgress &progress) : m_report(report), m_progress(progress) {}

    ~Writer()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }

    void write(const QString &path)
    {
        lxw_workbook_options options = {};
        // Rows go to a temporary file as they are written: a year of tickets does not
        // sit in memory.
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        const QByteArray file = QFile::encodeName(path);
        m_book = workbook_new_opt(file.constData(), &options);
        if (!m_book)
            throw Stop{QStringLiteral("the workbook could not be made")};
        const QByteArray title = m_report.title().toUtf8();
        lxw_doc_properties properties = {};
        properties.title = const_cast<char *>(title.constData());
        check(workbook_set_properties(m_book, &properties));
        const QByteArray name = sheetName(m_report.title()).toUtf8();
        m_sheet = workbook_add_worksheet(m_book, name.constData());
        if (!m_sheet)
            throw Stop{QStringLiteral("the worksheet could not be made")};

        prepareColumns();
        writeCaptions();
        m_report.rows().run([this](const QSqlRecord &row) {
            writeRow(row);
            return true;
        });
        if (m_progress && !m_progress(m_rows))
            throw Stop{QStringLiteral("Cancelled.")};
        // The filter takes the captions and the rows, not the totals; the rows are
        // written out as they go, so it is set before the row after them.
        if (!m_columns.isEmpty())
            check(worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(m_rows), lxw_col_t(m_columns.size() - 1)));
        writeTotals();
        finishSheet();

        lxw_workbook *book = m_book;
        m_book = nullptr;
        check(workbook_close(book));
    }

private:
    lxw_format *newFormat(const QString &numberFormat, bool bold = false)
    {
        lxw_format *format = workbook_add_format(m_book);
        if (!numberFormat.isEmpty())
            format_set_num_format(format, numberFormat.toUtf8().constData());
        if (bold)
            format_set_bold(format);
        return format;
    }

    // The number format of a column in Excel's terms; the page's display patterns are
    // written in those terms already.
    static QString numberFormatOf(const ReportColumn &column)
    {
        using Kind = ReportColumn::Kind;
        switch (column.kind) {
        case Kind::Text:
        case Kind::Flag:
            return QStringLiteral("@");
        case Kind::Integer:
            return QStringLiteral("0");
        case Kind::Number:
            return column.pattern.isEmpty() ? QStringLiteral("General") : column.pattern;
        case Kind::Date:
            return QStringLiteral("m/d/yyyy");
        case Kind::DateTime:
            return QStringLiteral("m/d/yyyy h:mm:ss AM/PM");
        }
        return QString();
    }

    void prepareColumns()
    {
        for (const ReportColumn &column : m_report.columns) {
            if (!column.inCsv())
                continue;
            SheetColumn sheet;
            sheet.column = column;
            const QString format = numberFormatOf(column);
            sheet.format = newFormat(format);
            // The totals of the summed columns, and of every money column: a
            // spreadsheet adds up what the page shows line by line.
            sheet.totalled = m_report.grandTotals && column.kind == ReportColumn::Kind::Number
                             && (column.summed || column.pattern == ReportStyle::amountPattern);
            if (sheet.totalled)
                sheet.totalFormat = newFormat(format, true);
            // Dates take their format's width.
            if (column.kind == ReportColumn::Kind::Date)
                sheet.widest = 10;
            else if (column.kind == ReportColumn::Kind::DateTime)
                sheet.widest = 22;
            m_columns.append(sheet);
        }
        m_captionFormat = newFormat(QString(), true);
    }

    void writeCaptions()
    {
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            SheetColumn &sheet = m_columns[c];
            check(worksheet_write_string(m_sheet, 0, lxw_col_t(c), sheet.column.caption.toUtf8().constData(), m_captionFormat));
            // The filter's button sits in the caption cell.
            sheet.widest = qMax(sheet.widest, sheet.column.caption.size() + 2);
        }
    }

    void writeText(lxw_row_t row, lxw_col_t col, SheetColumn &sheet, const QString &text)
    {
        if (text.isEmpty())
            return;
        check(worksheet_write_string(m_sheet, row, col, text.toUtf8().constData(), sheet.format));
        sheet.widest = qMax(sheet.widest, text.size());
    }

    void writeNumber(lxw_row_t row, lxw_col_t col, SheetColumn &sheet, double value)
    {
        check(worksheet_write_number(m_sheet, row, col, value, sheet.format));
        sheet.largest = qMax(sheet.largest, std::fabs(value));
        sheet.negative = sheet.negative || value < 0;
        if (sheet.totalled)
            sheet.sum += value;
    }

    void writeRow(const QSqlRecord &row)
    {
        if (m_rows >= maxRows)
            throw Stop{
                QStringLiteral("the report has more rows than a worksheet holds (%1); choose a shorter range").arg(maxRows)};
        ++m_rows;
        const lxw_row_t r = lxw_row_t(m_rows);
        using Kind = ReportColumn::Kind;
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            SheetColumn &sheet = m_columns[c];
            const lxw_col_t col = lxw_col_t(c);
            const QVariant value = sheet.column.value(row);
            if (value.isNull())
                continue;
            switch (sheet.column.kind) {
            case Kind::Text:
                writeText(r, col, sheet, value.toString());
                break;
            case Kind::Flag:
                writeText(r, col, sheet, value.toInt() != 0 ? QStringLiteral("Yes") : QStringLiteral("No"));
                break;
            case Kind::Number:
                writeNumber(r, col, sheet, value.toDouble());
                break;
            case Kind::Integer:
                writeNumber(r, col, sheet, double(value.toLongLong()));
                break;
            case Kind::Date:
            case Kind::DateTime: {
                const QDateTime dt = ReportText::readDateTime(value);
                if (!dt.isValid()) {
                    // Whatever the server held, as it was.
                    writeText(r, col, sheet, value.toString());
                    break;
                }
                lxw_datetime when = {dt.date().year(), dt.date().month(), dt.date().day(), 0, 0, 0};
                if (sheet.column.kind == Kind::DateTime) {
                    when.hour = dt.time().hour();
                    when.min = dt.time().minute();
                    when.sec = dt.time().second();
                }
                check(worksheet_write_datetime(m_sheet, r, col, &when, sheet.format));
                break;
            }
            }
        }
        if (m_progress && m_rows % reportProgressStep == 0 && !m_progress(m_rows))
            throw Stop{QStringLiteral("Cancelled.")};
    }

    // The totals as formulas, so that they follow the cells when a row is changed; the
    // sums of the rows written go with them for a program that does not recalculate.
    void writeTotals()
    {
        if (m_rows == 0)
            return;
        const lxw_row_t r = lxw_row_t(m_rows + 1);
        bool any = false;
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            SheetColumn &sheet = m_columns[c];
            if (!sheet.totalled)
                continue;
            any = true;
            const QByteArray letters = columnLetters(int(c));
            const QByteArray formula = "=SUM(" + letters + "2:" + letters + QByteArray::number(m_rows + 1) + ")";
            check(worksheet_write_formula_num(m_sheet, r, lxw_col_t(c), formula.constData(), sheet.totalFormat, sheet.sum));
            sheet.largest = qMax(sheet.largest, std::fabs(sheet.sum));
            sheet.negative = sheet.negative || sheet.sum < 0;
        }
        if (any && !m_columns.first().totalled)
            check(worksheet_write_string(m_sheet, r, 0, "Total", m_captionFormat));
    }

    void finishSheet()
    {
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            SheetColumn &sheet = m_columns[c];
            qsizetype widest = sheet.widest;
            if (sheet.column.kind == ReportColumn::Kind::Number || sheet.column.kind == ReportColumn::Kind::Integer) {
                const double value = sheet.negative ? -sheet.largest : sheet.largest;
                const bool plain = sheet.column.kind == ReportColumn::Kind::Integer || sheet.column.pattern.isEmpty();
                widest = qMax(widest, (plain ? Numbers::plainText(value) : Numbers::format(value, sheet.column.pattern)).size());
            }
            check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), qMin(widestColumn, double(widest) + widthPadding),
                                       sheet.format));
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
    }

    const Report &m_report;
    const ReportProgress &m_progress;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_captionFormat = nullptr;
    QList<SheetColumn> m_columns;
    qint64 m_rows = 0;
};

} // namespace

QString sheetName(const QString &title)
{
    QString name = title;
    for (QChar &c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c))
            c = u'-';
    }
    name = name.trimmed();
    // A name may not begin or end with an apostrophe.
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    name = name.left(31);
    while (name.endsWith(u'\''))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Report") : name;
}

bool save(const Report &report, const QString &path, QString *error, const ReportProgress &progress)
{
    // A cancelled run and a failure of the library say so in their own words, without
    // the file's name before them.
    QString ownWords;
    const bool written = OutputFile::writeNamed(
        path,
        [&](const QString &passing, QString &why) {
            try {
                Writer writer(report, progress);
                writer.write(passing);
                return true;
            } catch (const Stop &stop) {
                if (stop.reason == QLatin1String("Cancelled."))
                    ownWords = stop.reason;
                else
                    why = stop.reason;
            } catch (const DbError &) {
                throw;
            } catch (const std::exception &e) {
                ownWords = QString::fromLocal8Bit(e.what());
            }
            return false;
        },
        error);
    if (!written && !ownWords.isEmpty() && error)
        *error = ownWords;
    return written;
}

} // namespace ReportXlsx
