// "Daily Sales Summary" on the Customers menu: its dialog's fields, captions, Tab order
// and location list, the summary Ok shows for all locations or the one chosen, Cancel,
// and a failing summary that leaves the dialog open with its error.

#include "ReportFixture.h"
#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "db/Db.h"
#include "reports/ListingLayout.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QBuffer>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString command = u"DailySalesSummary"_s;

// Day, location and workstation of each row of the shown report's export.
QStringList rowsShown()
{
    Viewer *viewer = Viewer::instance();
    if (!viewer)
        return {u"(no viewer)"_s};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(*viewer->report(), buffer);
    QStringList rows;
    for (const QString &line : QString::fromUtf8(buffer.data()).split(u"\r\n"_s, Qt::SkipEmptyParts).mid(1))
        rows << line.section(u',', 0, 2);
    return rows;
}

} // namespace

class TestDailySummaryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup();

    void opensFromTheCustomersMenu();
    void okShowsTheSummaryAndCloses_data();
    void okShowsTheSummaryAndCloses();
    void cancelCloses();
    void failingSummaryLeavesTheDialogOpen();

private:
    QDateEdit *picker(const char *name) const { return m_session.control<QDateEdit>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return m_session.control<QPushButton>(QLatin1String(name)); }
    PickList *locations() const { return m_session.control<PickList>(u"cmbLocation"_s); }

    ScreenTest::ScreenSession m_session;
};

void TestDailySummaryDialog::init()
{
    QFETCH_GLOBAL(QString, server);
    m_session.begin(server);
    ReportFixture::fill(*m_session.db);
    for (int id : {2, 1})
        m_session.db->insert(u"Company"_s, {{u"ID"_s, id}, {u"Name"_s, u"Prairie Fuel & Go"_s}}, QString());
    ScreenTest::administrationWorkstationAt(u"1"_s);
    appContext().company.Name = u"Prairie Fuel & Go"_s;
    appContext().company.KeyPressDelay = 1;
}

void TestDailySummaryDialog::cleanup()
{
    m_session.end();
    QVERIFY(!Viewer::instance());
}

void TestDailySummaryDialog::opensFromTheCustomersMenu()
{
    QVERIFY(m_session.open(command));
    QCOMPARE(m_session.screen->objectName(), u"frmDailySalesSummary"_s);
    QCOMPARE(m_session.screen->windowTitle(), u"Daily Sales Summary"_s);
    QStringList labels;
    for (const QLabel *label : m_session.screen->findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels, QStringList({u"Begin Date"_s, u"End Date"_s, u"Location"_s}));
    QCOMPARE(button("btnOK")->text(), u"Ok"_s);
    QCOMPARE(button("btnCancel")->text(), u"Cancel"_s);
    QCOMPARE(picker("dtStart")->date(), QDate::currentDate());
    QCOMPARE(picker("dtEnd")->date(), QDate::currentDate());
    // Every location in number order after "All Locations", which is chosen.
    QStringList entries;
    for (int i = 0; i < locations()->count(); ++i)
        entries << locations()->itemText(i);
    QCOMPARE(entries, QStringList({u"All Locations"_s, u"1"_s, u"2"_s}));
    QCOMPARE(locations()->currentIndex(), 0);

    picker("dtStart")->setFocus();
    QStringList chain;
    for (int i = 0; i < 6; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (focused && qobject_cast<QDateEdit *>(focused->parentWidget()))
            focused = focused->parentWidget();
        chain << (focused ? focused->objectName() : u"(nothing)"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(chain, QStringList({u"dtStart"_s, u"dtEnd"_s, u"cmbLocation"_s, u"btnOK"_s, u"btnCancel"_s, u"dtStart"_s}));
}

void TestDailySummaryDialog::okShowsTheSummaryAndCloses_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("all locations, each day's payments on a row of their own")
        << u"All Locations"_s << u"3/7/2024 - 3/8/2024, all locations"_s
        << QStringList{u"2024-03-07,1,WS1"_s, u"2024-03-07,2,WS1"_s, u"2024-03-07,,"_s,
                       u"2024-03-08,1,WS1"_s, u"2024-03-08,2,WS1"_s, u"2024-03-08,,"_s};
    QTest::newRow("one location, without the payments")
        << u"2"_s << u"3/7/2024 - 3/8/2024, location 2"_s << QStringList{u"2024-03-07,2,WS1"_s, u"2024-03-08,2,WS1"_s};
}

void TestDailySummaryDialog::okShowsTheSummaryAndCloses()
{
    QFETCH(QString, location);
    QFETCH(QString, range);
    QFETCH(QStringList, rows);
    QVERIFY(m_session.open(command));
    picker("dtStart")->setDate(ReportFixture::firstDay);
    picker("dtEnd")->setDate(ReportFixture::lastDay);
    ScreenTest::choose(locations(), location);
    button("btnOK")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    Viewer *viewer = Viewer::instance();
    QVERIFY(viewer);
    QCOMPARE(viewer->report()->title(), u"Daily Sales Summary"_s);
    QCOMPARE(viewer->report()->text(ListingLayout::rangeText), range);
    QCOMPARE(viewer->report()->headingText(0), u"Prairie Fuel & Go"_s);
    QCOMPARE(rowsShown(), rows);
    QVERIFY(!m_session.window->openedScreen(command));
}

void TestDailySummaryDialog::cancelCloses()
{
    QVERIFY(m_session.open(command));
    button("btnCancel")->click();
    QVERIFY(!m_session.window->openedScreen(command));
    QVERIFY(!Viewer::instance());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestDailySummaryDialog::failingSummaryLeavesTheDialogOpen()
{
    QVERIFY(m_session.open(command));
    m_session.db->exec(u"DROP TABLE CashTickets"_s);
    button("btnOK")->click();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, u"Database Error"_s);
    QVERIFY2(shown.first().text.contains(u"CashTickets"_s, Qt::CaseInsensitive), qPrintable(shown.first().text));
    QCOMPARE(m_session.window->openedScreen(command), m_session.screen.data());
    QVERIFY(!Viewer::instance());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(TestDailySummaryDialog)
#include "tst_dailysummarydialog.moc"
