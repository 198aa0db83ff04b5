// The "Report Viewer" window: one window only, a new report replaces the one on view,
// the view fills the window on every resize, and long reports are drawn a page at a time.

#include "SampleReports.h"
#include "ScreenTest.h"

#include "reports/Report.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QTimer>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using SampleReports::rowsPerPage;

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneWindowOnly();
    void newReportReplacesTheOneOnView();
    void viewFillsWindowOnResize_data();
    void viewFillsWindowOnResize();
    void longReportIsDrawnPageByPage();
    void farPageReadsOnlyTheRowsNearIt();
    void csvExportWritesTheShownRows();
    void longExportShowsProgress_data();
    void longExportShowsProgress();

private:
    static std::shared_ptr<Report> listing(int rows)
    {
        auto report = SampleReports::listing(false);
        report->setRows(SampleReports::generated(rows));
        return report;
    }
    std::unique_ptr<QMdiArea> m_area;
};

void TestViewer::init()
{
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(1000, 800);
    m_area->show();
    Viewer::setMdiArea(m_area.get());
}

void TestViewer::cleanup()
{
    Viewer::setMdiArea(nullptr);
    m_area.reset();
    QVERIFY(!Viewer::instance());
}

void TestViewer::oneWindowOnly()
{
    Viewer *first = Viewer::showReport(listing(3));
    QVERIFY(first);
    QCOMPARE(first->objectName(), u"Viewer"_s);
    QCOMPARE(first->windowTitle(), u"Report Viewer"_s);
    QCOMPARE(m_area->subWindowList().size(), 1);
    QCOMPARE(m_area->subWindowList().first()->widget(), first);

    Viewer *second = Viewer::showReport(listing(5));
    QCOMPARE(second, first);
    QCOMPARE(m_area->subWindowList().size(), 1);

    // Closed, it opens afresh, again as the only one.
    m_area->subWindowList().first()->close();
    QTRY_VERIFY(!Viewer::instance());
    QVERIFY(m_area->subWindowList().isEmpty());
    QVERIFY(Viewer::showReport(listing(1)));
    QCOMPARE(m_area->subWindowList().size(), 1);
}

void TestViewer::newReportReplacesTheOneOnView()
{
    auto longer = listing(3 * rowsPerPage);
    Viewer *viewer = Viewer::showReport(longer);
    QCOMPARE(viewer->pageCount(), 3);
    viewer->setPage(3);
    QCOMPARE(viewer->currentPage(), 3);
    const QImage third = viewer->pageImage();

    auto shorter = listing(rowsPerPage + 1);
    QCOMPARE(Viewer::showReport(shorter), viewer);
    QCOMPARE(viewer->report(), shorter);
    QCOMPARE(viewer->pageCount(), 2);
    QCOMPARE(viewer->currentPage(), 1);
    QCOMPARE(ScreenTest::control<QLabel>(viewer, u"lblPageCount"_s)->text(), u"of 2"_s);
    QCOMPARE(ScreenTest::control<QSpinBox>(viewer, u"spnPage"_s)->maximum(), 2);
    QVERIFY(viewer->pageImage() != third);
}

void TestViewer::viewFillsWindowOnResize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("a small window") << QSize(320, 240);
    QTest::newRow("a tall narrow window") << QSize(500, 780);
    QTest::newRow("a wide window") << QSize(980, 500);
}

void TestViewer::viewFillsWindowOnResize()
{
    QFETCH(QSize, size);
    Viewer *viewer = Viewer::showReport(listing(10));
    QMdiSubWindow *window = m_area->subWindowList().first();
    window->resize(size);
    QTRY_COMPARE(viewer->view()->geometry(), viewer->rect());
    QVERIFY(viewer->width() > size.width() / 2);
    QVERIFY(viewer->height() > size.height() / 2);
    // At page width the sheet follows the window too.
    viewer->setZoomText(u"Page Width"_s);
    const int before = viewer->pageImage().width();
    window->resize(size + QSize(100, 0));
    QTRY_COMPARE(viewer->view()->geometry(), viewer->rect());
    QTRY_VERIFY(viewer->pageImage().width() > before);
}

