#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

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
  // What the commands use of the main window; everything must outlive them.
  struct Window {
    QWidget* widget;
    TableDocument* document;  // the patch files go through its store too
    DocumentHistory* history;
    TStringGrid* grid;
    UserDialogs* dialogs;
    // The file an exported patch starts from: the file on disk, or another
    // one to compare with.
    std::function<std::span<const std::uint8_t>()> patch_base;
    std::function<QString()> dialog_folder;
    std::function<void(const QString&)> remember_folder;
  };

  // Puts the two items into `menu` before `before`.
  PatchFileCommands(const Window& window, QMenu* menu, QAction* before);
  ~PatchFileCommands() override;

  QAction* ExportPatch;
  QAction* ApplyPatch;

  void ExportPatchClick();
  void ApplyPatchClick();

 private:
  void UpdateEnabled();

  Window window_;
};
