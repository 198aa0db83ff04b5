#include "tickets/TicketSaving.h"

#include "accounts/BalancePosting.h"
#include "app/FieldRules.h"
#include "app/Logging.h"
#include "app/Numbers.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "db/SaveRetry.h"

#include <QList>
#include <QPair>

#include <algorithm>

namespace {

using Posting = QPair<QString, double>;

// What saving the ticket does to the balances, at most one posting per customer.
QList<Posting> postingsFor(const TicketRecord &ticket, const std::optional<TicketStore::Filing> &before)
{
    const double total = TicketStore::postedAmount(ticket);
    QList<Posting> postings;
    if (!before) {
        postings.append({ticket.customerId, total});
    } else if (before->customerId == ticket.customerId) {
        postings.append({ticket.customerId, Numbers::roundHalfEven(total - before->total, 2)});
    } else {
        postings.append({before->customerId, -before->total});
        postings.append({ticket.customerId, total});
    }
    postings.removeIf([](const Posting &p) { return p.second == 0; });
    // Always in the same order of customers, so that two workstations moving tickets
    // between the same two customers never wait on each other's locks.
    std::sort(postings.begin(), postings.end(), [](const Posting &a, const Posting &b) { return a.first < b.first; });
    return postings;
}

// One try: the ticket and its postings in one transaction.
TicketSaving::Outcome saveOnce(Db &db, const TicketRecord &ticket, const TicketStamp &stamp)
{
    using TicketSaving::Outcome;
    Transaction transaction(db);
    std::optional<TicketStore::Filing> before;
    if (ticket.id != 0) {
        before = TicketStore::filing(db, ticket.id);
        if (!before)
            throw DbError(QStringLiteral("Ticket %1 is no longer stored.").arg(ticket.id));
    }
    Outcome outcome;
    outcome.id = TicketStore::save(db, ticket, stamp);
    const QList<Posting> postings = postingsFor(ticket, before);
    try {
        Savepoint step(db);
        for (const auto &[customerId, amount] : postings)
            postToCustomerBalance(db, customerId, amount);
        step.commit();
    } catch (const DbError &error) {
        qCWarning(lcPosting) << "ticket" << outcome.id << "stored, but its posting failed:" << error.serverText()
                             << error.statement();
        outcome.posted = false;
    }
    transaction.commit();
    return outcome;
}

} // namespace

namespace TicketSaving {

Outcome save(Db &db, const TicketRecord &ticket, const TicketStamp &stamp)
{
    // The screens refuse such amounts with a message naming the field; this keeps every
    // other caller from storing or posting them.
    if (const std::optional<QString> caption = TicketColumns::unstorableAmount(ticket.amounts))
        throw DbError(FieldRules::amountRefusal(*caption));
    // A new ticket whose commit went unanswered is looked for by the key it was given.
    // A stored ticket is simply saved again: the second save finds the row as the first
    // left it and posts nothing more.
    return SaveRetry::run<Outcome>(
        db, [&] { return saveOnce(db, ticket, stamp); },
        [&](const Outcome &outcome) {
            return ticket.id == 0 && SaveRetry::rowStored(db, QStringLiteral("Tickets"), outcome.id);
        });
}

} // namespace TicketSaving
