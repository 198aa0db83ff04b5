#include "app/FieldRules.h"

#include <cmath>

namespace FieldRules {

bool isStorableAmount(double value) { return std::isfinite(value) && std::fabs(value) <= kLargestAmount; }

QString amountRefusal(const QString &caption)
{
    return QStringLiteral("%1 holds an amount that cannot be stored. Amounts must be numbers from -999,999,999.99 "
                          "to 999,999,999.99.")
        .arg(caption);
}

std::optional<QString> firstUnstorableAmount(const QList<QPair<QString, double>> &amounts)
{
    for (const auto &[caption, value] : amounts)
        if (!isStorableAmount(value))
            return caption;
    return std::nullopt;
}

TextProblem textProblem(QStringView text, int width)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return TextProblem::ControlCharacter;
    if (text.size() > width)
        return TextProblem::TooLong;
    return TextProblem::None;
}

QString textRefusal(TextProblem problem, const QString &caption, int width)
{
    switch (problem) {
    case TextProblem::ControlCharacter:
        return QStringLiteral("%1 cannot hold tabs, line breaks or other control characters.").arg(caption);
    case TextProblem::TooLong:
        return QStringLiteral("%1 holds at most %2 characters.").arg(caption).arg(width);
    case TextProblem::None:
        break;
    }
    return {};
}

} // namespace FieldRules
