#pragma once

#include "app/Settings.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

// A configuration file that cannot be read or ends too early. The text says which file
// and what is wrong; start-up shows it as it stands.
class ConfigError : public std::runtime_error
{
public:
    explicit ConfigError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

// Reading config.txt. No widgets here, so the rules can be tried on plain texts.
namespace ConfigFile {

// The most a configuration file may hold, in bytes.
constexpr int kLargestFile = 64 * 1024;

// The first `count` list items of a text, fewer when the text ends sooner.
//
// Items are separated by commas and by line ends (LF, CR LF or CR). Spaces and tabs
// before an item are skipped. An item that begins with a double quote runs to the next
// double quote, may hold commas and line ends, and loses its quotes; whatever stands
// between the closing quote and the next separator is dropped. Any other item runs to
// the next comma or line end and keeps its trailing blanks. A line holding nothing but
// blanks is no item; an empty place after a comma is an empty item.
QStringList readItems(const QString &text, int count);

// The four values of a configuration text: item 3 is the connection text, item 5 the
// workstation, item 7 the administration flag and item 9 the location; items 1, 2, 4,
// 6 and 8 are the heading and the labels, and anything after item 9 is ignored.
// Throws ConfigError when the text has fewer than nine items, or when a value holds a
// control character (or half a character) or is wider than what it is stored in (the
// workstation 50 characters, the location 11); `source`
// names the file in that message.
Configuration parse(const QString &text, const QString &source = QStringLiteral("config.txt"));

// Reads and parses a file; throws ConfigError when it cannot be read, is not a regular
// file or holds more than kLargestFile bytes.
Configuration read(const QString &path);

// config.txt beside the executable.
QString defaultPath();

// Where an installed program keeps its configuration: the machine's one config.txt,
// since a workstation is a machine (its WorkstationID is stamped on what it writes).
QString machinePath();

// The places looked in, in order, when no file is named on the command line: config.txt
// beside the executable (the development layout, and a copy run from a folder of its
// own), then the machine's file.
QStringList searchPath();

// The configuration file to read: `namedPath` when one is given (--config FILE),
// otherwise the first of `places` that exists. Throws ConfigError naming every place
// looked in when none does.
QString locate(const QString &namedPath, const QStringList &places = searchPath());

// The user's own data folder for the program (~/.local/share/ams): where a relative
// SQLite file of the machine's configuration lies, since no user can write beside the
// machine's file or the installed executable.
QString userDataFolder();

// The folder a relative SQLite file named in the configuration at `configPath` lies in:
// the user's data folder for the machine's file, otherwise the configuration's own
// folder, so that a config.txt and its database can stand side by side.
QString databaseFolder(const QString &configPath, const QString &machineFile = machinePath());

// The same folder for the database tool, which reads no configuration: beside the
// executable when a config.txt lies there (the program there takes its relative files
// from there), otherwise the user's data folder, as for the machine's configuration.
QString toolDatabaseFolder(const QString &executableDir);

} // namespace ConfigFile
