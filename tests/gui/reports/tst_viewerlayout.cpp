// A report read from the database is laid out by the viewer on a thread and a connection
// of its own, and so is one whose rows are already read: its first page shows before the
// rest are laid out, with "of ..." beside the page number, and the pages it ends with are
// those of a whole layout made at once.
// Showing another report meanwhile stops that layout; a query that fails is not shown.

#include "PdfText.h"
#include "SampleReports.h"
#include "ScreenTest.h"
#include "TestDb.h"

#include "db/Db.h"
#include "db/DbError.h"
#include "reports/BackgroundLayout.h"
#include "reports/Report.h"
#include "reports/ReportOutput.h"
#include "reports/Viewer.h"

#include <QLabel>
#include <QMdiArea>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace Qt::StringLiterals;
using SampleReports::rowsPerPage;

class TestViewerLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup();
    void firstPagesShowBeforeTheRest_data();
    void firstPagesShowBeforeTheRest();
    void anotherReportStopsTheLayout();
    void failingQueryIsNotShown();

private:
    // Rows 1..count in regions of `perRegion` rows ("R100", "R101", ...), amount i / 4.
    void fill(int count, int perRegion);
    // Reads its rows as it is laid out and drawn, or once beforehand when `held`.
    std::shared_ptr<Report> listing(bool grouped, const QString &table = u"LayoutRows"_s, bool held = false);
    QString pageOf(Viewer *viewer) const { return ScreenTest::control<QLabel>(viewer, u"lblPageCount"_s)->text(); }

    std::unique_ptr<Db> m_db;
    std::unique_ptr<QMdiArea> m_area;
    // The layout's thread waits here when the test holds it.
    QSemaphore m_held;
};

void TestViewerLayout::init()
{
    QFETCH_GLOBAL(QString, server);
    m_db = TestDb::fresh(server);
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(1000, 800);
    m_area->show();
    Viewer::setMdiArea(m_area.get());
}

void TestViewerLayout::cleanup()
{
    // A layout still held is let go before the viewer that waits for it closes.
    m_held.release(1000);
    Viewer::setMdiArea(nullptr);
    m_area.reset();
    QVERIFY(!Viewer::instance());
    BackgroundLayout::setPageHook({});
    m_held.acquire(m_held.available());
    m_db.reset();
}

void TestViewerLayout::fill(int count, int perRegion)
{
    // The PostgreSQL test database is made afresh with the program's tables only.
    m_db->exec(u"DROP TABLE IF EXISTS LayoutRows"_s);
    m_db->exec(u"CREATE TABLE LayoutRows (ID INTEGER PRIMARY KEY, Region VARCHAR(10), Name VARCHAR(40), Amount NUMERIC(12,2))"_s);
    m_db->exec(u"INSERT INTO LayoutRows (ID, Region, Name, Amount) "
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
               "SELECT i, 'R' || CAST(100 + (i - 1) / ? AS VARCHAR(10)), 'Row ' || CAST(i AS VARCHAR(10)), i / 4.0 FROM n"_s,
               {count, perRegion});
}

std::shared_ptr<Report> TestViewerLayout::listing(bool grouped, const QString &table, bool held)
{
    auto report = SampleReports::listing(grouped);
    // The footer says "Page 3 of 60" once the number of pages is known.
    report->pageFooter.items.clear();
    report->pageFooter.text(QRectF(0, 4, report->bodyWidth(), 16), ReportText::pageOfPages(),
                            Qt::AlignHCenter | Qt::AlignVCenter);
    const QString sql = u"SELECT Region AS Region, Name AS Name, Amount AS Amount FROM %1 ORDER BY Region, ID"_s.arg(table);
    report->setRows(held ? RowSource::fromRecords(m_db->rows(sql)) : RowSource::fromQuery(*m_db, sql, {}));
    return report;
}

void TestViewerLayout::firstPagesShowBeforeTheRest_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("perRegion"); // rows of a region; the report is grouped when not 0
    QTest::addColumn<int>("holdAt");    // the layout waits after this page until the test goes on; 0: never
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("held"); // the rows are read before the report is shown

    QTest::newRow("a report of a few pages shows with its number of pages") << 3 * rowsPerPage << 0 << 0 << 3 << false;
    QTest::newRow("a report of as many pages as are laid out before showing is counted")
        << Viewer::pagesBeforeShowing * rowsPerPage << 0 << 0 << Viewer::pagesBeforeShowing << false;
    QTest::newRow("a long report shows its first page while the rest is laid out") << 60 * rowsPerPage << 0 << 30 << 60 << false;
    QTest::newRow("a grouped report's pages and totals come out as in a whole layout") << 2500 << 170 << 25 << 0 << false;
    QTest::newRow("a long report of rows already read shows its first page while the rest is laid out")
        << 60 * rowsPerPage << 0 << 30 << 60 << true;
    QTest::newRow("a grouped report of rows already read comes out as in a whole layout") << 2500 << 170 << 25 << 0 << true;
}

