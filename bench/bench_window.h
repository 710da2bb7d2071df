#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <chrono>
#include <cstddef>
#include <functional>

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "grid/string_grid.h"
#include "tests/support/private_settings.h"
#include "tests/support/window_parts.h"
#include "ui/main_form.h"

// The cell editor of the window's grid, on the cell at column 3, row 3,
// ready for keystrokes.
inline QLineEdit* CellEditorAtThirdCell(TMainForm& form) {
  Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(3, 3);
  CatchUp();
  return Named<TStringGrid>(&form, "sg_Table")->CellEditor();
}

// One keystroke in the cell editor `editor`, as the user types it, with the
// events that follow, and the seconds it took. The `count`th keystroke types
// the digits 1 to 9 in turn, or a backspace once the text is `longest`
// characters long: the cell's text stays a short number, and marks come and
// go.
inline double TimedKeystroke(QLineEdit* editor, std::size_t count, int longest) {
  const bool erase = editor->text().size() >= longest;
  const int digit = static_cast<int>(count % 9) + 1;
  const int key = erase ? int(Qt::Key_Backspace) : int(Qt::Key_0) + digit;
  const QString text = erase ? QString() : QString::number(digit);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  const auto start = std::chrono::steady_clock::now();
  QApplication::sendEvent(editor, &press);
  QApplication::sendEvent(editor, &release);
  CatchUp();
  return SecondsSince(start);
}

// Runs the benchmarks the command line picks under a QApplication, with
// `prepare` done first once it is made. The windows opened meanwhile stay out
// of the user's recent files.
inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {}) {
  const PrivateSettings settings;
  QApplication application(argc, argv);
  if (prepare)
    prepare();
  return RunBenchmarks(argc, argv);
}
