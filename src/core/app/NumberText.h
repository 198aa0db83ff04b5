#pragma once

#include <QStringView>

namespace Numbers {

// Whether a typed text is a number, the one rule every screen asks: blanks (spaces,
// tabs, line ends) around it, then an optional sign, digits with at most one decimal
// point and an optional exponent, with no blank inside. The reading rule
// (parseLeadingNumber) reads such a text whole. "", "1 2", "1,250.75", "$3.10", "12abc",
// "-" and "." are not numbers; neither is a text led by any other control character.
bool isNumber(QStringView text);

} // namespace Numbers