void TestViewerLayout::firstPagesShowBeforeTheRest()
{
    QFETCH(int, rows);
    QFETCH(int, perRegion);
    QFETCH(int, holdAt);
    QFETCH(int, pages);
    QFETCH(bool, held);
    fill(rows, perRegion > 0 ? perRegion : rows);
    auto report = listing(perRegion > 0, u"LayoutRows"_s, held);
    std::atomic<int> laidOut{0};
    BackgroundLayout::setPageHook([&](int page) {
        laidOut = page;
        if (page == holdAt)
            m_held.acquire();
    });

    Viewer *viewer = Viewer::showReport(report);
    QVERIFY(viewer);
    QCOMPARE(viewer->currentPage(), 1);
    if (holdAt > 0) {
        // Shown while the layout waits: page 1 and the pages laid out so far, no count.
        QVERIFY(!viewer->isLaidOut());
        QCOMPARE(pageOf(viewer), u"of ..."_s);
        QVERIFY2(viewer->pageCount() >= Viewer::pagesBeforeShowing && viewer->pageCount() < holdAt,
                 qPrintable(QString::number(viewer->pageCount())));
        QVERIFY(laidOut <= holdAt);
        const QImage uncounted = viewer->pageImage();
        viewer->setPage(viewer->pageCount());
        QCOMPARE(viewer->currentPage(), viewer->pageCount());
        viewer->setPage(1);
        QCOMPARE(viewer->pageImage(), uncounted);
        // A PDF written meanwhile from the viewer's index of the first pages has them all.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"meanwhile.pdf"_s);
        QVERIFY(ReportOutput::writePdf(*report, pdf, &viewer->pageIndex()));
        QCOMPARE(PdfText::pageCount(pdf), paginate(*report).pageCount());
        m_held.release();
        // The viewer takes the rest as they come, and draws page 1 again with its count.
        QTRY_VERIFY_WITH_TIMEOUT(viewer->isLaidOut(), 60000);
        QVERIFY(viewer->pageImage() != uncounted);
    }
    QVERIFY(viewer->isLaidOut());
    const PageIndex whole = paginate(*report);
    if (pages > 0)
        QCOMPARE(whole.pageCount(), pages);
    QCOMPARE(viewer->pageCount(), whole.pageCount());
    QCOMPARE(pageOf(viewer), u"of %1"_s.arg(whole.pageCount()));
    QCOMPARE(viewer->pageIndex().rowCount(), qsizetype(rows));

    // Every page begins where a whole layout begins it, with the same running totals
    // where its state is kept.
    const PageIndex &shown = viewer->pageIndex();
    for (int page = 1; page <= whole.pageCount(); ++page) {
        QCOMPARE(shown.firstRow(page), whole.firstRow(page));
        if (!PageIndex::isKept(page))
            continue;
        QCOMPARE(shown.start(page).row, whole.start(page).row);
        QCOMPARE(shown.start(page).y, whole.start(page).y);
        QCOMPARE(shown.start(page).keys, whole.start(page).keys);
        QCOMPARE(shown.start(page).grand.count(), whole.start(page).grand.count());
        QCOMPARE(shown.start(page).grand.sum(u"Amount"_s), whole.start(page).grand.sum(u"Amount"_s));
    }
    // And the pages look the same: the first, around the held page, the last.
    QList<int> looked = {1, 2, whole.pageCount()};
    if (holdAt > 0)
        looked << holdAt - 1 << holdAt << holdAt + 1;
    QList<QImage> images;
    for (int page : std::as_const(looked)) {
        viewer->setPage(page);
        images << viewer->pageImage();
    }
    QCOMPARE(Viewer::showReport(report, whole), viewer);
    for (qsizetype i = 0; i < looked.size(); ++i) {
        viewer->setPage(looked[i]);
        QVERIFY2(viewer->pageImage() == images[i], qPrintable(u"page %1"_s.arg(looked[i])));
    }
}

void TestViewerLayout::anotherReportStopsTheLayout()
{
    fill(200 * rowsPerPage, 200 * rowsPerPage);
    std::atomic<int> laidOut{0};
    const int holdAt = Viewer::pagesBeforeShowing + 5;
    BackgroundLayout::setPageHook([&](int page) {
        laidOut = page;
        if (page == holdAt)
            m_held.acquire();
        else if (page > holdAt)
            QThread::msleep(20);
    });
    Viewer *viewer = Viewer::showReport(listing(false));
    QVERIFY(viewer);
    QVERIFY(!viewer->isLaidOut());
    m_held.release();

    auto shorter = SampleReports::listing(false);
    shorter->setRows(SampleReports::generated(2 * rowsPerPage));
    QCOMPARE(Viewer::showReport(shorter), viewer);
    // The long report's layout ended at once, not 200 pages later.
    QVERIFY2(laidOut < 100, qPrintable(QString::number(laidOut)));
    QVERIFY(viewer->isLaidOut());
    QCOMPARE(viewer->pageCount(), 2);
    QCOMPARE(pageOf(viewer), u"of 2"_s);
    // Nothing of the stopped layout reaches the viewer later.
    QTest::qWait(300);
    QCOMPARE(viewer->pageCount(), 2);
    QCOMPARE(viewer->report(), std::shared_ptr<const Report>(shorter));
}

void TestViewerLayout::failingQueryIsNotShown()
{
    auto report = listing(false, u"NoSuchTable"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, Viewer::openReport(report));
    QVERIFY(!Viewer::showReport(report));
    QVERIFY(!Viewer::instance());
}

QTEST_MAIN(TestViewerLayout)
#include "tst_viewerlayout.moc"
