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
    const int highest = CashTicketStore::highestId(db);
    QStringList fresh;
    // The server's order: each new name's predecessor is then an old name or one
    // inserted just before it.
    for (const QString &name : CashTicketStore::customerNamesAfter(db, m_readAfter))
        if (!m_known.contains(name))
            fresh << name;
    m_readAfter = m_highest;
    m_highest = std::max(m_highest, highest);

    Refresh changes;
    if (fresh.size() > kLargestInsert) {
        fill(db);
        changes.reset = true;
        return changes;
    }
    for (const QString &name : fresh) {
        if (!insert(db, name, changes)) {
            fill(db);
            return {true, {}};
        }
    }
    return changes;
}

bool CashCustomerNames::insert(Db &db, const QString &name, Refresh &changes)
{
    qsizetype at = 0;
    if (const std::optional<QString> before = CashTicketStore::customerNameBefore(db, name)) {
        const qsizetype found = m_names.indexOf(*before);
        if (found < 0)
            return false;
        at = found + 1;
    }
    m_names.insert(at, name);
    m_known.insert(name);
    changes.inserted.append({at, name});
    return true;
}
