#include "app/PickList.h"

#include "app/IncrementalSearch.h"

#include <QKeyEvent>

namespace {
constexpr int IdRole = Qt::UserRole;
}

PickList::PickList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

void PickList::addEntry(const QString &text, const QVariant &id) { addItem(text, id); }

void PickList::fill(const QList<NameEntry> &entries)
{
    const QSignalBlocker blocker(this);
    clear();
    for (const NameEntry &entry : entries)
        addItem(entry.text, entry.id);
    setCurrentIndex(-1);
}

QVariant PickList::currentId() const { return currentIndex() < 0 ? QVariant() : itemData(currentIndex(), IdRole); }

QVariant PickList::idAt(int index) const { return itemData(index, IdRole); }

int PickList::indexOfId(const QVariant &id) const
{
    const QString wanted = id.toString();
    for (int i = 0; i < count(); ++i) {
        if (itemData(i, IdRole).toString() == wanted)
            return i;
    }
    return -1;
}

bool PickList::selectId(const QVariant &id)
{
    const int index = indexOfId(id);
    setCurrentIndex(index);
    return index >= 0;
}

void PickList::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    // Escape is no search key: it goes on to the dialog, which closes as Cancel does.
    if (text.isEmpty() || event->key() == Qt::Key_Escape) {
        QComboBox::keyPressEvent(event);
        return;
    }
    for (QChar c : text) {
        QChar key = c;
        ComboIncrementalSearch(this, key);
    }
    event->accept();
}
