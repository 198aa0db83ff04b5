#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class Report;

// Many reports written out in one run (a month's statements): into one PDF file one after
// the other, each with its own page numbers, or each into a file of its own in a folder.
// Every file is written under a passing name and gets its own name only when it is whole,
// so a run that is cancelled or fails leaves no half-written file: the one PDF is there
// whole or not at all, and in a folder only the files already finished stay.
namespace ReportBatch {

// Asked before each report is written (done of total); returning false cancels the run
// there.
using Progress = std::function<bool(int done, int total)>;

struct Outcome
{
    enum class Result { Written, Cancelled, Failed };
    Result result = Result::Written;
    // Files finished and kept.
    int filesWritten = 0;
    // Reports written into them.
    int reportsWritten = 0;
    // Why it failed.
    QString error;

    bool written() const { return result == Result::Written; }
};

// Every report into one PDF written onto an open device (a download held in memory). A
// failure leaves what was written on the device: the caller throws it away.
Outcome writePdf(const QList<std::shared_ptr<Report>> &reports, QIODevice &device);

// Every report into one PDF file.
Outcome writeOnePdf(const QList<std::shared_ptr<Report>> &reports, const QString &path, const Progress &progress = {});

// Each report into <folder>/<fileName(i)>; the folder is made when it is missing.
Outcome writePdfFolder(const QList<std::shared_ptr<Report>> &reports, const QString &folder,
                       const std::function<QString(int index)> &fileName, const Progress &progress = {});

} // namespace ReportBatch
