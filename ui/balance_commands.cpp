#include "balance_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QLibrary>
#include <QMainWindow>
#include <QMenu>
#include <algorithm>
#include <utility>

#include "range_edit.h"

namespace {

BalancePanelMaker panel_maker = nullptr;

}  // namespace

void SetBalancePanelMaker(BalancePanelMaker maker) {
  panel_maker = maker;
}

bool LoadBalance(QString& error) {
  if (panel_maker)
    return true;
  // Beside the program in the build, and in the program's library folder
  // once installed.
  const QDir here(QCoreApplication::applicationDirPath());
  QStringList tried;
  for (const QString& folder :
       {here.path(), here.filePath(QStringLiteral(TREVALUNE_BALANCE_MODULE_DIR))}) {
    QLibrary module(QDir(folder).filePath(QStringLiteral("trevalune-balance")));
    using Register = void (*)();
    if (const auto registration =
            reinterpret_cast<Register>(module.resolve("trevalune_balance_register"))) {
      registration();
      return panel_maker != nullptr;
    }
    tried << module.errorString();
  }
  error = QCoreApplication::translate("BalanceCommands", "Панель «Баланс» и формулы недоступны: %1")
              .arg(tried.join(QStringLiteral("; ")));
  return false;
}

BalanceCommands::BalanceCommands(QMainWindow* window, TableDocument* document,
                                 UserSettings* settings, QMenu* view_menu,
                                 std::function<void(const FieldRef&)> show_field,
                                 std::function<void()> back_to_grid,
                                 std::function<void(const QString&)> error)
    : QObject(window),
      window_(window),
      document_(document),
      settings_(settings),
      show_field_(std::move(show_field)),
      back_to_grid_(std::move(back_to_grid)),
      error_(std::move(error)) {
  ShowPanel = new QAction(tr("&Баланс"), this);
  ShowPanel->setCheckable(true);
  ShowPanel->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
  connect(ShowPanel, &QAction::triggered, this, &BalanceCommands::Toggle);
  view_menu->addAction(ShowPanel);
  // A formula planned in the range edit loads the module too.
  SetFormulaLoader([] {
    QString ignored;
    LoadBalance(ignored);
  });
}

void BalanceCommands::Toggle(bool shown) {
  if (!panel_ && shown) {
    QString error;
    if (!LoadBalance(error)) {
      ShowPanel->setChecked(false);
      error_(error);
      return;
    }
    panel_ = panel_maker(
        document_, settings_, window_, [this](const FieldRef& field) { show_field_(field); },
        [this] { back_to_grid_(); });
    panel_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
    window_->addDockWidget(Qt::BottomDockWidgetArea, panel_);
    // Closed by its own button, the menu item follows.
    connect(panel_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
      if (!visible && !panel_->isVisible())
        ShowPanel->setChecked(false);
    });
    window_->resizeDocks({panel_}, {std::max(240, window_->height() / 2)}, Qt::Vertical);
  }
  if (!panel_)
    return;
  panel_->setVisible(shown);
  if (shown)
    panel_->setFocus(Qt::ShortcutFocusReason);
}
