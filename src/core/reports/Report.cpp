#include "reports/Report.h"

#include "app/Numbers.h"
#include "db/Db.h"

#include <QDateTime>

namespace {

// Thrown through the database layer's row loop to end a run early; never leaves RowSource.
struct StopRows
{};

} // namespace

RowSource::RowSource(std::function<void(const Visitor &)> run)
{
    if (!run)
        return;
    m_run = [run = std::move(run)](qsizetype first, qsizetype, const Visitor &visit) {
        qsizetype index = 0;
        run([&](const QSqlRecord &record) { return index++ < first || visit(record); });
    };
}

RowSource RowSource::resumable(Runner run)
{
    RowSource source;
    source.m_run = std::move(run);
    return source;
}

RowSource RowSource::fromRecords(QList<QSqlRecord> records)
{
    RowSource source = resumable([records = std::move(records)](qsizetype first, qsizetype count, const Visitor &visit) {
        const qsizetype end = count < 0 ? records.size() : qMin(records.size(), first + count);
        for (qsizetype i = qMax<qsizetype>(first, 0); i < end; ++i) {
            if (!visit(records[i]))
                return;
        }
    });
    source.m_held = true;
    return source;
}

RowSource RowSource::fromQuery(Db &db, const QString &sql, const QVariantList &values, const QStringList &dateTimeColumns)
{
    RowSource source = readOver(db, sql, values, dateTimeColumns);
    source.m_db = &db;
    source.m_rebind = [sql, values, dateTimeColumns](Db &other) { return fromQuery(other, sql, values, dateTimeColumns); };
    return source;
}

RowSource RowSource::on(Db &db) const { return m_rebind ? m_rebind(db) : *this; }

RowSource RowSource::readOver(Db &db, const QString &sql, const QVariantList &values, const QStringList &dateTimeColumns)
{
    return resumable([&db, sql, values, dateTimeColumns](qsizetype first, qsizetype count, const Visitor &visit) {
        QList<FieldRef> dateTimes;
        for (const QString &column : dateTimeColumns)
            dateTimes.append(FieldRef(column));
        QString statement = sql;
        QVariantList bound = values;
        if (count >= 0) {
            statement = db.dialect().skipRows(sql, true);
            bound << qint64(count) << qint64(qMax<qsizetype>(first, 0));
        } else if (first > 0) {
            statement = db.dialect().skipRows(sql);
            bound << qint64(first);
        }
        try {
            db.forEachRow(statement, bound, [&](const QSqlRecord &record) {
                bool more;
                if (dateTimes.isEmpty()) {
                    more = visit(record);
                } else {
                    QSqlRecord read = record;
                    for (const FieldRef &column : dateTimes) {
                        const int at = column.indexIn(read);
                        if (at >= 0)
                            read.setValue(at, ReportText::readDateTime(read.value(at)));
                    }
                    more = visit(read);
                }
                if (!more)
                    throw StopRows{};
            });
        } catch (const StopRows &) {
        }
    });
}

void RowSource::runFrom(qsizetype first, const Visitor &visit, qsizetype count) const
{
    if (m_run)
        m_run(first, count, visit);
}

int FieldRef::indexIn(const QSqlRecord &row) const
{
    // The rows of one report all have the same columns: the place found in the first
    // holds for the rest. Only a row of another shape is searched again.
    if (m_index < 0 || row.count() != m_count) {
        m_index = row.indexOf(m_name);
        m_count = row.count();
    }
    return m_index;
}

QVariant FieldRef::value(const QSqlRecord &row) const
{
    const int at = indexIn(row);
    return at < 0 ? QVariant() : row.value(at);
}

ReportTotals::ReportTotals(const QStringList &fields, const QList<SummedValue> &values)
    : m_values(values),
      m_sums(fields.size() + values.size(), 0.0)
{
    for (const QString &field : fields)
        m_fields.append(FieldRef(field));
}

void ReportTotals::add(const QSqlRecord &row) { add(valuesOf(row)); }

