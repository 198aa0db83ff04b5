#pragma once

#include <QRegularExpression>
#include <QString>

// Whether a whole field reads as a number: an optional sign, digits with at most one
// decimal point, an optional exponent, blanks around it allowed. Digit grouping and a
// currency sign do not count, and neither does an empty text.
inline bool readsAsNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}
