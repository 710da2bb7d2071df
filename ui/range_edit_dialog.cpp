#include "ui/range_edit_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "document/range_edit_number.h"

RangeEditDialog::RangeEditDialog(UserDialogs::RangeEditSummaryOf summary, QWidget* parent)
    : QDialog(parent), summary_(std::move(summary)) {
  setWindowTitle(tr("Изменить выделенные"));
  operation_ = new QComboBox(this);
  operation_->addItem(tr("Установить значение N"), static_cast<int>(RangeEdit::Operation::Set));
  operation_->addItem(tr("Прибавить N"), static_cast<int>(RangeEdit::Operation::Add));
  operation_->addItem(tr("Вычесть N"), static_cast<int>(RangeEdit::Operation::Subtract));
  operation_->addItem(tr("Умножить на процент"), static_cast<int>(RangeEdit::Operation::Multiply));
  operation_->addItem(tr("Ограничить диапазоном [мин, макс]"),
                      static_cast<int>(RangeEdit::Operation::Limit));
  operation_->addItem(tr("По формуле"), static_cast<int>(RangeEdit::Operation::Formula));
  amount_ = new QLineEdit(QStringLiteral("0"), this);
  low_ = new QLineEdit(QStringLiteral("0"), this);
  high_ = new QLineEdit(QStringLiteral("0"), this);
  formula_ = new QPlainTextEdit(QStringLiteral("value"), this);
  formula_->setTabChangesFocus(true);
  formula_->setMaximumHeight(formula_->fontMetrics().lineSpacing() * 5);
  formula_hint_ = new QLabel(
      tr("value — значение ячейки, поля той же записи — по названию столбца, пробел как _, без "
         "точек (Здоровье, Мин_урон); + - * / ^, < <= > >= == !=, && ||, условие ? да : нет, "
         "min, max, abs, round, floor, ceil, sqrt. Результат округляется; не число оставляет "
         "ячейку как есть."),
      this);
  formula_hint_->setWordWrap(true);
  formula_pause_ = new QTimer(this);
  formula_pause_->setSingleShot(true);
  formula_pause_->setInterval(250);
  wrap_ = new QCheckBox(
      tr("Перен&осить не помещающиеся значения, как при вводе (иначе ограничивать)"), this);
  summary_label_ = new QLabel(this);
  summary_label_->setWordWrap(true);
  summary_label_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* form = new QFormLayout;
  auto* operation_label = new QLabel(tr("&Действие:"), this);
  operation_label->setBuddy(operation_);
  form->addRow(operation_label, operation_);
  amount_label_ = new QLabel(QStringLiteral("&N:"), this);
  amount_label_->setBuddy(amount_);
  form->addRow(amount_label_, amount_);
  low_label_ = new QLabel(tr("&Мин:"), this);
  low_label_->setBuddy(low_);
  form->addRow(low_label_, low_);
  high_label_ = new QLabel(tr("Ма&кс:"), this);
  high_label_->setBuddy(high_);
  form->addRow(high_label_, high_);
  formula_label_ = new QLabel(tr("&Формула:"), this);
  formula_label_->setBuddy(formula_);
  form->addRow(formula_label_, formula_);
  form->addRow(formula_hint_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(wrap_);
  layout->addWidget(summary_label_);
  layout->addWidget(buttons_);

  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(operation_, &QComboBox::currentIndexChanged, this, &RangeEditDialog::Update);
  for (QLineEdit* field : {amount_, low_, high_})
    connect(field, &QLineEdit::textChanged, this, &RangeEditDialog::Update);
  connect(wrap_, &QCheckBox::toggled, this, &RangeEditDialog::Update);
  connect(formula_, &QPlainTextEdit::textChanged, formula_pause_, qOverload<>(&QTimer::start));
  connect(formula_pause_, &QTimer::timeout, this, &RangeEditDialog::Update);
  Update();
}

std::optional<RangeEdit> RangeEditDialog::Edit() const {
  return Read(nullptr);
}

std::optional<RangeEdit> RangeEditDialog::Read(QString* problem) const {
  RangeEdit edit;
  edit.operation = static_cast<RangeEdit::Operation>(operation_->currentData().toInt());
  edit.wrap = wrap_->isChecked();
  const bool limit = edit.operation == RangeEdit::Operation::Limit;
  if (edit.operation == RangeEdit::Operation::Formula) {
    edit.formula = formula_->toPlainText();
    if (edit.formula.trimmed().isEmpty()) {
      if (problem)
        *problem = tr("Введите формулу.");
      return std::nullopt;
    }
    return edit;
  }
  if (edit.operation == RangeEdit::Operation::Multiply) {
    const RangeEditPercent percent = ReadRangeEditPercent(amount_->text());
    if (!percent.whole) {
      if (problem)
        *problem = percent.problem;
      return std::nullopt;
    }
    edit.amount = *percent.whole;
    edit.hundredths = percent.hundredths;
    return edit;
  }
  std::vector<std::pair<QLineEdit*, std::int64_t*>> numbers;
  if (limit)
    numbers = {{low_, &edit.low}, {high_, &edit.high}};
  else
    numbers = {{amount_, &edit.amount}};
  for (const auto& [field, value] : numbers) {
    const RangeEditNumber number = ReadRangeEditNumber(field->text());
    if (!number.value) {
      if (problem)
        *problem = number.problem;
      return std::nullopt;
    }
    *value = *number.value;
  }
  return edit;
}

void RangeEditDialog::Update() {
  const bool limit = static_cast<RangeEdit::Operation>(operation_->currentData().toInt()) ==
                     RangeEdit::Operation::Limit;
  const bool percent = static_cast<RangeEdit::Operation>(operation_->currentData().toInt()) ==
                       RangeEdit::Operation::Multiply;
  const bool formula = static_cast<RangeEdit::Operation>(operation_->currentData().toInt()) ==
                       RangeEdit::Operation::Formula;
  amount_label_->setText(percent ? tr("&Процент:") : QStringLiteral("&N:"));
  for (QWidget* widget : {static_cast<QWidget*>(amount_), static_cast<QWidget*>(amount_label_)})
    widget->setVisible(!limit && !formula);
  for (QWidget* widget : {static_cast<QWidget*>(formula_), static_cast<QWidget*>(formula_label_),
                          static_cast<QWidget*>(formula_hint_)})
    widget->setVisible(formula);
  for (QWidget* widget : {static_cast<QWidget*>(low_), static_cast<QWidget*>(low_label_),
                          static_cast<QWidget*>(high_), static_cast<QWidget*>(high_label_)})
    widget->setVisible(limit);
  QString problem;
  const std::optional<RangeEdit> edit = Read(&problem);
  const UserDialogs::RangeEditPreview preview =
      edit ? summary_(*edit) : UserDialogs::RangeEditPreview{problem, false};
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(preview.can_carry_out);
  summary_label_->setText(preview.text);
  // A longer summary, or an error with its line, gets the room it needs: the
  // dialog grows rather than cut the words off.
  if (isVisible() && layout() && layout()->hasHeightForWidth()) {
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
      resize(width(), needed);
  }
}
