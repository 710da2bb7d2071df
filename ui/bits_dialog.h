#pragma once

#include <QDialog>
#include <cstdint>

#include "ui/user_dialogs.h"

class QLabel;
class QListWidget;

// The bits editor: a field's bits as check boxes, each with its name (or
// only its number) and its number, and the value they make in hexadecimal.
class BitsDialog : public QDialog {
  Q_OBJECT

 public:
  BitsDialog(const UserDialogs::BitsQuestion& question, QWidget* parent = nullptr);

  // The bits as checked now.
  std::uint32_t Value() const;
  // Checks or clears bit `bit`, as a click on its box does.
  void SetBit(int bit, bool on);
  QListWidget* Bits() const { return bits_; }
  QLabel* Hex() const { return hex_; }

 private:
  void ShowValue();

  int width_;
  QListWidget* bits_;
  QLabel* hex_;
};
