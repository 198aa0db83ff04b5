#pragma once

#include "db/Db.h"
#include "db/DbError.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

// How a save lives through a lost connection (a PostgreSQL server stopped or restarted
// while the clerk works): the save's attempt runs in one transaction; when the
// connection goes, the connection is made again (Db::reopen) and
// - an attempt that failed before its commit stored nothing, and is tried once more;
// - an attempt whose commit was under way may be stored: `stored` looks for it first,
//   and only when it is not there is it tried once more.
// So an entry is stored once or reported not stored, never stored twice. Every other
// error, and a connection that cannot be made again, goes to the caller as DbError: the
// screen says so and keeps the entry.
//
// The save roads that run through it: charge tickets (TicketSaving), cash tickets,
// payments, gift card sales, redemptions, inquiries and edits, customers and their
// cards, and the company information and prices.
namespace SaveRetry {

// The message for a save that could not be finished, from the error that ended it.
QString notSavedText(const QString &reason);
QString notKnownText(const QString &reason);

// Whether the table holds the row with this key. Keys are handed out once on both
// servers, even when the row that got one was never committed, so a key the attempt
// was given can only be its own row's.
bool rowStored(Db &db, const QString &table, const QVariant &key);

// Runs the attempt as described above and returns what it returned. An attempt that
// returns without committing a step of its own (an inner guard that ended without
// commit) is rolled back, and what it returned is returned. Inside a transaction of the
// caller's the attempt runs once as a part of it: the caller's save decides.
template <class Result>
Result run(Db &db, const std::function<Result()> &attempt, const std::function<bool(const Result &)> &stored)
{
    if (db.inTransaction())
        return attempt();
    bool triedAgain = false;
    for (;;) {
        std::optional<Result> result;
        try {
            Transaction transaction(db);
            result = attempt();
            db.requireConnection();
            if (!db.transactionDoomed())
                transaction.commit();
            return *result;
        } catch (const DbError &error) {
            if (!error.connectionLost())
                throw;
            const bool mayBeStored = error.connection() == DbError::Connection::LostInCommit && result.has_value();
            try {
                db.reopen();
            } catch (const DbError &lost) {
                if (mayBeStored)
                    throw DbError(notKnownText(lost.serverText()), error.statement(), DbError::Connection::LostInCommit);
                throw DbError(notSavedText(lost.serverText()), error.statement(), DbError::Connection::Lost);
            }
            if (mayBeStored && stored(*result))
                return *result;
            if (triedAgain)
                throw DbError(
                    notSavedText(QStringLiteral("The connection to the database was lost again: ") + error.serverText()),
                    error.statement(), DbError::Connection::Lost);
            triedAgain = true;
        }
    }
}

} // namespace SaveRetry
