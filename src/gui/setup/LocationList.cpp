#include "setup/LocationList.h"

#include "db/Db.h"
#include "setup/CompanyStore.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace LocationList {

void fill(QComboBox *list)
{
    const QSignalBlocker blocker(list);
    for (const QVariant &id : CompanyStore::locations(Db::current()))
        list->addItem(id.toString(), id);
    list->setCurrentIndex(-1);
}

std::optional<QSqlRecord> chosenRow(const QComboBox *list) { return CompanyStore::row(Db::current(), list->currentData()); }

} // namespace LocationList
