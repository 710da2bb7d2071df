// Every text the window shows, walked widget by widget over the window, its
// panels and its dialogs, after a switch of language: in English nothing but
// the entries' names may be Cyrillic, in Russian nothing may read as an
// English phrase. A panel or dialog added later is walked as it is.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTimer>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "balance/balance_panel.h"
#include "document/comparison_file.h"
#include "tables/table_set.h"
#include "tests/ui/window_fixtures.h"
#include "ui/about_form.h"
#include "ui/balance_commands.h"
#include "ui/changes_panel.h"
#include "ui/find_bar.h"
#include "ui/range_edit_dialog.h"

namespace {

// The texts of a widget tree, each with where it was found.
struct ShownText {
  QString where;
  QString text;
};

void AddText(std::vector<ShownText>& texts, const QObject* owner, const char* what,
             const QString& text) {
  if (text.trimmed().isEmpty())
    return;
  texts.push_back({QStringLiteral("%1 (%2) %3")
                       .arg(QString::fromLatin1(owner->metaObject()->className()),
                            owner->objectName(), QString::fromLatin1(what)),
                   text});
}

void AddActionTexts(std::vector<ShownText>& texts, const QAction* action) {
  AddText(texts, action, "text", action->text());
  if (action->toolTip() != action->text() && !action->text().isEmpty())
    AddText(texts, action, "toolTip", action->toolTip());
  AddText(texts, action, "statusTip", action->statusTip());
  if (const QMenu* menu = action->menu()) {
    AddText(texts, menu, "title", menu->title());
    for (const QAction* inner : menu->actions())
      AddActionTexts(texts, inner);
  }
}

// The captions of a view's columns, and the tooltips of its first row's
// fields (the names' column holds the entries' names, which are data).
void AddViewTexts(std::vector<ShownText>& texts, const QAbstractItemView* view) {
  const QAbstractItemModel* model = view->model();
  if (!model)
    return;
  for (int column = 0; column < model->columnCount(); ++column) {
    AddText(texts, view, "caption", model->headerData(column, Qt::Horizontal).toString());
    AddText(texts, view, "caption tip",
            model->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString());
    if (column > 0 && model->rowCount() > 0)
      AddText(texts, view, "tip", model->index(0, column).data(Qt::ToolTipRole).toString());
  }
}

void Walk(std::vector<ShownText>& texts, const QWidget* root) {
  QList<const QWidget*> widgets{root};
  for (const QWidget* child : root->findChildren<QWidget*>())
    widgets.append(child);
  for (const QWidget* widget : widgets) {
    AddText(texts, widget, "toolTip", widget->toolTip());
    AddText(texts, widget, "accessibleName", widget->accessibleName());
    if (widget->isWindow() || qobject_cast<const QDockWidget*>(widget))
      AddText(texts, widget, "title", widget->windowTitle());
    if (const auto* label = qobject_cast<const QLabel*>(widget))
      AddText(texts, widget, "text", label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
      AddText(texts, widget, "text", button->text());
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
      AddText(texts, widget, "placeholder", edit->placeholderText());
    if (const auto* group = qobject_cast<const QGroupBox*>(widget))
      AddText(texts, widget, "title", group->title());
    if (const auto* box = qobject_cast<const QComboBox*>(widget))
      for (int i = 0; i < box->count(); ++i)
        AddText(texts, widget, "choice", box->itemText(i));
    if (const auto* tabs = qobject_cast<const QTabBar*>(widget))
      for (int i = 0; i < tabs->count(); ++i)
        AddText(texts, widget, "tab", tabs->tabText(i));
    if (const auto* view = qobject_cast<const QAbstractItemView*>(widget))
      AddViewTexts(texts, view);
    if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
      for (const QAction* action : bar->actions())
        AddActionTexts(texts, action);
    for (const QAction* action : widget->actions())
      AddActionTexts(texts, action);
  }
}

class WindowTextsTest : public SampleWindowTest {
 protected:
  void SetUp() override {
    SampleWindowTest::SetUp();
    QString error;
    ASSERT_EQ(form->Document()->Comparison().Open(
                  WriteSample(QStringLiteral("original.exe"), 8), [] { return true; }, error),
              TableDocument::Outcome::Done);
    // A change, so that the changes panel lists something.
    form->Document()->Change(QStringLiteral("edit"), [](DocumentEdit& edit) {
      edit.SetValue({kCreatures, 0, 1}, 5);
    });
  }
  // The window's language; the LanguageChange events it sends are posted.
  void Switch(UiLanguage language) {
    form->SetLanguage(language);
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    form->SetLanguage(UiLanguage::Russian);  // kept for the windows of later tests
    SampleWindowTest::TearDown();
  }

  // Every panel shown, the find bar open, and the About window beside.
  void ShowEverything() {
    QCoreApplication::addLibraryPath(QStringLiteral(TREVALUNE_CHART_PLUGIN_BUILD_DIR));
    if (!Named<ChangesPanel>(form, "ChangesPanel")->isVisible())
      Named<ChangesPanel>(form, "ChangesPanel")->toggleViewAction()->trigger();
    if (!Named<QAction>(form, "ShowPanel")->isChecked())
      Named<QAction>(form, "ShowPanel")->trigger();
    if (!Named<QAction>(form, "mm_Checks")->isChecked())
      Named<QAction>(form, "mm_Checks")->trigger();
    form->findChild<FindBar*>()->Open();
    if (!about_) {
      about_ = std::make_unique<TAboutForm>();
      form->SetAboutForm(about_.get());
    }
  }

  // The texts of the window, its panels, the About window, the chart, and
  // the dialogs the panels open.
  std::vector<ShownText> Texts() {
    std::vector<ShownText> texts;
    Walk(texts, form.get());
    Walk(texts, about_.get());
    auto* panel = qobject_cast<BalancePanel*>(form->Balance()->Panel());
    const BalanceChartData& chart = panel->ChartData();
    for (const QString& text : {chart.x_title, chart.y_title, chart.now_name, chart.before_name})
      AddText(texts, panel, "chart", text);
    // The computed column's dialog, walked while it is open.
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        Walk(texts, dialog);
        dialog->close();
      }
    });
    panel->findChildren<QPushButton*>().constFirst()->click();
    RangeEditDialog range([](const RangeEdit&) { return UserDialogs::RangeEditPreview{}; });
    Walk(texts, &range);
    return texts;
  }

  // The entries' names stand in English as in Russian; they are taken out of
  // a text before it is judged.
  QString WithoutNames(QString text) const {
    for (TableIndex table = 0; table < kTableCount; ++table)
      for (int entry = 0; entry < EntryCount(table); ++entry) {
        const QString name =
            QString::fromStdString(EntryNameText(*form->CurrentTables(), table, entry));
        if (!name.isEmpty())
          text.replace(name, QString());
      }
    return text;
  }

  std::unique_ptr<TAboutForm> about_;
};

