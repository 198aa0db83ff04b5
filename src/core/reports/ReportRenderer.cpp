#include "reports/ReportRenderer.h"

#include "reports/Report.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <unordered_map>

namespace {

// Points a text keeps clear of the left and right edges of its box.
constexpr double textClearance = 1.0;

class Renderer
{
public:
    // index, when given, is filled with where every page begins; pageCount is what
    // footers are told.
    Renderer(const Report &report, PageSink &sink, PageIndex *index = nullptr, int pageCount = 0)
        : m_report(report),
          m_sink(sink),
          m_index(index),
          m_pageCount(pageCount),
          m_bodyHeight(report.pageLayout().paintRect(QPageLayout::Point).height()),
          m_grand(report.summedFields, report.summedValues)
    {
        for (qsizetype i = 0; i < report.groups.size(); ++i)
            m_groupTotals.append(m_grand);
    }

    // Every page from the first; a layout without drawing reads the layout's rows.
    int run(bool layoutOnly = false)
    {
        const RowSource &rows = layoutOnly ? m_report.layoutRows() : m_report.rows();
        rows.run([this](const QSqlRecord &row) { return visit(row); });
        finish();
        return m_page;
    }

    // Every page from the first until the sink stops the run, reading at most `limit`
    // rows; false when the limit cut the rows off before that (there may be more).
    bool runFirst(bool layoutOnly, qsizetype limit)
    {
        const RowSource &rows = layoutOnly ? m_report.layoutRows() : m_report.rows();
        rows.runFrom(
            0, [this](const QSqlRecord &row) { return visit(row); }, limit);
        if (!m_stopped && m_row >= limit)
            return false;
        finish();
        return true;
    }

    // Pages first..last, resuming from where the index says the first one began and
    // reading `count` rows (all when negative).
    void resume(const PageIndex::Start &start, int first, int last, qsizetype count)
    {
        m_first = first;
        m_lastWanted = last;
        m_row = start.row;
        m_page = start.page;
        m_y = start.y;
        m_pageTop = start.pageTop;
        m_keys = start.keys;
        if (start.page > 0) {
            m_groupTotals = start.groupTotals;
            m_grand = start.grand;
        }
        // The row before is read again only for what the bands closing a group show.
        bool primed = start.row == 0;
        m_report.rows().runFrom(
            start.row > 0 ? start.row - 1 : 0,
            [&](const QSqlRecord &row) {
                if (!primed) {
                    primed = true;
                    m_last = row;
                    return true;
                }
                return visit(row);
            },
            count);
        finish();
    }

    // The rows laid out so far.
    qsizetype rowCount() const { return m_row; }

private:
    bool visit(const QSqlRecord &row)
    {
        mark(m_row);
        QStringList keys;
        keys.reserve(m_report.groups.size());
        for (const ReportGroup &group : m_report.groups)
            keys.append(group.key ? group.key(row) : QString());

        if (m_page == 0) {
            startReport(row);
            openGroups(0, row);
        } else {
            qsizetype changed = 0;
            while (changed < keys.size() && keys[changed] == m_keys[changed])
                ++changed;
            if (changed < keys.size()) {
                closeGroups(changed);
                openGroups(changed, row);
            }
        }
        if (m_stopped)
            return false;
        m_keys = keys;
        const QList<double> values = m_grand.valuesOf(row);
        for (ReportTotals &totals : m_groupTotals)
            totals.add(values);
        m_grand.add(values);
        place(m_report.detail, row, nullptr, 0, m_report.groups.size());
        m_last = row;
        ++m_row;
        return !m_stopped;
    }

    // After the last row: the open groups close, then the report footer.
    void finish()
    {
        if (m_stopped)
            return;
        mark(m_row);
        if (m_page == 0)
            startReport(QSqlRecord());
        else
            closeGroups(0);
        if (!m_stopped)
            place(m_report.reportFooter, m_last, &m_grand);
        if (!m_stopped)
            finishPage();
    }

    // Notes the state at the start of a row's bands; a page begun by them starts here.
    void mark(qsizetype row)
    {
        if (!m_index)
            return;
        m_mark.row = row;
        m_mark.page = m_page;
        m_mark.y = m_y;
        m_mark.pageTop = m_pageTop;
        m_mark.keys = m_keys;
        m_mark.groupTotals = m_groupTotals;
        m_mark.grand = m_grand;
    }

