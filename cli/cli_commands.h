#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "document/caption_language.h"
#include "formats/change_lists.h"
#include "formats/csv_separator.h"
#include "formats/patch_formats.h"
#include "tables/table_set.h"

// What a run of trevalune-cli was asked to do, as read from its arguments.
struct CliRequest {
  QString command;    // export, import, diff, apply, patch or apply-patch
  QStringList files;  // the command's file arguments
  std::optional<TableIndex> table;
  CsvSeparator separator = CsvSeparator::Comma;
  QString output;  // -o, empty when not given
  bool allow_name_mismatch = false;
  bool force = false;
  bool any_size = false;
  // patch: the format to write.
  PatchFormat format = PatchFormat::kBps;
  // apply-patch: changes outside the table records go through too.
  bool allow_other_bytes = false;
  // apply with several lists: which list wins where two set one field to
  // different values; none: such a conflict refuses them all.
  std::optional<ListPreference> prefer;
  // apply: where to write which list each applied change came from.
  QString report;
  // import and apply: what becomes of a value its field cannot hold.
  OutOfRange out_of_range = OutOfRange::Refuse;
  // The captions of the CSV tables and change lists written: English only
  // with --lang en.
  CaptionLanguage captions = CaptionLanguage::Russian;
  // formula: the column's caption, the formula, the condition (none without
  // --where), whether a result that does not fit wraps, and where to write
  // the change list instead of an executable.
  QString column;
  QString expression;
  std::optional<QString> condition;
  bool wrap = false;
  QString changes;
  // check and notes: the notes file to use instead of the shipped notes.
  QString notes;
};

// Exit codes: done, the arguments are wrong, the work failed or the input was refused.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFailed = 2;

// One command of trevalune-cli, as a row of the table that reads the command
// line, answers --help and runs it. The texts are UTF-8 as they are shown.
struct CliCommand {
  const char* name = nullptr;
  int files = 0;       // how many file arguments, at least
  int most_files = 0;  // and at most
  // The options it takes besides -o and --any-size, by their long names.
  QStringList options;
  bool needs_table = false;
  bool needs_output = false;
  // It changes its first file, which -o may therefore name.
  bool changes_executable = false;
  // Its synopsis in --help; a second line goes under the first, indented.
  const char* usage = nullptr;
  // What it does, in --help, a line of the help to each line.
  const char* help = nullptr;
  int (*run)(const CliRequest& request) = nullptr;
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& CliCommands();
// The command named `name`, or null.
const CliCommand* FindCliCommand(const QString& name);

// Runs a request whose arguments are already checked; messages go to stderr.
int RunCommand(const CliRequest& request);

// What the commands share. A message for the user on stderr; a path as the
// system writes it.
void Complain(const QString& message);
QString Shown(const QString& path);
// Names or captions for a message, each in the quotes of the language of the
// answers: «a», «b» in Russian, “a”, “b” in English.
QString QuotedList(const QStringList& texts);
class TableDocument;
class FileStore;
// Opens an executable; a file of another size only with --any-size.
bool OpenExecutable(TableDocument& document, const QString& path, bool any_size);
// Writes text whole or not at all through the safe write, or to stdout when
// `path` is empty.
bool WriteText(FileStore& store, const QString& path, const QByteArray& bytes);
// Writes the document as a copy of its file with every edit, through the safe write.
bool SaveExecutable(TableDocument& document, const QString& path);
