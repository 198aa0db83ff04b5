#pragma once

#include <QSqlRecord>

#include <optional>

class QComboBox;

// The location list the company and pricing screens share: the IDs of the Company rows,
// the ID as item data, and the row of the location chosen in it.
namespace LocationList {

// Fills the list in ID order, without telling the screen, and leaves nothing chosen.
void fill(QComboBox *list);

// The Company row of the chosen location; nothing when it has no row (or none is chosen).
std::optional<QSqlRecord> chosenRow(const QComboBox *list);

} // namespace LocationList
