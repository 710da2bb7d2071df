// Draws the main window into PNG files without a display: a generated sample
// is opened, a few cells are edited so that both cell marks show, and each
// tab is drawn, then a block pasted from the clipboard with its marks; under a
// display server the screen with the About window over the main window is
// taken too; last the balance panel against a comparison file. Usage: trevalune-screenshot
// OUTPUT_PREFIX

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <cstdio>

#include <QAction>
#include <QComboBox>

#include "balance/balance_panel.h"
#include "document/comparison_file.h"
#include "document/formula.h"
#include "samplegen/sample_image.h"
#include "storage/file_store.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/private_settings.h"
#include "tests/support/window_parts.h"
#include "ui/about_form.h"
#include "ui/balance_commands.h"
#include "ui/main_form.h"

// Input the tool types as a user would; not a text the program shows.
#define SAMPLE_INPUT(text) text

namespace {

void Type(TMainForm& form, int column, int row, const QString& text) {
  Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(column, row);
  QLineEdit* editor = Named<TStringGrid>(&form, "sg_Table")->CellEditor();
  editor->selectAll();
  for (const QChar letter : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(letter));
    QApplication::sendEvent(editor, &press);
  }
}

// A block as a spreadsheet copies it, over the cells from (column, row): most
// values as they are, some one more (bold once pasted), one not a number (red).
QString SpreadsheetBlock(const TMainForm& form, int column, int row) {
  QString block;
  for (int r = row; r < row + 5; ++r) {
    QStringList cells;
    for (int c = column; c < column + 4; ++c) {
      const QString shown =
          QString::fromStdString(Named<TStringGrid>(&form, "sg_Table")->CellText(c, r));
      if (r == row + 2 && c == column + 1)
        cells << QStringLiteral("12a");
      else if ((r + c) % 3 == 0)
        cells << QString::number(shown.toInt() + 1);
      else
        cells << shown;
    }
    block += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
  }
  return block;
}

QPixmap Grab(QWidget& window) {
  QApplication::processEvents();
  return window.grab();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const PrivateSettings settings;  // the sample opened here stays out of the user's recent files
  QApplication application(argc, argv);
  const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("trevalune");

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("HMM2PL.exe"));
  const Bytes image = MakeSample(1).image;
  QString reason;
  if (!QtFileStore().WriteAll(path, image, reason)) {
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qUtf8Printable(reason));
    return 1;
  }

  FakeDialogs dialogs;
  dialogs.open_answers.push_back(path);
  TMainForm form(&dialogs);
  TAboutForm about(&form);
  about.hide();
  form.SetAboutForm(&about);
  form.resize(870, 640);
  form.show();
  Grab(form).save(prefix + QStringLiteral("-empty.png"));

  form.OpenClick();
  for (const QString& error : dialogs.errors)
    std::fprintf(stderr, "%s\n", qPrintable(error));
  Type(form, 2, 2, QStringLiteral("99"));
  Type(form, 3, 3, QStringLiteral("12a"));
  Type(form, 1, 1, QStringLiteral("7"));
  Grab(form).save(prefix + QStringLiteral("-creatures.png"));
  for (int tab = 1; tab < 3; ++tab) {
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(tab);
    Grab(form).save(prefix + QStringLiteral("-tab%1.png").arg(tab));
  }

  // A block pasted with Ctrl+V: it stays selected, its marks show through.
  Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(0);
  Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(3, 4);
  QGuiApplication::clipboard()->setText(SpreadsheetBlock(form, 3, 4));
  QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
  QApplication::sendEvent(Named<TStringGrid>(&form, "sg_Table")->CellEditor(), &paste);
  Grab(form).save(prefix + QStringLiteral("-paste.png"));

  // The About window over the main window, as the screen shows them. Only a
  // display server (Xvfb will do) has a screen to take this from.
  Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(0);
  Type(form, 3, 3, QStringLiteral("12a"));  // the tab switches dropped it: not a number
  form.move(0, 0);
  form.mm_AboutClick();
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 700)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
    QGuiApplication::primaryScreen()->grabWindow(0).save(prefix + QStringLiteral("-about.png"));

  // The balance panel against the file as generated, set as the comparison
  // file, after a "mod" made the strong creatures dearer and the weak cheaper.
  about.hide();
  const QString original = dir.filePath(QStringLiteral("original.exe"));
  if (!QtFileStore().WriteAll(original, image, reason) ||
      form.Document()->Comparison().Open(
          original, [] { return true; }, reason) != TableDocument::Outcome::Done) {
    std::fprintf(stderr, "cannot compare with %s: %s\n", qPrintable(original),
                 qUtf8Printable(reason));
    return 1;
  }
  std::vector<FieldRef> gold;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
    gold.push_back({kCreatures, entry, 8});
  CarryOut(
      *form.Document(),
      PlanFormulaEdit(*form.Document(), gold,
                      QStringLiteral(SAMPLE_INPUT("Здоровье > 40000 ? value * 1.25 : value * 0.8")),
                      false));
  form.resize(1180, 860);
  Named<QAction>(&form, "ShowPanel")->trigger();
  auto* panel = qobject_cast<BalancePanel*>(form.Balance()->Panel());
  panel->AddComputedColumn(
      {QStringLiteral(SAMPLE_INPUT("Здоровье на золото")),
       QStringLiteral(SAMPLE_INPUT("Золото > 0 ? Здоровье / Золото : 0 / 0"))});
  panel->XColumn()->setCurrentIndex(panel->XColumn()->findData(5));
  panel->YColumn()->setCurrentIndex(panel->YColumn()->findData(8));
  panel->Condition()->setText(QStringLiteral(SAMPLE_INPUT("Золото > 0 && Золото < 25000")));
  form.resizeDocks({panel}, {520}, Qt::Vertical);
  settle.restart();
  while (settle.elapsed() < 300)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  Grab(form).save(prefix + QStringLiteral("-balance.png"));
  return 0;
}
