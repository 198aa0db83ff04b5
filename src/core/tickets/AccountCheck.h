#pragma once

#include "accounts/CustomerStore.h"

#include <QList>
#include <QString>

#include <optional>

class Db;

// The check a charge ticket's account number goes through before anything may be
// written on it: the customer and card it names, and whether a ticket may be written.
namespace AccountCheck {

// What Enter in the account field makes of the typed text: six or seven characters are
// the account number itself; eight or nine carry one wrapping character on each side
// (a card reader's start and end marks); eleven carry one before and four after.
// Any other length is not an account number yet, and Enter does nothing.
std::optional<QString> accountFromEnter(const QString &typed);

// Only six or seven characters make an account number that can be looked up.
bool hasAccountLength(const QString &accountNumber);

// The customer part: the first four characters.
QString customerIdOf(const QString &accountNumber);
// The card part: characters 5 to 7 of a seven-character number, the last two otherwise.
// A seven-character number is filed under the whole card that was checked.
QString cardNumberOf(const QString &accountNumber);

// The customer and card the account number names; nothing when there is no such card.
// The account number must have six or seven characters.
std::optional<CustomerCard> lookUp(Db &db, const QString &accountNumber);

enum class Refusal { InactiveCustomer, InactiveCard, OnHold };

struct Decision
{
    // Every reason the account is refused, in the order the clerk is told them.
    QList<Refusal> refusals;
    // Accepted, but the balance has reached the warning part of the limit.
    bool warn = false;

    bool accepted() const { return refusals.isEmpty(); }
};

// Whether a ticket may be written for the card. The hold is the stored flag alone:
// the posting decides it, this check does not compare balance and limit.
Decision decide(const CustomerCard &row);

} // namespace AccountCheck
