#include "tickets/TicketSaving.h"

#include "accounts/BalancePosting.h"
#include "accounts/CustomerStore.h"
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

// Thrown by a posting that failed, so that the ticket can be stored without it.
struct PostingFailed
{
    DbError error;
};

// The ticket and, unless `post` is false, its postings, written in the caller's
// transaction. With `postingStep` each posting runs as a step that may fail alone;
// without it a failed posting throws PostingFailed and the caller's transaction must
// not commit.
TicketSaving::Outcome write(Db &db, const TicketRecord &ticket, const TicketStamp &stamp, bool post, bool postingStep)
{
    std::optional<TicketStore::Filing> before;
    if (ticket.id != 0) {
        before = TicketStore::filing(db, ticket.id);
        if (!before)
            throw DbError(QStringLiteral("Ticket %1 is no longer stored.").arg(ticket.id));
    }
    // Read after the ticket row is locked, so that the stored amounts it is measured
    // against are the ones this save replaces.
    if (const std::optional<QString> refusal = TicketSaving::merchandiseRefusal(db, ticket))
        throw DbError(*refusal);
    TicketSaving::Outcome outcome;
    outcome.id = TicketStore::save(db, ticket, stamp);
    if (!post) {
        outcome.posted = false;
        return outcome;
    }
    auto postAll = [&] {
        for (const auto &[customerId, amount] : postingsFor(ticket, before)) {
            const std::optional<PostedBalance> account = postToCustomerBalance(db, customerId, amount);
            if (customerId == ticket.customerId)
                outcome.account = account;
        }
    };
    if (!postingStep) {
        try {
            postAll();
        } catch (const DbError &error) {
            // A lost connection took the ticket with it: the whole save is tried again.
            if (error.connectionLost())
                throw;
            throw PostingFailed{error};
        }
        return outcome;
    }
    try {
        Savepoint step(db);
        postAll();
        step.commit();
    } catch (const DbError &error) {
        qCWarning(lcPosting) << "ticket" << outcome.id << "stored, but its posting failed:" << error.serverText()
                             << error.statement();
        outcome.posted = false;
        outcome.account.reset();
    }
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

    // Inside a caller's transaction only a savepoint can undo a failed posting alone.
    if (db.inTransaction()) {
        Transaction transaction(db);
        const Outcome outcome = write(db, ticket, stamp, true, true);
        transaction.commit();
        return outcome;
    }
    // Otherwise the postings need no savepoint of their own: a posting almost never
    // fails, and when it does, the whole transaction is undone and the ticket stored
    // again by itself. A failed statement can leave a transaction unable to go on
    // (PostgreSQL refuses everything after it), so the ticket is not kept from it.
    // Each in a transaction of its own (SaveRetry's), through a connection that may be
    // lost and made again: a new ticket whose commit went unanswered is looked for by
    // the key it was given; a stored ticket is simply saved again, the second save
    // finding the row as the first left it and posting nothing more.
    const std::function<bool(const Outcome &)> stored = [&](const Outcome &outcome) {
        return ticket.id == 0 && SaveRetry::rowStored(db, QStringLiteral("Tickets"), outcome.id);
    };
    try {
        return SaveRetry::run<Outcome>(
            db, [&] { return write(db, ticket, stamp, true, false); }, stored);
    } catch (const PostingFailed &failed) {
        qCWarning(lcPosting) << "ticket not posted, stored without its posting:" << failed.error.serverText()
                             << failed.error.statement();
    }
    return SaveRetry::run<Outcome>(
        db, [&] { return write(db, ticket, stamp, false, false); }, stored);
}

std::optional<QString> merchandiseRefusal(Db &db, const TicketRecord &ticket)
{
    const std::optional<QString> cardType = CustomerStore::cardType(db, ticket.customerId, ticket.cardNo);
    if (!cardType)
        return std::nullopt;
    std::optional<TicketRecord> stored;
    if (ticket.id != 0) {
        stored = TicketStore::load(db, ticket.id);
        if (stored && (stored->customerId != ticket.customerId || stored->cardNo != ticket.cardNo))
            stored.reset();
    }
    const std::optional<int> line =
        TicketLines::merchandiseRefused(*cardType, ticket.amounts, stored ? &stored->amounts : nullptr);
    if (!line)
        return std::nullopt;
    return TicketLines::merchandiseRefusal(ticket.accountNumber(), *line);
}

} // namespace TicketSaving
