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

// What laying a report out once has learnt: how many pages it has, and for each page
// where the rows stood when it began, so that any page can be drawn again by reading
// only the rows from there on. It holds a few numbers per page, never a row.
class PageIndex
{
public:
    int pageCount() const { return int(m_starts.size()); }
    // The number of detail rows, for the progress of an export of them.
    qsizetype rowCount() const { return m_rows; }
    void setRowCount(qsizetype rows) { m_rows = rows; }

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
    const Start &start(int page) const { return m_starts[page - 1]; }
    void append(const Start &start) { m_starts.append(start); }

    // An index of the first pages only, while the rest are still being laid out: its
    // pages but the last can be drawn (the last one's end is not known yet), and their
    // footers are not told a number of pages.
    bool isPartial() const { return m_partial; }
    void setPartial(bool partial) { m_partial = partial; }
    // The pages that can be drawn from it.
    int pagesReady() const { return m_partial ? qMax(0, pageCount() - 1) : pageCount(); }

private:
    QList<Start> m_starts;
    qsizetype m_rows = 0;
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