TEST_F(WindowTextsTest, EveryTextFollowsASwitchOfLanguageBothWays) {
  // The panels are built in Russian and then switched, the way that most
  // often leaves a text behind.
  ShowEverything();
  Switch(UiLanguage::English);
  const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
  int walked = 0;
  for (const ShownText& shown : Texts()) {
    ++walked;
    // Each language is named in itself in the language menu.
    if (QString(shown.text).remove(u'&') == QStringLiteral("Русский"))
      continue;
    EXPECT_FALSE(WithoutNames(shown.text).contains(cyrillic))
        << shown.where.toStdString() << ": " << shown.text.toStdString();
  }
  EXPECT_GT(walked, 100);

  Switch(UiLanguage::Russian);
  // Two English words in a row make a phrase; single words (English, bps,
  // Trevalune), lists of a formula's functions and names of files do not.
  const QRegularExpression phrase(QStringLiteral("\\b[A-Za-z]{2,} [a-z]{2,}\\b"));
  for (const ShownText& shown : Texts())
    EXPECT_FALSE(WithoutNames(shown.text).contains(phrase))
        << shown.where.toStdString() << ": " << shown.text.toStdString();
}

// The letter Alt and it reach in `text`: the one after a single &.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&')
      continue;
    if (text[i + 1] != u'&')
      return text[i + 1].toLower();
    ++i;
  }
  return {};
}

