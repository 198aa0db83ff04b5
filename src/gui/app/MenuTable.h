#pragma once

#include <QChar>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class MainWindow;
class QWidget;

// One entry of the main window's menu: a menu of the menu bar, or a command in a menu
// (or on the menu bar itself). The menu is built from this table, in its order; the
// counter-workstation rule and the tests read it too.
struct MenuEntry
{
    // The objectName of its QAction (and of the QMenu for a menu).
    QString command;
    // The caption exactly as shown, without its access key.
    QString caption;
    // The command of the menu it belongs to; empty for the menu bar.
    QString menu;
    bool isMenu = false;
    // Disabled on a counter workstation.
    bool administration = false;
    // The caption's letter that Alt (in a menu: the letter alone) chooses it with.
    QChar accessKey;
    QKeySequence shortcut;
    // What choosing it does: open a screen (made by this factory, re-used while open) or
    // run a command of the main window. Neither: the command does nothing yet.
    std::function<QWidget *(QWidget *parent)> opens;
    std::function<void(MainWindow &window)> runs;

    // The caption with its access key marked for Qt ("&File").
    QString menuText() const;
};

// The program's menu, in display order.
const QList<MenuEntry> &menuTable();
// The entry of a command; null for an unknown name.
const MenuEntry *menuEntry(const QString &command);
