#pragma once

#include <QString>

class Db;

// Adds Amount to the customer's balance (positive charges, negative pays) and then puts
// the account on hold when the new balance is at least its limit, or lifts the hold when
// it is below. The three changes join the caller's transaction (or make one of their
// own): either all take effect or none does. Throws DbError when any of them fails.
// A customer ID that matches no row changes nothing.
void postToCustomerBalance(Db &db, const QString &customerId, double amount);

// The same posting for callers that want only a yes or no: false when it failed (the
// reason goes to the "ams.posting" log). Inside a caller's transaction a failure also
// marks that transaction failed, as any step that does not commit does.
bool PostCustomerBalance(Db &db, const QString &customerId, double amount);
