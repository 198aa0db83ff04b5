#pragma once

#include <QList>
#include <QString>

#include <optional>

class Db;

// A customer's card as the ticket screens check it before a ticket may be written.
struct CustomerCard
{
    QString customerId;
    QString name;
    bool customerInactive = false;
    bool cardInactive = false;
    bool onHold = false;
    double balance = 0; // a NULL balance counts as 0
    double limit = 0;
    double warnAt = 0; // a fraction of the limit
    QString cardType;
    QString cardNote;
};

// One entry of a list that picks a customer by name: what the list shows and the key
// it stands for.
struct NameEntry
{
    QString text;
    QString id;
};

// The customers, their issued cards and their website logins.
namespace CustomerStore {

// The customer and the card with this number; nothing when there is no such card.
std::optional<CustomerCard> card(Db &db, const QString &customerId, const QString &cardNo);

// Every customer card with a card number, as "Name - CardNo" beside its account number
// (ID followed by CardNo), in name and card order. Inactive customers and cards are
// listed too.
QList<NameEntry> cardsByName(Db &db);

// Every customer as its name beside its ID, in name order.
QList<NameEntry> customersByName(Db &db);

// The customer's name; nothing when there is no such customer.
std::optional<QString> nameOf(Db &db, const QString &customerId);

} // namespace CustomerStore
