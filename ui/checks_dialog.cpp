#include "ui/checks_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document/formula.h"

namespace {

enum Column { kRussian, kEnglish, kCondition, kLevel, kColumns };

}  // namespace

ChecksDialog::ChecksDialog(const UserDialogs::ChecksQuestion& question, QWidget* parent)
    : QDialog(parent), table_(question.table) {
  setWindowTitle(tr("Проверки: %1").arg(question.table_caption));
  auto* layout = new QVBoxLayout(this);
  rows_ = new QTableWidget(0, kColumns, this);
  rows_->setHorizontalHeaderLabels(
      {tr("Название (русский)"), tr("Название (английский)"), tr("Условие"), tr("Уровень")});
  rows_->verticalHeader()->hide();
  rows_->horizontalHeader()->setSectionResizeMode(kCondition, QHeaderView::Stretch);
  layout->addWidget(rows_, 1);
  problem_ = new QLabel(this);
  problem_->setWordWrap(true);
  layout->addWidget(problem_);
  auto* add = new QPushButton(tr("&Добавить"), this);
  auto* remove = new QPushButton(tr("&Удалить"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* row = new QHBoxLayout;
  row->addWidget(add);
  row->addWidget(remove);
  row->addStretch(1);
  row->addWidget(buttons);
  layout->addLayout(row);
  connect(add, &QPushButton::clicked, this, [this] {
    AddRow({{tr("Новая проверка"), {}}, QStringLiteral("1"), CheckLevel::Warning});
  });
  connect(remove, &QPushButton::clicked, this, &ChecksDialog::RemoveCurrentRow);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(rows_, &QTableWidget::itemChanged, this, &ChecksDialog::Check);
  for (const NoteCheck& check : question.checks)
    AddRow(check);
  Check();
  resize(760, 360);
}

void ChecksDialog::AddRow(const NoteCheck& check) {
  const int row = rows_->rowCount();
  rows_->insertRow(row);
  rows_->setItem(row, kRussian, new QTableWidgetItem(check.name.ru));
  rows_->setItem(row, kEnglish, new QTableWidgetItem(check.name.en));
  rows_->setItem(row, kCondition, new QTableWidgetItem(check.condition));
  auto* level = new QComboBox(rows_);
  level->addItem(tr("предупреждение"));
  level->addItem(tr("ошибка"));
  level->setCurrentIndex(check.level == CheckLevel::Error ? 1 : 0);
  rows_->setCellWidget(row, kLevel, level);
  Check();
}

void ChecksDialog::RemoveCurrentRow() {
  if (rows_->currentRow() >= 0)
    rows_->removeRow(rows_->currentRow());
  Check();
}

std::optional<std::vector<NoteCheck>> ChecksDialog::Checks() const {
  std::vector<NoteCheck> checks;
  for (int row = 0; row < rows_->rowCount(); ++row) {
    const auto text = [&](int column) {
      const QTableWidgetItem* item = rows_->item(row, column);
      return item ? item->text().trimmed() : QString();
    };
    NoteCheck check{{text(kRussian), text(kEnglish)}, text(kCondition), CheckLevel::Warning};
    if (const auto* level = qobject_cast<QComboBox*>(rows_->cellWidget(row, kLevel)))
      check.level = level->currentIndex() == 1 ? CheckLevel::Error : CheckLevel::Warning;
    if (check.name.IsEmpty() || check.condition.isEmpty() ||
        Formula(table_, check.condition, FormulaPlace::Entry).CompileError())
      return std::nullopt;
    checks.push_back(check);
  }
  return checks;
}

void ChecksDialog::Check() {
  if (!ok_)
    return;
  QString problem;
  for (int row = 0; row < rows_->rowCount() && problem.isEmpty(); ++row) {
    const QTableWidgetItem* name_ru = rows_->item(row, kRussian);
    const QTableWidgetItem* name_en = rows_->item(row, kEnglish);
    const QTableWidgetItem* condition = rows_->item(row, kCondition);
    if (!name_ru || !name_en || !condition)
      return;  // the row is being filled
    if (name_ru->text().trimmed().isEmpty() && name_en->text().trimmed().isEmpty())
      problem = tr("Проверка %1: нет названия").arg(row + 1);
    else if (condition->text().trimmed().isEmpty())
      problem = tr("Проверка %1: нет условия").arg(row + 1);
    else if (const Formula formula(table_, condition->text().trimmed(), FormulaPlace::Entry);
             formula.CompileError())
      problem = tr("Проверка %1: %2").arg(row + 1).arg(FormulaErrorText(*formula.CompileError()));
  }
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
  ok_->setEnabled(problem.isEmpty());
}
