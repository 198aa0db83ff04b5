#pragma once

// Registers every screen and command handler the program has with the main window.
// Called once, by the first main window; calling it again does nothing.
void registerProgramScreens();
