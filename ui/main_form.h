#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "document/table_document.h"
#include "grid/string_grid.h"
#include "storage/file_store.h"
#include "tables/grid_shape.h"
#include "tables/table_set.h"
#include "ui/command_window.h"
#include "ui/patch_file_commands.h"
#include "ui/table_file_commands.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"

class BalanceCommands;
class ChangesPanel;
class ChecksPanel;
class EditorCommands;
class FieldNotesCommands;
class GridClipboard;
class GridPanel;
class ModCommands;
class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QEvent;
class QMenu;
class QMenuBar;
class UserSettings;
class QShowEvent;
class QStatusBar;
class QTabBar;
class RecentFilesMenu;
class RecoveryJournal;

// The main window: the menu, the three tabs over one shared grid, and the
// Open, Save As, Exit and About commands. It decides when files are read and
// written; the tables do the reading, filling, committing and writing.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // `dialogs` and `store` default to the real dialogs and the disk; when
  // given, they must outlive the window.
  explicit TMainForm(UserDialogs* dialogs = nullptr, FileStore* store = nullptr,
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // Вид → Проверки: the panel shown or hidden, made the first time it is shown.
  void ShowChecksPanel(bool shown);

  void FormShow();
  void mm_SaveAsClick();
  void mm_ExitClick();
  void OpenClick();
  void tc_TabsChange();
  void tc_TabsChanging(bool& allowChange);
  void mm_AboutClick();
  // Sets the selected cells, or the current cell, back to their values in the
  // current file, as one step.
  void mm_RevertClick();
  void ShowHeaders(TableIndex index);
  // Open without the dialog: reads `path`, asks about another size, and loads
  // it, exactly as Open does with the file the user chose.
  void OpenPath(const QString& path);
  // At a start with no file: the journals of unsaved edits of the file whose
  // journal was written last, if any, are offered as one; Восстановить opens
  // the file and puts the edits back, Отбросить removes them, and the question
  // put off opens nothing and leaves them for the next start.
  void OfferLatestJournal();
  void SwitchTable(TableIndex index);
  // The window's language, as Вид → Язык sets it: the window and Qt's own
  // texts change at once (on the LanguageChange event), and the choice is
  // remembered.
  UiLanguage Language() const;
  void SetLanguage(UiLanguage language);

  // The current file: the one Open accepted last, or the one Save As wrote last.
  const QString& TargetFileName() const;

  // The window that About places and shows; created at start-up.
  void SetAboutForm(QWidget* about) { about_ = about; }

  // A file is loaded once an Open has been accepted; Save As is enabled from
  // then on. The document knows.
  bool FileLoaded() const { return document_->IsLoaded(); }
  // The table on show: the document's, which the tab bar and the grid follow.
  TableIndex ActiveTable() const { return document_->ActiveTable(); }
  // The tables of the loaded file with every committed edit; null before the
  // first accepted Open.
  const TableSet* CurrentTables() const;
  // The tables as the current file holds them (as loaded or last saved).
  const TableSet& SavedTables() const;
  // The open file and everything done with it.
  TableDocument* Document() const { return document_; }
  // The undo history of the document's edits, which the Правка actions show.
  DocumentHistory* History() const { return &document_->History(); }
  // The journal of the document's unsaved edits.
  RecoveryJournal* Journal() const { return journal_; }
  // Copy and paste of cell ranges, and the CSV items of the File menu.
  GridClipboard* Clipboard() const { return clipboard_; }
  TableFileCommands* TableFiles() const { return table_files_; }
  PatchFileCommands* PatchFiles() const { return patch_files_; }
  // The comparison file, F7 and the range edit.
  ModCommands* Mods() const { return mod_commands_; }
  // The field notes in force, their menu and the bits editor.
  FieldNotesCommands* FieldNotes() const { return notes_commands_; }
  // Вид → Баланс and its panel; none in a build without the balance panel.
  BalanceCommands* Balance() const { return balance_commands_; }

  // Shows the tab and the cell of `field`, with the keyboard in its editor.
  void ShowField(const FieldRef& field);
  // What the Open dialog offers next: "HMM2PL.exe" at first, then the path
  // chosen last.
  const QString& OpenDialogFileName() const { return open_name_; }

  // "HMM2PL_" and eight upper-case hexadecimal digits from a freshly seeded
  // generator.
  static QString ProposeSaveName();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A single local file dropped on the window opens as Open opens it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // What the command classes use of the window.
  CommandWindow CommandContext();
  void AddKeyboardCommands();
  void SetUpLanguageMenu();
  void ShowLanguageChoice();
  // Every text of the window again, in the language now installed.
  void Retranslate();
  // Отменить and Повторить with the names of their steps.
  void ShowUndoTexts();
  // The Edit menu, the grid's context menu, and typing routed through the
  // history (main_form_editing.cpp).
  void SetUpEditing();
  // The comparison commands, the range edit and the panel with its menu.
  void SetUpModWork();
  // A panel at the bottom of the window, below the grid: the cell it asks to
  // see is shown, and its Escape gives the keyboard back to the grid.
  void DockUnderGrid(GridPanel* panel);
  // Shows the tab and the cell an undo or redo changes.
  void ShowTouchedField(const FieldRef& field);
  // Selects the tab `step` places on, wrapping around.
  void StepTab(int step);
  // A tab chosen by the user (a click, the keys, an undo): tc_TabsChanging
  // commits the table left, the document shows the new one.
  void SelectedTabChanged(int index);
  void SetCaption();
  // Open with, when `recover` is set, the journal's question answered Восстановить.
  void OpenPathRecovering(const QString& path, bool recover);
  // After an Open: the file's journal is offered, or put back at once. Put
  // off, it stays as it is, and is offered again at the next start.
  void OfferJournal(bool recover);
  // Where both file dialogs start: the folder of the file chosen last in
  // either, kept between runs; at first the folder the program started in,
  // and the home folder when that folder is gone.
  QString DialogFolder() const;
  void RememberDialogFolder(const QString& chosen);

  // The window's parts. Each has its member's name as object name, by which
  // it is found from outside (the panels have theirs: ChangesPanel, ChecksPanel).
  QMenuBar* MainMenu;
  QMenu* mm_File;
  QAction* Open;
  QAction* mm_SaveAs;
  // Недавние файлы: the files opened or saved last, kept between runs.
  QMenu* mm_Recent;
  QAction* mm_Line;
  QAction* mm_Exit;
  QTabBar* tc_Tabs;
  TStringGrid* sg_Table;
  QStatusBar* sb_Info;
  QMenu* mm_Help;
  QAction* mm_About;
  // Правка: undo and redo over the document, and the fields back from the file.
  QMenu* mm_Edit;
  QAction* mm_Undo;
  QAction* mm_Redo;
  QAction* mm_Revert;
  // The grid's context menu.
  QMenu* pm_Grid;
  // Вид: the panel "Изменения" shown and hidden.
  QMenu* mm_View;
  ChangesPanel* pn_Changes;
  // Вид → Проверки: the checks of the field notes that entries break; the
  // panel is none until first shown.
  QAction* mm_Checks;
  ChecksPanel* pn_Checks = nullptr;
  // Вид → Язык: Русский or English, at once and kept between runs.
  QMenu* mm_Language;
  QAction* mm_Russian;
  QAction* mm_English;
  // Вид → Баланс; none in a build without the balance panel.
  BalanceCommands* balance_commands_ = nullptr;

  std::unique_ptr<UserDialogs> own_dialogs_;
  UserDialogs* dialogs_;
  // The user's settings, kept between runs.
  std::unique_ptr<UserSettings> settings_;
  TableDocument* document_;
  GridClipboard* clipboard_ = nullptr;
  TableFileCommands* table_files_ = nullptr;
  PatchFileCommands* patch_files_ = nullptr;
  ModCommands* mod_commands_ = nullptr;
  FieldNotesCommands* notes_commands_ = nullptr;
  EditorCommands* editor_commands_ = nullptr;
  QWidget* about_ = nullptr;
  RecentFilesMenu* recent_files_;
  RecoveryJournal* journal_;
  QString dialog_folder_;
  std::unique_ptr<UiTranslations> translations_;

  QString open_name_ = QStringLiteral("HMM2PL.exe");
  bool shown_ = false;
  bool built_ = false;
  bool panel_placed_ = false;
};
