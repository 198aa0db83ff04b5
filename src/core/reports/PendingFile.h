#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;

// A file written under a passing name beside its target and given the target's name only
// once it is whole and on the disk: until then a file already there stays as it was, and
// an output that fails or is cancelled leaves nothing behind. For writers that must be
// handed a file name (the PDF writer, the spreadsheet library); a writer that takes a
// QIODevice uses QSaveFile instead.
class PendingFile
{
public:
    explicit PendingFile(QString target);
    ~PendingFile();
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;

    // Makes the passing file in the target's folder. False, with the reason, when the
    // folder cannot be written.
    bool open(QString *error = nullptr);
    // Where to write: the passing name.
    QString path() const;
    // Flushes the passing file to the disk and gives it the target's name, replacing a
    // file already there (whose permissions it takes). False, with the reason, when that
    // fails; the passing file is then removed.
    bool commit(QString *error = nullptr);

private:
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_file;
};
