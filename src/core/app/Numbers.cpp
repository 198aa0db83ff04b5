#include "app/Numbers.h"

#include "app/NumberText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

// The program runs with the user's locale (Qt sets it at start-up), and the C library's
// number conversions follow it: under a locale that writes 12,5 they would write and read
// commas. These two always use the point.
double readDecimal(const QString &text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(text.toLatin1().constData(), nullptr, c);
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The 15 significant digits of a value and its decimal exponent: value = 0.d1d2...d15 x 10^exp.
struct Decimal
{
    bool negative = false;
    QString digits; // without leading zeros; empty for zero
    int exponent = 0;
};

Decimal toDecimal(double value)
{
    Decimal d;
    if (value == 0 || !std::isfinite(value))
        return d;
    // Every amount shown goes through here, several times a keystroke: the digits are
    // picked from the buffer as they stand, with one string made at the end.
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    // buffer: [-]d.dddddddddddddde[+-]xx
    const char *at = buffer;
    const char *const end = written.ptr;
    if (at < end && *at == '-') {
        d.negative = true;
        ++at;
    }
    const char *const e = std::find(at, end, 'e');
    char digits[sizeof buffer];
    int count = 0;
    for (const char *c = at; c < e; ++c)
        if (*c != '.')
            digits[count++] = *c;
    const char *exponentText = e < end ? e + 1 : end;
    if (exponentText < end && *exponentText == '+')
        ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, end, exponent);
    d.exponent = exponent + 1;
    while (count > 0 && digits[count - 1] == '0')
        --count;
    d.digits = QString::fromLatin1(digits, count);
    return d;
}

QString toPlain(const Decimal &d)
{
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    QString out;
    const int n = int(d.digits.size());
    if (d.exponent <= 0) {
        out = QStringLiteral("0.") + QString(-d.exponent, u'0') + d.digits;
    } else if (d.exponent >= n) {
        out = d.digits + QString(d.exponent - n, u'0');
    } else {
        out = d.digits.left(d.exponent) + u'.' + d.digits.mid(d.exponent);
    }
    if (d.negative)
        out.prepend(u'-');
    return out;
}

// Rounds a decimal to `decimals` places, ties to even, on its digits.
Decimal roundDecimal(Decimal d, int decimals)
{
    if (d.digits.isEmpty())
        return d;
    const int keep = d.exponent + decimals; // digits that stay
    const int n = int(d.digits.size());
    if (keep >= n)
        return d;
    if (keep < 0) {
        d.digits.clear();
        return d;
    }
    QString kept = d.digits.left(keep);
    const QString rest = d.digits.mid(keep);
    bool up = false;
    if (rest[0] > u'5') {
        up = true;
    } else if (rest[0] == u'5') {
        const bool exactHalf = rest.mid(1).count(u'0') == rest.size() - 1;
        if (!exactHalf)
            up = true;
        else
            up = !kept.isEmpty() && (kept.back().digitValue() % 2 == 1);
    }
    if (up) {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[i] == u'9') {
            kept[i] = u'0';
            --i;
        }
        if (i < 0) {
            kept.prepend(u'1');
            ++d.exponent;
        } else {
            kept[i] = QChar(kept[i].unicode() + 1);
        }
    }
    // Strip leading zeros (a kept part of "0" digits when rounding tiny values).
    while (!kept.isEmpty() && kept[0] == u'0') {
        kept.remove(0, 1);
        --d.exponent;
    }
    while (kept.endsWith(u'0'))
        kept.chop(1);
    d.digits = kept;
    return d;
}

double fromPlain(const QString &plain) { return readDecimal(plain); }

struct Section
{
    QString prefix;   // literal text before the first placeholder
    QString integer;  // integer placeholders with literals between them
    QString fraction; // fraction placeholders after the point ('0' and '#')
    QString suffix;   // literal text after the last placeholder
    bool hasPoint = false;
    bool grouping = false;
    int percent = 0;
};

bool isPlaceholder(QChar c) { return c == u'0' || c == u'#'; }

Section parseSection(const QString &pattern)
{
    Section s;
    s.percent = int(pattern.count(u'%'));
    const qsizetype first = [&] {
        for (qsizetype i = 0; i < pattern.size(); ++i)
            if (isPlaceholder(pattern[i]) || pattern[i] == u'.')
                return i;
        return pattern.size();
    }();
    qsizetype last = -1;
    for (qsizetype i = pattern.size() - 1; i >= 0; --i)
        if (isPlaceholder(pattern[i]) || pattern[i] == u'.') {
            last = i;
            break;
        }
    if (last < first) {
        s.prefix = pattern;
        return s;
    }
    s.prefix = pattern.left(first);
    s.suffix = pattern.mid(last + 1);
    const QString body = pattern.mid(first, last - first + 1);
    const qsizetype point = body.indexOf(u'.');
    s.hasPoint = point >= 0;
    s.integer = s.hasPoint ? body.left(point) : body;
    if (s.hasPoint)
        s.fraction = body.mid(point + 1);
    // A comma between digit placeholders groups the thousands.
    if (s.integer.contains(u',')) {
        s.grouping = true;
        s.integer.remove(u',');
    }
    return s;
}

QString groupThousands(const QString &digits)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