void TestViewer::longReportIsDrawnPageByPage()
{
    const int pages = 2000;
    QElapsedTimer timer;
    timer.start();
    Viewer *viewer = Viewer::showReport(listing(pages * rowsPerPage));
    QVERIFY(viewer);
    QCOMPARE(viewer->pageCount(), pages);
    // Opening draws the first page, not two thousand.
    QVERIFY2(viewer->pagesDrawn() <= 2, qPrintable(QString::number(viewer->pagesDrawn())));
    qInfo("opened a %d-page report in %lld ms", pages, timer.elapsed());

    const int drawn = viewer->pagesDrawn();
    const QImage first = viewer->pageImage();
    ScreenTest::control<QSpinBox>(viewer, u"spnPage"_s)->setValue(1500);
    QCOMPARE(viewer->currentPage(), 1500);
    QCOMPARE(viewer->pagesDrawn(), drawn + 1);
    QVERIFY(viewer->pageImage() != first);

    // The last page is reached with its own action.
    const auto actions = viewer->findChildren<QAction *>(u"actLastPage"_s);
    QCOMPARE(actions.size(), 1);
    actions.first()->trigger();
    QCOMPARE(viewer->currentPage(), pages);
    QVERIFY(!actions.first()->isEnabled());
}

void TestViewer::farPageReadsOnlyTheRowsNearIt()
{
    // Rows that note where each run begins and how many it hands over.
    struct Reads
    {
        qsizetype first = -1;
        qsizetype asked = 0;
        int handed = 0;
    };
    auto reads = std::make_shared<QList<Reads>>();
    const int total = 2000 * rowsPerPage;
    auto report = SampleReports::listing(false);
    report->setRows(RowSource::resumable([reads, total](qsizetype first, qsizetype count, const RowSource::Visitor &visit) {
        reads->append({first, count, 0});
        for (qsizetype i = first; i < total; ++i) {
            ++reads->last().handed;
            if (!visit(SampleReports::record({u"A"_s, u"Row %1"_s.arg(i + 1), double(i + 1)})))
                return;
        }
    }));
    Viewer *viewer = Viewer::showReport(report);
    QCOMPARE(viewer->pageCount(), 2000);
    reads->clear();

    viewer->setPage(1500);
    QCOMPARE(reads->size(), 1);
    // The index keeps the whole start of page 1489, not of 1500: the pages from there are
    // laid out again. From the last row of page 1488 (read again for what closes a group
    // there) to the first row of page 1501, which shows that the page is full.
    const int kept = PageIndex::keptBefore(1500);
    QVERIFY(kept > 1500 - PageIndex::keptEvery && kept <= 1500);
    QCOMPARE(reads->first().first, qsizetype((kept - 1) * rowsPerPage - 1));
    QCOMPARE(reads->first().handed, (1500 - kept + 1) * rowsPerPage + 2);
    // And asks for no more than those, so that a server streaming its rows stops there.
    QCOMPARE(reads->first().asked, qsizetype((1500 - kept + 1) * rowsPerPage + 2));
    reads->clear();
    viewer->setPage(1);
    QCOMPARE(reads->first().first, qsizetype(0));
    QCOMPARE(reads->first().handed, rowsPerPage + 1);
    QCOMPARE(reads->first().asked, qsizetype(rowsPerPage + 1));
    // The last page reads to the end.
    reads->clear();
    viewer->setPage(2000);
    QCOMPARE(reads->first().asked, qsizetype(-1));
    QCOMPARE(reads->first().handed, (2000 - PageIndex::keptBefore(2000) + 1) * rowsPerPage + 1);
}

