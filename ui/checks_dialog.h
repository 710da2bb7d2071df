#pragma once

#include <QDialog>
#include <vector>

#include "ui/user_dialogs.h"

class QLabel;
class QTableWidget;

// "Проверки": the checks of one table, a row each: the name in Russian and
// in English, the condition, and the level. OK only while every condition
// compiles and every check has a name; the first fault is shown.
class ChecksDialog : public QDialog {
  Q_OBJECT

 public:
  ChecksDialog(const UserDialogs::ChecksQuestion& question, QWidget* parent = nullptr);

  // The checks as the rows say now; none while one is wrong.
  std::optional<std::vector<NoteCheck>> Checks() const;
  QTableWidget* Rows() const { return rows_; }
  void AddRow(const NoteCheck& check);
  void RemoveCurrentRow();

 private:
  void Check();

  TableIndex table_;
  QTableWidget* rows_;
  QLabel* problem_;
  QPushButton* ok_ = nullptr;
};
