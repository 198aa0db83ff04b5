#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

// The one rule for free-text boxes: a box holds at most its width and never a NUL or
// other control character. Typing past the width simply stops, as in any text box; a
// paste (keyboard, context menu, middle button) or a drop that would break the rule is
// refused whole with a message naming the field, so nothing is ever cut without a word.
namespace TextRule {

// Applies the rule to the box; caption names the field in messages.
void apply(QLineEdit *box, int width, const QString &caption);

// Before a save: the first box whose text (which the program may have set) breaks its
// rule gets the focus and a message, and the result is false. Boxes without the rule
// pass.
bool checkBeforeSave(QWidget *screen, const QList<QLineEdit *> &boxes);

} // namespace TextRule

// The one rule for amounts that are stored: a finite number within
// FieldRules::kLargestAmount either way, or the save is refused.
namespace AmountRule {

// Shows "<caption> holds an amount that cannot be stored. ..." ("Amount Cannot Be
// Saved") when a caption is given, and returns false; true when there is none.
bool checkBeforeSave(QWidget *screen, const std::optional<QString> &unstorableCaption);
// The same for named amounts: the first that cannot be stored is refused.
bool checkBeforeSave(QWidget *screen, const QList<QPair<QString, double>> &amounts);

} // namespace AmountRule
