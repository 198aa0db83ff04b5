#include "reports/OutputProgress.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

OutputProgress::OutputProgress(QWidget *parent, const QString &caption, Unit unit, qint64 total, bool shown)
    : m_unit(unit),
      m_total(qMax<qint64>(total, 1))
{
    if (!shown)
        return;
    m_dialog = std::make_unique<QProgressDialog>(parent);
    m_dialog->setObjectName(QStringLiteral("dlgProgress"));
    m_dialog->setWindowTitle(caption);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(0);
    // The bar counts in thousandths, whatever the number of rows.
    m_dialog->setRange(0, 1000);
    m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
}

OutputProgress::~OutputProgress() = default;

ReportProgress OutputProgress::callback()
{
    return [this](qint64 done) { return advance(done); };
}

bool OutputProgress::advance(qint64 done)
{
    if (!m_dialog)
        return true;
    // Once cancelled the window stays closed.
    if (m_dialog->wasCanceled())
        m_cancelled = true;
    if (m_cancelled)
        return false;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const QString of = m_unit == Unit::Pages ? QStringLiteral("Page %1 of %2") : QStringLiteral("Row %1 of %2");
    m_dialog->setLabelText(of.arg(locale.toString(qMin(done, m_total)), locale.toString(m_total)));
    m_dialog->setValue(int(qMin<qint64>(1000, done * 1000 / m_total)));
    // Shown when the work tells its first step, not before: a print asks for its
    // printer first.
    if (!m_dialog->isVisible())
        m_dialog->show();
    // The window is modal: setting its value lets it draw and take the Cancel.
    QCoreApplication::processEvents();
    if (m_dialog->wasCanceled())
        m_cancelled = true;
    return !m_cancelled;
}
