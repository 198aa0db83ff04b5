#pragma once

class QAbstractButton;
class QKeySequence;
class QWidget;

namespace ButtonKeys {

// Makes the key press the button while the focus is anywhere on the screen (and only
// then, so that two screens open side by side keep their keys apart). The button's
// caption stays as it is; its tooltip names the key. A disabled button is not pressed.
void bind(QWidget *screen, const QKeySequence &key, QAbstractButton *button);

} // namespace ButtonKeys
