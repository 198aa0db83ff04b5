#pragma once

#include "reports/ReportProgress.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// How far a long export or print has come, in a window with Cancel: "Page 3 of 120" or
// "Row 5,000 of 90,000". Work of a few pages shows none (the busy pointer says enough).
// The work runs on the screen's own thread; telling the progress lets the window draw
// and its Cancel be pressed.
class OutputProgress
{
public:
    // More pages than this make an export or print long.
    static constexpr int fewPages = 3;

    enum class Unit { Pages, Rows };

    // `caption` names the work ("Exporting Detail Sales Report"); `total` is the number
    // of pages or rows; `shown` whether the window appears at all. It appears with the
    // first step the work tells.
    OutputProgress(QWidget *parent, const QString &caption, Unit unit, qint64 total, bool shown);
    ~OutputProgress();

    // What the output tells; false once Cancel was pressed.
    ReportProgress callback();
    bool wasCancelled() const { return m_cancelled; }

private:
    bool advance(qint64 done);

    std::unique_ptr<QProgressDialog> m_dialog;
    Unit m_unit;
    qint64 m_total;
    bool m_cancelled = false;
};
