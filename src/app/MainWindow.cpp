#include "app/MainWindow.h"

#include "app/BusyCursor.h"
#include "app/CustomerBalances.h"
#include "app/MessageBox.h"
#include "app/ProgramScreens.h"
#include "app/ScreenGuard.h"
#include "app/Startup.h"
#include "db/Db.h"
#include "reports/Viewer.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

struct Registry
{
    QHash<QString, MainWindow::ScreenFactory> screens;
    QHash<QString, MainWindow::CommandHandler> commands;
};

Registry &registry()
{
    static Registry r;
    return r;
}

MainWindow *g_instance = nullptr;

// Closes the child window once the screen inside it has been closed (hidden on its
// own, not merely along with its hidden child window).
class ChildCloser : public QObject
{
public:
    explicit ChildCloser(QMdiSubWindow *sub) : QObject(sub), m_sub(sub) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && static_cast<QWidget *>(watched)->isHidden())
            m_sub->close();
        return false;
    }

private:
    QMdiSubWindow *m_sub;
};

} // namespace

void MainWindow::registerScreen(const QString &command, ScreenFactory factory)
{
    registry().screens.insert(command, std::move(factory));
}

void MainWindow::registerCommand(const QString &command, CommandHandler handler)
{
    registry().commands.insert(command, std::move(handler));
}

QStringList MainWindow::commandNames()
{
    return {QStringLiteral("File"),
            QStringLiteral("CompanyInfo"),
            QStringLiteral("Exit"),
            QStringLiteral("TicketEntry"),
            QStringLiteral("CashTicketEntry"),
            QStringLiteral("GiftCards"),
            QStringLiteral("GiftCardPurchase"),
            QStringLiteral("GiftCardRedemption"),
            QStringLiteral("BalanceInquiry"),
            QStringLiteral("GiftCardEdit"),
            QStringLiteral("GiftCardTransactionReport"),
            QStringLiteral("GiftCardListing"),
            QStringLiteral("Customers"),
            QStringLiteral("CustomerEntry"),
            QStringLiteral("ReceivePayment"),
            QStringLiteral("AcctBalanceReport"),
            QStringLiteral("CustomerHistoryReport"),
            QStringLiteral("DetailSalesReport"),
            QStringLiteral("CustomerListing"),
            QStringLiteral("Settings"),
            QStringLiteral("Pricing"),
            QStringLiteral("RebuildCustomerBalance"),
            QStringLiteral("Help"),
            QStringLiteral("About")};
}

QStringList MainWindow::administrationCommands()
{
    return {QStringLiteral("CompanyInfo"),
            QStringLiteral("Customers"),
            QStringLiteral("CustomerEntry"),
            QStringLiteral("ReceivePayment"),
            QStringLiteral("AcctBalanceReport"),
            QStringLiteral("CustomerHistoryReport"),
            QStringLiteral("DetailSalesReport"),
            QStringLiteral("CustomerListing"),
            QStringLiteral("Settings"),
            QStringLiteral("Pricing"),
            QStringLiteral("RebuildCustomerBalance"),
            QStringLiteral("GiftCardEdit"),
            QStringLiteral("GiftCardTransactionReport"),
            QStringLiteral("GiftCardListing")};
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    registerProgramScreens();
    setObjectName(QStringLiteral("MDI"));
    setWindowTitle(QStringLiteral("Account Management Software"));

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiClient"));
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdi);

    // Reports shown on screen open as a child window here too.
    Viewer::setMdiArea(m_mdi);

    buildMenu();
    resize(1100, 780);
    g_instance = this;
}

MainWindow::~MainWindow()
{
    if (g_instance == this)
        g_instance = nullptr;
    if (Viewer::mdiArea() == m_mdi)
        Viewer::setMdiArea(nullptr);
}

MainWindow *MainWindow::instance() { return g_instance; }

QMenu *MainWindow::addMenu(const char *command, const QString &caption)
{
    QMenu *menu = menuBar()->addMenu(caption);
    menu->setObjectName(QLatin1String(command));
    menu->menuAction()->setObjectName(QLatin1String(command));
    m_actions.insert(QLatin1String(command), menu->menuAction());
    return menu;
}

QAction *MainWindow::addCommand(QMenu *menu, const char *command, const QString &caption)
{
    const QString name = QLatin1String(command);
    QAction *action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, name] { runCommand(name); });
    m_actions.insert(name, action);
    return action;
}

