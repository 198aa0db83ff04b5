#include "setup/LocationList.h"

#include "db/Db.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace LocationList {

void fill(QComboBox *list)
{
    const QSignalBlocker blocker(list);
    Db::current().forEachRow(QStringLiteral("SELECT ID FROM Company ORDER BY ID"), {}, [list](const QSqlRecord &row) {
        list->addItem(row.value("ID").toString(), row.value("ID"));
    });
    list->setCurrentIndex(-1);
}

std::optional<QSqlRecord> chosenRow(const QComboBox *list)
{
    return Db::current().firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {list->currentData()});
}

} // namespace LocationList