void TestViewer::csvExportWritesTheShownRows()
{
    QAction *exportCsv = nullptr;
    auto plain = listing(3);
    Viewer *viewer = Viewer::showReport(plain);
    for (QAction *action : viewer->findChildren<QAction *>(u"actExportCsv"_s))
        exportCsv = action;
    QVERIFY(exportCsv);
    QCOMPARE(exportCsv->text(), u"Export CSV..."_s);
    // A layout without columns has no rows to export.
    QVERIFY(!exportCsv->isEnabled());

    auto withColumns = listing(3);
    withColumns->columns = {ReportColumn::text(u"Name"_s, u"Name"_s), ReportColumn::number(u"Amount"_s, u"Amount"_s, u"0.00"_s)};
    Viewer::showReport(withColumns);
    QVERIFY(exportCsv->isEnabled());
    QTemporaryDir dir;
    const QString path = dir.filePath(u"rows.csv"_s);
    QVERIFY(viewer->saveCsv(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Name,Amount\r\nRow 1,1\r\nRow 2,2\r\nRow 3,3\r\n"));
    QCOMPARE(ScreenTest::control<QLabel>(viewer, u"lblStatus"_s)->text(), u"Saved rows.csv"_s);

    QVERIFY(!viewer->saveCsv(dir.filePath(u"missing/rows.csv"_s)));
    QVERIFY(ScreenTest::control<QLabel>(viewer, u"lblStatus"_s)->text().startsWith(u"Could not write rows.csv"_s));
}

void TestViewer::longExportShowsProgress_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("lastShown"); // the progress window's last text; empty: no window

    const int few = 3;
    QTest::newRow("a PDF of a few pages shows no progress") << u"pdf"_s << few << false << QString();
    QTest::newRow("a long PDF counts its pages") << u"pdf"_s << 12 << false << u"Page 12 of 12"_s;
    QTest::newRow("a long CSV export counts its rows") << u"csv"_s << 12 << false << u"Row 564 of 564"_s;
    QTest::newRow("a long Excel export counts its rows") << u"xlsx"_s << 12 << false << u"Row 564 of 564"_s;
    QTest::newRow("a cancelled PDF leaves the file as it was") << u"pdf"_s << 12 << true << u"Page 1 of 12"_s;
    QTest::newRow("a cancelled CSV export leaves the file as it was") << u"csv"_s << 12 << true << u"Row 500 of 564"_s;
    QTest::newRow("a cancelled Excel export leaves the file as it was") << u"xlsx"_s << 12 << true << u"Row 500 of 564"_s;
}

void TestViewer::longExportShowsProgress()
{
    QFETCH(QString, format);
    QFETCH(int, pages);
    QFETCH(bool, cancel);
    QFETCH(QString, lastShown);
    auto report = listing(pages * rowsPerPage);
    report->columns = {ReportColumn::text(u"Name"_s, u"Name"_s), ReportColumn::number(u"Amount"_s, u"Amount"_s, u"0.00"_s)};
    Viewer *viewer = Viewer::showReport(report);
    QCOMPARE(viewer->pageCount(), pages);
    QCOMPARE(viewer->findChildren<QAction *>(u"actExportXlsx"_s).value(0)->text(), u"Export Excel..."_s);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"out."_s + format);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("what was there");
    old.close();

    // Watches the progress window while the export runs (it lets events through), and
    // presses its Cancel when asked to.
    QStringList shown;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        auto *progress = viewer->findChild<QProgressDialog *>(u"dlgProgress"_s);
        if (!progress || !progress->isVisible())
            return;
        if (shown.isEmpty() || shown.last() != progress->labelText())
            shown << progress->labelText();
        if (cancel)
            progress->cancel();
    });
    watch.start();
    bool saved = false;
    if (format == u"pdf"_s)
        saved = viewer->savePdf(path);
    else if (format == u"csv"_s)
        saved = viewer->saveCsv(path);
    else
        saved = viewer->saveXlsx(path);
    watch.stop();

    QCOMPARE(shown.value(shown.size() - 1), lastShown);
    QVERIFY(!viewer->findChild<QProgressDialog *>(u"dlgProgress"_s));
    QCOMPARE(saved, !cancel);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const QString status = ScreenTest::control<QLabel>(viewer, u"lblStatus"_s)->text();
    if (cancel) {
        QCOMPARE(written, QByteArray("what was there"));
        QCOMPARE(status, u"Export cancelled; out.%1 was not written."_s.arg(format));
    } else {
        QVERIFY(written != QByteArray("what was there"));
        QCOMPARE(status, u"Saved out.%1"_s.arg(format));
    }
    // No passing file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out."_s + format});
}

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
