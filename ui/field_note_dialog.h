#pragma once

#include <QDialog>

#include "ui/user_dialogs.h"

class QLineEdit;
class QTableWidget;

// "Заметка о поле": a field's description in both languages, its sane range
// and, for a 16- or 32-bit field, the names of its bits. OK only for a range
// the field can hold, with the minimum not above the maximum.
class FieldNoteDialog : public QDialog {
  Q_OBJECT

 public:
  FieldNoteDialog(const UserDialogs::FieldNoteQuestion& question, QWidget* parent = nullptr);

  // The note as the boxes say now, the named values kept as they were; none
  // while the range is wrong.
  std::optional<FieldNote> Note() const;

  QLineEdit* Russian() const { return ru_; }
  QLineEdit* English() const { return en_; }
  QLineEdit* Min() const { return min_; }
  QLineEdit* Max() const { return max_; }
  // One row a bit: its number, then its name in Russian and in English.
  QTableWidget* Bits() const { return bits_; }

 private:
  void Check();

  UserDialogs::FieldNoteQuestion question_;
  QLineEdit* ru_;
  QLineEdit* en_;
  QLineEdit* min_;
  QLineEdit* max_;
  QTableWidget* bits_ = nullptr;
  QPushButton* ok_ = nullptr;
};
