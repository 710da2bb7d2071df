#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

class TMainForm;

// What the command line asks of the editor: either to end at once with a text
// to print (--help, --version, a usage error), or to start, maybe with a file.
struct StartupRequest {
  bool exitNow = false;
  int exitCode = 0;
  QString output;  // for the standard output
  QString errors;  // for the standard error
  // The file to open once the main window is shown; empty for none.
  QString file;
};

// Exit codes of the command line.
constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 1;

// Reads `arguments` (the program name first). Needs a QCoreApplication for
// the program name in the help text; its texts are Russian when the Russian
// command-line translator is installed (see RunEditor).
StartupRequest ParseCommandLine(const QStringList& arguments);

// The program's icon for its windows, in every size a desktop shows. PNG
// files, which Qt reads without any image plugin.
QIcon WindowIcon();

// Shows the main window and, once the event loop runs with the window shown,
// opens `file` exactly as the Open command opens the file chosen in its
// dialog. For an empty `file` nothing is opened, and the journal of unsaved
// edits written last, if any, is offered (TMainForm::OfferLatestJournal).
void ShowMainForm(TMainForm& form, const QString& file);

// Start-up: the command line, then the application, the main window, the
// About window (hidden), and the event loop until the main window closes.
// Returns the exit code. --help and --version need no display.
//
// With `quitOnceShown` the event loop ends as soon as the main window is shown
// and nothing is left to do: the start-up benchmark measures exactly that.
int RunEditor(int& argc, char** argv, bool quitOnceShown = false);
