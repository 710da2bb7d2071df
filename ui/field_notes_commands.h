#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "document/notes_checks.h"
#include "ui/command_window.h"

class GridModel;
class QAction;
class QMenu;
class UserSettings;

// The field notes in the window: Файл → Заметки о полях (another notes file,
// or the shipped ones again; the choice is kept in the settings, and the file
// is read again when it changes on disk); Правка → Биты..., the bits of a 16-
// or 32-bit field as check boxes with their names from the notes; and
// Правка → Значения..., a value chosen by its name. Each edit is one step.
class FieldNotesCommands : public QObject {
  Q_OBJECT

 public:
  // Puts the notes menu into `file_menu` before `file_before` and the bits
  // item at the end of `edit_menu`; reads the notes file the settings name.
  FieldNotesCommands(const CommandWindow& window, UserSettings& settings, QMenu* file_menu,
                     QAction* file_before, QMenu* edit_menu);
  ~FieldNotesCommands() override;

  // The command whose keys the grid's cell editor would take (the bits editor's).
  QAction* EditorKey() const { return EditBits; }

  void OpenNotesClick();
  void ShippedNotesClick();
  void EditBitsClick();
  void EditValuesClick();
  // "Заметка о поле..." for column `column` of the table on show: the edited
  // note is written to the notes file in use (the shipped notes are never
  // written: a copy is asked for first) and is in force from then on.
  void EditFieldNoteClick(int column);
  // "Проверки..." for the table on show, written as a note is.
  void EditChecksClick();

  // The notes in force, and the file they come from (empty: the shipped notes).
  // The shipped notes are read and their checks compiled on first use.
  const NotesChecker& Checker() const;
  const QString& NotesPath() const { return path_; }
  // Reads `path` and puts its notes in force; a file with any fault is
  // refused whole, with a message, and the notes in force stay.
  bool Load(const QString& path);
  // Writes `notes` to the notes file in use, through the safe write, and puts
  // them in force; while the shipped notes are in use, to a copy the user
  // names first. False, with a message when it failed, if nothing changed.
  bool SaveNotes(const FieldNotes& notes);

 signals:
  void notesChanged();

 private:
  // `checker` none: the shipped notes.
  void Use(std::unique_ptr<NotesChecker> checker, const QString& path);
  void Watch();
  void FileChangedOnDisk();
  void UpdateEnabled();
  // The field of the current cell, when the bits editor takes it.
  std::optional<FieldRef> BitsField() const;
  // The field of the current cell, when its notes name values.
  std::optional<FieldRef> NamedValuesField() const;
  // The field of the current cell that can take a value.
  std::optional<FieldRef> CurrentField() const;

  QMenu* NotesMenu;
  QAction* OpenNotes;
  QAction* ShippedNotes;
  QAction* EditBits;
  QAction* EditValues;
  // The caption's context menu, with "Заметка о поле...".
  QMenu* CaptionMenu;
  QAction* EditFieldNote;

  CommandWindow window_;
  // The grid's model, which may go first as the window is taken down.
  QPointer<GridModel> model_;
  int caption_column_ = 0;  // the caption the context menu was opened on
  UserSettings& settings_;
  QFileSystemWatcher watcher_;
  // None while the shipped notes are in force and not yet used.
  mutable std::unique_ptr<NotesChecker> checker_;
  QString path_;
};

// The settings key of the notes file in use; none for the shipped notes.
inline constexpr char kNotesFileKey[] = "notes/file";
