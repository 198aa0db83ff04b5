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
    for (QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            return TextProblem::ControlCharacter;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return TextProblem::BrokenCharacter;
    }
    if (text.size() > width)
        return TextProblem::TooLong;
    return TextProblem::None;
}

QString textRefusal(TextProblem problem, const QString &caption, int width)
{
    switch (problem) {
    case TextProblem::ControlCharacter:
        return QStringLiteral("%1 cannot hold tabs, line breaks or other control characters.").arg(caption);
    case TextProblem::BrokenCharacter:
        return QStringLiteral("%1 holds a broken character (half of one) that cannot be stored.").arg(caption);
    case TextProblem::TooLong:
        return QStringLiteral("%1 holds at most %2 characters.").arg(caption).arg(width);
    case TextProblem::None:
        break;
    }
    return {};
}

} // namespace FieldRules