    // The report header is bound to the first row (an empty record when there is none).
    void startReport(const QSqlRecord &first) { startPage(first); }

    // Group headers from level `from` inwards, each kept on one page with the first row.
    void openGroups(qsizetype from, const QSqlRecord &row)
    {
        for (qsizetype i = from; i < m_report.groups.size() && !m_stopped; ++i) {
            m_groupTotals[i].clear();
            if (i == 0)
                m_grand.addGroup();
            place(m_report.groups[i].header, row, nullptr, m_report.detail.height, i);
        }
    }

    // Group footers from the innermost level out to level `to`, with the group's totals.
    void closeGroups(qsizetype to)
    {
        for (qsizetype i = m_report.groups.size() - 1; i >= to && !m_stopped; --i)
            place(m_report.groups[i].footer, m_last, &m_groupTotals[i], 0, i + 1);
    }

    // Places a band at the current position, first moving to a new page when the band (and
    // whatever must stay with it) does not fit above the page footer. The outermost
    // `openLevels` groups go on across such a break: the new page repeats their headings
    // (ReportGroup::continued), bound to the row as the band is.
    void place(const Band &band, const QSqlRecord &row, const ReportTotals *totals, double keepWith = 0, qsizetype openLevels = 0)
    {
        if (band.isEmpty() || m_stopped)
            return;
        const double bottom = m_bodyHeight - m_report.pageFooter.height;
        if (m_y + band.height + keepWith > bottom && m_y > m_pageTop) {
            finishPage();
            if (m_stopped)
                return;
            startPage(row);
            for (qsizetype i = 0; i < openLevels; ++i) {
                draw(m_report.groups[i].continued, row, nullptr);
                m_y += m_report.groups[i].continued.height;
            }
            m_pageTop = m_y;
        }
        draw(band, row, totals);
        m_y += band.height;
    }

    // The report header heads page one, above the page header that heads every page.
    void startPage(const QSqlRecord &row)
    {
        if (m_index)
            m_index->append(m_mark);
        ++m_page;
        m_canvas = m_page >= m_first ? m_sink.beginPage(m_page) : PageCanvas();
        m_y = 0;
        if (m_page == 1) {
            draw(m_report.reportHeader, row, nullptr);
            m_y += m_report.reportHeader.height;
        }
        draw(m_report.pageHeader, row, nullptr);
        m_y += m_report.pageHeader.height;
        m_pageTop = m_y;
    }

    void finishPage()
    {
        draw(m_report.pageFooter, m_last, &m_grand, m_bodyHeight - m_report.pageFooter.height);
        if (m_page < m_first)
            return;
        if (!m_sink.endPage(m_page) || (m_lastWanted > 0 && m_page >= m_lastWanted))
            m_stopped = true;
    }

    void draw(const Band &band, const QSqlRecord &row, const ReportTotals *totals, double atY = -1)
    {
        if (band.isEmpty())
            return;
        const double top = atY >= 0 ? atY : m_y;
        if (m_canvas.painter) {
            const BandContext context{m_report, row, m_page, totals, m_pageCount};
            for (const ReportItem &item : band.items)
                drawItem(item, top, context);
        }
    }

    QRectF toDevice(const QRectF &r, double top) const
    {
        const double k = m_canvas.scale;
        return QRectF(m_canvas.origin.x() + r.x() * k, m_canvas.origin.y() + (top + r.y()) * k, r.width() * k, r.height() * k);
    }

