// The report dialogs and the report commands of the menu: their fields, captions and Tab
// order, today's date in the pickers, the customer list and its message, what Ok and
// Cancel leave behind, and a failing report that leaves the dialog open with its error.

#include "ReportFixture.h"
#include "ScreenTest.h"

#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "db/Db.h"
#include "reports/Report.h"
#include "reports/ReportCsv.h"
#include "reports/ListingLayout.h"
#include "reports/Viewer.h"

#include <QApplication>
#include <QBuffer>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using ScreenTest::control;

namespace {

QStringList labelsOf(QWidget *screen)
{
    QStringList texts;
    for (const QLabel *label : screen->findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

// The first column of the shown report's CSV lines, captions first.
QStringList firstColumnShown()
{
    Viewer *viewer = Viewer::instance();
    if (!viewer)
        return {u"(no viewer)"_s};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportCsv::write(*viewer->report(), buffer);
    QStringList first;
    for (const QString &line : QString::fromUtf8(buffer.data()).split(u"\r\n"_s, Qt::SkipEmptyParts))
        first << line.section(u',', 0, 0);
    return first;
}

// The objectNames of the controls Tab reaches, pressing it from `first` on: a date
// picker counts as itself, not as the box inside it.
QStringList tabbed(QWidget *first, int count)
{
    first->setFocus();
    QStringList chain;
    for (int i = 0; i < count; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (focused && qobject_cast<QDateEdit *>(focused->parentWidget()))
            focused = focused->parentWidget();
        chain << (focused ? focused->objectName() : u"(nothing)"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return chain;
}

} // namespace

class TestReportDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void init();
    void cleanup();

    void rangeDialogOpens_data();
    void rangeDialogOpens();
    void okShowsTheRangeAndCloses_data();
    void okShowsTheRangeAndCloses();
    void cancelCloses_data();
    void cancelCloses();
    void failingReportLeavesTheDialogOpen_data();
    void failingReportLeavesTheDialogOpen();

    void customerHistoryOpens();
    void printWithoutACustomerSaysSo();
    void printShowsTheChosenCustomer();
    void enterInTheListPrints();

    void menuCommandShowsItsReport_data();
    void menuCommandShowsItsReport();
    void failingMenuReportSaysWhy();

private:
    void rangeRows();
    QDateEdit *picker(const char *name) const { return m_session.control<QDateEdit>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return m_session.control<QPushButton>(QLatin1String(name)); }

    ScreenTest::ScreenSession m_session;
};

void TestReportDialogs::init()
{
    QFETCH_GLOBAL(QString, server);
    m_session.begin(server);
    ReportFixture::fill(*m_session.db);
    ScreenTest::administrationWorkstationAt(u"1"_s);
    appContext().company.Name = u"Prairie Fuel & Go"_s;
    appContext().company.KeyPressDelay = 1;
}

void TestReportDialogs::cleanup()
{
    m_session.end();
    QVERIFY(!Viewer::instance());
}

void TestReportDialogs::rangeRows()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("layout");
    QTest::newRow("Detail Sales Report") << u"DetailSalesReport"_s << u"frmDetailTicketListing"_s << u"Detail Sales Report"_s
                                         << u"crptDetailTicketListing"_s;
    QTest::newRow("Gift Card Transaction Report") << u"GiftCardTransactionReport"_s << u"frmDetailGiftCardListing"_s
                                                  << u"Gift Card Transaction Report"_s << u"crptGiftCardTransactionReport"_s;
}

void TestReportDialogs::rangeDialogOpens_data() { rangeRows(); }

void TestReportDialogs::rangeDialogOpens()
{
    QFETCH(QString, command);
    QFETCH(QString, screen);
    QFETCH(QString, caption);
    QVERIFY(m_session.open(command));
    QCOMPARE(m_session.screen->objectName(), screen);
    QCOMPARE(m_session.screen->windowTitle(), caption);
    QCOMPARE(labelsOf(m_session.screen), QStringList({u"Begin Date"_s, u"End Date"_s}));
    QCOMPARE(button("btnOK")->text(), u"Ok"_s);
    QCOMPARE(button("btnCancel")->text(), u"Cancel"_s);
    QCOMPARE(picker("dtStart")->date(), QDate::currentDate());
    QCOMPARE(picker("dtEnd")->date(), QDate::currentDate());
    QCOMPARE(tabbed(picker("dtStart"), 5), QStringList({u"dtStart"_s, u"dtEnd"_s, u"btnOK"_s, u"btnCancel"_s, u"dtStart"_s}));
}

void TestReportDialogs::okShowsTheRangeAndCloses_data() { rangeRows(); }

void TestReportDialogs::okShowsTheRangeAndCloses()
{
    QFETCH(QString, command);
    QFETCH(QString, layout);
    QVERIFY(m_session.open(command));
    picker("dtStart")->setDate(ReportFixture::firstDay);
    picker("dtEnd")->setDate(ReportFixture::lastDay);
    button("btnOK")->click();
    Viewer *viewer = Viewer::instance();
    QVERIFY(viewer);
    QCOMPARE(viewer->report()->layoutName(), layout);
    QCOMPARE(viewer->report()->text(ListingLayout::rangeText), u"3/7/2024 - 3/8/2024"_s);
    QCOMPARE(viewer->report()->headingText(0), u"Prairie Fuel & Go"_s);
    QCOMPARE(firstColumnShown().size(), layout == u"crptDetailTicketListing"_s ? 6 : 4);
    QVERIFY(!m_session.window->openedScreen(command));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestReportDialogs::cancelCloses_data() { rangeRows(); }

void TestReportDialogs::cancelCloses()
{
    QFETCH(QString, command);
    QVERIFY(m_session.open(command));
    button("btnCancel")->click();
    QVERIFY(!m_session.window->openedScreen(command));
    QVERIFY(!Viewer::instance());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestReportDialogs::failingReportLeavesTheDialogOpen_data() { rangeRows(); }

void TestReportDialogs::failingReportLeavesTheDialogOpen()
{
    QFETCH(QString, command);
    QFETCH(QString, layout);
    QVERIFY(m_session.open(command));
    const QString table = layout == u"crptDetailTicketListing"_s ? u"Tickets"_s : u"GiftCardTransactions"_s;
    m_session.db->exec(u"DROP TABLE "_s + table);
    button("btnOK")->click();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, u"Database Error"_s);
    QVERIFY2(shown.first().text.contains(table, Qt::CaseInsensitive), qPrintable(shown.first().text));
    QCOMPARE(m_session.window->openedScreen(command), m_session.screen.data());
    QVERIFY(!Viewer::instance());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestReportDialogs::customerHistoryOpens()
{
    QVERIFY(m_session.open(u"CustomerHistoryReport"_s));
    QCOMPARE(m_session.screen->objectName(), u"frmCustomerHistory"_s);
    QCOMPARE(m_session.screen->windowTitle(), u"Customer History Report"_s);
    QCOMPARE(labelsOf(m_session.screen), QStringList({u"Name"_s, u"Begin Date"_s, u"End Date"_s}));
    QCOMPARE(button("btnOK")->text(), u"Print"_s);
    QCOMPARE(button("btnCancel")->text(), u"Cancel"_s);
    QCOMPARE(picker("dtStart")->date(), QDate::currentDate());
    QCOMPARE(picker("dtEnd")->date(), QDate::currentDate());
    auto *list = m_session.control<PickList>(u"cmbCustomer"_s);
    QCOMPARE(tabbed(list, 6),
             QStringList({u"cmbCustomer"_s, u"btnCancel"_s, u"btnOK"_s, u"dtEnd"_s, u"dtStart"_s, u"cmbCustomer"_s}));
    QStringList names, ids;
    for (int i = 0; i < list->count(); ++i) {
        names << list->itemText(i);
        ids << list->idAt(i).toString();
    }
    QCOMPARE(names, QStringList({u"Alder Freight"_s, u"Birch Hauling"_s, u"Cedar Transport"_s, u"Dogwood Lines"_s,
                                 u"O'Brien & Sons, Inc."_s}));
    QCOMPARE(ids, QStringList({u"0001"_s, u"0002"_s, u"0003"_s, u"0004"_s, u"0005"_s}));
    QCOMPARE(list->currentIndex(), -1);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestReportDialogs::printWithoutACustomerSaysSo()
{
    QVERIFY(m_session.open(u"CustomerHistoryReport"_s));
    button("btnOK")->click();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, u"You must select a Customer."_s);
    QCOMPARE(shown.first().title, u"No Customer Selected"_s);
    QCOMPARE(shown.first().buttons, MessageBox::Buttons::Ok);
    QCOMPARE(m_session.window->openedScreen(u"CustomerHistoryReport"_s), m_session.screen.data());
    QVERIFY(!Viewer::instance());
}

void TestReportDialogs::printShowsTheChosenCustomer()
{
    QVERIFY(m_session.open(u"CustomerHistoryReport"_s));
    auto *list = m_session.control<PickList>(u"cmbCustomer"_s);
    list->setFocus();
    // Typed letters find the customer, as in every customer list.
    QTest::keyClicks(list, "do");
    QCOMPARE(list->currentText(), u"Dogwood Lines"_s);
    picker("dtStart")->setDate(ReportFixture::firstDay);
    picker("dtEnd")->setDate(ReportFixture::lastDay);
    button("btnOK")->click();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(Viewer::instance());
    QCOMPARE(Viewer::instance()->report()->layoutName(), u"crtpCustomerHistoryReport"_s);
    QCOMPARE(Viewer::instance()->report()->text(ListingLayout::rangeText), u"3/7/2024 - 3/8/2024"_s);
    QCOMPARE(firstColumnShown(), QStringList({u"Customer ID"_s, u"0004"_s}));
    QVERIFY(!m_session.window->openedScreen(u"CustomerHistoryReport"_s));
}

void TestReportDialogs::enterInTheListPrints()
{
    QVERIFY(m_session.open(u"CustomerHistoryReport"_s));
    auto *list = m_session.control<PickList>(u"cmbCustomer"_s);
    list->setFocus();
    QTest::keyClicks(list, "a");
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(Viewer::instance());
    // Today's range: Alder Freight has nothing in it.
    QCOMPARE(firstColumnShown(), QStringList({u"Customer ID"_s}));
    QVERIFY(!m_session.window->openedScreen(u"CustomerHistoryReport"_s));
}

void TestReportDialogs::menuCommandShowsItsReport_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("first"); // the first column of its rows
    QTest::newRow("Account Balance Report") << u"AcctBalanceReport"_s << u"crtpAccountListing"_s
                                            << QStringList{u"0002"_s, u"0004"_s, u"0001"_s, u"0003"_s, u"0005"_s};
    QTest::newRow("Customer / Card Listing")
        << u"CustomerListing"_s << u"crptCustomerCardListingReport"_s
        << QStringList{u"0002"_s, u"0004"_s, u"0001"_s, u"0001"_s, u"0003"_s, u"0005"_s, u"0999"_s};
    QTest::newRow("Gift Card Listing") << u"GiftCardListing"_s << u"crptGiftCardListingReport"_s
                                       << QStringList{u"600001"_s, u"600002"_s, u"600003"_s};
}

void TestReportDialogs::menuCommandShowsItsReport()
{
    QFETCH(QString, command);
    QFETCH(QString, layout);
    QFETCH(QStringList, first);
    QVERIFY(!m_session.open(command)); // a report, not a screen
    QVERIFY(Viewer::instance());
    QCOMPARE(Viewer::instance()->report()->layoutName(), layout);
    QCOMPARE(Viewer::instance()->windowTitle(), u"Report Viewer"_s);
    QCOMPARE(firstColumnShown().mid(1), first);
    QCOMPARE(Viewer::instance()->currentPage(), 1);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestReportDialogs::failingMenuReportSaysWhy()
{
    m_session.db->exec(u"DROP TABLE GiftCards"_s);
    QVERIFY(!m_session.open(u"GiftCardListing"_s));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, u"Database Error"_s);
    QVERIFY2(shown.first().text.contains(u"giftcards"_s, Qt::CaseInsensitive), qPrintable(shown.first().text));
    QVERIFY(!Viewer::instance());
}

QTEST_MAIN(TestReportDialogs)
#include "tst_reportdialogs.moc"
