#include "app/ConfigFile.h"

#include "app/FieldRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ConfigFile {

namespace {

bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Steps over one separator at `pos`: a comma, or a line end (CR LF counts as one).
// Returns whether it was a comma.
bool skipSeparator(const QString &text, qsizetype &pos)
{
    if (pos >= text.size())
        return false;
    if (text[pos] == u',') {
        ++pos;
        return true;
    }
    if (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n')
        ++pos;
    ++pos;
    return false;
}

} // namespace

QStringList readItems(const QString &text, int count)
{
    QStringList items;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    // Whether the item about to be read follows a comma: an empty place there is an
    // item, while an empty line is not.
    bool afterComma = false;

    while (items.size() < count) {
        while (pos < size && isBlank(text[pos]))
            ++pos;
        if (pos >= size) {
            // A comma at the very end still opens one (empty) last item.
            if (afterComma)
                items.append(QString());
            break;
        }
        if (isLineEnd(text[pos]) && !afterComma) {
            skipSeparator(text, pos);
            continue;
        }

        QString item;
        if (text[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? size : close;
            item = text.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? size : close + 1;
            while (pos < size && text[pos] != u',' && !isLineEnd(text[pos]))
                ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < size && text[pos] != u',' && !isLineEnd(text[pos]))
                ++pos;
            item = text.mid(start, pos - start);
        }
        items.append(item);
        afterComma = skipSeparator(text, pos);
    }
    return items;
}

Configuration parse(const QString &text, const QString &source)
{
    const QStringList items = readItems(text, 9);
    if (items.size() < 9)
        throw ConfigError(QStringLiteral("Input past end of file: %1 holds %2 of the nine items it needs "
                                         "(a heading, then the labels and values of the connection, the "
                                         "workstation, the administration flag and the location).")
                              .arg(source)
                              .arg(items.size()));
    // Every value goes into SQL text, a stored row or a server's option list: a control
    // character or a value wider than its column is refused here, naming the item,
    // rather than failing every save later or being stored cut.
    struct Value
    {
        int item;
        const char *label;
        int width;
    };
    static const Value values[] = {
        {3, "Connection", kLargestFile},
        {5, "Workstation", FieldRules::Width::Workstation},
        // Stored nowhere: any text but "1" is a counter workstation.
        {7, "Admin", kLargestFile},
        // The location's row key: a whole number.
        {9, "Location", 11},
    };
    for (const Value &v : values) {
        const QString &value = items[v.item - 1];
        const FieldRules::TextProblem problem = FieldRules::textProblem(value, v.width);
        if (problem == FieldRules::TextProblem::None)
            continue;
        const QString item = QStringLiteral("The %1 value (item %2)").arg(QLatin1String(v.label)).arg(v.item);
        throw ConfigError(QStringLiteral("%1: %2").arg(source, FieldRules::textRefusal(problem, item, v.width)));
    }
    Configuration config;
    config.ConnectionInfo = items[2];
    config.WorkstationID = items[4];
    config.AdminWorkstation = items[6];
    config.LocationID = items[8];
    return config;
}

Configuration read(const QString &path)
{
    QFile file(path);
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists())
        throw ConfigError(QStringLiteral("File not found: %1").arg(shown));
    // A device or a pipe could feed the reader without end or keep it waiting for ever.
    if (!info.isFile())
        throw ConfigError(QStringLiteral("Cannot read %1: it is not a regular file.").arg(shown));
    if (info.size() > kLargestFile)
        throw ConfigError(QStringLiteral("Cannot read %1: it holds %2 bytes; a configuration file holds at most %3 (64 KiB).")
                              .arg(shown)
                              .arg(info.size())
                              .arg(kLargestFile));
    if (!file.open(QIODevice::ReadOnly))
        throw ConfigError(QStringLiteral("Cannot read %1: %2").arg(shown, file.errorString()));
    // Read no further than the limit, even from a file that grows meanwhile.
    const QByteArray bytes = file.read(kLargestFile + 1);
    if (bytes.size() > kLargestFile)
        throw ConfigError(
            QStringLiteral("Cannot read %1: a configuration file holds at most %2 bytes (64 KiB).").arg(shown).arg(kLargestFile));
    const QString text = QString::fromUtf8(bytes);
    return parse(text, QDir::toNativeSeparators(path));
}

QString defaultPath() { return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config.txt")); }

QString machinePath() { return QStringLiteral("/etc/ams/config.txt"); }

QStringList searchPath() { return {defaultPath(), machinePath()}; }

QString locate(const QString &namedPath, const QStringList &places)
{
    if (!namedPath.isEmpty())
        return namedPath;
    for (const QString &place : places)
        if (QFileInfo(place).isFile())
            return place;
    QStringList shown;
    for (const QString &place : places)
        shown << QDir::toNativeSeparators(place);
    throw ConfigError(QStringLiteral("File not found: config.txt, looked for as %1.").arg(shown.join(QStringLiteral(" and "))));
}

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("ams"));
}

QString databaseFolder(const QString &configPath, const QString &machineFile)
{
    const QFileInfo config(configPath);
    if (config.absoluteFilePath() == QFileInfo(machineFile).absoluteFilePath())
        return userDataFolder();
    return config.absolutePath();
}

QString toolDatabaseFolder(const QString &executableDir)
{
    if (QFileInfo(QDir(executableDir).filePath(QStringLiteral("config.txt"))).isFile())
        return executableDir;
    return userDataFolder();
}

} // namespace ConfigFile
