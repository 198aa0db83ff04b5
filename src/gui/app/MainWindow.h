#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QLabel;
class QMenu;

// The main window `MDI`: the menu bar, and the client area in which every screen opens
// as a child window. It shows no data of its own.
//
// The menu and what each command opens or runs come from the menu table (MenuTable.h).
// A command with nothing there stays in the menu and does nothing when chosen. Tests can
// put a screen or a command of their own in place of the table's:
//     MainWindow::registerScreen<StandIn>(QStringLiteral("TicketEntry"));
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    using ScreenFactory = std::function<QWidget *(QWidget *parent)>;
    using CommandHandler = std::function<void(MainWindow &window)>;

    static void registerScreen(const QString &command, ScreenFactory factory);
    template <class Screen>
    static void registerScreen(const QString &command)
    {
        registerScreen(command, [](QWidget *parent) -> QWidget * { return new Screen(parent); });
    }
    static void registerCommand(const QString &command, CommandHandler handler);

    // Every command of the menu, in menu order, menus included.
    static QStringList commandNames();
    // The commands a counter workstation may not use.
    static QStringList administrationCommands();
    // Forgets what tests put in place of the table's screens and commands.
    static void clearRegistrations();

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The program's main window while one exists.
    static MainWindow *instance();

    QMdiArea *mdiArea() const { return m_mdi; }
    // The menu command (a menu's own action for the five menus); null for an unknown name.
    QAction *action(const QString &command) const;

    // Carries out a command as choosing it in the menu does (a disabled command too:
    // the menu is what keeps a disabled command from being chosen).
    void runCommand(const QString &command);
    // Opens the command's screen, or leaves the open one as it is. Returns the screen,
    // or null when the command has no screen.
    QWidget *openScreen(const QString &command);
    // The command's screen while it is open, else null.
    QWidget *openedScreen(const QString &command) const;
    // Shows any widget as a child window at the top-left corner of the client area.
    QMdiSubWindow *showChild(QWidget *widget);

    // Disables the administration commands (a counter workstation).
    void disableAdministrationCommands();

    // "Rebuild Customer Balance": asks first, then recomputes every balance and says how
    // many it changed.
    void rebuildCustomerBalance();

    // The right of the status bar: the company, location, workstation and database this
    // copy works with, as they stand now (after start-up and whenever the company
    // settings are loaded again).
    void showWorkplace();
    // The left of the status bar: what the clerk's last action did, until the next one.
    // Nothing happens without a main window. While a lost connection to the database is
    // made again the left shows that too; an action that found it lost and went on
    // shows "Connection to the database lost; reconnected. " before its own line.
    static void showStatusLine(const QString &text);

signals:
    // The company settings of this workstation's location were loaded again (a save of
    // the company or pricing screen): screens holding default prices take the new ones.
    void companySettingsLoaded();

private:
    void buildMenu();

    QMdiArea *m_mdi = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QPointer<QMdiSubWindow>> m_open;
    QLabel *m_company = nullptr;
    QLabel *m_location = nullptr;
    QLabel *m_workstation = nullptr;
    QLabel *m_database = nullptr;
};
