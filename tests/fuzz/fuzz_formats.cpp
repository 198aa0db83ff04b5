// The display formats amount fields and printed documents show values through: fuzzed
// values with fuzzed patterns must not fail, and with the program's own money pattern
// the text shown is the value rounded to the cent.

#include "FuzzInput.h"

#include "app/Numbers.h"

#include <cmath>

using FuzzInput::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [valueText, pattern] = FuzzInput::split(FuzzInput::text(data, size));
    const double value = Numbers::parseLeadingNumber(valueText);

    // Any pattern: a text comes back, of a size that stays in proportion to the input.
    const QString shown = Numbers::format(value, pattern);
    if (std::isfinite(value) && shown.size() > pattern.size() * 4 + 400)
        broken("a pattern made an unbounded text", valueText + QStringLiteral(" | ") + pattern, shown);
    Numbers::formatText(valueText, pattern);

    if (!std::isfinite(value) || std::fabs(value) >= 1e13)
        return 0;
    // "$#,##0.00;($#,##0.00)": the money pattern of every amount field.
    const QString money = Numbers::format(value, QStringLiteral("$#,##0.00;($#,##0.00)"));
    const double cents = Numbers::roundHalfEven(value, 2);
    const bool negative = money.startsWith(u'(');
    // A value that rounds to no cents may keep the parentheses of its sign.
    if (cents != 0 && negative != (cents < 0))
        broken("money shows the wrong sign", valueText, money);
    QString digits = money;
    digits.remove(u'$').remove(u',').remove(u'(').remove(u')');
    const qsizetype point = digits.indexOf(u'.');
    if (point < 0 || digits.size() - point - 1 != 2)
        broken("money does not show two decimals", valueText, money);
    const double read = Numbers::parseLeadingNumber(digits) * (negative ? -1 : 1);
    if (std::fabs(read - cents) > 1e-9 * std::max(1.0, std::fabs(cents)))
        broken("money does not show the value rounded to the cent", valueText, money);
    // Grouping: a comma before every group of three digits, none elsewhere.
    const QString whole = money.mid(money.indexOf(u'$') + 1).section(u'.', 0, 0);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const qsizetype fromEnd = whole.size() - i;
        if ((whole[i] == u',') != (fromEnd % 4 == 0))
            broken("money groups digits wrongly", valueText, money);
    }
    return 0;
}
