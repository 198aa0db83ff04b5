#pragma once

class QString;
class QToolButton;
class QWidget;

// The picture button beside an account number that opens a name lookup: a small
// magnifying glass, no caption, reachable with Tab. Its objectName is btnLookup.
QToolButton *newLookupButton(const QString &toolTip, QWidget *parent);
