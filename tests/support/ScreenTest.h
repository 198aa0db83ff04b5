#pragma once

// What the screen tests share: finding a control by objectName, the Tab order, opening a
// menu command's screen in a main window, and the database and messages around it.

#include "TestDb.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <memory>

namespace ScreenTest {

// The child of `parent` with this objectName and type. A missing control stops the test
// run with its name and the screen's: every check after it would only dereference null.
template <class T = QWidget>
T *control(const QObject *parent, const QString &name)
{
    T *c = parent ? parent->findChild<T *>(name) : nullptr;
    if (!c)
        qFatal("no %s named %s in %s", T::staticMetaObject.className(), qPrintable(name),
               parent ? qPrintable(parent->objectName()) : "a screen that is not open");
    return c;
}

// The objectNames of `count` widgets in the order the Tab key visits them from `first`,
// passing over widgets Tab never stops at.
inline QStringList tabChain(QWidget *first, int count)
{
    QStringList chain;
    QWidget *w = first;
    for (int i = 0; i < count; ++i) {
        chain << w->objectName();
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
    }
    return chain;
}

// Selects the item of a pick list that shows `text`; none when no item does, as a
// clerk's choice of a value the list does not hold leaves it.
inline void choose(QComboBox *list, const QString &text) { list->setCurrentIndex(list->findText(text)); }

// What a box of the screen holds: an amount field's plain text (not what it shows
// through its display format), any other box's text.
inline QString boxText(const QObject *screen, const QString &name)
{
    auto *box = control<QLineEdit>(screen, name);
    if (auto *amount = qobject_cast<AmountField *>(box))
        return amount->plainText();
    return box->text();
}

// The screen's group with this caption; a missing group stops the test run.
inline QGroupBox *group(const QObject *screen, const QString &title)
{
    for (QGroupBox *g : screen->findChildren<QGroupBox *>())
        if (g->title() == title)
            return g;
    qFatal("no group %s in %s", qPrintable(title), qPrintable(screen->objectName()));
    return nullptr;
}

// The objectName of the widget that has the keyboard focus; empty when none has.
inline QString focusedName()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

// The program's context as on a newly started administration workstation of the
// location: nothing loaded yet, every command allowed.
inline void administrationWorkstationAt(const QString &location)
{
    appContext() = AppContext();
    appContext().config.AdminWorkstation = QStringLiteral("1");
    appContext().config.LocationID = location;
}

// A main window, shown and active, with the screen of one menu command opened in it the
// way the clerk opens it: by choosing the command.
struct OpenedScreen
{
    std::unique_ptr<MainWindow> window;
    QPointer<QWidget> screen;

    // A new main window (any earlier one is closed first) and the command's screen in it;
    // false when the window never became active or the command opened no screen.
    bool open(const QString &command)
    {
        window.reset();
        window = std::make_unique<MainWindow>();
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        QAction *chosen = window->action(command);
        if (!chosen)
            return false;
        chosen->trigger();
        screen = window->openedScreen(command);
        return screen != nullptr;
    }

    void close() { window.reset(); }

    template <class T = QWidget>
    T *control(const QString &name) const
    {
        return ScreenTest::control<T>(screen, name);
    }
};

// A screen test's surroundings besides the screen: a fresh database of one server as the
// program's connection, and messages recorded instead of shown.
struct ScreenSession : OpenedScreen
{
    std::unique_ptr<Db> db;

    void begin(const QString &server)
    {
        db = TestDb::fresh(server);
        Db::setCurrent(db.get());
        MessageBox::startRecording();
    }
    // Closes the main window first, then stops recording and drops the database.
    void end()
    {
        close();
        MessageBox::stopRecording();
        Db::setCurrent(nullptr);
        db.reset();
    }
};

} // namespace ScreenTest
