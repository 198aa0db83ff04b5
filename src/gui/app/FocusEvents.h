#pragma once

#include <functional>

class QWidget;

// Field checks that run when a field loses the focus.
namespace FocusEvents {

// Runs the handler after the field has lost the focus to another control of its
// window. It runs once the focus change is complete, so the handler may show a message
// and put the focus back. Losing the focus because another window became active, a
// menu or popup opened, or the screen is closing does not count.
void onLeave(QWidget *field, std::function<void()> handler);

} // namespace FocusEvents
