#include "app/DefaultButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
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

class EnterPresses final : public QObject
{
public:
    EnterPresses(QWidget *field, QPushButton *button) : QObject(field), m_button(button) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (m_button && m_button->isEnabled())
            m_button->click();
        return true;
    }

private:
    QPointer<QPushButton> m_button;
};

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

void pressOnEnter(QWidget *field, QPushButton *button) { field->installEventFilter(new EnterPresses(field, button)); }

void installCancel(QWidget *screen, QPushButton *button)
{
    QObject::connect(screenShortcut(screen, Qt::Key_Escape), &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
}

} // namespace DefaultButton
