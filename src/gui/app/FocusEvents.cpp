#include "app/FocusEvents.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace FocusEvents {

namespace {

class LeaveFilter : public QObject
{
public:
    LeaveFilter(QWidget *field, std::function<void()> handler) : QObject(field), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::FocusOut)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
            return false;
        // A drop-down list that opens takes the focus into itself as well (with no
        // particular reason); the field is still being worked on.
        if (QApplication::activePopupWidget())
            return false;
        QPointer<QWidget> field = static_cast<QWidget *>(watched);
        QTimer::singleShot(0, this, [this, field] {
            // A screen that closed meanwhile has nothing left to check.
            if (field && field->isVisible())
                m_handler();
        });
        return false;
    }

private:
    std::function<void()> m_handler;
};

} // namespace

void onLeave(QWidget *field, std::function<void()> handler)
{
    field->installEventFilter(new LeaveFilter(field, std::move(handler)));
}

} // namespace FocusEvents
