#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

// How old the money a customer owes is. Every charge ticket is due its terms' number of
// days after its day; on a given day it is "Current" until its due date has passed, then
// 1 to 30, 31 to 60, 61 to 90 or over 90 days past due. Payments (and tickets with a
// negative total, which are credits) pay the oldest open charges first, whatever day they
// came on. What is left open of each charge stands in its column. A customer who has paid
// more than was charged holds a credit, which is shown as such and never aged. A payment
// with a negative amount (a returned check) is a charge on its day, with the same terms.
namespace Aging {

// The columns, from the newest money to the oldest.
enum Bucket { Current = 0, Days1To30, Days31To60, Days61To90, Over90, BucketCount };

// One column: its caption and the days past due it holds (inclusive; toDays < 0: no end).
struct BucketRule
{
    QString caption;
    int fromDays = 0;
    int toDays = 0;
};

// The five columns in order. "Current" holds everything not yet past due (0 days or less).
const std::array<BucketRule, BucketCount> &buckets();

// The column of a charge that is this many days past its due date (0 or less: not due yet).
Bucket bucketOf(int daysPastDue);

// Money in whole cents: the sums of many charges stay exact.
using Cents = qint64;
Cents toCents(double amount);
double fromCents(Cents cents);

// What is owed on one day, by column, and any credit.
struct AgedBalance
{
    // What is left open of the charges in each column, in cents; never negative.
    std::array<Cents, BucketCount> open{};
    // More paid than charged: what the customer has to its good; 0 otherwise.
    Cents credit = 0;

    // What is owed less the credit (negative for a credit balance).
    Cents balance() const;
    double amount(Bucket bucket) const { return fromCents(open[bucket]); }
    double creditAmount() const { return fromCents(credit); }
    double balanceAmount() const { return fromCents(balance()); }
};

// Applies the credits (payments and negative tickets, a positive sum) to the charges,
// given as the whole amounts of the charges that fall in each column: the oldest column
// is paid first, then the next, so what stays open is the newest money.
AgedBalance apply(const std::array<Cents, BucketCount> &charged, Cents credits);

// The same result from a balance and only the charges of the younger columns: as the
// oldest money is paid first, what is owed is the newest money, so the balance stands in
// the columns of the newest charges that make it up, and whatever those cannot hold is
// over 90 days. `recent` holds the charges of every column but Over90 (its Over90 entry
// is not read); a balance of 0 or less owes nothing and a negative one is a credit.
AgedBalance ageBalance(const std::array<Cents, BucketCount> &recent, Cents balance);

// The first day a charge may be dated to stand in a column before Over90, on the day
// `asOf`, for a customer with these terms: a charge of that day or later (and before the
// next younger column's first day) stands in the column.
QDate firstDayOf(Bucket bucket, const QDate &asOf, int terms);

} // namespace Aging

// Payment terms: how many days after a ticket its money is due. A customer has terms of
// its own or, without them, its location's; a location without terms gives 30 days.
namespace PaymentTerms {

constexpr int kDefaultDays = 30;
// The longest terms a customer or location may be given.
constexpr int kMostDays = 365;

// "Net 30"; "Due on receipt" for 0 days.
QString text(int days);

// The customer's terms (a NULL column: none of its own) or else the location's.
int effective(const QVariant &customerTerms, int locationDays);

// The same rule as SQL, for a customer's terms column: the location's terms come from
// the one placeholder the expression holds.
QString effectiveSql(const QString &column);

// The terms of a stored location (a NULL column or a value out of range: 30 days).
int ofLocation(const QVariant &stored);

// Reads a terms box: empty means "none of its own" (nothing); otherwise a whole number of
// days from 0 to 365, blanks around it allowed. False when the text is anything else.
bool read(const QString &text, std::optional<int> *days);

} // namespace PaymentTerms
