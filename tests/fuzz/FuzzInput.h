#pragma once

// What every fuzz target shares: turning libFuzzer's bytes into texts the program reads,
// and stopping with a clear line when one of a target's rules does not hold.

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FuzzInput {

// The bytes as a text: UTF-8 when the first byte is even, else UTF-16 code units, so
// that unpaired surrogates and every control character reach the code under test.
inline QString text(const uint8_t *data, size_t size)
{
    if (size == 0)
        return {};
    if (data[0] % 2 == 0)
        return QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString out;
    for (size_t i = 1; i + 1 < size; i += 2)
        out.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return out;
}

// Splits the text at its first NUL: two inputs from one (a value and a pattern, say).
inline std::pair<QString, QString> split(const QString &all)
{
    const qsizetype at = all.indexOf(QChar(0));
    if (at < 0)
        return {all, QString()};
    return {all.left(at), all.mid(at + 1)};
}

[[noreturn]] inline void broken(const char *rule, const QString &input, const QString &got = {})
{
    std::fprintf(stderr, "rule broken: %s\n  input: %s\n  got:   %s\n", rule, qUtf8Printable(input), qUtf8Printable(got));
    std::abort();
}

} // namespace FuzzInput
