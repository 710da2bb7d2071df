#include "range_edit_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace {

// Numbers beyond what any field holds, but far from overflowing a product.
constexpr qlonglong kLargest = 10'000'000'000LL;

std::optional<std::int64_t> NumberIn(const QLineEdit* field) {
  bool ok = false;
  const qlonglong value = field->text().trimmed().toLongLong(&ok);
  if (!ok || value > kLargest || value < -kLargest)
    return std::nullopt;
  return value;
}

}  // namespace

RangeEditDialog::RangeEditDialog(UserDialogs::RangeEditSummaryOf summary, QWidget* parent)
    : QDialog(parent), summary_(std::move(summary)) {
  setWindowTitle(QStringLiteral("Изменить выделенные"));
  operation_ = new QComboBox(this);
  operation_->addItem(QStringLiteral("Установить значение N"),
                      static_cast<int>(RangeEdit::Operation::Set));
  operation_->addItem(QStringLiteral("Прибавить N"), static_cast<int>(RangeEdit::Operation::Add));
  operation_->addItem(QStringLiteral("Вычесть N"),
                      static_cast<int>(RangeEdit::Operation::Subtract));
  operation_->addItem(QStringLiteral("Умножить на P %"),
                      static_cast<int>(RangeEdit::Operation::Multiply));
  operation_->addItem(QStringLiteral("Ограничить диапазоном [мин, макс]"),
                      static_cast<int>(RangeEdit::Operation::Limit));
  amount_ = new QLineEdit(QStringLiteral("0"), this);
  low_ = new QLineEdit(QStringLiteral("0"), this);
  high_ = new QLineEdit(QStringLiteral("0"), this);
  wrap_ = new QCheckBox(
      QStringLiteral("Переносить не помещающиеся значения, как при вводе (иначе ограничивать)"),
      this);
  summary_label_ = new QLabel(this);
  summary_label_->setWordWrap(true);
  summary_label_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* form = new QFormLayout;
  auto* operation_label = new QLabel(QStringLiteral("&Действие:"), this);
  operation_label->setBuddy(operation_);
  form->addRow(operation_label, operation_);
  amount_label_ = new QLabel(QStringLiteral("&N:"), this);
  amount_label_->setBuddy(amount_);
  form->addRow(amount_label_, amount_);
  low_label_ = new QLabel(QStringLiteral("&Мин:"), this);
  low_label_->setBuddy(low_);
  form->addRow(low_label_, low_);
  high_label_ = new QLabel(QStringLiteral("Ма&кс:"), this);
  high_label_->setBuddy(high_);
  form->addRow(high_label_, high_);
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
  Update();
}

std::optional<RangeEdit> RangeEditDialog::Edit() const {
  RangeEdit edit;
  edit.operation = static_cast<RangeEdit::Operation>(operation_->currentData().toInt());
  edit.wrap = wrap_->isChecked();
  if (edit.operation == RangeEdit::Operation::Limit) {
    const auto low = NumberIn(low_);
    const auto high = NumberIn(high_);
    if (!low || !high)
      return std::nullopt;
    edit.low = *low;
    edit.high = *high;
  } else {
    const auto amount = NumberIn(amount_);
    if (!amount)
      return std::nullopt;
    edit.amount = *amount;
  }
  return edit;
}

void RangeEditDialog::Update() {
  const bool limit = static_cast<RangeEdit::Operation>(operation_->currentData().toInt()) ==
                     RangeEdit::Operation::Limit;
  const bool percent = static_cast<RangeEdit::Operation>(operation_->currentData().toInt()) ==
                       RangeEdit::Operation::Multiply;
  amount_label_->setText(percent ? QStringLiteral("&P, %:") : QStringLiteral("&N:"));
  for (QWidget* widget : {static_cast<QWidget*>(amount_), static_cast<QWidget*>(amount_label_)})
    widget->setVisible(!limit);
  for (QWidget* widget : {static_cast<QWidget*>(low_), static_cast<QWidget*>(low_label_),
                          static_cast<QWidget*>(high_), static_cast<QWidget*>(high_label_)})
    widget->setVisible(limit);
  const std::optional<RangeEdit> edit = Edit();
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(edit.has_value());
  summary_label_->setText(edit ? summary_(*edit) : QStringLiteral("Введите целое число."));
}
