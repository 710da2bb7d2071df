#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// The About window: a small borderless, semi-transparent navy panel with the
// program's name and version and one button that hides it again. It is created
// hidden at start-up and lives until the program ends; the main window places
// it and shows it (see AboutFormPosition in window_placement.h).
class TAboutForm : public QWidget {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);

  // The button was pressed (mouse, or Enter/Space while it has the focus).
  void btOKClick();

  // The components the program is built with, their versions and licences,
  // in the language now installed: the window's tooltip.
  static QString ComponentsText();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // The texts in the language now installed.
  void Retranslate();

  // Named by their members' names (NameParts).
  QPushButton* btOK;
  QLabel* lbAbout;
  QLabel* Label1;
};