// Whether every item of `menu` and of its submenus has a letter, and no two
// items of one menu share one.
void ExpectMenuLetters(const QMenu* menu, const std::string& state) {
  std::map<QChar, QString> taken;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator() || !action->isVisible() || action->text().isEmpty())
      continue;
    const QChar letter = Mnemonic(action->text());
    EXPECT_FALSE(letter.isNull()) << state << ": " << action->text().toStdString();
    if (!letter.isNull()) {
      const auto [at, added] = taken.emplace(letter, action->text());
      EXPECT_TRUE(added) << state << ": " << action->text().toStdString() << " and "
                         << at->second.toStdString() << " in " << menu->title().toStdString();
    }
    if (action->menu())
      ExpectMenuLetters(action->menu(), state);
  }
}

// The letters on show in `root`: its menu bar's, if any, and those of the
// buttons and labelled fields on show (in the window, those of the grid's
// page and of the panels open). No two may be the same, and every button on
// show has one.
void ExpectLetters(const QWidget& root, const std::string& state) {
  std::map<QChar, QString> taken;
  const auto take = [&](const QString& text) {
    const QChar letter = Mnemonic(text);
    if (letter.isNull())
      return;
    const auto [at, added] = taken.emplace(letter, text);
    EXPECT_TRUE(added) << state << ": " << text.toStdString() << " and "
                       << at->second.toStdString();
  };
  if (const auto* window = qobject_cast<const QMainWindow*>(&root))
    for (const QAction* action : window->menuBar()->actions()) {
      take(action->text());
      ExpectMenuLetters(action->menu(), state);
    }
  for (const QWidget* widget : root.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&root))
      continue;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
        button && !button->text().isEmpty()) {
      // A dialog's OK and Cancel are Enter and Escape; Qt names them.
      const auto* box = qobject_cast<const QDialogButtonBox*>(button->parentWidget());
      const QDialogButtonBox::ButtonRole role =
          box ? box->buttonRole(const_cast<QAbstractButton*>(button))
              : QDialogButtonBox::InvalidRole;
      if (role != QDialogButtonBox::AcceptRole && role != QDialogButtonBox::RejectRole) {
        EXPECT_FALSE(Mnemonic(button->text()).isNull())
            << state << ": " << button->text().toStdString();
      }
      take(button->text());
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
      take(label->text());
  }
}

TEST_F(WindowTextsTest, NoTwoLettersOnShowAreTheSameInEitherLanguage) {
  QCoreApplication::addLibraryPath(QStringLiteral(TREVALUNE_CHART_PLUGIN_BUILD_DIR));
  QAction* const changes = Named<ChangesPanel>(form, "ChangesPanel")->toggleViewAction();
  QAction* const balance = Named<QAction>(form, "ShowPanel");
  QAction* const checks = Named<QAction>(form, "mm_Checks");
  for (const UiLanguage language : {UiLanguage::Russian, UiLanguage::English}) {
    Switch(language);
    // Every set of panels open at once.
    for (int panels = 0; panels < 8; ++panels) {
      const bool with_changes = panels & 1, with_balance = panels & 2, with_checks = panels & 4;
      if (changes->isChecked() != with_changes)
        changes->trigger();
      if (balance->isChecked() != with_balance)
        balance->trigger();
      if (checks->isChecked() != with_checks)
        checks->trigger();
      QCoreApplication::processEvents();
      ExpectLetters(*form, std::string(language == UiLanguage::English ? "en" : "ru") +
                               (with_changes ? ", changes" : "") +
                               (with_balance ? ", balance" : "") + (with_checks ? ", checks" : ""));
    }
    // The dialogs, each in every state it takes.
    const std::string name = language == UiLanguage::English ? "en" : "ru";
    RangeEditDialog range([](const RangeEdit&) { return UserDialogs::RangeEditPreview{}; });
    range.show();
    auto* operation = range.findChild<QComboBox*>();
    for (int i = 0; i < operation->count(); ++i) {
      operation->setCurrentIndex(i);
      ExpectLetters(range, name + ", " + operation->currentText().toStdString());
    }
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        ExpectLetters(*dialog, name + ", " + dialog->windowTitle().toStdString());
        dialog->close();
      }
    });
    form->Balance()->Panel()->findChildren<QPushButton*>().constFirst()->click();
  }
}

}  // namespace
