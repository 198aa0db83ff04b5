#pragma once

#include "reports/Report.h"
#include "reports/ReportRenderer.h"

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Lays a report out on a thread of its own, reading its rows over a connection of its
// own (or the rows the report holds), so that the viewer can show the first pages of a long report while the rest are
// laid out, and the screen never waits for the last row. The pages are handed over as
// they are laid out (takePages); the index it ends with is the one paginate() makes.
class BackgroundLayout
{
public:
    // Whether the report's layout rows can be read on another thread: rows of a query on
    // a database opened from a connection text (read over a connection of the thread's
    // own), or rows already read and held by the report. Rows the program makes as they
    // are asked for are laid out where they are.
    static bool canRun(const Report &report);

    // Starts laying the report out. The report is copied for the thread, so the caller
    // goes on drawing its pages with its own copy and connection.
    explicit BackgroundLayout(const Report &report);
    // Stops the layout at the next page and waits for its thread.
    ~BackgroundLayout();

    BackgroundLayout(const BackgroundLayout &) = delete;
    BackgroundLayout &operator=(const BackgroundLayout &) = delete;

    // Adds to `index` (the same report's first pages, or none) the page starts laid out
    // beyond those it has; once the layout is done the index is made whole (row count,
    // no longer partial). Returns whether it changed.
    bool takePages(PageIndex &index);
    // Waits until the layout has ended.
    void wait();
    bool isDone() const;
    // Why the layout ended without its last page (its connection could not be opened,
    // a query failed); empty while it runs and when it succeeded.
    QString error() const;

    // Tests only: called on the layout's thread after each page, with the number of pages
    // laid out so far; a test can hold the layout there to look at the viewer meanwhile.
    static void setPageHook(std::function<void(int)> hook);

private:
    void run(Report &report, const std::function<std::unique_ptr<Db>()> &open);
    // Publishes the starts the layout's own index holds beyond those already published.
    void publish(const PageIndex &laidOut, bool done);

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    // What the thread has published and the reader not yet taken, guarded by m_mutex: the
    // first rows of the pages up to m_published, the last m_firstRows.size() of them, and the
    // whole starts of the kept pages among them (PageIndex::isKept), so that pages not
    // taken for a while (the viewer waiting for the last page) are held as compactly as
    // in the index.
    QList<qsizetype> m_firstRows;
    QList<PageIndex::Start> m_kept;
    int m_published = 0;
    qsizetype m_rows = 0;
    bool m_done = false;
    QString m_error;

    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<QThread> m_thread;
};
