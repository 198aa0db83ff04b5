#pragma once

#include <QString>

#include <optional>

class Db;

// A customer's account as a posting left it, read back by the posting statement itself:
// what the screens show after a save, with no second read.
struct PostedBalance
{
    double balance = 0;
    double limit = 0;
    bool onHold = false;
};

// Adds Amount to the customer's balance (positive charges, negative pays) and then puts
// the account on hold when the new balance is at least its limit, or lifts the hold when
// it is below. Both changes are one statement, so either both take effect or neither
// does; it joins the caller's transaction (or makes one of its own). Throws DbError when
// it fails. A customer ID that matches no row changes nothing and returns nothing.
std::optional<PostedBalance> postToCustomerBalance(Db &db, const QString &customerId, double amount);

// The same posting for callers that want only a yes or no: false when it failed (the
// reason goes to the "ams.posting" log). Inside a caller's transaction a failure also
// marks that transaction failed, as any step that does not commit does. `posted`, when
// given, receives the account as the posting left it.
bool PostCustomerBalance(Db &db, const QString &customerId, double amount, std::optional<PostedBalance> *posted = nullptr);
