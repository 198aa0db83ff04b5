#pragma once

#include "accounts/CustomerEntry.h"

#include <QDateTime>
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

// A customer's website login as the customer screen shows it: the username, and only
// whether a password is set (the stored hash never leaves the store).
struct WebLogin
{
    QString userName;
    bool passwordSet = false;
};

// A card issued on an account, as the customer screen lists and writes it.
struct IssuedCard
{
    QString cardNo;
    QString cardType;
    bool inactive = false;
    QString note; // a NULL note reads as ""
};

// A customer row and its login, if it has one.
struct CustomerAccount
{
    CustomerRecord customer;
    std::optional<WebLogin> login;
};

// What became of the login when a customer was saved.
enum class LoginSave {
    NotGiven,      // no login written: username empty, or no password for a customer without a login
    Written,       // the login has the username given, and the new password's hash when one was given
    UserNameTaken, // another customer uses the username: the customer row is saved, the login not
};

// The customers, their issued cards and their website logins.
namespace CustomerStore {

// The customer and the card with this number; nothing when there is no such card.
std::optional<CustomerCard> card(Db &db, const QString &customerId, const QString &cardNo);
// The type of the card with this number, read from the card alone; nothing when there is
// no such card (a NULL type reads as "").
std::optional<QString> cardType(Db &db, const QString &customerId, const QString &cardNo);

// Every customer card with a card number, as "Name - CardNo" beside its account number
// (ID followed by CardNo), in name and card order. Inactive customers and cards are
// listed too.
QList<NameEntry> cardsByName(Db &db);

// Every customer as its name beside its ID, in name order.
QList<NameEntry> customersByName(Db &db);

// The customer's name; nothing when there is no such customer.
std::optional<QString> nameOf(Db &db, const QString &customerId);

// The customer row with exactly this ID (blanks and letter case count) and its login,
// read together in one statement since the customer screen reads them at every
// keystroke; nothing when there is no such customer.
std::optional<CustomerAccount> account(Db &db, const QString &id);

// The customer's balance; 0 when there is no such customer or no balance was ever set.
double balanceOf(Db &db, const QString &customerId);

// Saves the customer row and, when the entry gives one, its login, in one transaction.
// A new row (no row has the account number as typed) gets the trimmed number as its ID
// and `entered` as DateEntered; a stored row keeps both. The login is filed under the
// row's ID and written only when no other customer uses the username; the losing save
// of two workstations giving one username at the same moment learns it the same way.
// A new password is stored as its WebPassword hash; an empty one keeps the stored hash.
// Throws DbError when anything fails, or when the entry's new password is refused
// (CustomerEntry::passwordRefusal); nothing is then written.
LoginSave save(Db &db, const CustomerEntry &entry, const QDateTime &entered);

// The ID a save of this account number writes under: the stored row's when there is
// one, the trimmed number for a new customer.
QString savedId(Db &db, const QString &accountNumber);

// True when no customer has the account number as typed but one already has the ID a
// new row would get (the number without its outer blanks): such a save could only fail.
bool newIdTaken(Db &db, const QString &accountNumber);

// True when no customer other than this one uses the username (a login filed under no
// customer holds its username too). Usernames compare as the server compares texts:
// exactly, on both servers, as the unique username column does.
bool userNameFree(Db &db, const QString &userName, const QString &customerId);

// The cards filed under the account number, in card number order.
QList<IssuedCard> cardsOf(Db &db, const QString &customerId);

// Files the card under the account number, replacing a card with the same number. The
// replacement is one transaction: the old card stays unless the new one is written.
// The customer row need not exist yet.
void saveCard(Db &db, const QString &customerId, const IssuedCard &card);

// Removes the card with this number from the account; returns how many rows went (0
// when no such card is filed).
int removeCard(Db &db, const QString &customerId, const QString &cardNo);

// A website login as the website checks it: whose it is, its username and the stored
// password hash (never shown anywhere).
struct WebLoginOwner
{
    QString customerId;
    QString userName;
    QString passwordHash;
};
// The login with exactly this username; nothing when no login has it.
std::optional<WebLoginOwner> loginByUserName(Db &db, const QString &userName);
// The login of the customer; nothing when it has none.
std::optional<WebLoginOwner> loginOf(Db &db, const QString &customerId);

// Replaces the stored password of the customer's login, but only while it is still
// `expected` (what the caller checked the old password against): of two changes made at
// the same moment one wins and the other learns it. True when the password was replaced.
bool replacePassword(Db &db, const QString &customerId, const QString &expected, const QString &stored);

} // namespace CustomerStore
