#include "grid/grid_panel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <utility>

GridPanel::GridPanel(const QString& object_name, QWidget* parent) : QDockWidget(parent) {
  setObjectName(object_name);
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
}

void GridPanel::SetUpList(QAbstractItemView* list, QAbstractItemView::SelectionMode mode) {
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(mode);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the list for the panel's other controls.
  list->setTabKeyNavigation(false);
  if (auto* table = qobject_cast<QTableView*>(list)) {
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
  }
  setFocusProxy(list);
}

void GridPanel::ShowFieldOnActivation(QAbstractItemView* list, FieldOfRow field_of) {
  connect(list, &QAbstractItemView::activated, this,
          [this, field_of = std::move(field_of)](const QModelIndex& index) {
            if (!index.isValid())
              return;
            if (const std::optional<FieldRef> field = field_of(index))
              emit showField(*field);
          });
}

void GridPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    emit leaveRequested();
    return;
  }
  QDockWidget::keyPressEvent(event);
}
