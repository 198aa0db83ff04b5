#pragma once

#include "accounts/BalancePosting.h"
#include "tickets/TicketStore.h"

#include <optional>

class Db;

// The one road by which a charge ticket is stored: the ticket screen takes it, and so
// does anything else that writes charge tickets, so that a ticket and the balances it
// moves can never part.
namespace TicketSaving {

struct Outcome
{
    int id = 0;
    // False when a posting statement failed: the ticket is stored all the same and the
    // balances stay as they were until they are rebuilt.
    bool posted = true;
    // The account of the customer the ticket is saved under as the posting left it;
    // nothing when no posting was made to it (an unchanged reprint) or it failed.
    std::optional<PostedBalance> account;
};

// Stores the ticket (a new row when its id is 0, else the stored row with that id) and
// posts what it changes, all in one transaction, so that a crash at any moment leaves
// both or neither:
// - a new ticket adds its total, as stored, to its customer's balance;
// - a stored ticket takes the total it was stored with off the customer it was filed
//   under and puts the new total on the customer it is saved under; an unchanged reprint
//   posts nothing.
// The postings may fail alone (reported by Outcome::posted), since a ticket the clerk
// has handed over must not vanish because a balance could not be written: the ticket is
// then stored by itself, still in one transaction. Throws DbError, with nothing written,
// when the ticket itself cannot be stored: an amount beyond what the money columns hold,
// a stored ticket that is gone, a failing statement.
Outcome save(Db &db, const TicketRecord &ticket, const TicketStamp &stamp);

} // namespace TicketSaving
