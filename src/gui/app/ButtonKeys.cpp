#include "app/ButtonKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

namespace ButtonKeys {

namespace {

bool isEnter(const QEvent *event)
{
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isEscape(const QEvent *event) { return static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape; }

class EnterRules final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride && (isEnter(event) || isEscape(event))
            && QApplication::activePopupWidget()) {
            // Taken as the popup's own key: no screen shortcut for Enter or Escape fires
            // while a list is open, and the list gets the key press.
            event->accept();
            return false;
        }
        if (event->type() != QEvent::KeyPress || !isEnter(event) || QApplication::activePopupWidget())
            return false;
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !(qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)))
            return false;
        if (static_cast<QKeyEvent *>(event)->modifiers() & ~Qt::KeypadModifier)
            return false;
        if (button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
};

} // namespace

void installEnterRules()
{
    static QPointer<QObject> installed;
    if (installed || !qApp)
        return;
    installed = new EnterRules(qApp);
    qApp->installEventFilter(installed);
}

void bind(QWidget *screen, const QKeySequence &key, QAbstractButton *button)
{
    auto *shortcut = new QShortcut(key, screen);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
    const QString keyText = key.toString(QKeySequence::NativeText);
    button->setToolTip(button->toolTip().isEmpty() ? keyText : button->toolTip() + QStringLiteral(" (") + keyText + u')');
}

} // namespace ButtonKeys
