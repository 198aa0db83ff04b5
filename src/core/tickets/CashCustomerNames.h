#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class Db;

// The names the cash ticket screen offers in its customer box: every name that has a
// cash ticket, once each, in the server's own order, exactly as CashTicketStore::
// customerNames() lists them.
//
// The list is read whole once. After that refresh() brings in only the names of the
// tickets stored since (on this workstation or any other), each placed after the name
// the server orders just before it; so a save does not read every cash ticket again,
// and the order stays the server's (its collation, which the program cannot know).
class CashCustomerNames
{
public:
    struct Refresh
    {
        // The list was read whole again: show names() afresh.
        bool reset = false;
        // Otherwise the names that are new, in the order to insert them, each with the
        // position it takes in the list as it stands after the ones before it.
        QList<QPair<qsizetype, QString>> inserted;
    };

    // Reads every name.
    void fill(Db &db);
    // Brings in the names stored since the last fill or refresh.
    Refresh refresh(Db &db);

    const QStringList &names() const { return m_names; }

    // More new names than this at once are read with the whole list instead: one query
    // per new name would then cost more.
    static constexpr qsizetype kLargestInsert = 50;

private:
    // Places the new names, each after the name the server orders before it; false when
    // such a name is not in the list (stored meanwhile), so the list must be read again.
    bool insert(Db &db, QStringList fresh, Refresh &changes);

    QStringList m_names;
    QSet<QString> m_known;
    // A ticket gets its ID before it is committed, so one in the middle of its insert on
    // another workstation may carry an ID below the highest already seen. Each refresh
    // therefore reads again from the highest ID of the refresh before it.
    int m_highest = 0;
    int m_readAfter = 0;
};