QList<double> ReportTotals::valuesOf(const QSqlRecord &row) const
{
    QList<double> values;
    values.reserve(m_sums.size());
    for (const FieldRef &field : std::as_const(m_fields))
        values.append(field.value(row).toDouble());
    for (const SummedValue &value : std::as_const(m_values))
        values.append(value.value ? value.value(row) : 0.0);
    return values;
}

void ReportTotals::add(const QList<double> &values)
{
    double *sums = m_sums.data();
    for (qsizetype i = 0; i < m_sums.size() && i < values.size(); ++i)
        sums[i] += values[i];
    ++m_count;
}

void ReportTotals::clear()
{
    m_sums.fill(0.0);
    m_count = 0;
    m_groups = 0;
}

double ReportTotals::sum(const QString &name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name() == name)
            return m_sums[i];
    }
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        if (m_values[i].name == name)
            return m_sums[m_fields.size() + i];
    }
    return 0.0;
}

QVariant ReportColumn::value(const QSqlRecord &row) const
{
    if (compute)
        return compute(row);
    if (m_ref.name() != field)
        m_ref = FieldRef(field);
    return m_ref.value(row);
}

QString ReportColumn::pageText(const QSqlRecord &row) const
{
    const QVariant v = value(row);
    if (v.isNull())
        return QString();
    switch (kind) {
    case Kind::Number:
        return Numbers::format(v.toDouble(), pattern);
    case Kind::Integer:
        return QString::number(v.toLongLong());
    case Kind::Date:
    case Kind::DateTime: {
        const QDateTime dt = ReportText::readDateTime(v);
        if (!dt.isValid())
            return v.toString();
        if (!pattern.isEmpty())
            return dt.toString(pattern);
        return dt.toString(kind == Kind::Date ? QStringLiteral("M/d/yyyy") : ReportStyle::dateTimeFormat);
    }
    case Kind::Flag:
        return v.toInt() != 0 ? QStringLiteral("Yes") : QString();
    case Kind::Text:
        break;
    }
    return pattern.isEmpty() ? v.toString() : Numbers::formatText(v.toString(), pattern);
}

Qt::Alignment ReportColumn::alignment() const
{
    switch (kind) {
    case Kind::Number:
    case Kind::Integer:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Kind::Flag:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

namespace {

ReportColumn makeColumn(ReportColumn::Kind kind, const QString &caption, const QString &field, double x, double width)
{
    ReportColumn column;
    column.kind = kind;
    column.caption = caption;
    column.field = field;
    column.x = x;
    column.width = width;
    return column;
}

} // namespace

ReportColumn ReportColumn::text(const QString &caption, const QString &field, double x, double width)
{
    return makeColumn(Kind::Text, caption, field, x, width);
}

ReportColumn ReportColumn::number(const QString &caption, const QString &field, const QString &pattern, double x, double width)
{
    ReportColumn column = makeColumn(Kind::Number, caption, field, x, width);
    column.pattern = pattern;
    return column;
}

ReportColumn ReportColumn::integer(const QString &caption, const QString &field, double x, double width)
{
    return makeColumn(Kind::Integer, caption, field, x, width);
}

ReportColumn ReportColumn::date(const QString &caption, const QString &field, double x, double width)
{
    return makeColumn(Kind::Date, caption, field, x, width);
}

ReportColumn ReportColumn::dateTime(const QString &caption, const QString &field, double x, double width)
{
    return makeColumn(Kind::DateTime, caption, field, x, width);
}

ReportColumn ReportColumn::flag(const QString &caption, const QString &field, double x, double width)
{
    return makeColumn(Kind::Flag, caption, field, x, width);
}

ReportItem &Band::text(const QRectF &rect, TextOf text, Qt::Alignment alignment, const QFont &font)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Text;
    item.rect = rect;
    item.text = std::move(text);
    item.alignment = alignment;
    item.font = font;
    items.append(item);
    return items.last();
}

ReportItem &Band::label(const QRectF &rect, const QString &caption, Qt::Alignment alignment, const QFont &font)
{
    return text(
        rect, [caption](const BandContext &) { return caption; }, alignment, font);
}

ReportItem &Band::line(const QPointF &from, const QPointF &to, double width)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.rect = QRectF(from, to);
    item.penWidth = width;
    items.append(item);
    return items.last();
}

