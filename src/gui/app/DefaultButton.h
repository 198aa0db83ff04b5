#pragma once

class QPushButton;
class QWidget;

// Default and cancel buttons for screens that are child windows rather than dialogs,
// where Qt's own default button does not apply.
namespace DefaultButton {

// Enter anywhere on the screen presses the button. When the focus is on another push
// button, Enter presses that one instead, as it would in a dialog.
void install(QWidget *screen, QPushButton *button);

// Escape anywhere on the screen presses the button.
void installCancel(QWidget *screen, QPushButton *button);

// Enter in a field that takes every typed key for itself (a pick list's search takes
// Enter too) still presses the button.
void pressOnEnter(QWidget *field, QPushButton *button);

} // namespace DefaultButton
