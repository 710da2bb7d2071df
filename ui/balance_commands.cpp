#include "ui/balance_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <algorithm>
#include <utility>

#include "balance/balance_panel.h"
#include "formats/table_csv.h"
#include "ui/ui_language.h"
#include "ui/user_settings.h"

namespace {

// The computed columns in the user's settings: per table, a list of names
// and formulas in turn.
class SettingsColumnStore : public ComputedColumnStore {
 public:
  explicit SettingsColumnStore(UserSettings* settings) : settings_(settings) {}

  std::vector<ComputedColumn> Load(TableIndex table) const override {
    const QStringList stored = settings_->value(Key(table)).toStringList();
    std::vector<ComputedColumn> columns;
    for (qsizetype k = 0; k + 1 < stored.size(); k += 2)
      columns.push_back({stored[k], stored[k + 1]});
    return columns;
  }

  void Store(TableIndex table, const std::vector<ComputedColumn>& columns) override {
    QStringList stored;
    for (const ComputedColumn& column : columns)
      stored << column.name << column.formula;
    if (stored.isEmpty())
      settings_->remove(Key(table));
    else
      settings_->setValue(Key(table), stored);
  }

 private:
  static QString Key(TableIndex table) {
    return QStringLiteral("balanceColumns/") + TableFileName(table);
  }

  UserSettings* settings_;
};

}  // namespace

BalanceCommands::BalanceCommands(QMainWindow* window, TableDocument* document,
                                 UserSettings* settings, QMenu* view_menu,
                                 std::function<void(GridPanel*)> dock,
                                 std::function<void(const QString&)> error)
    : QObject(window),
      window_(window),
      document_(document),
      store_(std::make_unique<SettingsColumnStore>(settings)),
      dock_(std::move(dock)),
      error_(std::move(error)) {
  ShowPanel = new QAction(this);
  ShowPanel->setObjectName(QStringLiteral("ShowPanel"));
  SetTranslated(ShowPanel, QT_TRANSLATE_NOOP("Menu", "&Баланс"));
  ShowPanel->setCheckable(true);
  ShowPanel->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
  connect(ShowPanel, &QAction::triggered, this, &BalanceCommands::Toggle);
  view_menu->addAction(ShowPanel);
}

BalanceCommands::~BalanceCommands() = default;

void BalanceCommands::Toggle(bool shown) {
  if (!panel_ && shown) {
    auto* panel = new BalancePanel(document_, store_.get(), window_);
    panel_ = panel;
    if (notes_)
      panel->SetNotesSource(notes_);
    dock_(panel);
    // Closed by its own button, the menu item follows.
    connect(panel_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
      if (!visible && !panel_->isVisible())
        ShowPanel->setChecked(false);
    });
    window_->resizeDocks({panel_}, {std::max(240, window_->height() / 2)}, Qt::Vertical);
    if (!panel->Chart())
      error_(tr("График панели «Баланс» недоступен: %1").arg(panel->ChartProblem()));
  }
  if (!panel_)
    return;
  panel_->setVisible(shown);
  if (shown)
    panel_->setFocus(Qt::ShortcutFocusReason);
}

void BalanceCommands::SetNotesSource(std::function<const NotesChecker*()> notes) {
  notes_ = std::move(notes);
  if (auto* panel = qobject_cast<BalancePanel*>(panel_))
    panel->SetNotesSource(notes_);
}

void BalanceCommands::NotesChanged() {
  if (auto* panel = qobject_cast<BalancePanel*>(panel_))
    panel->NotesChanged();
}
