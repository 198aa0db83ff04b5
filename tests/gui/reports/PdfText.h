#pragma once

// Reading printed documents back in the report tests.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

namespace PdfText {

// The text of a PDF file (or of one page of it) as poppler's pdftotext lays it out; a
// missing tool or an unreadable file fails the calling test through the empty result
// and the warning.
inline QString of(const QString &path, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << path << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        qWarning("pdftotext failed on %s: %s", qPrintable(path), process.readAllStandardError().constData());
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The number of pages of a PDF file, from poppler's pdfinfo; -1 when it cannot be read.
inline int pageCount(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return -1;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// The PDF files of a directory, sorted by name.
inline QStringList files(const QString &directory)
{
    QStringList paths;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

// Runs of blanks become one blank, so that a test can look for "Gas 50.500 $3.259"
// however the columns were spaced; typographic ligatures ("ff" in "Off") read as letters.
inline QString squeezed(const QString &text)
{
    QString out = text;
    out.replace(QChar(0xFB00), QStringLiteral("ff"))
        .replace(QChar(0xFB01), QStringLiteral("fi"))
        .replace(QChar(0xFB02), QStringLiteral("fl"));
    out.replace(QChar(0xFB03), QStringLiteral("ffi")).replace(QChar(0xFB04), QStringLiteral("ffl"));
    out.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return out;
}

} // namespace PdfText
