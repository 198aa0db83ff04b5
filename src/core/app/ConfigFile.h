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
// Throws ConfigError when the text has fewer than nine items; `source` names the file
// in that message.
Configuration parse(const QString &text, const QString &source = QStringLiteral("config.txt"));

// Reads and parses a file; throws ConfigError when it cannot be read.
Configuration read(const QString &path);

// config.txt beside the executable.
QString defaultPath();

} // namespace ConfigFile
