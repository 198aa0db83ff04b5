// The main window: the menu as the clerk sees it, the administration commands on
// counter workstations, screens opened once at the top-left corner, and closing.

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Startup.h"
#include "db/Db.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace {

// Stands in for a screen of a later part of the program.
class TypingScreen : public QWidget
{
public:
    explicit TypingScreen(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("frmTyping"));
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtTyped"));
        ++created;
    }
    static inline int created = 0;
};

using Entry = QPair<QString, QString>; // command, caption

// A menu caption as the clerk reads it: the access key's marker left out.
QString caption(const QAction *action)
{
    QString text = action->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
}

// The letter the caption underlines.
QChar accessKey(const QAction *action)
{
    const QString text = QString(action->text()).replace(QStringLiteral("&&"), QString());
    const qsizetype at = text.indexOf(u'&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void captionAndMenuBar();
    void menus_data();
    void menus();
    void everyMenuHasDistinctAccessKeys();
    void workstationRights_data();
    void workstationRights();
    void disabledCommandCannotBeChosen();
    void screenOpensOnceAtTopLeft();
    void closedScreenOpensAfresh();
    void commandWithoutScreenDoesNothing();
    void closingTheFrameAsksNothing();
    void exitClosesTheConnectionAndEnds();

private:
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    MessageBox::startRecording();
    appContext().config = Configuration();
    appContext().config.AdminWorkstation = QStringLiteral("1");
    m_window = std::make_unique<MainWindow>();
    MainWindow::registerScreen<TypingScreen>(QStringLiteral("TicketEntry"));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    MessageBox::stopRecording();
}

void TestMainWindow::captionAndMenuBar()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("MDI"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Account Management Software"));
    const QList<Entry> expected = {{"File", "File"},
                                   {"TicketEntry", "Ticket Entry"},
                                   {"CashTicketEntry", "Cash Ticket Entry"},
                                   {"GiftCards", "Gift Cards"},
                                   {"Customers", "Customers"},
                                   {"Settings", "Settings"},
                                   {"Help", "Help"}};
    QList<Entry> shown;
    for (QAction *a : m_window->menuBar()->actions())
        shown.append({a->objectName(), caption(a)});
    QCOMPARE(shown, expected);
    // The two ticket commands act from the menu bar itself.
    QVERIFY(!m_window->action("TicketEntry")->menu());
    QVERIFY(!m_window->action("CashTicketEntry")->menu());
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QList<Entry>>("items");
    QTest::newRow("File holds Setup and Exit") << "File" << QList<Entry>{{"CompanyInfo", "Setup"}, {"Exit", "Exit"}};
    QTest::newRow("Gift Cards holds the six gift card commands")
        << "GiftCards"
        << QList<Entry>{{"GiftCardPurchase", "Gift Card Purchase"},
                        {"GiftCardRedemption", "Gift Card Redemption"},
                        {"BalanceInquiry", "Balance Inquiry"},
                        {"GiftCardEdit", "Gift Card Edit"},
                        {"GiftCardTransactionReport", "Gift Card Transaction Report"},
                        {"GiftCardListing", "Gift Card Listing"}};
    QTest::newRow("Customers holds the customer screens and reports")
        << "Customers"
        << QList<Entry>{{"CustomerEntry", "Customer Entry/Edit"},
                        {"ReceivePayment", "Receive Payment"},
                        {"AcctBalanceReport", "Account Balance Report"},
                        {"CustomerHistoryReport", "Customer History Report"},
                        {"DetailSalesReport", "Detail Sales Report"},
                        {"DailySalesSummary", "Daily Sales Summary"},
                        {"CustomerListing", "Customer / Card Listing"},
                        {"Statements", "Statements..."},
                        {"ArAgingReport", "A/R Aging Report"}};
    QTest::newRow("Settings holds Pricing and the rebuild")
        << "Settings" << QList<Entry>{{"Pricing", "Pricing"}, {"RebuildCustomerBalance", "Rebuild Customer Balance"}};
    QTest::newRow("Help holds About") << "Help" << QList<Entry>{{"About", "About"}};
}

void TestMainWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QList<Entry>, items);
    auto *m = m_window->findChild<QMenu *>(menu);
    QVERIFY(m);
    QList<Entry> shown;
    for (QAction *a : m->actions())
        shown.append({a->objectName(), caption(a)});
    QCOMPARE(shown, items);
    for (const Entry &e : items)
        QCOMPARE(m_window->findChild<QAction *>(e.first), m_window->action(e.first));
}

// Alt and a letter reach every menu, and each letter leads to one command only.
void TestMainWindow::everyMenuHasDistinctAccessKeys()
{
    QList<QList<QAction *>> levels = {m_window->menuBar()->actions()};
    for (QMenu *menu : m_window->findChildren<QMenu *>())
        levels << menu->actions();
    for (const QList<QAction *> &level : levels) {
        QSet<QChar> keys;
        for (QAction *a : level) {
            const QChar key = accessKey(a);
            QVERIFY2(!key.isNull(), qPrintable(a->objectName() + QStringLiteral(" has no access key")));
            QVERIFY2(!keys.contains(key), qPrintable(a->objectName() + QStringLiteral(" repeats the access key ") + key));
            keys.insert(key);
        }
    }
}

void TestMainWindow::workstationRights_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("admin");
    QTest::newRow("1 is an administration workstation") << "1" << true;
    QTest::newRow("0 is a counter workstation") << "0" << false;
    QTest::newRow("an empty flag is a counter workstation") << "" << false;
    QTest::newRow("Y is a counter workstation") << "Y" << false;
    QTest::newRow("a blank before the 1 makes a counter workstation") << " 1" << false;
    QTest::newRow("01 is a counter workstation") << "01" << false;
    QTest::newRow("a blank after the 1 makes a counter workstation") << "1 " << false;
}

