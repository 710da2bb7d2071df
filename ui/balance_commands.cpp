#include "balance_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <algorithm>
#include <utility>

#include "balance_panel.h"

BalanceCommands::BalanceCommands(QMainWindow* window, TableDocument* document,
                                 UserSettings* settings, QMenu* view_menu,
                                 std::function<void(const FieldRef&)> show_field,
                                 std::function<void()> back_to_grid)
    : QObject(window),
      window_(window),
      document_(document),
      settings_(settings),
      show_field_(std::move(show_field)),
      back_to_grid_(std::move(back_to_grid)) {
  ShowPanel = new QAction(tr("&Баланс"), this);
  ShowPanel->setCheckable(true);
  ShowPanel->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
  connect(ShowPanel, &QAction::triggered, this, &BalanceCommands::Toggle);
  view_menu->addAction(ShowPanel);
}

void BalanceCommands::Toggle(bool shown) {
  if (!panel_ && shown) {
    panel_ = new BalancePanel(document_, settings_, window_);
    panel_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
    window_->addDockWidget(Qt::BottomDockWidgetArea, panel_);
    connect(panel_, &BalancePanel::showField, this,
            [this](const FieldRef& field) { show_field_(field); });
    connect(panel_, &BalancePanel::leaveRequested, this, [this] { back_to_grid_(); });
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
  if (shown) {
    panel_->Refresh();
    panel_->setFocus(Qt::ShortcutFocusReason);
  }
}
