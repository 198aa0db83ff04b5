#include "accounts/CustomerEntry.h"

#include "accounts/Aging.h"
#include "accounts/WebPassword.h"
#include "app/Numbers.h"

double CustomerRecord::availableCredit() const { return Numbers::roundHalfEven(limit - balance, 2); }

bool CustomerEntry::hasRequiredFields() const
{
    return !limit.isEmpty() && !warnAt.isEmpty() && !accountNumber.isEmpty() && !name.isEmpty();
}

QString CustomerEntry::passwordRefusal() const { return givesLogin() ? WebPassword::refusal(password, userName) : QString(); }

double CustomerEntry::limitValue() const { return Numbers::parseLeadingNumber(limit); }

double CustomerEntry::warnAtValue() const { return Numbers::parseLeadingNumber(warnAt); }

bool CustomerEntry::termsValid() const
{
    std::optional<int> days;
    return PaymentTerms::read(terms, &days);
}

QVariant CustomerEntry::termsValue() const
{
    std::optional<int> days;
    if (!PaymentTerms::read(terms, &days) || !days)
        return QVariant(QMetaType::fromType<int>());
    return *days;
}

namespace CustomerColumns {

ColumnValues written(const SqlDialect &sql, const CustomerEntry &entry)
{
    ColumnValues columns = {{QStringLiteral("Name"), entry.name.trimmed()}};
    // An empty box is "not typed", never "erase": the stored text stays.
    const std::pair<const char *, const QString *> texts[] = {
        {"Address1", &entry.address1}, {"Address2", &entry.address2}, {"City", &entry.city},   {"State", &entry.state},
        {"Zip", &entry.zip},           {"Contact", &entry.contact},   {"Phone", &entry.phone}, {"Fax", &entry.fax},
    };
    for (const auto &[column, text] : texts)
        if (!text->isEmpty())
            columns.append({QLatin1String(column), *text});
    columns.append({QStringLiteral("Inactive"), sql.flag(entry.inactive)});
    columns.append({QStringLiteral("Limit"), entry.limitValue()});
    columns.append({QStringLiteral("WarnAt"), entry.warnAtValue()});
    columns.append({QStringLiteral("AcctOnHold"), sql.flag(entry.onHold)});
    columns.append({QStringLiteral("PaymentTerms"), entry.termsValue()});
    return columns;
}

} // namespace CustomerColumns

namespace ContactRule {

bool hasApostrophe(QStringView text) { return text.contains(u'\''); }

QString withoutApostrophes(QStringView text, int &caret)
{
    QString kept;
    kept.reserve(text.size());
    int newCaret = caret;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\'') {
            kept.append(text[i]);
        } else if (i < caret) {
            --newCaret;
        }
    }
    caret = newCaret;
    return kept;
}

} // namespace ContactRule
