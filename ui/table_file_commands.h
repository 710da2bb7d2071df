#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "formats/change_list.h"
#include "tables/grid_shape.h"
#include "ui/command_window.h"

class DocumentHistory;
class QAction;
class QMenu;
class QWidget;
class TableDocument;
class TStringGrid;
class UserDialogs;

// The File menu's commands for CSV files: the table on show exported and
// imported, the list of changes saved, and one or several lists applied, with
// a report of where each change of several lists came from. They are enabled
// while a file is loaded (the report once there is one).
class TableFileCommands : public QObject {
  Q_OBJECT

 public:
  // What the commands use of the main window (command_window.h).
  using Window = CommandWindow;

  // Puts the five items into `menu` before `before`.
  TableFileCommands(const Window& window, QMenu* menu, QAction* before);
  ~TableFileCommands() override;

  void ExportCsvClick();
  void ImportCsvClick();
  void SaveChangeListClick();
  void ApplyChangeListClick();
  void SaveListsReportClick();

  // Applies a list of changes as Применить список изменений does, as one
  // step named `name`: `apply` runs first with conflicts and values that do
  // not fit their fields refused. When such values are the list's only
  // mistakes, the user chooses to limit them, keep their low bits or cancel;
  // when there are conflicts, to apply the rest, all or nothing; `apply` runs
  // again as chosen. Other mistakes in the list are shown and change nothing.
  // True when the document changed.
  bool ApplyListAsStep(const QString& name,
                       const std::function<ApplyResult(OnConflict, OutOfRange)>& apply);

 private:
  void UpdateEnabled();
  void ApplyOneList(const QByteArray& csv);
  void ApplySeveralLists(const QStringList& paths);
  // Asks once what to do with the `count` values that do not fit their
  // fields, of which `values` are kept; none when cancelled.
  std::optional<OutOfRange> AskOutOfRange(const CsvIssues& values, qsizetype count);
  QString AskSave(const QString& proposed_name);
  QString AskOpen();
  bool Write(const QString& path, const QByteArray& bytes);
  bool Read(const QString& path, QByteArray& bytes);
  // Runs `change` as one step, with the grid repainted once at the end.
  void ApplyStep(const QString& name, const std::function<void()>& change);

  QAction* ExportCsv;
  QAction* ImportCsv;
  QAction* SaveChangeList;
  QAction* ApplyChangeList;
  QAction* SaveListsReport;

  Window window_;
  // Which list each change of the last several applied came from, as CSV.
  QByteArray lists_report_;
};
