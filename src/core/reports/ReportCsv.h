#pragma once

#include "reports/ReportProgress.h"

#include <QString>

class QIODevice;
class Report;

// A report's detail rows as comma-separated values, for a spreadsheet or an accounting
// program: one line of the captions of its columns (Report::columns), then one line per
// row. UTF-8 without a byte order mark, CRLF line ends, a field quoted when it holds a
// comma, a quote or a line end (quotes doubled); numbers as plain decimal text, dates as
// ISO 8601 (2024-03-07, 2024-03-07T14:05:09), flags as Yes or No, NULL (a flag never set
// included) as an empty field.
namespace ReportCsv {

// One field as it is written, quoted where needed.
QString quoted(const QString &field);

// Writes the whole export to the device, telling `progress` the rows done. Throws
// DbError when the rows cannot be read; false when progress cancelled it.
bool write(const Report &report, QIODevice &device, const ReportProgress &progress = {});

// Writes the export to a file, all of it or nothing: a failure leaves no file behind
// and any file already there as it was. False with the reason in `error` when the rows
// cannot be read, the file cannot be written or `progress` cancelled ("Cancelled.").
// Never throws.
bool save(const Report &report, const QString &path, QString *error = nullptr, const ReportProgress &progress = {});

} // namespace ReportCsv