QString applySection(double value, const Section &s)
{
    for (int i = 0; i < s.percent; ++i)
        value *= 100;
    const int maxDecimals = int(s.fraction.count(u'0') + s.fraction.count(u'#'));
    const Decimal rounded = roundDecimal(toDecimal(std::fabs(value)), maxDecimals);
    const QString plain = toPlain(rounded);
    const qsizetype point = plain.indexOf(u'.');
    QString intDigits = point < 0 ? plain : plain.left(point);
    QString fracDigits = point < 0 ? QString() : plain.mid(point + 1);
    if (intDigits == u"0")
        intDigits.clear();

    // Fraction: fixed digits for 0, optional ones for #.
    QString fraction;
    for (qsizetype i = 0; i < s.fraction.size(); ++i) {
        const QChar c = s.fraction[i];
        if (isPlaceholder(c)) {
            const QChar digit = i < fracDigits.size() ? fracDigits[i] : QChar();
            if (!digit.isNull())
                fraction += digit;
            else if (c == u'0')
                fraction += u'0';
        } else {
            fraction += c;
        }
    }
    // Optional digits that are zero at the end are not shown.
    for (qsizetype i = s.fraction.size() - 1; i >= 0 && s.fraction[i] == u'#' && fraction.endsWith(u'0'); --i)
        fraction.chop(1);

    QString integer;
    if (s.grouping) {
        const int minDigits = int(s.integer.count(u'0'));
        QString digits = intDigits;
        if (digits.size() < minDigits)
            digits = QString(minDigits - digits.size(), u'0') + digits;
        integer = groupThousands(digits);
    } else {
        // Fill the placeholders from the right; literals between them stay; digits left
        // over go in front of the first placeholder.
        qsizetype next = intDigits.size() - 1;
        for (qsizetype i = s.integer.size() - 1; i >= 0; --i) {
            const QChar c = s.integer[i];
            if (isPlaceholder(c)) {
                if (next >= 0)
                    integer.prepend(intDigits[next--]);
                else if (c == u'0')
                    integer.prepend(u'0');
            } else {
                integer.prepend(c);
            }
        }
        if (next >= 0)
            integer.prepend(intDigits.left(next + 1));
    }

    QString out = s.prefix + integer;
    if (s.hasPoint && !fraction.isEmpty())
        out += u'.' + fraction;
    return out + s.suffix;
}

} // namespace

namespace Numbers {

namespace {

// Reads the number at the start of the text; `end` is where reading stopped.
double scanNumber(QStringView text, qsizetype &end)
{
    QString number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        number += text[i].toLatin1();
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            number += c.toLatin1();
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    end = i;
    if (!digits)
        return 0;
    // An exponent counts only when at least one digit follows the E (and its sign).
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        qsizetype j = i + 1;
        auto skip = [&] {
            while (j < n && isBlank(text[j]))
                ++j;
        };
        skip();
        QString exponent = QStringLiteral("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exponent += text[j];
            ++j;
        }
        bool expDigits = false;
        for (;; ++j) {
            skip();
            if (j >= n || text[j] < u'0' || text[j] > u'9')
                break;
            exponent += text[j];
            expDigits = true;
        }
        if (expDigits) {
            number += exponent;
            end = j;
        }
    }
    return readDecimal(number);
}

} // namespace

double parseLeadingNumber(QStringView text)
{
    qsizetype end = 0;
    return scanNumber(text, end);
}

bool readsWhole(QStringView text)
{
    qsizetype end = 0;
    scanNumber(text, end);
    // Blanks are skipped wherever they stand, so only blanks may follow the number.
    for (qsizetype i = end; i < text.size(); ++i)
        if (!isBlank(text[i]))
            return false;
    // Nothing but a sign or a point reads as 0 without being a number.
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            return true;
    return std::all_of(text.begin(), text.end(), isBlank);
}

bool isNumber(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    const QStringView number = text.sliced(from, to - from);
    if (number.isEmpty() || std::any_of(number.begin(), number.end(), isBlank))
        return false;
    return readsWhole(number);
}

QString plainText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    return toPlain(toDecimal(value));
}

double roundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double result = fromPlain(toPlain(roundDecimal(toDecimal(value), decimals)));
    return result == 0 ? 0.0 : result; // no negative zero
}

QString format(double value, const QString &pattern)
{
    // The screens show every amount through one of a few patterns, and a keystroke
    // formats several amounts: each pattern is read once per thread, not once per amount.
    struct Parsed
    {
        bool blank = false; // the section's text is empty
        Section section;
    };
    thread_local QHash<QString, QList<Parsed>> known;
    auto found = known.constFind(pattern);
    if (found == known.cend()) {
        if (known.size() >= 64)
            known.clear();
        QList<Parsed> parsed;
        for (const QString &text : pattern.split(u';'))
            parsed.append({text.isEmpty(), parseSection(text)});
        found = known.insert(pattern, parsed);
    }
    const QList<Parsed> sections = *found;
    if (value == 0 && sections.size() >= 3)
        return applySection(0, sections[2].section);
    if (value < 0 && sections.size() >= 2 && !sections[1].blank)
        return applySection(-value, sections[1].section);
    const Section &positive = sections[0].section;
    QString shown = applySection(std::fabs(value), positive);
    // A negative value without a section of its own shows a minus sign, unless it rounds
    // to nothing but zeros.
    static const QRegularExpression nonZeroDigit(QStringLiteral("[1-9]"));
    if (value < 0 && shown.contains(nonZeroDigit))
        shown.prepend(u'-');
    return shown;
}

QString formatText(const QString &text, const QString &pattern)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return text;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok)
        return text;
    return format(value, pattern);
}

} // namespace Numbers
