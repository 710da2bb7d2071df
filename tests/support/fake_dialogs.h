#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/user_dialogs.h"

// Answers the window's dialogs from queues filled in advance, and remembers
// what was asked: the seam through which the tests, the benchmarks and the
// screenshot tool drive the window. A file dialog with no answer queued is
// cancelled, a question with none is answered No.
class FakeDialogs : public UserDialogs {
 public:
  QString AskFileName(QWidget*, FileKind kind, const QString& folder,
                      const QString& proposedName) override {
    dialog_folders << folder;
    switch (kind) {
      case FileKind::Executable:
        open_initial_names << proposedName;
        return Next(open_answers);
      case FileKind::SaveExecutable:
        save_proposed_names << proposedName;
        return Next(save_answers);
      case FileKind::Comparison:
        return Next(comparison_answers);
      case FileKind::Csv:
        return Next(csv_open_answers);
      case FileKind::SaveCsv:
        csv_proposed_names << proposedName;
        return Next(csv_save_answers);
      case FileKind::Patch:
        return Next(patch_open_answers);
      case FileKind::SavePatch:
        patch_proposed_names << proposedName;
        return Next(patch_save_answers);
      case FileKind::Notes:
        return Next(notes_answers);
      case FileKind::SaveNotes:
        notes_save_proposed_names << proposedName;
        return Next(notes_save_answers);
    }
    return {};
  }
  // Only change lists are asked for several at once.
  QStringList AskFileNames(QWidget*, FileKind, const QString& folder) override {
    dialog_folders << folder;
    if (csv_open_many_answers.empty()) {  // one file, as the single open dialog answers
      const QString one = Next(csv_open_answers);
      return one.isEmpty() ? QStringList() : QStringList{one};
    }
    QStringList answer = csv_open_many_answers.front();
    csv_open_many_answers.pop_front();
    return answer;
  }
  bool AskSizeWarning(QWidget*) override {
    ++size_warnings;
    if (size_answers.empty())
      return false;
    const bool answer = size_answers.front();
    size_answers.pop_front();
    return answer;
  }
  bool AskYesNo(QWidget*, const QString& text) override {
    questions << text;
    if (yes_no_answers.empty())
      return false;
    const bool answer = yes_no_answers.front();
    yes_no_answers.pop_front();
    return answer;
  }
  RecoveryAnswer AskRecovery(QWidget* parent, const QString& text) override {
    if (recovery_answers.empty())
      return AskYesNo(parent, text) ? RecoveryAnswer::Restore : RecoveryAnswer::Discard;
    questions << text;
    const RecoveryAnswer answer = recovery_answers.front();
    recovery_answers.pop_front();
    return answer;
  }
  void ShowError(QWidget*, const QString& text) override { errors << text; }
  void ShowErrorWithDetails(QWidget*, const QString& text, const QString& details) override {
    errors << text;
    error_details << details;
  }
  void ShowInfo(QWidget*, const QString& text) override { infos << text; }
  ConflictAnswer AskConflicts(QWidget*, const QString& text, const QString& details) override {
    conflict_questions << text;
    conflict_details << details;
    if (conflict_answers.empty())
      return ConflictAnswer::Cancel;
    const ConflictAnswer answer = conflict_answers.front();
    conflict_answers.pop_front();
    return answer;
  }

  ListsAnswer AskListsConflicts(QWidget*, const QString& text, const QString& details) override {
    lists_questions << text;
    lists_details << details;
    if (lists_answers.empty())
      return ListsAnswer::Cancel;
    const ListsAnswer answer = lists_answers.front();
    lists_answers.pop_front();
    return answer;
  }
  OutOfRangeAnswer AskOutOfRange(QWidget*, const QString& text, const QString& details) override {
    out_of_range_questions << text;
    out_of_range_details << details;
    if (out_of_range_answers.empty())
      return OutOfRangeAnswer::Cancel;
    const OutOfRangeAnswer answer = out_of_range_answers.front();
    out_of_range_answers.pop_front();
    return answer;
  }
  std::optional<RangeEdit> AskRangeEdit(QWidget*, const RangeEditSummaryOf& summary) override {
    if (range_edit_answers.empty())
      return std::nullopt;
    const RangeEdit answer = range_edit_answers.front();
    range_edit_answers.pop_front();
    // What the dialog would have shown for the answer the user gave.
    range_edit_summaries << summary(answer).text;
    return answer;
  }

