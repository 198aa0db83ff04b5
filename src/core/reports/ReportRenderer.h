#pragma once

#include "reports/Report.h"

#include <QList>
#include <QPointF>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;
class QPainter;

// Where one page of a report is drawn: a painter already begun on its device, how many
// device pixels make one point, and where the printable area's top left corner lies in
// device pixels. Fonts keep their point sizes: the painter is never scaled, so text
// comes out the same size on a 1200 dpi printer, a PDF file and the screen.
struct PageCanvas
{
    QPainter *painter = nullptr;
    double scale = 1;
    QPointF origin;
};

// Receives the pages of a report as they are laid out.
class PageSink
{
public:
    virtual ~PageSink() = default;
    // Before page `page` (from 1): the canvas to draw it on, or one without a painter to
    // lay the page out without drawing it.
    virtual PageCanvas beginPage(int page) = 0;
    // After the page; false ends the run there.
    virtual bool endPage(int page) = 0;
};

// What laying a report out once has learnt: how many pages it has, the row each page
// begins with, and the whole state of the layout where every keptEvery-th page began, so
// that any page can be drawn again by reading only the rows from the kept page before it
// on. It never holds a row, and its memory hardly grows with the pages: a number per page,
// and the group keys and running totals only every keptEvery pages.
class PageIndex
{
public:
    // The pages whose whole start is kept: 1, 17, 33... A page in between is drawn after
    // laying out (not drawing) the pages from the kept one before it, a few hundred rows
    // at most.
    static constexpr int keptEvery = 16;
    static bool isKept(int page) { return (page - 1) % keptEvery == 0; }
    // The kept page at or before `page`.
    static int keptBefore(int page) { return page - (page - 1) % keptEvery; }

    int pageCount() const { return int(m_rows.size()); }
    // The row (from 0) whose bands began page `page`; the number of rows for a page begun
    // after the last row.
    qsizetype firstRow(int page) const { return m_rows[page - 1]; }
    // The number of detail rows, for the progress of an export of them.
    qsizetype rowCount() const { return m_rowCount; }
    void setRowCount(qsizetype rows) { m_rowCount = rows; }

    // The layout's state at the start of the row whose bands began a page (or, for a page
    // begun after the last row, at the end of the rows): the renderer's own business.
    struct Start
    {
        qsizetype row = 0;
        int page = 0;
        double y = 0;
        double pageTop = 0;
        QStringList keys;
        QList<ReportTotals> groupTotals;
        ReportTotals grand;
    };
    // For a kept page (isKept) only.
    const Start &start(int page) const
    {
        Q_ASSERT(isKept(page));
        return m_kept[(page - 1) / keptEvery];
    }
    // The next page's start: its row always, the rest when the page is kept.
    void append(const Start &start)
    {
        m_rows.append(start.row);
        if (isKept(pageCount()))
            m_kept.append(start);
    }
    // An index of the first pages only, while the rest are still being laid out: its
    // pages but the last can be drawn (the last one's end is not known yet), and their
    // footers are not told a number of pages.
    bool isPartial() const { return m_partial; }
    void setPartial(bool partial) { m_partial = partial; }
    // The pages that can be drawn from it.
    int pagesReady() const { return m_partial ? qMax(0, pageCount() - 1) : pageCount(); }

private:
    QList<qsizetype> m_rows;
    QList<Start> m_kept;
    qsizetype m_rowCount = 0;
    bool m_partial = false;
};

// Lays the report out and hands it to the sink page by page, reading its rows once, one
// at a time: time grows with the rows, memory does not. Returns the number of pages.
// Footers see no page count (see paginate). Throws whatever the report's row source
// throws (DbError).
int renderReport(const Report &report, PageSink &sink);

// The first of two passes: lays every page out without drawing it and notes where each
// begins. Throws DbError.
PageIndex paginate(const Report &report);
// The same, handing the index as it stands to `pageDone` each time a page has been laid
// out; when that returns false the layout ends there, and the index it returns is
// partial.
PageIndex paginate(const Report &report, const std::function<bool(const PageIndex &)> &pageDone);

// The first `pages` pages only, for showing a report while the rest is laid out
// elsewhere: the rows are read from the start with a limit (so that a server stops
// early), raised and read again when the pages need more rows, until `pages` pages can
// be drawn or the rows end. With a sink the whole rows are read, and every page laid
// out is handed to it too (it may be handed again if the rows are read again); without
// one the layout's rows. The index is partial unless the report ended within those
// pages. Throws DbError.
PageIndex paginateFirst(const Report &report, int pages, PageSink *sink = nullptr);

// The second: hands pages first..last (from 1, within the index's pages) to the sink,
// reading only the rows from the first of them on; footers know the number of pages.
// Throws DbError.
void renderPages(const Report &report, const PageIndex &index, PageSink &sink, int first, int last);
// Every page.
void renderPages(const Report &report, const PageIndex &index, PageSink &sink);

// Every page onto a printer or PDF writer whose painter the caller has begun.
class PagedDeviceSink final : public PageSink
{
public:
    PagedDeviceSink(QPagedPaintDevice &device, QPainter &painter);
    PageCanvas beginPage(int page) override;
    bool endPage(int page) override;

private:
    QPagedPaintDevice &m_device;
    QPainter &m_painter;
    int m_pages = 0;
};

// Counts the pages without drawing any.
class PageCounter final : public PageSink
{
public:
    PageCanvas beginPage(int) override { return {}; }
    bool endPage(int) override { return true; }
};
