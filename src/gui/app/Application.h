#pragma once

// The program's start-up and run.
namespace Application {

// Main: reads the configuration, opens the database, loads this location's company
// settings, applies the workstation's rights, refuses to run as a second copy and
// shows the main window; then runs until the main window closes or Exit is chosen.
//
// Options: --config FILE reads FILE instead of the config.txt looked for (ReadConfigFile).
// Returns 0 after a normal run and when another copy already runs (after saying so),
// 1 when start-up fails (after showing the error's text), 2 for a wrong command line.
int run(int argc, char *argv[]);

} // namespace Application
