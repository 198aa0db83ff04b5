#pragma once

#include "reports/ReportRenderer.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QScrollArea;
class QSpinBox;
class QTimer;
class BackgroundLayout;
class Report;
class ReportPageWidget;

// "Report Viewer": the one window that shows reports on screen. There is never a second
// one: showing a report replaces the one on view. The window holds one control, the
// report view (page navigation, zoom, print with a dialog, export to PDF and, for a
// report with columns, to CSV and to an Excel workbook, and Close), kept at the window's
// top left corner and as large as the window on every resize. Page Up and Page Down turn
// the pages; Escape and Ctrl+F4 close the viewer.
//
// Pages are drawn when they are looked at: showing a report lays it out once (reading
// the rows without drawing, noting where each page begins), and each page shown is drawn
// by reading only the rows from that page's start on, so a 2,000-page report opens
// without drawing 2,000 pages, its last page comes as fast as its first, and no rows
// are held. A report read from the database is laid out on a thread and a connection of
// its own (BackgroundLayout), and so is one whose rows are already read: its first page shows as soon as the first pages are laid
// out, "of ..." stands beside the page number until the last page is, and the pages
// laid out meanwhile can be turned to; then the count is filled in and the page on view
// drawn again, its footer now knowing the number of pages.
class Viewer : public QWidget
{
    Q_OBJECT

public:
    // Stops a layout still running.
    ~Viewer() override;

    // The area the viewer opens in as a child window. The main window sets it at start;
    // without one (tests, tools) the viewer opens as a window of its own.
    static void setMdiArea(QMdiArea *area);
    static QMdiArea *mdiArea();

    // Shows the report in the viewer, opening the viewer if it is not open. Returns the
    // viewer, or nullptr when the report's rows cannot be read (the viewer then keeps
    // what it showed). Never throws.
    static Viewer *showReport(std::shared_ptr<const Report> report);
    // The same, throwing DbError when the report's first pages cannot be laid out, so
    // that the query's own error reaches the user.
    static Viewer *openReport(std::shared_ptr<const Report> report);
    // The same for a report already laid out (paginate); never reads the rows to count.
    static Viewer *showReport(std::shared_ptr<const Report> report, PageIndex index);
    // The open viewer, or nullptr.
    static Viewer *instance();

    std::shared_ptr<const Report> report() const { return m_report; }
    // Where the report's pages begin, as far as they are laid out (partial until then).
    const PageIndex &pageIndex() const { return m_index; }
    // The pages that can be turned to: all of them once the report is laid out.
    int pageCount() const { return m_pageCount; }
    // Whether every page is laid out and the number of pages known.
    bool isLaidOut() const { return !m_index.isPartial(); }
    // Waits for the rest of the report to be laid out (exports and printing need every
    // page); afterwards isLaidOut() unless its rows could not be read.
    void waitForLayout();
    // How many pages are laid out before a report is shown: a report no longer than
    // this shows with its number of pages known.
    static constexpr int pagesBeforeShowing = 20;
    int currentPage() const { return m_page; }
    void setPage(int page);
    // One of the zoom choices: "Page Width", "Whole Page", "50%" .. "200%".
    void setZoomText(const QString &text);
    // How many page drawings the viewer has made since it opened (each page shown is one).
    int pagesDrawn() const { return m_pagesDrawn; }
    // The page on view as drawn, at the current zoom.
    QImage pageImage() const;
    // What "Export CSV..." writes once its file is chosen: the report's rows to the file,
    // all or nothing; false, with the reason in the viewer's status line, on failure.
    bool saveCsv(const QString &path);
    // The same for "Export Excel..." (an Excel workbook) and "Export PDF...". An export
    // of more than a few pages shows its progress with Cancel; a cancelled one writes
    // nothing and leaves a file already there as it was.
    bool saveXlsx(const QString &path);
    bool savePdf(const QString &path);
    QWidget *view() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Viewer();
    // The viewer window, made when there is none.
    static Viewer *window();
    void present();
    // firstPage: page 1 as drawn while the first pages were laid out, at firstScale.
    void setReport(std::shared_ptr<const Report> report, PageIndex index, const QImage &firstPage = QImage(),
                   double firstScale = 0);
    // Takes the pages laid out meanwhile; draws the page on view again once all are.
    void takeLaidOutPages();
    void showPageCount();
    // The whole index for an export or a print, waiting for the layout; nullptr when
    // the layout failed (the output then lays the report out itself).
    const PageIndex *wholeIndex();
    void redraw();
    double pixelsPerPoint() const;
    double pixelsPerPoint(const Report &report) const;
    QString exportPath(const QString &suffix, const QString &filter);
    void exportPdf();
    void exportCsv();
    void exportXlsx();
    // Whether the report is long enough for an export or print to show its progress.
    bool showsProgress() const;
    // Tells the status line how a row export ended.
    bool saved(bool ok, const QString &path, const QString &error);
    void printReport();
    void closeViewer();
    void updateControls();

    std::shared_ptr<const Report> m_report;
    PageIndex m_index;
    std::unique_ptr<BackgroundLayout> m_layout;
    QTimer *m_layoutTimer = nullptr;
    int m_pageCount = 0;
    int m_page = 1;
    int m_pagesDrawn = 0;
    // The scale the page on view was drawn at.
    double m_drawnScale = 0;

    QWidget *m_view = nullptr;
    QAction *m_first = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QAction *m_exportCsv = nullptr;
    QAction *m_exportXlsx = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageOf = nullptr;
    QComboBox *m_zoom = nullptr;
    QLabel *m_status = nullptr;
    QScrollArea *m_scroll = nullptr;
    ReportPageWidget *m_pageWidget = nullptr;
};
