#pragma once

#include "db/Db.h"

#include <QString>
#include <QStringView>

// A customer row as the customer screen shows it: a NULL text reads as "", a NULL
// number as 0 and a NULL flag as not set.
struct CustomerRecord
{
    QString id;
    QString name;
    QString address1;
    QString address2;
    QString city;
    QString state;
    QString zip;
    QString contact;
    QString phone;
    QString fax;
    bool inactive = false;
    double balance = 0;
    double limit = 0;
    double warnAt = 0; // a fraction of the limit
    bool onHold = false;
    // Payment terms in days; NULL when the customer has none of its own (the location's).
    QVariant paymentTerms;

    // What the customer may still charge: the limit less the balance, to the cent.
    double availableCredit() const;
};

// What the customer screen's fields hold when Save is pressed, as the clerk left them.
struct CustomerEntry
{
    // As typed: the row is looked up with it exactly, blanks included.
    QString accountNumber;
    QString name;
    QString address1;
    QString address2;
    QString city;
    QString zip;
    QString contact;
    QString phone;
    QString fax;
    // The chosen entry of the state list; empty when none is chosen.
    QString state;
    bool inactive = false;
    // The plain texts of the two number boxes.
    QString limit;
    QString warnAt;
    bool onHold = false;
    // The terms box as typed: empty for the location's terms, else a number of days.
    QString terms;
    QString userName;
    // A new website password as typed; empty keeps the stored one.
    QString password;

    // Account number, name, credit limit and warning threshold all hold something. The
    // test is on the texts as typed: blanks count as content.
    bool hasRequiredFields() const;

    // The numbers the limit and warning texts read, which is what is stored.
    double limitValue() const;
    double warnAtValue() const;

    // Whether the terms box holds what terms may be (PaymentTerms::read), and the value
    // stored for it: the days, or NULL for the location's terms.
    bool termsValid() const;
    QVariant termsValue() const;

    // The ID a new row gets: the account number without leading and trailing blanks.
    QString newCustomerId() const { return accountNumber.trimmed(); }

    // A new login is written only when both username and a password are given. A stored
    // login takes the username whenever one is given, and a new password only when one
    // is typed; with the username box empty it stays as it is.
    bool givesLogin() const { return !userName.isEmpty() && !password.isEmpty(); }
    bool keepsPassword() const { return !userName.isEmpty() && password.isEmpty(); }

    // Why the new password cannot be saved ("" when it can, or when none would be
    // written): shorter than WebPassword::MinimumLength, or the username itself.
    QString passwordRefusal() const;
};

// The rows the customer screen writes, as data so that the rules can be read in one
// place: which columns a save writes and with what.
namespace CustomerColumns {

// Every column a save of the entry writes into the Customer row. Empty address and
// contact boxes write nothing, so a new row leaves them unset and a stored row keeps its
// values; the state only when one is chosen; the flags as 1 or 0; the name trimmed.
// The terms always: an empty box stores NULL, the location's terms.
// CurrentBalance is never among them: balances move only by postings. ID and
// DateEntered are added for a new row only.
ColumnValues written(const SqlDialect &sql, const CustomerEntry &entry);

} // namespace CustomerColumns

// The contact box has always refused apostrophes, and the rule stays as the clerks know
// it; only the apostrophes go, never the characters around them.
namespace ContactRule {

bool hasApostrophe(QStringView text);

// The text without its apostrophes, every other character kept in order; `caret` (a
// position in the text) moves back by the apostrophes that stood before it, so it stays
// between the same two characters.
QString withoutApostrophes(QStringView text, int &caret);

} // namespace ContactRule