    void drawItem(const ReportItem &item, double top, const BandContext &context)
    {
        if (!item.name.isEmpty() && m_report.isSuppressed(item.name))
            return;
        QPainter &p = *m_canvas.painter;
        switch (item.kind) {
        case ReportItem::Kind::Text: {
            const QString text = item.text ? item.text(context) : QString();
            if (text.isEmpty())
                return;
            if (p.font() != item.font)
                p.setFont(item.font);
            // A text keeps a point clear of either edge of its box, so that two values side
            // by side never touch, whatever their alignment.
            const QRectF box = toDevice(item.rect, top);
            const double clear = qMin(textClearance * m_canvas.scale, box.width() / 4);
            const QRectF room = box.adjusted(clear, 0, -clear, 0);
            const ItemMetrics &metrics = metricsOf(item, p);
            // Most texts are short enough to fit whatever their letters: those are drawn
            // without measuring them first, which would lay each one out twice.
            if (metrics.surelyFits(text, room.width())) {
                p.drawText(room, int(item.alignment), text);
                return;
            }
            const double wide = metrics.metrics.horizontalAdvance(text);
            if (wide <= room.width()) {
                p.drawText(room, int(item.alignment), text);
                return;
            }
            drawSqueezed(p, item, room, text, wide);
            return;
        }
        case ReportItem::Kind::Line:
        case ReportItem::Kind::Frame: {
            QPen pen(Qt::black, item.penWidth * m_canvas.scale);
            pen.setCapStyle(Qt::FlatCap);
            if (p.pen() != pen)
                p.setPen(pen);
            const QRectF r = toDevice(item.rect, top);
            if (item.kind == ReportItem::Kind::Line) {
                p.drawLine(r.topLeft(), r.bottomRight());
            } else {
                p.setBrush(Qt::NoBrush);
                p.drawRect(r);
            }
            p.setPen(QPen(Qt::black));
            return;
        }
        }
    }

    // A text wider than its box. A figure (a text without letters: an amount, gallons, a
    // count, a telephone number) is drawn smaller until it fits, never cut, since a cut
    // figure reads as another number. Words shrink as far as three quarters of their
    // size and beyond that are cut with an ellipsis, which shows that they go on.
    void drawSqueezed(QPainter &p, const ReportItem &item, const QRectF &room, const QString &text, double wide)
    {
        const bool figure = std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        const double size = item.font.pointSizeF();
        double smallest = figure ? 0.5 : size * 0.75;
        double scaled = qMax(smallest, size * room.width() / wide);
        QFont font = item.font;
        font.setPointSizeF(scaled);
        QFontMetricsF metrics(font, p.device());
        // Sizes do not scale the width exactly (hinting, rounding): step down until it fits.
        while (metrics.horizontalAdvance(text) > room.width() && scaled > smallest) {
            scaled = qMax(smallest, scaled * 0.97);
            font.setPointSizeF(scaled);
            metrics = QFontMetricsF(font, p.device());
        }
        p.setFont(font);
        if (metrics.horizontalAdvance(text) > room.width())
            p.drawText(room, int(item.alignment), metrics.elidedText(text, Qt::ElideRight, room.width()));
        else
            p.drawText(room, int(item.alignment), text);
    }

    // An item's font metrics, with the widest advance of a character that figures are
    // written with and of any printable ASCII character: a text of n such characters is
    // at most n of those wide (with a margin for kerning and rounding).
    struct ItemMetrics
    {
        explicit ItemMetrics(const QFontMetricsF &fontMetrics) : metrics(fontMetrics)
        {
            for (char16_t c = 0x20; c < 0x7f; ++c) {
                const double advance = metrics.horizontalAdvance(QChar(c));
                widestAscii = qMax(widestAscii, advance);
                if (isFigure(c))
                    widestFigure = qMax(widestFigure, advance);
            }
        }
        static bool isFigure(char16_t c)
        {
            return (c >= u'0' && c <= u'9') || c == u'$' || c == u',' || c == u'.' || c == u'-' || c == u'(' || c == u')'
                   || c == u'%' || c == u' ' || c == u'/' || c == u':';
        }
        bool surelyFits(const QString &text, double room) const
        {
            bool figures = true;
            for (const QChar ch : text) {
                const char16_t c = ch.unicode();
                if (c < 0x20 || c >= 0x7f)
                    return false;
                figures = figures && isFigure(c);
            }
            return double(text.size()) * (figures ? widestFigure : widestAscii) * 1.05 + 1 <= room;
        }

        QFontMetricsF metrics;
        double widestFigure = 0;
        double widestAscii = 0;
    };

    const ItemMetrics &metricsOf(const ReportItem &item, QPainter &p)
    {
        auto found = m_metrics.find(&item);
        if (found == m_metrics.end())
            found = m_metrics.emplace(&item, ItemMetrics(QFontMetricsF(item.font, p.device()))).first;
        return found->second;
    }

