#include "reports/Viewer.h"

#include "app/BusyCursor.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "db/DbError.h"
#include "reports/BackgroundLayout.h"
#include "reports/Report.h"
#include "reports/OutputProgress.h"
#include "reports/ReportCsv.h"
#include "reports/ReportXlsx.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRenderer.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <optional>

// The sheet of paper on screen.
class ReportPageWidget : public QWidget
{
public:
    explicit ReportPageWidget(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("reportPage")); }

    void setImage(QImage image)
    {
        m_image = std::move(image);
        setFixedSize(m_image.size() + QSize(2 * margin, 2 * margin));
        update();
    }
    const QImage &image() const { return m_image; }

    static constexpr int margin = 12;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().dark());
        p.fillRect(QRect(QPoint(margin + 3, margin + 3), m_image.size()), QColor(0, 0, 0, 90));
        p.drawImage(QPoint(margin, margin), m_image);
    }

private:
    QImage m_image;
};

namespace {

QPointer<Viewer> &theViewer()
{
    static QPointer<Viewer> viewer;
    return viewer;
}

QPointer<QMdiArea> &theArea()
{
    static QPointer<QMdiArea> area;
    return area;
}

const QString fitWidth = QStringLiteral("Page Width");
const QString wholePage = QStringLiteral("Whole Page");

// Draws one page onto an image and ends the run right after it.
class SinglePageSink final : public PageSink
{
public:
    SinglePageSink(const Report &report, int page, double pixelsPerPoint) : m_page(page)
    {
        const QPageLayout layout = report.pageLayout();
        const QSizeF paper = layout.fullRect(QPageLayout::Point).size();
        image = QImage((paper * pixelsPerPoint).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        // Fonts are sized in points against the image's resolution.
        const int dotsPerMeter = qRound(pixelsPerPoint * 72.0 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        m_scale = pixelsPerPoint;
        m_origin = layout.paintRect(QPageLayout::Point).topLeft() * pixelsPerPoint;
    }

    PageCanvas beginPage(int page) override
    {
        if (page != m_page)
            return {};
        m_painter.begin(&image);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
        return {&m_painter, m_scale, m_origin};
    }
    bool endPage(int page) override
    {
        if (page != m_page)
            return true;
        m_painter.end();
        return false;
    }

    QImage image;

private:
    int m_page;
    double m_scale = 1;
    QPointF m_origin;
    QPainter m_painter;
};

// Draws page 1 while the first pages are laid out, letting the layout go on after it.
class FirstPageSink final : public PageSink
{
public:
    FirstPageSink(const Report &report, double pixelsPerPoint) : m_page(report, 1, pixelsPerPoint), m_scale(pixelsPerPoint) {}

    PageCanvas beginPage(int page) override
    {
        // Read again with a higher limit: drawn afresh.
        if (page == 1)
            m_page.image.fill(Qt::white);
        return m_page.beginPage(page);
    }
    bool endPage(int page) override
    {
        if (page == 1) {
            m_page.endPage(page);
            m_drawn = true;
        }
        return true;
    }
    bool drawn() const { return m_drawn; }
    double scale() const { return m_scale; }
    const QImage &image() const { return m_page.image; }

private:
    SinglePageSink m_page;
    double m_scale;
    bool m_drawn = false;
};

} // namespace

void Viewer::setMdiArea(QMdiArea *area) { theArea() = area; }
QMdiArea *Viewer::mdiArea() { return theArea(); }
Viewer *Viewer::instance() { return theViewer(); }

Viewer *Viewer::showReport(std::shared_ptr<const Report> report)
{
    try {
        return openReport(std::move(report));
    } catch (...) {
        return nullptr;
    }
}

Viewer *Viewer::openReport(std::shared_ptr<const Report> report)
{
    if (!report)
        return nullptr;
    if (!BackgroundLayout::canRun(*report)) {
        PageIndex index = paginate(*report);
        return showReport(std::move(report), std::move(index));
    }
    // The first pages are laid out here, reading only their rows; a report that reads the
    // same rows for its layout as for its pages has page 1 drawn in the same reading, at
    // the size of the window it is shown in (shown first, so that its size is settled).
    const bool opened = !theViewer();
    Viewer *viewer = window();
    viewer->present();
    std::optional<FirstPageSink> first;
    if (!report->hasLayoutRows())
        first.emplace(*report, viewer->pixelsPerPoint(*report));
    PageIndex index;
    try {
        index = paginateFirst(*report, pagesBeforeShowing, first ? &*first : nullptr);
    } catch (...) {
        // A report that cannot be shown leaves no empty viewer behind.
        if (opened)
            delete (qobject_cast<QMdiSubWindow *>(viewer->parentWidget()) ? viewer->parentWidget() : viewer);
        throw;
    }
    if (first && first->drawn())
        viewer->setReport(report, std::move(index), first->image(), first->scale());
    else
        viewer->setReport(report, std::move(index));
    viewer->present();
    // The rest on a thread and a connection of their own.
    if (viewer->m_index.isPartial()) {
        viewer->m_layout = std::make_unique<BackgroundLayout>(*report);
        viewer->m_layoutTimer->start();
    }
    return viewer;
}

Viewer *Viewer::showReport(std::shared_ptr<const Report> report, PageIndex index)
{
    if (!report)
        return nullptr;
    Viewer *viewer = window();
    viewer->setReport(std::move(report), std::move(index));
    viewer->present();
    return viewer;
}

Viewer *Viewer::window()
{
    Viewer *viewer = theViewer();
    if (!viewer) {
        viewer = new Viewer;
        theViewer() = viewer;
        if (QMdiArea *area = theArea()) {
            QMdiSubWindow *sub = area->addSubWindow(viewer);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->resize(QSize(900, 1000).boundedTo(area->viewport()->size()));
            // Screens open at the main window's top left corner.
            sub->move(0, 0);
        } else {
            viewer->resize(900, 1000);
        }
    }
    return viewer;
}

void Viewer::present()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        sub->show();
        sub->mdiArea()->setActiveSubWindow(sub);
    }
    show();
    raise();
}

