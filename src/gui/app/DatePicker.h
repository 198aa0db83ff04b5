#pragma once

#include <QString>

class QDateEdit;
class QWidget;

// The one date picker of every screen and dialog: a date box with a calendar to drop
// down, showing and taking dates the way this workstation writes them (its locale's
// short date, with the whole year so that every year can be typed), today to begin with.
// Tab moves on to the next field instead of through the month, day and year (the arrow
// keys and typing still reach each of them).
namespace DatePicker {

QDateEdit *make(const QString &name, QWidget *parent);

// How this workstation writes a date: the locale's short date with a four-digit year
// ("M/d/yyyy" in the United States, "dd.MM.yyyy" in Germany).
QString workstationFormat();

} // namespace DatePicker
