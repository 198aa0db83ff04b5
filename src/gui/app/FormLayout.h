#pragma once

#include <QList>

class QLabel;
class QLayout;
class QLineEdit;
class QString;
class QPushButton;
class QWidget;

// The usual body of a record screen: its fields on top, then a little space, then its
// buttons in one row on the right (Save, Exit, ...), in the order given.
void layOutFormAndButtons(QWidget *screen, QLayout *fields, const QList<QPushButton *> &buttons);

// A caption for a field, left-aligned and centred on the field's line.
QLabel *fieldLabel(const QString &text, QWidget *parent);

// Fields only the screen writes look like the form behind them, so the clerk's eye goes
// to the boxes that take typing. The field is made read-only and takes no focus.
void markDisplayOnly(QLineEdit *box);
