#pragma once

#include <QStringList>

// A management report written to a file from the command line, for runs at the end of
// the day without anyone at the screen:
//
//   ams --report NAME [--from YYYY-MM-DD --to YYYY-MM-DD] [--customer ID] [--location N]
//       (--pdf FILE | --csv FILE | --xlsx FILE) [--config FILE]
//
// It reads the same config.txt and opens the same connection as the program, shows no
// window (and so needs no display) and does not take the one-copy-per-machine lock; on a
// terminal it shows how far a long report has come on standard error. Its
// status is 0 when the file is written, 2 for a wrong command line and 1 when the
// configuration, the connection, the query or the file fails; every failure is said
// on standard error.
namespace ReportCommand {

// The report names, in menu order.
QStringList names();

// Whether the command line asks for a report.
bool requested(int argc, char *argv[]);

// Writes the report; returns the exit status.
int run(int argc, char *argv[]);

} // namespace ReportCommand
