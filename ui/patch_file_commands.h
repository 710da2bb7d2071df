#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

#include "ui/command_window.h"

class DocumentHistory;
class QAction;
class QMenu;
class QWidget;
class TableDocument;
class TStringGrid;
class UserDialogs;

// The File menu's commands for patches: one exported from a base file to the
// tables as they now stand, and one applied to the open file as one step. They
// are enabled while a file is loaded.
class PatchFileCommands : public QObject {
  Q_OBJECT

 public:
  // What the commands use of the main window (command_window.h).
  using Window = CommandWindow;

  // Puts the two items into `menu` before `before`.
  PatchFileCommands(const Window& window, QMenu* menu, QAction* before);
  ~PatchFileCommands() override;

  void ExportPatchClick();
  void ApplyPatchClick();

 private:
  void UpdateEnabled();

  QAction* ExportPatch;
  QAction* ApplyPatch;

  Window window_;
};
