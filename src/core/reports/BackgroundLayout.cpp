#include "reports/BackgroundLayout.h"

#include "db/Db.h"
#include "db/DbError.h"

#include <QThread>

namespace {

std::function<void(int)> &pageHook()
{
    static std::function<void(int)> hook;
    return hook;
}

} // namespace

bool BackgroundLayout::canRun(const Report &report)
{
    if (report.layoutRows().isHeld())
        return true;
    const Db *db = report.layoutRows().connection();
    return db && db->anotherConnection();
}

void BackgroundLayout::setPageHook(std::function<void(int)> hook) { pageHook() = std::move(hook); }

BackgroundLayout::BackgroundLayout(const Report &report)
{
    // Everything the thread reads is its own: a copy of the report (its group keys and
    // summed values keep their own caches) and the means to open its own connection.
    std::function<std::unique_ptr<Db>()> open;
    if (const Db *db = report.layoutRows().connection())
        open = db->anotherConnection();
    m_thread.reset(QThread::create([this, copy = report, open = std::move(open)]() mutable { run(copy, open); }));
    m_thread->start();
}

BackgroundLayout::~BackgroundLayout()
{
    m_cancelled = true;
    m_thread->wait();
}

void BackgroundLayout::run(Report &report, const std::function<std::unique_ptr<Db>()> &open)
{
    QString failure;
    try {
        // Opened, used and closed on this thread, as a connection must be; rows the
        // report holds need none.
        std::unique_ptr<Db> db;
        if (!report.layoutRows().isHeld()) {
            if (!open)
                throw DbError(QStringLiteral("The report's rows cannot be read over another connection."));
            db = open();
            report.setLayoutRows(report.layoutRows().on(*db));
        }
        const std::function<void(int)> hook = pageHook();
        const PageIndex index = paginate(report, [&](const PageIndex &laidOut) {
            publish(laidOut, false);
            if (hook)
                hook(laidOut.pageCount());
            return !m_cancelled;
        });
        if (!index.isPartial())
            publish(index, true);
    } catch (const DbError &error) {
        failure = error.serverText();
    } catch (...) {
    }
    const QMutexLocker lock(&m_mutex);
    if (!m_done) {
        // Failed, or stopped by the destructor.
        m_error = failure.isEmpty() ? QStringLiteral("The report's rows could not be read.") : failure;
        m_done = true;
    }
    m_changed.wakeAll();
}

void BackgroundLayout::publish(const PageIndex &laidOut, bool done)
{
    const QMutexLocker lock(&m_mutex);
    for (int page = m_published + 1; page <= laidOut.pageCount(); ++page) {
        m_firstRows.append(laidOut.firstRow(page));
        if (PageIndex::isKept(page))
            m_kept.append(laidOut.start(page));
    }
    m_published = qMax(m_published, laidOut.pageCount());
    if (done) {
        m_rows = laidOut.rowCount();
        m_done = true;
    }
    m_changed.wakeAll();
}

bool BackgroundLayout::takePages(PageIndex &index)
{
    const QMutexLocker lock(&m_mutex);
    // The pages the index has already (laid out before this layout began) are the same
    // as this layout's first ones: only those after them are added. Those taken are let
    // go here, so that a long report's starts are not held twice.
    const int first = m_published - int(m_firstRows.size()) + 1;
    const bool more = m_published > index.pageCount();
    qsizetype kept = 0;
    for (int page = first; page <= m_published; ++page) {
        const bool whole = PageIndex::isKept(page);
        if (page > index.pageCount()) {
            PageIndex::Start start;
            if (whole)
                start = m_kept[kept];
            else
                start.row = m_firstRows[page - first];
            index.append(start);
        }
        if (whole)
            ++kept;
    }
    m_firstRows.clear();
    m_kept.clear();
    const bool whole = m_done && m_error.isEmpty();
    const bool finished = whole && index.isPartial();
    index.setPartial(!whole);
    if (whole)
        index.setRowCount(m_rows);
    return more || finished;
}

void BackgroundLayout::wait()
{
    QMutexLocker lock(&m_mutex);
    while (!m_done)
        m_changed.wait(&m_mutex);
}

bool BackgroundLayout::isDone() const
{
    const QMutexLocker lock(&m_mutex);
    return m_done;
}

QString BackgroundLayout::error() const
{
    const QMutexLocker lock(&m_mutex);
    return m_error;
}
