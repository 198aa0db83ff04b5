#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Files the program writes for people and other programs (report exports, statement
// runs), written whole or not at all: the one way every such file is written. The
// content goes into a passing file beside the target (".NAME.XXXXXX.part"); only when
// every byte of it reached the disk does it take the target's name, in one step, with
// the permissions the old file had.
// A failure anywhere leaves no temporary file behind and the file already there as it
// was. A target that exists but is not a regular file (a device, a pipe, a folder) is
// refused: writing beside it and renaming would replace it.
namespace OutputFile {

// What fill() writes with. It reports a failure by throwing (DbError or any standard
// exception) or by returning false with the reason in `why`; a device that refused
// bytes is noticed here even when fill() did not look.
using Fill = std::function<bool(QIODevice &device, QString &why)>;

// Writes the file. False with the reason in `error` (naming the file and what went
// wrong: "Cannot write week.pdf: No space left on device") when anything fails. Never
// throws.
bool write(const QString &path, const Fill &fill, QString *error = nullptr);

// The same for a writer that must be handed a file name instead of a device (the
// spreadsheet library): fill() writes the passing file whose name it is given.
using FillNamed = std::function<bool(const QString &passingPath, QString &why)>;
bool writeNamed(const QString &path, const FillNamed &fill, QString *error = nullptr);

} // namespace OutputFile
