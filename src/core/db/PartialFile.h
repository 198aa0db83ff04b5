#pragma once

#include <QString>

// A database file made under a passing name beside the file it is to become
// ("FILE.<process>.partial"), so that the name FILE only ever stands for a whole,
// finished database. Unless it is given its name, the passing file (and its journal
// files) is removed when this goes; a process killed meanwhile leaves at most the
// passing file, never a half-made FILE.
class PartialFile
{
public:
    explicit PartialFile(const QString &target);
    ~PartialFile();
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    const QString &path() const { return m_path; }
    // The connection text of an SQLite database in the passing file.
    QString connectionText() const;

    // Makes the passing file as an empty file. Throws DbError naming the file.
    void create();
    // Puts the passing file on the disk and gives it the target's name; a file that took
    // that name meanwhile is never replaced. Throws DbError naming the file.
    void name(const QString &what);

private:
    QString m_target;
    QString m_path;
    bool m_kept = false;
};
