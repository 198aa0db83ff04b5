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

// Writes reports[first..last) into one PDF under a passing name beside path, renamed to
// path when whole. The progress is asked before each report with the batch's own count.
Outcome writeFile(const QList<std::shared_ptr<Report>> &reports, qsizetype first, qsizetype last, const QString &path,
                  const Progress &progress, int total)
{
    Outcome outcome;
    bool cancelled = false;
    std::exception_ptr failure;
    int reportsWritten = 0;
    QString error;
    const bool written = OutputFile::write(
        path,
        [&](QIODevice &device, QString &why) {
            QPdfWriter writer(&device);
            writer.setCreator(QStringLiteral("Account Management Software"));
            writer.setResolution(600);
            writer.setTitle(reports.value(first) ? reports[first]->title() : QString());
            if (first < last)
                writer.setPageLayout(reports[first]->pageLayout());
            QPainter painter;
            if (!painter.begin(&writer)) {
                why = QStringLiteral("the PDF could not be started");
                return false;
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
                    ++reportsWritten;
                }
            } catch (...) {
                failure = std::current_exception();
            }
            const bool ended = painter.end();
            if (!cancelled && !failure && !ended)
                why = QStringLiteral("the PDF could not be finished");
            return !cancelled && !failure && ended;
        },
        &error);
    if (cancelled || failure) {
        outcome.result = cancelled ? Result::Cancelled : Result::Failed;
        if (failure)
            outcome.error = reasonOf(failure);
        return outcome;
    }
    if (!written) {
        outcome.result = Result::Failed;
        outcome.error = error;
        return outcome;
    }
    outcome.reportsWritten = reportsWritten;
    outcome.filesWritten = 1;
    return outcome;
}

} // namespace

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
