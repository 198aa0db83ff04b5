#pragma once

#include <QString>
#include <QStringView>

// The number rules every screen shares: how a typed field is read, how a computed value
// is written back, how values are rounded and how an amount is shown while it is not
// being edited.
namespace Numbers {

// The number at the start of a text: blanks (spaces, tabs, line ends) are skipped wherever
// they stand; then an optional sign, digits with at most one decimal point and an optional
// exponent (E and digits). Reading stops at the first character that cannot continue the
// number; 0 when nothing was read ("" and "$5" are 0, "12.5abc" is 12.5, "1,234" is 1).
double parseLeadingNumber(QStringView text);

// Whether the text is wholly the number it reads, blanks aside: "12.5", " 1 2 " and ""
// are; "1,234.56" (read as 1), "$3.10" (read as 0), "12abc", "-" and "." are not. The
// reading rule itself never changes; this only tells when it reads less than is there.
bool readsWhole(QStringView text);

// A value written as plain decimal text: at most 15 significant digits, a decimal point
// only with a fraction, no grouping, no trailing zeros, "-" when negative, "0" for zero.
QString plainText(double value);

// Rounds to the given number of decimals, a value exactly half-way going to the even
// neighbour. The tie is judged on the value as the program writes it (its 15-digit plain
// text), so 2.125 rounds to 2.12 even though its binary form lies just above it.
double roundHalfEven(double value, int decimals);

// Shows a value through a display pattern: sections "positive;negative;zero", digit
// placeholders 0 (always shown) and # (shown when there is a digit), "," for grouping by
// thousands, "." for the decimal point, "%" to show the value times 100; every other
// character is shown as it stands. "$#,##0.00;($#,##0.00)" shows -1234.5 as ($1,234.50).
QString format(double value, const QString &pattern);

// Shows the text of an amount field: empty stays empty, a text that is not a whole number
// is shown unchanged, a number is shown through the pattern.
QString formatText(const QString &text, const QString &pattern);

} // namespace Numbers
