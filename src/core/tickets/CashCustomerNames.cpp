#include "tickets/CashCustomerNames.h"

#include "tickets/TicketStore.h"

void CashCustomerNames::fill(Db &db)
{
    // The highest ID first: a ticket stored between the two reads is then read again by
    // the next refresh rather than missed.
    const int highest = CashTicketStore::highestId(db);
    m_names = CashTicketStore::customerNames(db);
    m_known = QSet<QString>(m_names.cbegin(), m_names.cend());
    m_highest = m_readAfter = highest;
}

CashCustomerNames::Refresh CashCustomerNames::refresh(Db &db)
{
    // The highest ID comes with the names, from the same read.
    int highest = m_readAfter;
    QStringList fresh;
    QSet<QString> seen;
    for (const QString &name : CashTicketStore::customerNamesAfter(db, m_readAfter, &highest)) {
        if (!m_known.contains(name) && !seen.contains(name)) {
            seen.insert(name);
            fresh << name;
        }
    }
    m_readAfter = m_highest;
    m_highest = std::max(m_highest, highest);

    Refresh changes;
    if (fresh.size() > kLargestInsert || !insert(db, fresh, changes)) {
        fill(db);
        return {true, {}};
    }
    return changes;
}

bool CashCustomerNames::insert(Db &db, QStringList fresh, Refresh &changes)
{
    // Each new name goes right after the name the server orders just before it. When that
    // one is new too it is placed first; the smallest new name always has its place, so
    // every round places at least one.
    QHash<QString, std::optional<QString>> before;
    for (const QString &name : fresh)
        before.insert(name, CashTicketStore::customerNameBefore(db, name));
    while (!fresh.isEmpty()) {
        QStringList waiting;
        for (const QString &name : fresh) {
            const std::optional<QString> &previous = before.value(name);
            qsizetype at = 0;
            if (previous) {
                if (fresh.contains(*previous) && !m_known.contains(*previous)) {
                    waiting << name;
                    continue;
                }
                const qsizetype found = m_names.indexOf(*previous);
                // A name stored since the tickets were read: only the whole list is sure.
                if (found < 0)
                    return false;
                at = found + 1;
            }
            m_names.insert(at, name);
            m_known.insert(name);
            changes.inserted.append({at, name});
        }
        if (waiting.size() == fresh.size())
            return false;
        fresh = waiting;
    }
    return true;
}
