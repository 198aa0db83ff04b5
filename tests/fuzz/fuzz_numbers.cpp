// The number reader that every amount field goes through, and the plain decimal text a
// computed value is written back as.

#include "FuzzInput.h"

#include "app/Numbers.h"

#include <cmath>
#include <cstring>

using FuzzInput::broken;

namespace {

bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0 || a == b; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    const double value = Numbers::parseLeadingNumber(text);

    // Reading never produces "not a number": at worst an infinity from a huge exponent.
    if (std::isnan(value))
        broken("the reader gives NaN", text);
    // Blanks are skipped wherever they stand; one more in front changes nothing.
    if (!same(Numbers::parseLeadingNumber(QStringLiteral(" ") + text), value))
        broken("a leading blank changes the value", text);
    // Reading stops at the first character that cannot continue the number.
    if (!same(Numbers::parseLeadingNumber(text + QStringLiteral("#1")), value))
        broken("a character after the number changes the value", text);
    // A text that is wholly a number reads the same with a trailing letter.
    if (Numbers::readsWhole(text) && !same(Numbers::parseLeadingNumber(text + QStringLiteral("x")), value))
        broken("a whole number reads differently with text after it", text);

    if (std::isfinite(value)) {
        // The plain text of a value: no grouping, no exponent, no currency, reads back to
        // the value as its 15 significant digits give it, and does so again unchanged.
        const QString plain = Numbers::plainText(value);
        if (plain.contains(u',') || plain.contains(u'e') || plain.contains(u'E') || plain.contains(u'$'))
            broken("plain text holds grouping, an exponent or a currency sign", text, plain);
        if (!Numbers::readsWhole(plain))
            broken("plain text is not wholly a number", text, plain);
        if (plain.endsWith(u'.') || (plain.contains(u'.') && plain.endsWith(u'0')))
            broken("plain text has a trailing point or zero", text, plain);
        const double once = Numbers::parseLeadingNumber(plain);
        if (Numbers::plainText(once) != plain)
            broken("plain text does not read back to itself", text, plain);
        if (value != 0 && std::fabs(once - value) > std::fabs(value) * 1e-14)
            broken("plain text is not the value to 15 digits", text, plain);
        // Rounding to the cent moves the value as the program writes it (its 15 digits,
        // on which ties are judged) by at most half a cent, and a tie goes to the even cent.
        const double cents = Numbers::roundHalfEven(value, 2);
        const double shown = once;
        if (std::fabs(value) < 1e12 && std::fabs(cents - shown) > 0.005 + std::fabs(shown) * 1e-15)
            broken("rounding to the cent moves more than half a cent", text, Numbers::plainText(cents));
        const QString centsText = Numbers::plainText(cents);
        if (centsText.contains(u'.') && centsText.section(u'.', 1).size() > 2)
            broken("a value rounded to the cent has more than two decimals", text, centsText);
    }
    return 0;
}
