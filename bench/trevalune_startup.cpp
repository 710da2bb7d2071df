// The editor's own start-up, ending once its main window is shown and idle.
#include "ui/startup.h"

int main(int argc, char* argv[]) {
  return RunEditor(argc, argv, /*quitOnceShown=*/true);
}
