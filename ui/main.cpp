#include "ui/startup.h"

int main(int argc, char* argv[]) {
  return RunEditor(argc, argv);
}