    const Report &m_report;
    PageSink &m_sink;
    PageIndex *m_index;
    const int m_pageCount;
    const double m_bodyHeight;
    PageCanvas m_canvas;
    // Pages before m_first are laid out without reaching the sink; after m_lastWanted
    // the run ends (0: at the end of the rows).
    int m_first = 1;
    int m_lastWanted = 0;
    qsizetype m_row = 0;
    PageIndex::Start m_mark;
    int m_page = 0;
    double m_y = 0;
    double m_pageTop = 0;
    bool m_stopped = false;
    QStringList m_keys;
    QSqlRecord m_last;
    QList<ReportTotals> m_groupTotals;
    ReportTotals m_grand;
    std::unordered_map<const ReportItem *, ItemMetrics> m_metrics;
};

} // namespace

int renderReport(const Report &report, PageSink &sink)
{
    Renderer renderer(report, sink);
    return renderer.run();
}

namespace {

// Tells the caller of each page laid out, and hands the pages on to a sink that draws
// them when there is one; the index is the renderer's own, complete up to the page just
// ended.
class Watch final : public PageSink
{
public:
    Watch(const PageIndex &index, std::function<bool(const PageIndex &)> pageDone, PageSink *inner = nullptr)
        : m_index(index),
          m_pageDone(std::move(pageDone)),
          m_inner(inner)
    {}
    PageCanvas beginPage(int page) override { return m_inner ? m_inner->beginPage(page) : PageCanvas(); }
    bool endPage(int page) override
    {
        if ((!m_inner || m_inner->endPage(page)) && (!m_pageDone || m_pageDone(m_index)))
            return true;
        stopped = true;
        return false;
    }
    bool stopped = false;

private:
    const PageIndex &m_index;
    std::function<bool(const PageIndex &)> m_pageDone;
    PageSink *m_inner;
};

} // namespace

PageIndex paginate(const Report &report) { return paginate(report, {}); }

PageIndex paginate(const Report &report, const std::function<bool(const PageIndex &)> &pageDone)
{
    PageIndex index;
    Watch watch(index, pageDone);
    Renderer renderer(report, watch, &index);
    renderer.run(true);
    index.setRowCount(renderer.rowCount());
    index.setPartial(watch.stopped);
    return index;
}

PageIndex paginateFirst(const Report &report, int pages, PageSink *sink)
{
    // Enough rows for the pages at a few dozen rows a page; a report that needs more rows
    // for them (pages of group headings, say) is read again with four times the limit.
    for (qsizetype limit = qsizetype(pages + 1) * 100;; limit *= 4) {
        PageIndex index;
        Watch watch(
            index, [pages](const PageIndex &laidOut) { return laidOut.pageCount() <= pages; }, sink);
        Renderer renderer(report, watch, &index);
        if (!renderer.runFirst(!sink, limit))
            continue;
        index.setRowCount(renderer.rowCount());
        index.setPartial(watch.stopped);
        return index;
    }
}

void renderPages(const Report &report, const PageIndex &index, PageSink &sink, int first, int last)
{
    first = qMax(1, first);
    last = qMin(last, index.pagesReady());
    if (first > last)
        return;
    // The layout resumes where the kept page at or before the first one began; the pages
    // before the first are laid out again without being drawn. The last page wanted is
    // finished by the bands of the row that begins the next one: the rows up to that one
    // are all that is read (the row before the kept page's, read again for what closes a
    // group there, included).
    const PageIndex::Start &start = index.start(PageIndex::keptBefore(first));
    qsizetype count = -1;
    if (last < index.pageCount())
        count = index.firstRow(last + 1) - qMax<qsizetype>(start.row - 1, 0) + 1;
    Renderer renderer(report, sink, nullptr, index.isPartial() ? 0 : index.pageCount());
    renderer.resume(start, first, last, count);
}

void renderPages(const Report &report, const PageIndex &index, PageSink &sink)
{
    renderPages(report, index, sink, 1, index.pageCount());
}

PagedDeviceSink::PagedDeviceSink(QPagedPaintDevice &device, QPainter &painter) : m_device(device), m_painter(painter) {}

PageCanvas PagedDeviceSink::beginPage(int)
{
    // The device begins with a page of its own: the first one drawn goes on it.
    if (m_pages++ > 0)
        m_device.newPage();
    // The painter's origin is the printable area's corner on printers and PDF writers.
    return {&m_painter, m_device.logicalDpiX() / 72.0, QPointF(0, 0)};
}

bool PagedDeviceSink::endPage(int) { return true; }
