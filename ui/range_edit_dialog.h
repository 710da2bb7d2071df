#pragma once

#include <QDialog>
#include <optional>

#include "ui/user_dialogs.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

// Правка → Изменить выделенные...: the operation, its numbers, and what it
// would do, shown as the user sets it up.
class RangeEditDialog : public QDialog {
  Q_OBJECT

 public:
  RangeEditDialog(UserDialogs::RangeEditSummaryOf summary, QWidget* parent = nullptr);

  // The operation as set up; none while a number is missing, not a number or
  // out of range.
  std::optional<RangeEdit> Edit() const;

 private:
  // The same, and when there is none, what the dialog says instead.
  std::optional<RangeEdit> Read(QString* problem) const;
  void Update();

  UserDialogs::RangeEditSummaryOf summary_;
  QComboBox* operation_;
  QLineEdit* amount_;
  QLineEdit* low_;
  QLineEdit* high_;
  QLabel* amount_label_;
  QLabel* low_label_;
  QLabel* high_label_;
  QPlainTextEdit* formula_;
  QLabel* formula_label_;
  QLabel* formula_hint_;
  // A formula is tried a moment after the typing stops, not at each key.
  QTimer* formula_pause_;
  QCheckBox* wrap_;
  QLabel* summary_label_;
  QDialogButtonBox* buttons_;
};
