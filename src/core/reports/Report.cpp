#include "reports/Report.h"

#include "app/Numbers.h"
#include "db/Db.h"

#include <QDateTime>

namespace {

// Thrown through the database layer's row loop to end a run early; never leaves RowSource.
struct StopRows
{
};

} // namespace

RowSource RowSource::fromRecords(QList<QSqlRecord> records)
{
    return RowSource([records = std::move(records)](const Visitor &visit) {
        for (const QSqlRecord &record : records) {
            if (!visit(record))
                return;
        }
    });
}

RowSource RowSource::fromQuery(Db &db, const QString &sql, const QVariantList &values, const QStringList &dateTimeColumns)
{
    return RowSource([&db, sql, values, dateTimeColumns](const Visitor &visit) {
        try {
            db.forEachRow(sql, values, [&](const QSqlRecord &record) {
                bool more;
                if (dateTimeColumns.isEmpty()) {
                    more = visit(record);
                } else {
                    QSqlRecord read = record;
                    for (const QString &column : dateTimeColumns)
                        read.setValue(column, db.dialect().readDateTime(read.value(column)));
                    more = visit(read);
                }
                if (!more)
                    throw StopRows{};
            });
        } catch (const StopRows &) {
        }
    });
}

void RowSource::run(const Visitor &visit) const
{
    if (m_run)
        m_run(visit);
}

void ReportTotals::add(const QSqlRecord &row)
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        m_sums[i] += row.value(m_fields[i]).toDouble();
    ++m_count;
}

void ReportTotals::clear()
{
    m_sums.fill(0.0);
    m_count = 0;
}

double ReportTotals::sum(const QString &field) const
{
    const qsizetype i = m_fields.indexOf(field);
    return i < 0 ? 0.0 : m_sums[i];
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
    return text(rect, [caption](const BandContext &) { return caption; }, alignment, font);
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
{
}

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
    return [column](const BandContext &c) {
        const QVariant v = c.row.value(column);
        if (v.isNull())
            return QString();
        if (v.metaType().id() == QMetaType::QDateTime)
            return v.toDateTime().toString(QStringLiteral("M/d/yyyy h:mm AP"));
        return v.toString();
    };
}

TextOf number(const QString &column, const QString &pattern)
{
    return [column, pattern](const BandContext &c) {
        const QVariant v = c.row.value(column);
        return v.isNull() ? QString() : Numbers::format(v.toDouble(), pattern);
    };
}

QDateTime readDateTime(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    const QString text = value.toString();
    QDateTime dt = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid()) {
        const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
        if (day.isValid())
            dt = QDateTime(day, QTime(0, 0));
    }
    return dt;
}

TextOf dateTime(const QString &column, const QString &format)
{
    return [column, format](const BandContext &c) {
        const QVariant v = c.row.value(column);
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

TextOf sum(const QString &field, const QString &pattern)
{
    return [field, pattern](const BandContext &c) {
        return c.totals ? Numbers::format(c.totals->sum(field), pattern) : QString();
    };
}

TextOf count()
{
    return [](const BandContext &c) { return c.totals ? QString::number(c.totals->count()) : QString(); };
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
