#include "app/MainWindow.h"

#include "accounts/CustomerBalances.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/ButtonKeys.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "app/MenuTable.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/Viewer.h"

#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

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

const QString kReconnected = QStringLiteral("Connection to the database lost; reconnected");

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
    registry().screens.emplace(command, std::move(factory));
}

void MainWindow::registerCommand(const QString &command, CommandHandler handler)
{
    registry().commands.emplace(command, std::move(handler));
}

void MainWindow::clearRegistrations()
{
    registry().screens.clear();
    registry().commands.clear();
}

QStringList MainWindow::commandNames()
{
    QStringList names;
    for (const MenuEntry &e : menuTable())
        names << e.command;
    return names;
}

QStringList MainWindow::administrationCommands()
{
    QStringList names;
    for (const MenuEntry &e : menuTable())
        if (e.administration)
            names << e.command;
    return names;
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDI"));
    setWindowTitle(QStringLiteral("Account Management Software"));
    // What holds for every screen and dialog of the program, once.
    FileDialogs::guardAll();
    ButtonKeys::installEnterRules();

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiClient"));
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdi);

    // Reports shown on screen open as a child window here too.
    Viewer::setMdiArea(m_mdi);

    buildMenu();
    for (QLabel **label : {&m_company, &m_location, &m_workstation, &m_database}) {
        *label = new QLabel(this);
        (*label)->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        (*label)->setContentsMargins(4, 0, 4, 0);
        statusBar()->addPermanentWidget(*label);
    }
    m_company->setObjectName(QStringLiteral("lblCompany"));
    m_location->setObjectName(QStringLiteral("lblLocation"));
    m_workstation->setObjectName(QStringLiteral("lblWorkstation"));
    m_database->setObjectName(QStringLiteral("lblDatabase"));
    showWorkplace();
    resize(1100, 780);
    g_instance = this;
    // While a lost connection to the server is made again the program cannot answer, so
    // the status bar says why at once, and then that it is back.
    Db::setConnectionNotice([](const QString &text) {
        if (!g_instance)
            return;
        g_instance->statusBar()->showMessage(text);
        g_instance->statusBar()->repaint();
    });
}

MainWindow::~MainWindow()
{
    if (g_instance == this) {
        g_instance = nullptr;
        Db::setConnectionNotice({});
    }
    if (Viewer::mdiArea() == m_mdi)
        Viewer::setMdiArea(nullptr);
}

MainWindow *MainWindow::instance() { return g_instance; }

void MainWindow::buildMenu()
{
    QHash<QString, QMenu *> menus;
    for (const MenuEntry &e : menuTable()) {
        QAction *action = nullptr;
        if (e.isMenu) {
            QMenu *menu = menuBar()->addMenu(e.menuText());
            menu->setObjectName(e.command);
            menus.insert(e.command, menu);
            action = menu->menuAction();
        } else {
            QMenu *menu = menus.value(e.menu);
            action = menu ? menu->addAction(e.menuText()) : menuBar()->addAction(e.menuText());
            action->setShortcut(e.shortcut);
            const QString command = e.command;
            connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        }
        action->setObjectName(e.command);
        m_actions.insert(e.command, action);
    }
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
    CommandHandler handler = registry().commands.value(command);
    const MenuEntry *entry = menuEntry(command);
    if (!handler && !registry().screens.contains(command) && entry && entry->runs)
        handler = entry->runs;
    if (handler) {
        ScreenGuard::run(this, [&] { handler(*this); });
        return;
    }
    ScreenGuard::run(this, [&] { openScreen(command); });
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
    ScreenFactory factory = registry().screens.value(command);
    if (!factory) {
        const MenuEntry *entry = menuEntry(command);
        if (entry)
            factory = entry->opens;
    }
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
    ScreenGuard::run(this, [this] {
        RebuildCount count;
        {
            BusyCursor busy;
            count = RebuildCustomerBalances(Db::current());
        }
        // Said once the work is done: a rebuild that changes balances means postings
        // went astray somewhere, which the office should know.
        MessageBox::ok(this,
                       QStringLiteral("Balances rebuilt: %1 of %2 customers changed.").arg(count.changed).arg(count.customers),
                       QStringLiteral("Rebuild Customer Balance"));
    });
}

void MainWindow::showWorkplace()
{
    const AppContext &context = appContext();
    m_company->setText(context.company.Name.isEmpty() ? QStringLiteral("No company settings") : context.company.Name);
    m_location->setText(QStringLiteral("Location ") + context.config.LocationID);
    m_workstation->setText(QStringLiteral("Workstation ") + context.config.WorkstationID);
    // Which file or server: two copies that disagree about a balance may simply be
    // looking at two databases.
    if (Db::hasCurrent()) {
        // A long file path gives way at its start, keeping the file's name, so that the
        // status line keeps its room; the whole of it is in the tooltip.
        const QString database = Db::current().description();
        m_database->setText(QStringLiteral("Database ") + m_database->fontMetrics().elidedText(database, Qt::ElideLeft, 120));
        m_database->setToolTip(QStringLiteral("Database ") + database);
    } else {
        m_database->setText(QStringLiteral("No database open"));
        m_database->setToolTip(QString());
    }
}

void MainWindow::showStatusLine(const QString &text)
{
    if (!g_instance)
        return;
    // The action that found the connection lost and made it again says so along with
    // what it did, rather than hiding the notice at once.
    QStatusBar *bar = g_instance->statusBar();
    bar->showMessage(bar->currentMessage() == kReconnected ? kReconnected + QStringLiteral(". ") + text : text);
}
