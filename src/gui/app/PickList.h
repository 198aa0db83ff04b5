#pragma once

#include "accounts/CustomerStore.h"

#include <QComboBox>
#include <QList>
#include <QVariant>

// A drop-down list (no typing) whose entries each carry an ID: the customer's key
// beside the customer's name, an account number beside a name and card. The ID lives in
// the entry's item data, so it can never drift from the visible text. Typed characters
// go to ComboIncrementalSearch and are always consumed; keys without a character
// (arrows, Page Up/Down, F4) keep their usual list behaviour.
class PickList : public QComboBox
{
    Q_OBJECT
public:
    explicit PickList(QWidget *parent = nullptr);

    void addEntry(const QString &text, const QVariant &id);
    // Replaces the entries with these, in their order. No entry is chosen afterwards.
    void fill(const QList<NameEntry> &entries);

    // The chosen entry's ID; an invalid QVariant when nothing is chosen.
    QVariant currentId() const;
    QVariant idAt(int index) const;
    // The first entry with this ID (compared as text), -1 when there is none.
    int indexOfId(const QVariant &id) const;
    // Chooses the entry with this ID; false, and nothing chosen, when there is none.
    bool selectId(const QVariant &id);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
