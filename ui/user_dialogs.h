#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "document/field_notes.h"
#include "document/range_edit.h"

class QFileDialog;
class QWidget;

// The modal questions the main window asks the user. The window asks only
// through this, so that every dialog can be answered from code.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // The files the window asks for, each with its own dialog: the file
  // filter, whether it must exist, what a name typed without an extension gets.
  enum class FileKind {
    Executable,      // Открыть: an existing executable
    SaveExecutable,  // Сохранить как: ".exe" added to a bare name
    Comparison,      // Сравнить с файлом: an existing executable
    Csv,             // a CSV file or change list to read
    SaveCsv,         // a CSV file to write: ".csv" added
    Patch,           // a BPS or IPS patch to read
    SavePatch,       // a patch to write: the extension of the filter chosen
    Notes,           // a field notes file (JSON) to read
    SaveNotes,       // a field notes file to write: ".json" added
  };
  // The file dialog of `kind`, starting in `folder` and offering the file name
  // part of `proposedName`. The chosen path, or the empty text when cancelled.
  virtual QString AskFileName(QWidget* parent, FileKind kind, const QString& folder,
                              const QString& proposedName = {}) = 0;
  // The same where several may be chosen at once; they come back in the
  // order chosen. Empty when cancelled.
  virtual QStringList AskFileNames(QWidget* parent, FileKind kind, const QString& folder) = 0;
  // The warning about a file whose size is not the expected one. True for Yes.
  virtual bool AskSizeWarning(QWidget* parent) = 0;
  // Asks a question that a Yes answers; true for Yes. No is the default.
  virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
  // The question whether to bring back unsaved edits: Восстановить (the
  // default), Отбросить, which alone deletes them, or the question put off
  // (Esc, the box closed), which leaves them for the next start.
  enum class RecoveryAnswer { Restore, Discard, NotNow };
  virtual RecoveryAnswer AskRecovery(QWidget* parent, const QString& text) = 0;
  // Tells the user that a command failed and why.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // The same with more that the user may unfold and scroll through, such as a
  // long list of mistakes; no details area when `details` is empty.
  virtual void ShowErrorWithDetails(QWidget* parent, const QString& text,
                                    const QString& details) = 0;
  // Tells the user something they should know about a command that worked.
  virtual void ShowInfo(QWidget* parent, const QString& text) = 0;

  // What to do with a change list some of whose fields no longer hold what
  // the list says they held.
  enum class ConflictAnswer { ApplyRest, ApplyAll, Cancel };
  // `text` lists the conflicts, or the first of them with the full list in
  // `details` (no details area when it is empty); closing the question cancels.
  virtual ConflictAnswer AskConflicts(QWidget* parent, const QString& text,
                                      const QString& details) = 0;

  // What to do with lists that set one field to different values.
  enum class ListsAnswer { PreferLater, PreferEarlier, Cancel };
  // `text` lists the conflicts, as AskConflicts does; closing it cancels.
  virtual ListsAnswer AskListsConflicts(QWidget* parent, const QString& text,
                                        const QString& details) = 0;

  // What to do with values from a CSV file or change lists that their fields
  // cannot hold.
  enum class OutOfRangeAnswer { Limit, Wrap, Cancel };
  // `text` gives their number and the first of them, with all those kept in
  // `details` (no details area when it is empty); closing the question cancels.
  virtual OutOfRangeAnswer AskOutOfRange(QWidget* parent, const QString& text,
                                         const QString& details) = 0;

  // The operation for the selected cells. `summary` says what an operation
  // would do, and is shown as the user sets it up, with OK only for one that
  // can be carried out; none when cancelled.
  struct RangeEditPreview {
    QString text;
    bool can_carry_out = true;
  };
  using RangeEditSummaryOf = std::function<RangeEditPreview(const RangeEdit&)>;
  virtual std::optional<RangeEdit> AskRangeEdit(QWidget* parent,
                                                const RangeEditSummaryOf& summary) = 0;

  // The bits of a field, each a check box with its name and number, and the
  // value in hexadecimal as they are set. The value chosen; none when cancelled.
  struct BitsQuestion {
    QString field;                 // the field's caption, for the title
    int width = 4;                 // bytes: 2 or 4
    std::uint32_t value = 0;       // the bits as they are now
    std::map<int, QString> names;  // the named bits; the others are shown by number
  };
  virtual std::optional<std::uint32_t> AskBits(QWidget* parent, const BitsQuestion& question) = 0;

  // A value of a field from the names the notes give its values, the field's
  // value chosen at first when it has a name. The value chosen; none when cancelled.
  struct ValueQuestion {
    QString field;                                        // the field's caption, for the title
    std::int64_t value = 0;                               // as the grid shows it
    std::vector<std::pair<std::int64_t, QString>> names;  // in order of value
  };
  virtual std::optional<std::int64_t> AskNamedValue(QWidget* parent,
                                                    const ValueQuestion& question) = 0;

  // "Заметка о поле": the field's description, sane range and bit names,
  // edited. The note as edited; none when cancelled.
  struct FieldNoteQuestion {
    QString field;  // the caption, for the title
    QString kind;   // what the field is: its type, size and range
    FieldLayout layout{};
    FieldNote note;
  };
  virtual std::optional<FieldNote> AskFieldNote(QWidget* parent,
                                                const FieldNoteQuestion& question) = 0;

  // "Проверки": the checks of one table, edited. The checks as edited; none
  // when cancelled.
  struct ChecksQuestion {
    TableIndex table = kCreatures;
    QString table_caption;
    std::vector<NoteCheck> checks;
  };
  virtual std::optional<std::vector<NoteCheck>> AskChecks(QWidget* parent,
                                                          const ChecksQuestion& question) = 0;
};

