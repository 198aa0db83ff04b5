#include "reports/ReportBatch.h"

#include "app/OutputFile.h"
#include "db/DbError.h"
#include "reports/Report.h"
#include "reports/ReportRenderer.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>

#include <exception>

namespace ReportBatch {

namespace {

using Result = Outcome::Result;

bool ask(const Progress &progress, int done, int total) { return !progress || progress(done, total); }

// Why a PDF's device failed it, as the file's message ends.
const QString pdfNotStarted = QStringLiteral("the PDF could not be started");
const QString pdfNotFinished = QStringLiteral("the PDF could not be finished");

QString reasonOf(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const DbError &e) {
        return e.serverText();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("an unknown failure");
    }
}

// Writes reports[first..last) as one PDF onto the device, which is open for writing. The
// progress is asked before each report with the batch's own count. A PDF that cannot be
// started or finished says so in the outcome's error; a cancel or a failing report leaves
// nothing counted as written.
Outcome writeDevice(const QList<std::shared_ptr<Report>> &reports, qsizetype first, qsizetype last, QIODevice &device,
                    const Progress &progress, int total)
{
    Outcome outcome;
    std::exception_ptr failure;
    bool cancelled = false;
    QPdfWriter writer(&device);
    writer.setCreator(QStringLiteral("Account Management Software"));
    writer.setResolution(600);
    writer.setTitle(reports.value(first) ? reports[first]->title() : QString());
    if (first < last)
        writer.setPageLayout(reports[first]->pageLayout());
    QPainter painter;
    if (!painter.begin(&writer)) {
        outcome.result = Result::Failed;
        outcome.error = pdfNotStarted;
        return outcome;
    }
    PagedDeviceSink sink(writer, painter);
    try {
        for (qsizetype i = first; i < last; ++i) {
            if (!ask(progress, int(i), total)) {
                cancelled = true;
                break;
            }
            const Report &report = *reports[i];
            // Each report on pages of its own layout, numbered from 1.
            writer.setPageLayout(report.pageLayout());
            const PageIndex index = paginate(report);
            renderPages(report, index, sink);
            ++outcome.reportsWritten;
        }
    } catch (...) {
        failure = std::current_exception();
    }
    const bool ended = painter.end();
    if (cancelled || failure) {
        outcome.reportsWritten = 0;
        outcome.result = cancelled ? Result::Cancelled : Result::Failed;
        if (failure)
            outcome.error = reasonOf(failure);
    } else if (!ended) {
        outcome.reportsWritten = 0;
        outcome.result = Result::Failed;
        outcome.error = pdfNotFinished;
    }
    return outcome;
}

// Writes reports[first..last) into one PDF under a passing name beside path, renamed to
// path when whole.
Outcome writeFile(const QList<std::shared_ptr<Report>> &reports, qsizetype first, qsizetype last, const QString &path,
                  const Progress &progress, int total)
{
    Outcome outcome;
    bool stopped = false; // cancelled, or a report failed: its own reason, not the file's
    QString error;
    const bool written = OutputFile::write(
        path,
        [&](QIODevice &device, QString &why) {
            outcome = writeDevice(reports, first, last, device, progress, total);
            stopped = outcome.result == Result::Cancelled
                      || (!outcome.written() && outcome.error != pdfNotStarted && outcome.error != pdfNotFinished);
            if (!outcome.written())
                why = outcome.error;
            return outcome.written();
        },
        &error);
    if (stopped)
        return outcome;
    if (!written) {
        outcome.reportsWritten = 0;
        outcome.result = Result::Failed;
        outcome.error = error;
        return outcome;
    }
    outcome.filesWritten = 1;
    return outcome;
}

} // namespace

Outcome writePdf(const QList<std::shared_ptr<Report>> &reports, QIODevice &device)
{
    return writeDevice(reports, 0, reports.size(), device, {}, int(reports.size()));
}

Outcome writeOnePdf(const QList<std::shared_ptr<Report>> &reports, const QString &path, const Progress &progress)
{
    return writeFile(reports, 0, reports.size(), path, progress, int(reports.size()));
}

Outcome writePdfFolder(const QList<std::shared_ptr<Report>> &reports, const QString &folder,
                       const std::function<QString(int index)> &fileName, const Progress &progress)
{
    Outcome outcome;
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        outcome.result = Result::Failed;
        outcome.error = QStringLiteral("Cannot make the folder %1").arg(folder);
        return outcome;
    }
    const int total = int(reports.size());
    for (qsizetype i = 0; i < reports.size(); ++i) {
        const Outcome one = writeFile(reports, i, i + 1, dir.filePath(fileName(int(i))), progress, total);
        if (!one.written()) {
            outcome.result = one.result;
            outcome.error = one.error;
            return outcome;
        }
        ++outcome.filesWritten;
        ++outcome.reportsWritten;
    }
    return outcome;
}

} // namespace ReportBatch