ReportItem &Band::frame(const QRectF &rect, double width)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Frame;
    item.rect = rect;
    item.penWidth = width;
    items.append(item);
    return items.last();
}

Report::Report(const QString &layoutName)
    : m_layoutName(layoutName),
      m_pageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point)
{}

double Report::bodyWidth() const { return m_pageLayout.paintRect(QPageLayout::Point).width(); }

void Report::setSuppressed(const QString &objectName, bool suppressed)
{
    if (suppressed)
        m_suppressed.insert(objectName);
    else
        m_suppressed.remove(objectName);
}

namespace ReportText {

TextOf field(const QString &column)
{
    return [ref = FieldRef(column)](const BandContext &c) {
        const QVariant v = ref.value(c.row);
        if (v.isNull())
            return QString();
        if (v.metaType().id() == QMetaType::QDateTime)
            return v.toDateTime().toString(ReportStyle::dateTimeFormat);
        return v.toString();
    };
}

TextOf number(const QString &column, const QString &pattern)
{
    return [ref = FieldRef(column), pattern](const BandContext &c) {
        const QVariant v = ref.value(c.row);
        return v.isNull() ? QString() : Numbers::format(v.toDouble(), pattern);
    };
}

namespace {

// The digits of text[from, from + count) as a number; -1 when one is not a digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

// Stored times are the station's wall-clock times, without a zone: they are read as
// they stand (in UTC terms, so that no row pays for a time zone lookup) and are only
// ever shown, never converted.
QDateTime readDateTime(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    const QString text = value.toString();
    const QStringView t(text);
    if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-') {
        const QDate day(digits(t, 0, 4), digits(t, 5, 2), digits(t, 8, 2));
        if (day.isValid()) {
            if (t.size() == 10)
                return QDateTime(day, QTime(0, 0), Qt::UTC);
            if (t.size() >= 19 && (t[10] == u' ' || t[10] == u'T') && t[13] == u':' && t[16] == u':') {
                const QTime time(digits(t, 11, 2), digits(t, 14, 2), digits(t, 17, 2));
                if (time.isValid())
                    return QDateTime(day, time, Qt::UTC);
            }
        }
    }
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid()) {
        const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
        if (day.isValid())
            dt = QDateTime(day, QTime(0, 0), Qt::UTC);
    }
    return dt;
}

TextOf dateTime(const QString &column, const QString &format)
{
    return [ref = FieldRef(column), format](const BandContext &c) {
        const QVariant v = ref.value(c.row);
        if (v.isNull())
            return QString();
        const QDateTime dt = readDateTime(v);
        return dt.isValid() ? dt.toString(format) : v.toString();
    };
}

TextOf heading(int index)
{
    return [index](const BandContext &c) { return c.report.headingText(index); };
}

TextOf reportText(const QString &name)
{
    return [name](const BandContext &c) { return c.report.text(name); };
}

TextOf pageNumber()
{
    return [](const BandContext &c) { return QStringLiteral("Page %1").arg(c.page); };
}

TextOf pageOfPages()
{
    return [](const BandContext &c) {
        return c.pageCount > 0 ? QStringLiteral("Page %1 of %2").arg(c.page).arg(c.pageCount)
                               : QStringLiteral("Page %1").arg(c.page);
    };
}

TextOf sum(const QString &field, const QString &pattern)
{
    return
        [field, pattern](const BandContext &c) { return c.totals ? Numbers::format(c.totals->sum(field), pattern) : QString(); };
}

TextOf count()
{
    return [](const BandContext &c) { return c.totals ? QString::number(c.totals->count()) : QString(); };
}

TextOf groupCount()
{
    return [](const BandContext &c) { return c.totals ? QString::number(c.totals->groupCount()) : QString(); };
}

} // namespace ReportText

QFont reportFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