// The real dialogs.
class QtUserDialogs : public UserDialogs {
 public:
  QtUserDialogs();
  // The file dialogs go here, writing Qt's own settings of them (the window
  // is gone by then).
  ~QtUserDialogs() override;
  QtUserDialogs(const QtUserDialogs&) = delete;
  QtUserDialogs& operator=(const QtUserDialogs&) = delete;

  QString AskFileName(QWidget* parent, FileKind kind, const QString& folder,
                      const QString& proposedName) override;
  QStringList AskFileNames(QWidget* parent, FileKind kind, const QString& folder) override;
  bool AskSizeWarning(QWidget* parent) override;
  bool AskYesNo(QWidget* parent, const QString& text) override;
  RecoveryAnswer AskRecovery(QWidget* parent, const QString& text) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowErrorWithDetails(QWidget* parent, const QString& text, const QString& details) override;
  void ShowInfo(QWidget* parent, const QString& text) override;
  ConflictAnswer AskConflicts(QWidget* parent, const QString& text,
                              const QString& details) override;
  ListsAnswer AskListsConflicts(QWidget* parent, const QString& text,
                                const QString& details) override;
  OutOfRangeAnswer AskOutOfRange(QWidget* parent, const QString& text,
                                 const QString& details) override;
  std::optional<RangeEdit> AskRangeEdit(QWidget* parent,
                                        const RangeEditSummaryOf& summary) override;
  std::optional<std::uint32_t> AskBits(QWidget* parent, const BitsQuestion& question) override;
  std::optional<std::int64_t> AskNamedValue(QWidget* parent,
                                            const ValueQuestion& question) override;
  std::optional<FieldNote> AskFieldNote(QWidget* parent,
                                        const FieldNoteQuestion& question) override;
  std::optional<std::vector<NoteCheck>> AskChecks(QWidget* parent,
                                                  const ChecksQuestion& question) override;

 private:
  // The file dialog of `kind` over `parent`, made the first time and kept
  // from then on: Qt's dialog writes its settings file, with a disk sync, as
  // it is destroyed, and the window's thread never waits for the disk while
  // the window is up. Null once Qt has destroyed it with its parent.
  QFileDialog* FileDialogOf(QWidget* parent, FileKind kind);
  std::map<FileKind, QPointer<QFileDialog>> file_dialogs_;
};

// The filter of both file dialogs.
inline const QString kExecutableFilter = QStringLiteral("PE Executables (*.exe)");
// The filter of the CSV file dialogs.
inline const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
// The filters of the patch file dialogs.
inline const QString kBpsFilter = QStringLiteral("BPS (*.bps)");
inline const QString kIpsFilter = QStringLiteral("IPS (*.ips)");
// The filter of the field notes dialog.
inline const QString kNotesFilter = QStringLiteral("JSON (*.json)");