void MainWindow::buildMenu()
{
    QMenu *file = addMenu("File", QStringLiteral("File"));
    addCommand(file, "CompanyInfo", QStringLiteral("Setup"));
    addCommand(file, "Exit", QStringLiteral("Exit"));

    // The two ticket commands act straight from the menu bar.
    addCommand(nullptr, "TicketEntry", QStringLiteral("Ticket Entry"));
    addCommand(nullptr, "CashTicketEntry", QStringLiteral("Cash Ticket Entry"));

    QMenu *giftCards = addMenu("GiftCards", QStringLiteral("Gift Cards"));
    addCommand(giftCards, "GiftCardPurchase", QStringLiteral("Gift Card Purchase"));
    addCommand(giftCards, "GiftCardRedemption", QStringLiteral("Gift Card Redemption"));
    addCommand(giftCards, "BalanceInquiry", QStringLiteral("Balance Inquiry"));
    addCommand(giftCards, "GiftCardEdit", QStringLiteral("Gift Card Edit"));
    addCommand(giftCards, "GiftCardTransactionReport", QStringLiteral("Gift Card Transaction Report"));
    addCommand(giftCards, "GiftCardListing", QStringLiteral("Gift Card Listing"));

    QMenu *customers = addMenu("Customers", QStringLiteral("Customers"));
    addCommand(customers, "CustomerEntry", QStringLiteral("Customer Entry/Edit"));
    addCommand(customers, "ReceivePayment", QStringLiteral("Receive Payment"));
    addCommand(customers, "AcctBalanceReport", QStringLiteral("Account Balance Report"));
    addCommand(customers, "CustomerHistoryReport", QStringLiteral("Customer History Report"));
    addCommand(customers, "DetailSalesReport", QStringLiteral("Detail Sales Report"));
    addCommand(customers, "CustomerListing", QStringLiteral("Customer / Card Listing"));

    QMenu *settings = addMenu("Settings", QStringLiteral("Settings"));
    addCommand(settings, "Pricing", QStringLiteral("Pricing"));
    addCommand(settings, "RebuildCustomerBalance", QStringLiteral("Rebuild Customer Balance"));

    QMenu *help = addMenu("Help", QStringLiteral("Help"));
    addCommand(help, "About", QStringLiteral("About"));
}

QAction *MainWindow::action(const QString &command) const { return m_actions.value(command); }

void MainWindow::disableAdministrationCommands()
{
    for (const QString &command : administrationCommands()) {
        if (QAction *a = action(command))
            a->setEnabled(false);
    }
}

void MainWindow::runCommand(const QString &command)
{
    if (command == QLatin1String("Exit")) {
        ExitApplication();
        return;
    }
    if (command == QLatin1String("RebuildCustomerBalance")) {
        rebuildCustomerBalance();
        return;
    }
    if (registry().screens.contains(command)) {
        ScreenGuard::run(this, [&] { openScreen(command); });
        return;
    }
    if (const CommandHandler handler = registry().commands.value(command))
        ScreenGuard::run(this, [&] { handler(*this); });
}

QWidget *MainWindow::openedScreen(const QString &command) const
{
    const QPointer<QMdiSubWindow> sub = m_open.value(command);
    // A closed child window may linger until its deferred deletion.
    if (!sub || sub->isHidden())
        return nullptr;
    return sub->widget();
}

QWidget *MainWindow::openScreen(const QString &command)
{
    if (QWidget *open = openedScreen(command))
        return open;
    const ScreenFactory factory = registry().screens.value(command);
    if (!factory)
        return nullptr;
    QWidget *screen = factory(nullptr);
    if (!screen)
        return nullptr;
    m_open.insert(command, showChild(screen));
    return screen;
}

QMdiSubWindow *MainWindow::showChild(QWidget *widget)
{
    widget->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = m_mdi->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A screen that closes itself (its Exit button) takes its child window along.
    widget->installEventFilter(new ChildCloser(sub));
    sub->adjustSize();
    sub->move(0, 0);
    sub->show();
    return sub;
}

void MainWindow::rebuildCustomerBalance()
{
    if (!MessageBox::askYesNo(this, QStringLiteral("Are you sure you want to rebuild customer balances?"),
                              QStringLiteral("Confirmation")))
        return;
    ScreenGuard::run(this, [] {
        BusyCursor busy;
        RebuildCustomerBalances(Db::current());
    });
}
