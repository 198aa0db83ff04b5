#include "app/ButtonKeys.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QShortcut>

namespace ButtonKeys {

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
