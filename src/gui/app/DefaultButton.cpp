#include "app/DefaultButton.h"

#include <QApplication>
#include <QPushButton>
#include <QShortcut>

namespace DefaultButton {

namespace {

QShortcut *screenShortcut(QWidget *screen, Qt::Key key)
{
    auto *shortcut = new QShortcut(QKeySequence(key), screen);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    return shortcut;
}

} // namespace

void install(QWidget *screen, QPushButton *button)
{
    button->setDefault(true);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QObject::connect(screenShortcut(screen, key), &QShortcut::activated, button, [screen, button] {
            auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
            QPushButton *target = focused && screen->isAncestorOf(focused) ? focused : button;
            if (target->isEnabled())
                target->click();
        });
    }
}

void installCancel(QWidget *screen, QPushButton *button)
{
    QObject::connect(screenShortcut(screen, Qt::Key_Escape), &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
}

} // namespace DefaultButton
