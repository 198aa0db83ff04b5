#include "app/ScreenGuard.h"

#include "app/MessageBox.h"
#include "db/DbError.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

// Selecting in the focus event itself is undone by the mouse press that gave the focus;
// selecting right after it sticks.
class SelectAllFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            if (auto *box = qobject_cast<QLineEdit *>(watched)) {
                box->selectAll();
                QTimer::singleShot(0, box, [box] { box->selectAll(); });
            }
        }
        return false;
    }
};

} // namespace

namespace ScreenGuard {

bool run(QWidget *screen, const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const DbError &error) {
        // The server's own text is the message; the statement that failed is there for
        // whoever has to find out why.
        MessageBox::ok(screen, error.serverText(), QStringLiteral("Database Error"), MessageBox::Icon::Critical,
                       error.statement());
    } catch (const std::exception &error) {
        MessageBox::ok(screen, QString::fromLocal8Bit(error.what()), QStringLiteral("Error"), MessageBox::Icon::Critical);
    }
    return false;
}

void selectAllOnFocus(QLineEdit *box) { box->installEventFilter(new SelectAllFilter(box)); }

} // namespace ScreenGuard
