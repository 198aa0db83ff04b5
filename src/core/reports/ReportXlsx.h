#pragma once

#include "reports/ReportProgress.h"

#include <QString>

class Report;

// A report's detail rows as an Excel workbook, for a spreadsheet that must keep what a
// CSV file loses there: account numbers, zips and card numbers with their leading zeros.
// One worksheet of the report's columns (Report::columns, as the CSV export writes them):
// the captions on a frozen first row with a filter, then one row per detail row. Texts
// (account and card numbers, zips, phones, trucks, mileage) are text cells; numbers are
// numbers through the page's display pattern (money, three-decimal gallons, percent);
// dates and times are dates; flags "Yes" or "No"; NULL an empty cell. Under the summed and
// the money columns a row of SUM formulas gives the report's totals (unless the report
// says its sums only mean something by group).
namespace ReportXlsx {

// The most detail rows a worksheet takes besides the captions and the totals.
constexpr qint64 maxRows = 1048576 - 2;

// Writes the workbook to `path`, all of it or nothing: it is written under a passing
// name beside the file and takes its name only when complete, so a failure or a
// cancel leaves any file already there as it was and no other file behind. Reports rows
// done to `progress`, which cancels by returning false. False with the reason in `error`
// when the rows cannot be read, there are more than a worksheet takes, the file cannot
// be written or the export was cancelled ("Cancelled."). Never throws.
bool save(const Report &report, const QString &path, QString *error = nullptr, const ReportProgress &progress = {});

// The worksheet's name for a report title: at most 31 characters, none of []:*?/\.
QString sheetName(const QString &title);

} // namespace ReportXlsx
