#pragma once

#include <QList>

class QLayout;
class QPushButton;
class QWidget;

// The usual body of a record screen: its fields on top, then a little space, then its
// buttons in one row on the right (Save, Exit, ...), in the order given.
void layOutFormAndButtons(QWidget *screen, QLayout *fields, const QList<QPushButton *> &buttons);
