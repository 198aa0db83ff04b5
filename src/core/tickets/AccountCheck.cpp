#include "tickets/AccountCheck.h"

#include "app/Numbers.h"

namespace AccountCheck {

std::optional<QString> accountFromEnter(const QString &typed)
{
    switch (typed.size()) {
    case 6:
    case 7:
        return typed;
    case 8:
    case 9:
        return typed.mid(1, typed.size() - 2);
    case 11:
        return typed.mid(1, 6);
    default:
        return std::nullopt;
    }
}

bool hasAccountLength(const QString &accountNumber) { return accountNumber.size() == 6 || accountNumber.size() == 7; }

QString customerIdOf(const QString &accountNumber) { return accountNumber.left(4); }

QString cardNumberOf(const QString &accountNumber)
{
    if (accountNumber.size() == 7)
        return accountNumber.mid(4);
    return accountNumber.right(2);
}

std::optional<CustomerCard> lookUp(Db &db, const QString &accountNumber)
{
    return CustomerStore::card(db, accountNumber.left(4), accountNumber.mid(4));
}

Decision decide(const CustomerCard &row)
{
    Decision d;
    if (row.customerInactive)
        d.refusals << Refusal::InactiveCustomer;
    if (row.cardInactive)
        d.refusals << Refusal::InactiveCard;
    if (row.onHold)
        d.refusals << Refusal::OnHold;
    // The threshold is a money amount: judged to the millionth, so that 0.55 of 1500
    // warns at a balance of exactly 825 although the binary product lies just above it.
    d.warn = d.accepted() && row.balance >= Numbers::roundHalfEven(row.warnAt * row.limit, 6);
    return d;
}

} // namespace AccountCheck
