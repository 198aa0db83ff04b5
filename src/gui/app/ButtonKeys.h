#pragma once

class QAbstractButton;
class QKeySequence;
class QWidget;

namespace ButtonKeys {

// Makes the key press the button while the focus is anywhere on the screen (and only
// then, so that two screens open side by side keep their keys apart). The button's
// caption stays as it is; its tooltip names the key. A disabled button is not pressed.
void bind(QWidget *screen, const QKeySequence &key, QAbstractButton *button);

// The Enter key the same way on every screen and dialog of the application, from now
// on: Enter on a focused push or tool button presses it (Qt leaves that to dialogs),
// and Enter or Escape in an open drop-down list chooses the entry or closes the list
// there instead of reaching the screen's shortcuts. Installing it again changes nothing.
void installEnterRules();

} // namespace ButtonKeys
