// The report viewer on the keyboard: Page Up and Page Down turn its pages, and Escape,
// Ctrl+F4 and its Close button close it, as they close the program's other windows.

#include "SampleReports.h"
#include "ScreenTest.h"

#include "reports/Report.h"
#include "reports/Viewer.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

class TestViewerKeys : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pageKeysTurnThePages();
    void closing_data();
    void closing();

private:
    // A report of three pages in the viewer, which has the focus.
    Viewer *showLongReport()
    {
        auto report = SampleReports::listing(false);
        report->setRows(SampleReports::generated(3 * SampleReports::rowsPerPage));
        Viewer *viewer = Viewer::showReport(report);
        if (!viewer)
            return nullptr;
        QApplication::setActiveWindow(m_area.get());
        viewer->view()->setFocus(Qt::OtherFocusReason);
        return viewer;
    }
    std::unique_ptr<QMdiArea> m_area;
};

void TestViewerKeys::init()
{
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(1000, 800);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    Viewer::setMdiArea(m_area.get());
}

void TestViewerKeys::cleanup()
{
    Viewer::setMdiArea(nullptr);
    m_area.reset();
}

void TestViewerKeys::pageKeysTurnThePages()
{
    Viewer *viewer = showLongReport();
    QVERIFY(viewer);
    QVERIFY(viewer->pageCount() >= 3);
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus && viewer->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_PageDown);
    QCOMPARE(viewer->currentPage(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    QCOMPARE(viewer->currentPage(), 3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    QCOMPARE(viewer->currentPage(), 2);
    QCOMPARE(ScreenTest::control<QSpinBox>(viewer, u"spnPage"_s)->value(), 2);
}

void TestViewerKeys::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Ctrl+F4") << "ctrl+f4";
    QTest::newRow("the Close button") << "button";
}

void TestViewerKeys::closing()
{
    QFETCH(QString, how);
    Viewer *viewer = showLongReport();
    QVERIFY(viewer);
    QCOMPARE(m_area->subWindowList().size(), 1);
    if (how == u"button")
        ScreenTest::control<QAction>(viewer, u"actClose"_s)->trigger();
    else if (how == u"escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    QTRY_VERIFY(!Viewer::instance());
    QTRY_VERIFY(m_area->subWindowList().isEmpty());
}

QTEST_MAIN(TestViewerKeys)
#include "tst_viewerkeys.moc"
