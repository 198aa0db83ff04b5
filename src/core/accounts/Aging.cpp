#include "accounts/Aging.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Aging {

const std::array<BucketRule, BucketCount> &buckets()
{
    static const std::array<BucketRule, BucketCount> list = {{
        {QStringLiteral("Current"), std::numeric_limits<int>::min(), 0},
        {QStringLiteral("1-30"), 1, 30},
        {QStringLiteral("31-60"), 31, 60},
        {QStringLiteral("61-90"), 61, 90},
        {QStringLiteral("Over 90"), 91, -1},
    }};
    return list;
}

Bucket bucketOf(int daysPastDue)
{
    for (int b = 0; b < BucketCount; ++b) {
        const BucketRule &rule = buckets()[b];
        if (rule.toDays < 0 || daysPastDue <= rule.toDays)
            return Bucket(b);
    }
    return Over90;
}

Cents toCents(double amount) { return Cents(std::llround(amount * 100.0)); }

double fromCents(Cents cents) { return double(cents) / 100.0; }

Cents AgedBalance::balance() const
{
    Cents owed = 0;
    for (Cents c : open)
        owed += c;
    return owed - credit;
}

AgedBalance apply(const std::array<Cents, BucketCount> &charged, Cents credits)
{
    AgedBalance result;
    Cents left = credits;
    for (int b = BucketCount - 1; b >= 0; --b) {
        const Cents paid = std::min(std::max<Cents>(left, 0), charged[b]);
        result.open[b] = charged[b] - paid;
        left -= paid;
    }
    // Whatever the charges could not take is the customer's credit.
    result.credit = std::max<Cents>(left, 0);
    return result;
}

AgedBalance ageBalance(const std::array<Cents, BucketCount> &recent, Cents balance)
{
    std::array<Cents, BucketCount> charged{};
    Cents younger = 0;
    for (int b = 0; b < Over90; ++b) {
        charged[b] = recent[b];
        younger += recent[b];
    }
    // Money owed beyond what the younger charges hold is older than all of them.
    charged[Over90] = std::max<Cents>(balance - younger, 0);
    return Aging::apply(charged, younger + charged[Over90] - balance);
}

QDate firstDayOf(Bucket bucket, const QDate &asOf, int terms)
{
    // The column ends toDays past due: a charge is that many days past due when it is
    // dated terms + toDays days before asOf.
    return asOf.addDays(-qint64(terms) - buckets()[bucket].toDays);
}

} // namespace Aging

namespace PaymentTerms {

QString text(int days) { return days == 0 ? QStringLiteral("Due on receipt") : QStringLiteral("Net %1").arg(days); }

int ofLocation(const QVariant &stored)
{
    bool ok = false;
    const int days = stored.isNull() ? -1 : stored.toInt(&ok);
    return ok && days >= 0 && days <= kMostDays ? days : kDefaultDays;
}

int effective(const QVariant &customerTerms, int locationDays)
{
    bool ok = false;
    const int days = customerTerms.isNull() ? -1 : customerTerms.toInt(&ok);
    return ok && days >= 0 && days <= kMostDays ? days : locationDays;
}

QString effectiveSql(const QString &column)
{
    return QStringLiteral("CASE WHEN %1 >= 0 AND %1 <= %2 THEN %1 ELSE CAST(? AS INTEGER) END").arg(column).arg(kMostDays);
}

bool read(const QString &text, std::optional<int> *days)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *days = std::nullopt;
        return true;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(t).hasMatch())
        return false;
    const int value = t.toInt();
    if (value > kMostDays)
        return false;
    *days = value;
    return true;
}

} // namespace PaymentTerms
