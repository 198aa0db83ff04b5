#pragma once

// What the screen tests share: finding a control by objectName, the Tab order, opening a
// menu command's screen in a main window, and the database and messages around it.

#include "TestDb.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <memory>

namespace ScreenTest {

// The child of `parent` with this objectName and type. A missing control stops the test
// run with its name and the screen's: every check after it would only dereference null.
template <class T = QWidget> T *control(const QObject *parent, const QString &name)
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

    template <class T = QWidget> T *control(const QString &name) const { return ScreenTest::control<T>(screen, name); }
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
