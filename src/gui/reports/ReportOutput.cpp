#include "reports/ReportOutput.h"

#include "reports/Report.h"
#include "reports/ReportRenderer.h"
#include "reports/Viewer.h"
#include "app/Logging.h"
#include "app/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>

namespace {

struct TargetSetting
{
    ReportOutput::PrintTarget target = ReportOutput::PrintTarget::DefaultPrinter;
    QString directory;
    int written = 0;
};

TargetSetting &setting()
{
    static TargetSetting s;
    return s;
}

// The pages of a device, each told to the progress when it is done; a cancel there
// ends the run.
class ProgressSink final : public PageSink
{
public:
    ProgressSink(QPagedPaintDevice &device, QPainter &painter, const ReportProgress &progress)
        : m_pages(device, painter),
          m_progress(progress)
    {}
    PageCanvas beginPage(int page) override { return m_pages.beginPage(page); }
    bool endPage(int page) override
    {
        if (!m_pages.endPage(page))
            return false;
        if (m_progress && !m_progress(page))
            cancelled = true;
        return !cancelled;
    }
    bool cancelled = false;

private:
    PagedDeviceSink m_pages;
    const ReportProgress &m_progress;
};

// Draws every page onto a device the painter has been begun on; false on any failure
// or a cancel.
bool drawAll(const Report &report, QPagedPaintDevice &device, QPainter &painter, const PageIndex *known,
             const ReportProgress &progress = {})
{
    try {
        ProgressSink sink(device, painter, progress);
        // An index of the first pages only (the viewer's while it lays out the rest) would
        // leave the others out: the report is then laid out here.
        if (known && !known->isPartial()) {
            renderPages(report, *known, sink);
        } else {
            const PageIndex index = paginate(report);
            renderPages(report, index, sink);
        }
        if (sink.cancelled)
            qCInfo(lcPrint) << report.layoutName() << "cancelled";
        return !sink.cancelled;
    } catch (const std::exception &error) {
        qCWarning(lcPrint) << report.layoutName() << "could not be drawn:" << error.what();
        return false;
    } catch (...) {
        qCWarning(lcPrint) << report.layoutName() << "could not be drawn";
        return false;
    }
}

bool printOn(const Report &report, QPrinter &printer, const PageIndex *index = nullptr, const ReportProgress &progress = {})
{
    printer.setDocName(report.title());
    printer.setFullPage(false);
    // A printer that cannot take the layout's paper keeps its own; the layout still fits
    // within its printable area on Letter and A4.
    printer.setPageLayout(report.pageLayout());
    QPainter painter;
    if (!painter.begin(&printer)) {
        qCWarning(lcPrint) << report.layoutName() << "could not start printing on" << printer.printerName();
        return false;
    }
    const bool drawn = drawAll(report, printer, painter, index, progress);
    if (!drawn)
        printer.abort();
    const bool ended = painter.end();
    const bool sent = printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
    if (drawn && (!ended || !sent))
        qCWarning(lcPrint) << report.layoutName() << "was not accepted by" << printer.printerName();
    return drawn && ended && sent;
}

} // namespace

namespace ReportOutput {

void setPrintTarget(PrintTarget target, const QString &pdfDirectory)
{
    setting().target = target;
    setting().directory = pdfDirectory;
    setting().written = 0;
}

PrintTarget printTarget() { return setting().target; }

bool writePdf(const Report &report, const QString &path, const PageIndex *index, const ReportProgress &progress, QString *error)
{
    return OutputFile::write(
        path,
        [&](QIODevice &device, QString &why) {
            QPdfWriter writer(&device);
            writer.setTitle(report.title());
            writer.setCreator(QStringLiteral("Account Management Software"));
            writer.setResolution(600);
            writer.setPageLayout(report.pageLayout());
            QPainter painter;
            if (!painter.begin(&writer)) {
                why = QStringLiteral("the PDF could not be started");
                return false;
            }
            bool cancelled = false;
            const ReportProgress watched = progress ? ReportProgress([&](qint64 done) {
                cancelled = !progress(done);
                return !cancelled;
            })
                                                    : ReportProgress();
            const bool drawn = drawAll(report, writer, painter, index, watched);
            const bool ended = painter.end();
            if (cancelled)
                why = QStringLiteral("Cancelled.");
            else if (!drawn)
                why = QStringLiteral("the report could not be drawn");
            else if (!ended)
                why = QStringLiteral("the PDF could not be finished");
            return drawn && ended && !cancelled;
        },
        error);
}

bool print(const Report &report, int copies)
{
    try {
        TargetSetting &s = setting();
        switch (s.target) {
        case PrintTarget::Failing:
            qCWarning(lcPrint) << report.layoutName() << "not printed: printing is switched to fail";
            return false;
        case PrintTarget::PdfFiles:
            for (int copy = 0; copy < copies; ++copy) {
                const QString path =
                    QDir(s.directory).filePath(QStringLiteral("%1-%2.pdf").arg(report.layoutName()).arg(++s.written));
                if (!writePdf(report, path))
                    return false;
            }
            return true;
        case PrintTarget::DefaultPrinter:
            break;
        }
        const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
        if (printerInfo.isNull()) {
            qCWarning(lcPrint) << report.layoutName() << "not printed: this machine has no default printer";
            return false;
        }
        // One job per copy: the printer's own copy count would make one job, and a jam
        // or a cancelled job would then lose every copy at once.
        for (int copy = 0; copy < copies; ++copy) {
            QPrinter printer(printerInfo, QPrinter::HighResolution);
            if (!printer.isValid()) {
                qCWarning(lcPrint) << report.layoutName() << "not printed: the printer" << printerInfo.printerName()
                                   << "cannot be used";
                return false;
            }
            printer.setCopyCount(1);
            if (!printOn(report, printer))
                return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool printWithDialog(const Report &report, QWidget *parent, const PageIndex *index, const ReportProgress &progress)
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Print Report"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        return printOn(report, printer, index, progress);
    } catch (...) {
        return false;
    }
}

bool show(std::shared_ptr<const Report> report)
{
    try {
        return Viewer::showReport(std::move(report)) != nullptr;
    } catch (...) {
        return false;
    }
}

} // namespace ReportOutput