void TestMainWindow::workstationRights()
{
    QFETCH(QString, flag);
    QFETCH(bool, admin);
    appContext().config.AdminWorkstation = flag;
    MainWindow window;
    ApplyWorkstationRights(window);

    const QStringList counterCommands = {
        "File",           "Exit", "TicketEntry", "CashTicketEntry", "GiftCards", "GiftCardPurchase", "GiftCardRedemption",
        "BalanceInquiry", "Help", "About"};
    const QStringList adminCommands = {"CompanyInfo",       "Customers",
                                       "CustomerEntry",     "ReceivePayment",
                                       "AcctBalanceReport", "CustomerHistoryReport",
                                       "DetailSalesReport", "DailySalesSummary",
                                       "CustomerListing",   "Statements",
                                       "ArAgingReport",     "Settings",
                                       "Pricing",           "RebuildCustomerBalance",
                                       "GiftCardEdit",      "GiftCardTransactionReport",
                                       "GiftCardListing"};
    QCOMPARE(counterCommands.size() + adminCommands.size(), MainWindow::commandNames().size());
    for (const QString &command : counterCommands)
        QVERIFY2(window.action(command)->isEnabled(), qPrintable(command));
    for (const QString &command : adminCommands) {
        QAction *a = window.action(command);
        QVERIFY2(a->isEnabled() == admin, qPrintable(command));
        QVERIFY2(a->isVisible(), qPrintable(command));
    }
}

void TestMainWindow::disabledCommandCannotBeChosen()
{
    // Clicking the greyed Pricing item in the open Settings menu opens nothing.
    appContext().config.AdminWorkstation = QStringLiteral("0");
    MainWindow window;
    ApplyWorkstationRights(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *settings = window.findChild<QMenu *>(QStringLiteral("Settings"));
    QAction *pricing = window.action(QStringLiteral("Pricing"));
    bool chosen = false;
    connect(pricing, &QAction::triggered, this, [&] { chosen = true; });
    settings->popup(window.mapToGlobal(QPoint(0, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    QTest::mouseClick(settings, Qt::LeftButton, {}, settings->actionGeometry(pricing).center());
    QTest::qWait(20);
    QVERIFY(!chosen);
    QVERIFY(!window.openedScreen(QStringLiteral("Pricing")));
    settings->close();
}

void TestMainWindow::screenOpensOnceAtTopLeft()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const int before = TypingScreen::created;
    m_window->action("TicketEntry")->trigger();
    QWidget *screen = m_window->openedScreen("TicketEntry");
    QVERIFY(screen);
    auto *sub = qobject_cast<QMdiSubWindow *>(screen->parentWidget());
    QVERIFY(sub);
    QCOMPARE(sub->pos(), QPoint(0, 0));
    auto *typed = ScreenTest::control<QLineEdit>(screen, "txtTyped");
    typed->setText(QStringLiteral("truck 12"));

    // Another screen opens on top; choosing Ticket Entry again changes nothing.
    m_window->action("About")->trigger();
    QMdiSubWindow *active = m_window->mdiArea()->activeSubWindow();
    m_window->action("TicketEntry")->trigger();
    QCOMPARE(TypingScreen::created, before + 1);
    QCOMPARE(m_window->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(m_window->openedScreen("TicketEntry"), screen);
    QCOMPARE(typed->text(), QStringLiteral("truck 12"));
    QCOMPARE(m_window->mdiArea()->activeSubWindow(), active);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestMainWindow::closedScreenOpensAfresh()
{
    m_window->show();
    m_window->action("TicketEntry")->trigger();
    QPointer<QWidget> first = m_window->openedScreen("TicketEntry");
    ScreenTest::control<QLineEdit>(first, "txtTyped")->setText(QStringLiteral("old"));
    // The screen closes itself, as its Exit button does: its child window goes too.
    first->close();
    QVERIFY(!m_window->openedScreen("TicketEntry"));
    QTRY_VERIFY(m_window->mdiArea()->subWindowList().isEmpty());
    m_window->action("TicketEntry")->trigger();
    QWidget *second = m_window->openedScreen("TicketEntry");
    QVERIFY(second);
    QVERIFY(second != first);
    QCOMPARE(ScreenTest::control<QLineEdit>(second, "txtTyped")->text(), QString());
    QCOMPARE(m_window->mdiArea()->subWindowList().size(), 1);
}

void TestMainWindow::commandWithoutScreenDoesNothing()
{
    m_window->show();
    // Every command of the menu opens or runs something by now; a command the table does
    // not know stands for one whose screen is not there.
    m_window->runCommand(QStringLiteral("NoSuchCommand"));
    QVERIFY(m_window->mdiArea()->subWindowList().isEmpty());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestMainWindow::closingTheFrameAsksNothing()
{
    m_window->show();
    m_window->action("TicketEntry")->trigger();
    ScreenTest::control<QLineEdit>(m_window->openedScreen("TicketEntry"), "txtTyped")->setText(QStringLiteral("unsaved"));
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isVisible());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestMainWindow::exitClosesTheConnectionAndEnds()
{
    // Last in this file: once the program has been told to end, no event loop of this
    // process runs again.
    auto db = TestDb::fresh(QStringLiteral("SQLite"));
    Db::setCurrent(db.get());
    m_window->show();
    m_window->action("TicketEntry")->trigger();
    QEventLoop loop;
    QTimer::singleShot(0, m_window.get(), [this] { m_window->action("Exit")->trigger(); });
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
    QCOMPARE(loop.exec(), 0);
    QVERIFY(!Db::hasCurrent());
    QVERIFY(!db->database().isOpen());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