  std::optional<std::uint32_t> AskBits(QWidget*, const BitsQuestion& question) override {
    bits_questions.push_back(question);
    if (!bits_answer)
      return std::nullopt;
    return bits_answer(question);
  }

  std::optional<std::int64_t> AskNamedValue(QWidget*, const ValueQuestion& question) override {
    value_questions.push_back(question);
    if (named_value_answers.empty())
      return std::nullopt;
    const std::int64_t answer = named_value_answers.front();
    named_value_answers.pop_front();
    return answer;
  }

  std::optional<FieldNote> AskFieldNote(QWidget*, const FieldNoteQuestion& question) override {
    note_questions.push_back(question);
    if (!field_note_answer)
      return std::nullopt;
    return field_note_answer(question);
  }

  std::optional<std::vector<NoteCheck>> AskChecks(QWidget*,
                                                  const ChecksQuestion& question) override {
    checks_questions.push_back(question);
    if (!checks_answer)
      return std::nullopt;
    return checks_answer(question);
  }
  // What "Проверки" is answered with; none set: cancelled.
  std::function<std::optional<std::vector<NoteCheck>>(const ChecksQuestion&)> checks_answer;
  std::vector<ChecksQuestion> checks_questions;

  // What "Заметка о поле" is answered with (the test may work the real
  // dialog); none set: cancelled.
  std::function<std::optional<FieldNote>(const FieldNoteQuestion&)> field_note_answer;
  std::vector<FieldNoteQuestion> note_questions;
  std::deque<QString> notes_save_answers;
  QStringList notes_save_proposed_names;
  std::deque<std::int64_t> named_value_answers;  // none queued: cancelled
  std::vector<ValueQuestion> value_questions;
  std::deque<QString> notes_answers;
  // What the bits editor is answered with (the test may work a real one);
  // none set: cancelled.
  std::function<std::optional<std::uint32_t>(const BitsQuestion&)> bits_answer;
  std::vector<BitsQuestion> bits_questions;
  std::deque<QString> open_answers;
  std::deque<QString> comparison_answers;
  std::deque<RangeEdit> range_edit_answers;  // none queued: cancelled
  QStringList range_edit_summaries;
  std::deque<QString> save_answers;
  std::deque<bool> size_answers;
  std::deque<bool> yes_no_answers;  // none queued: No
  // None queued: the recovery question takes a Yes or No from yes_no_answers,
  // Yes restoring and No discarding.
  std::deque<RecoveryAnswer> recovery_answers;
  std::deque<QString> csv_open_answers;
  std::deque<QString> csv_save_answers;
  std::deque<ConflictAnswer> conflict_answers;        // none queued: Cancel
  std::deque<QStringList> csv_open_many_answers;      // none queued: csv_open_answers, one file
  std::deque<ListsAnswer> lists_answers;              // none queued: Cancel
  std::deque<OutOfRangeAnswer> out_of_range_answers;  // none queued: Cancel
  QStringList out_of_range_questions;
  QStringList out_of_range_details;
  std::deque<QString> patch_open_answers;
  std::deque<QString> patch_save_answers;
  QStringList lists_questions;
  QStringList lists_details;
  QStringList patch_proposed_names;
  QStringList conflict_questions;
  QStringList conflict_details;
  QStringList csv_proposed_names;
  QStringList infos;
  QStringList questions;
  QStringList dialog_folders;  // where each file dialog started, in order
  QStringList open_initial_names;
  QStringList save_proposed_names;
  QStringList errors;
  QStringList error_details;  // of the errors shown with details, in order
  int size_warnings = 0;

 private:
  static QString Next(std::deque<QString>& answers) {
    if (answers.empty())
      return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
