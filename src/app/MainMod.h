#pragma once

#include <QString>

class Db;

// Adds Amount to the customer's balance (positive charges, negative pays) and then puts
// the account on hold when the new balance is at least its limit, or lifts the hold when
// it is below. All three changes are made in one transaction: either all take effect or
// none does. Returns false when any of them failed; the error itself is not shown.
// A customer ID that matches no row changes nothing and returns true.
bool PostCustomerBalance(Db &db, const QString &customerId, double amount);

// The card number inside a gift card swipe: the middle nine characters of an
// 11-character swipe, "NA" for anything else.
QString ParseSwipedCard(const QString &swipe);
