#pragma once

#include "reports/ReportProgress.h"

#include <QString>

#include <memory>

class PageIndex;
class QMdiArea;
class QWidget;
class Report;

// Where finished reports go: printed copies, PDF files, the viewer window.
namespace ReportOutput {

// Where print() sends its copies. The program always prints to the system's default
// printer; tests choose one of the others before they print.
enum class PrintTarget {
    // The system's default printer, without a dialog (CUPS on these machines).
    DefaultPrinter,
    // Every copy becomes the next file <directory>/<layout name>-<n>.pdf, n from 1; no
    // printer is involved.
    PdfFiles,
    // Every print fails, as it does when the printer cannot be reached.
    Failing,
};
void setPrintTarget(PrintTarget target, const QString &pdfDirectory = QString());
PrintTarget printTarget();

// Prints the report as `copies` separate print jobs. False when there is no default
// printer or a copy could not be drawn or sent (copies already sent stay printed).
// Never throws.
bool print(const Report &report, int copies);

// Every output lays the report out once before drawing it, so that page footers can say
// "Page N of M"; an index from an earlier layout of the same report (the viewer's) saves
// that pass.

// Writes the report to a PDF file, whole or not at all (OutputFile), telling `progress`
// the pages done. A failure or a cancel leaves a file already there as it was. False when
// the file cannot be written, the rows cannot be read or progress cancelled, with the
// reason in `error`. Never throws.
bool writePdf(const Report &report, const QString &path, const PageIndex *index = nullptr, const ReportProgress &progress = {},
              QString *error = nullptr);

// Asks for a printer with the print dialog, then prints one copy, telling `progress`
// the pages done (a cancel there aborts the job). False when the user cancels or
// printing fails. Never throws.
bool printWithDialog(const Report &report, QWidget *parent, const PageIndex *index = nullptr,
                     const ReportProgress &progress = {});

// Shows the report in the viewer window (Viewer::showReport). False when it cannot be
// shown. Never throws.
bool show(std::shared_ptr<const Report> report);

} // namespace ReportOutput
