#include "ui/changes_panel.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "document/comparison_file.h"
#include "document/revert_to_file.h"
#include "ui/ui_language.h"

ChangesPanel::ChangesPanel(TableDocument* document, QWidget* parent)
    : GridPanel(QStringLiteral("ChangesPanel"), parent),
      document_(document),
      model_(new ChangesModel(document, this)) {
  SetTranslated(this, QT_TRANSLATE_NOOP("Menu", "Изменения"), "windowTitle");
  auto* body = new QWidget(this);
  view_ = new QTableView(body);
  view_->setModel(model_);
  SetUpList(view_, QAbstractItemView::ExtendedSelection);
  view_->horizontalHeader()->setStretchLastSection(true);
  SetTranslated(view_, QT_TRANSLATE_NOOP("Menu", "Изменения"), "accessibleName");
  ShowFieldOnActivation(view_,
                        [this](const QModelIndex& row) { return model_->FieldAt(row.row()); });

  compare_ = new QCheckBox(body);
  revert_ = new QPushButton(body);
  take_ = new QPushButton(body);
  SetTranslated(compare_, QT_TRANSLATE_NOOP("Menu", "&Отличия от файла для сравнения"));
  SetTranslated(revert_, QT_TRANSLATE_NOOP("Menu", "Вер&нуть значения из файла"));
  SetTranslated(take_, QT_TRANSLATE_NOOP("Menu", "Вз&ять значения из файла для сравнения"));
  connect(compare_, &QCheckBox::toggled, this, [this](bool on) {
    model_->SetMode(on ? ChangesModel::Against::Comparison : ChangesModel::Against::File);
  });
  connect(revert_, &QPushButton::clicked, this, &ChangesPanel::RevertSelected);
  connect(take_, &QPushButton::clicked, this, &ChangesPanel::TakeSelectedFromComparison);
  connect(&document_->Comparison(), &ComparisonFile::changed, this,
          &ChangesPanel::ComparisonChanged);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compare_);
  buttons->addStretch(1);
  buttons->addWidget(revert_);
  buttons->addWidget(take_);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  setWidget(body);
  ComparisonChanged();
  // Hidden, the list costs every commit a look at every field for nothing.
  model_->Follow(isVisible());
  connect(this, &QDockWidget::visibilityChanged, model_, &ChangesModel::Follow);
}

std::vector<FieldRef> ChangesPanel::SelectedFields() const {
  std::vector<FieldRef> fields;
  for (const QModelIndex& row : view_->selectionModel()->selectedRows())
    fields.push_back(model_->FieldAt(row.row()));
  if (fields.empty() && view_->currentIndex().isValid())
    fields.push_back(model_->FieldAt(view_->currentIndex().row()));
  std::sort(fields.begin(), fields.end());
  return fields;
}

void ChangesPanel::RevertSelected() {
  const std::vector<FieldRef> fields = SelectedFields();
  if (!fields.empty())
    RevertToFile(*document_, fields);
}

void ChangesPanel::TakeSelectedFromComparison() {
  if (!document_->Comparison().IsOpen())
    return;
  std::vector<FieldValueChange> values;
  for (const FieldRef& field : SelectedFields())
    values.push_back({field, document_->Comparison().Value(field)});
  SetFieldValues(*document_,
                 QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "значения из файла для сравнения")),
                 values);
}

void ChangesPanel::ComparisonChanged() {
  const bool compared = document_->Comparison().IsOpen();
  compare_->setEnabled(compared);
  // Which file it is, for the user who forgot.
  compare_->setToolTip(compared ? QDir::toNativeSeparators(document_->Comparison().FileName())
                                : QString());
  take_->setEnabled(compared);
  if (!compared)
    compare_->setChecked(false);
}
