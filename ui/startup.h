#pragma once

// Start-up: the application, the main window, the About window (hidden), and
// the event loop until the main window closes. Returns the exit code.
//
// With `quitOnceShown` the event loop ends as soon as the main window is shown
// and nothing is left to do: the start-up benchmark measures exactly that.
int RunEditor(int& argc, char** argv, bool quitOnceShown = false);