Viewer::~Viewer() = default;

Viewer::Viewer()
{
    setObjectName(QStringLiteral("Viewer"));
    setWindowTitle(QStringLiteral("Report Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_view = new QWidget(this);
    m_view->setObjectName(QStringLiteral("reportView"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *tools = new QToolBar(m_view);
    tools->setObjectName(QStringLiteral("tbrViewer"));
    auto action = [&](const QString &name, const QString &caption, const QString &tip, auto handler) {
        QAction *a = tools->addAction(caption);
        a->setObjectName(name);
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    m_first = action(QStringLiteral("actFirstPage"), QStringLiteral("|<"), QStringLiteral("First page"), [this] { setPage(1); });
    m_previous = action(QStringLiteral("actPreviousPage"), QStringLiteral("<"), QStringLiteral("Previous page"),
                        [this] { setPage(m_page - 1); });
    m_pageBox = new QSpinBox(tools);
    m_pageBox->setObjectName(QStringLiteral("spnPage"));
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setMinimum(1);
    tools->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { setPage(page); });
    m_pageOf = new QLabel(tools);
    m_pageOf->setObjectName(QStringLiteral("lblPageCount"));
    m_pageOf->setContentsMargins(4, 0, 4, 0);
    tools->addWidget(m_pageOf);
    m_next =
        action(QStringLiteral("actNextPage"), QStringLiteral(">"), QStringLiteral("Next page"), [this] { setPage(m_page + 1); });
    m_last = action(QStringLiteral("actLastPage"), QStringLiteral(">|"), QStringLiteral("Last page"),
                    [this] { setPage(m_pageCount); });
    tools->addSeparator();
    m_zoom = new QComboBox(tools);
    m_zoom->setObjectName(QStringLiteral("cmbZoom"));
    m_zoom->addItems({fitWidth, wholePage, QStringLiteral("50%"), QStringLiteral("75%"), QStringLiteral("100%"),
                      QStringLiteral("125%"), QStringLiteral("150%"), QStringLiteral("200%")});
    tools->addWidget(m_zoom);
    connect(m_zoom, &QComboBox::currentTextChanged, this, [this] { redraw(); });
    tools->addSeparator();
    action(QStringLiteral("actPrint"), QStringLiteral("Print..."), QStringLiteral("Print the report"), [this] { printReport(); });
    action(QStringLiteral("actExport"), QStringLiteral("Export PDF..."), QStringLiteral("Save the report as a PDF file"),
           [this] { exportPdf(); });
    m_exportCsv = action(QStringLiteral("actExportCsv"), QStringLiteral("Export CSV..."),
                         QStringLiteral("Save the report's rows as a CSV file for a spreadsheet"), [this] { exportCsv(); });
    m_exportXlsx =
        action(QStringLiteral("actExportXlsx"), QStringLiteral("Export Excel..."),
               QStringLiteral("Save the report's rows as an Excel workbook, account numbers and all"), [this] { exportXlsx(); });
    // The viewer closes as other windows do: Escape, Ctrl+F4 or its Close button.
    action(QStringLiteral("actClose"), QStringLiteral("Close"), QStringLiteral("Close the viewer (Esc)"),
           [this] { closeViewer(); });
    auto key = [this](const QKeySequence &sequence, auto handler) {
        auto *shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
        // The child window's own menu holds Ctrl+F4 too, where it never answers it.
        connect(shortcut, &QShortcut::activatedAmbiguously, this, handler);
    };
    key(QKeySequence(Qt::Key_Escape), [this] { closeViewer(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_F4), [this] { closeViewer(); });
    key(QKeySequence(Qt::Key_PageUp), [this] { setPage(m_page - 1); });
    key(QKeySequence(Qt::Key_PageDown), [this] { setPage(m_page + 1); });
    m_status = new QLabel(tools);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setContentsMargins(8, 0, 4, 0);
    tools->addWidget(m_status);
    layout->addWidget(tools);

    m_scroll = new QScrollArea(m_view);
    m_scroll->setObjectName(QStringLiteral("scrPage"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_pageWidget = new ReportPageWidget(m_scroll);
    m_scroll->setWidget(m_pageWidget);
    layout->addWidget(m_scroll);
    m_scroll->installEventFilter(this);

    // The pages a layout on its thread has laid out are taken a few times a second.
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setInterval(100);
    connect(m_layoutTimer, &QTimer::timeout, this, [this] { takeLaidOutPages(); });
}

bool Viewer::eventFilter(QObject *watched, QEvent *event)
{
    // The sheet follows the window at "Page Width" and "Whole Page"; the scroll area has
    // its new size only once the view's layout has run, so this waits for it.
    if (watched == m_scroll && event->type() == QEvent::Resize && m_report) {
        const QString zoom = m_zoom->currentText();
        // A size that leaves the page as it was drawn draws nothing again.
        if ((zoom == fitWidth || zoom == wholePage) && pixelsPerPoint() != m_drawnScale)
            redraw();
    }
    return QWidget::eventFilter(watched, event);
}

void Viewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(0, 0, width(), height());
}

void Viewer::setReport(std::shared_ptr<const Report> report, PageIndex index, const QImage &firstPage, double firstScale)
{
    // A layout of the report shown before is stopped first: its pages are no use now.
    m_layout.reset();
    m_layoutTimer->stop();
    m_report = std::move(report);
    m_index = std::move(index);
    m_exportCsv->setEnabled(!m_report->columns.isEmpty());
    m_exportXlsx->setEnabled(!m_report->columns.isEmpty());
    m_page = 1;
    m_status->clear();
    {
        const QSignalBlocker blocker(m_pageBox);
        m_pageBox->setValue(1);
    }
    showPageCount();
    // Page 1 drawn while the first pages were laid out is shown as it is while the number
    // of pages is not known (its footer could not have said it), at the size it was drawn.
    if (!firstPage.isNull() && m_index.isPartial() && firstScale == pixelsPerPoint()) {
        m_drawnScale = firstScale;
        ++m_pagesDrawn;
        m_pageWidget->setImage(firstPage);
        updateControls();
    } else {
        redraw();
    }
}

void Viewer::showPageCount()
{
    m_pageCount = qMax(1, m_index.pagesReady());
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setMaximum(m_pageCount);
    m_pageOf->setText(m_index.isPartial() ? QStringLiteral("of ...") : QStringLiteral("of %1").arg(m_pageCount));
}

void Viewer::takeLaidOutPages()
{
    if (!m_layout) {
        m_layoutTimer->stop();
        return;
    }
    // Done is asked first: whatever the layout published before it was done is taken.
    const bool done = m_layout->isDone();
    const bool wasPartial = m_index.isPartial();
    if (!m_layout->takePages(m_index) && !done)
        return;
    if (done) {
        const QString error = m_layout->error();
        m_layout.reset();
        m_layoutTimer->stop();
        if (!error.isEmpty())
            m_status->setText(QStringLiteral("The report's rows could not be read."));
    }
    showPageCount();
    // The page on view is drawn again now that its footer can say "of N".
    if (wasPartial && !m_index.isPartial())
        redraw();
    else
        updateControls();
}

void Viewer::waitForLayout()
{
    if (!m_layout)
        return;
    BusyCursor busy;
    m_layout->wait();
    takeLaidOutPages();
}

const PageIndex *Viewer::wholeIndex()
{
    waitForLayout();
    return m_index.isPartial() ? nullptr : &m_index;
}

void Viewer::setPage(int page)
{
    page = qBound(1, page, m_pageCount);
    if (page == m_page)
        return;
    m_page = page;
    redraw();
    m_scroll->verticalScrollBar()->setValue(0);
}

void Viewer::setZoomText(const QString &text) { m_zoom->setCurrentText(text); }

double Viewer::pixelsPerPoint() const { return m_report ? pixelsPerPoint(*m_report) : logicalDpiX() / 72.0; }

double Viewer::pixelsPerPoint(const Report &report) const
{
    const double screen = logicalDpiX() / 72.0;
    const QString zoom = m_zoom->currentText();
    const QSizeF paper = report.pageLayout().fullRect(QPageLayout::Point).size();
    // The room inside the scroll area, always leaving space for the scroll bars so that
    // their showing up never changes the fit.
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize room =
        m_scroll->contentsRect().size() - QSize(2 * ReportPageWidget::margin + bar, 2 * ReportPageWidget::margin + bar);
    if (zoom == fitWidth)
        return qMax(0.1, room.width() / paper.width());
    if (zoom == wholePage)
        return qMax(0.1, qMin(room.width() / paper.width(), room.height() / paper.height()));
    const double percent = QString(zoom).remove(u'%').toDouble();
    return screen * (percent > 0 ? percent : 100) / 100.0;
}

void Viewer::redraw()
{
    if (!m_report)
        return;
    m_drawnScale = pixelsPerPoint();
    SinglePageSink sink(*m_report, m_page, m_drawnScale);
    try {
        renderPages(*m_report, m_index, sink, m_page, m_page);
    } catch (...) {
        m_status->setText(QStringLiteral("The report's rows could not be read."));
    }
    ++m_pagesDrawn;
    m_pageWidget->setImage(sink.image);
    updateControls();
}

void Viewer::updateControls()
{
    m_first->setEnabled(m_page > 1);
    m_previous->setEnabled(m_page > 1);
    m_next->setEnabled(m_page < m_pageCount);
    m_last->setEnabled(m_page < m_pageCount);
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setValue(m_page);
}

QImage Viewer::pageImage() const { return m_pageWidget->image(); }

bool Viewer::showsProgress() const { return m_pageCount > OutputProgress::fewPages; }

void Viewer::printReport()
{
    if (!m_report)
        return;
    const PageIndex *index = wholeIndex();
    OutputProgress progress(this, QStringLiteral("Printing ") + m_report->title(), OutputProgress::Unit::Pages, m_pageCount,
                            showsProgress());
    if (!ReportOutput::printWithDialog(*m_report, this, index, progress.callback())) {
        m_status->setText(progress.wasCancelled() ? QStringLiteral("Printing cancelled.")
                                                  : QStringLiteral("The report was not printed."));
        return;
    }
    const QString printed =
        m_pageCount == 1 ? QStringLiteral("printed 1 page") : QStringLiteral("printed %1 pages").arg(m_pageCount);
    m_status->setText(printed);
    MainWindow::showStatusLine(m_report->title() + QStringLiteral(": ") + printed);
}

void Viewer::closeViewer()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

// Asks where the export goes, starting in the user's documents folder; "" when the user
// cancels. The suffix is added when the name given has none.
QString Viewer::exportPath(const QString &suffix, const QString &filter)
{
    QString path = FileDialogs::saveFileName(this, QStringLiteral("Export Report"), m_report->title() + suffix, filter);
    if (!path.isEmpty() && !path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    return path;
}

void Viewer::exportPdf()
{
    if (!m_report)
        return;
    const QString path = exportPath(QStringLiteral(".pdf"), QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    savePdf(path);
}

bool Viewer::savePdf(const QString &path)
{
    if (!m_report)
        return false;
    BusyCursor busy;
    const PageIndex *index = wholeIndex();
    OutputProgress progress(this, QStringLiteral("Exporting ") + m_report->title(), OutputProgress::Unit::Pages, m_pageCount,
                            showsProgress());
    QString error;
    const bool ok = ReportOutput::writePdf(*m_report, path, index, progress.callback(), &error);
    if (ok)
        m_status->setText(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    else if (progress.wasCancelled())
        m_status->setText(QStringLiteral("Export cancelled; %1 was not written.").arg(QFileInfo(path).fileName()));
    else
        m_status->setText(QStringLiteral("Could not write %1: %2").arg(QFileInfo(path).fileName(), error));
    return ok;
}

void Viewer::exportCsv()
{
    if (!m_report || m_report->columns.isEmpty())
        return;
    const QString path = exportPath(QStringLiteral(".csv"), QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        saveCsv(path);
}

bool Viewer::saveCsv(const QString &path)
{
    if (!m_report || m_report->columns.isEmpty())
        return false;
    BusyCursor busy;
    waitForLayout();
    OutputProgress progress(this, QStringLiteral("Exporting ") + m_report->title(), OutputProgress::Unit::Rows,
                            m_index.rowCount(), showsProgress());
    QString error;
    const bool ok = ReportCsv::save(*m_report, path, &error, progress.callback());
    return saved(ok, path, progress.wasCancelled() ? QString() : error);
}

void Viewer::exportXlsx()
{
    if (!m_report || m_report->columns.isEmpty())
        return;
    const QString path = exportPath(QStringLiteral(".xlsx"), QStringLiteral("Excel workbooks (*.xlsx)"));
    if (!path.isEmpty())
        saveXlsx(path);
}

bool Viewer::saveXlsx(const QString &path)
{
    if (!m_report || m_report->columns.isEmpty())
        return false;
    BusyCursor busy;
    waitForLayout();
    OutputProgress progress(this, QStringLiteral("Exporting ") + m_report->title(), OutputProgress::Unit::Rows,
                            m_index.rowCount(), showsProgress());
    QString error;
    const bool ok = ReportXlsx::save(*m_report, path, &error, progress.callback());
    return saved(ok, path, progress.wasCancelled() ? QString() : error);
}

// An empty error with a failure is a cancel.
bool Viewer::saved(bool ok, const QString &path, const QString &error)
{
    const QString name = QFileInfo(path).fileName();
    if (ok)
        m_status->setText(QStringLiteral("Saved %1").arg(name));
    else if (error.isEmpty())
        m_status->setText(QStringLiteral("Export cancelled; %1 was not written.").arg(name));
    else
        m_status->setText(QStringLiteral("Could not write %1: %2").arg(name, error));
    return ok;
}
