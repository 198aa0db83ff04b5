#pragma once

#include <QPointF>

class QPagedPaintDevice;
class QPainter;
class Report;

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

// Lays the report out and hands it to the sink page by page, reading its rows once, one
// at a time: time grows with the rows, memory does not. Returns the number of pages.
// Throws whatever the report's row source throws (DbError).
int renderReport(const Report &report, PageSink &sink);

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
};

// Counts the pages without drawing any.
class PageCounter final : public PageSink
{
public:
    PageCanvas beginPage(int) override { return {}; }
    bool endPage(int) override { return true; }
};
