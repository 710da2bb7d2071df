// What the balance module (and whatever links the panel itself) registers:
// the panel's maker and the formula planner.

#include "balance_module.h"

#include <utility>

#include "balance_commands.h"
#include "balance_panel.h"
#include "formula.h"

namespace {

QDockWidget* MakePanel(TableDocument* document, UserSettings* settings, QWidget* parent,
                       std::function<void(const FieldRef&)> show_field,
                       std::function<void()> back_to_grid) {
  auto* panel = new BalancePanel(document, settings, parent);
  QObject::connect(panel, &BalancePanel::showField, panel, std::move(show_field));
  QObject::connect(panel, &BalancePanel::leaveRequested, panel, std::move(back_to_grid));
  return panel;
}

}  // namespace

void RegisterBalance() {
  RegisterFormulaEdits();
  SetBalancePanelMaker(&MakePanel);
}

extern "C" Q_DECL_EXPORT void trevalune_balance_register() {
  RegisterBalance();
}
