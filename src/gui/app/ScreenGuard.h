#pragma once

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

// Helpers every screen shares.
namespace ScreenGuard {

// Runs an event handler. A database error that abandons it is shown as a message with
// the server's own text; nothing is swallowed silently. Busy pointers held by the
// handler (BusyCursor) are restored before the message shows. Returns false when the
// handler was abandoned.
bool run(QWidget *screen, const std::function<void()> &handler);

// The box selects its whole text whenever it gains the focus, so typing replaces it.
void selectAllOnFocus(QLineEdit *box);

} // namespace ScreenGuard
