#include "ui/bits_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int kBitRole = Qt::UserRole;

}  // namespace

BitsDialog::BitsDialog(const UserDialogs::BitsQuestion& question, QWidget* parent)
    : QDialog(parent), width_(question.width) {
  setWindowTitle(tr("Биты: %1").arg(question.field));
  auto* layout = new QVBoxLayout(this);
  hex_ = new QLabel(this);
  hex_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(hex_);
  bits_ = new QListWidget(this);
  // Named bits first, in order, then the rest by number.
  const int count = 8 * width_;
  for (const bool named : {true, false}) {
    for (int bit = 0; bit < count; ++bit) {
      const auto name = question.names.find(bit);
      if ((name != question.names.end()) != named)
        continue;
      auto* item = new QListWidgetItem(
          named ? tr("%1 (бит %2)").arg(name->second).arg(bit) : tr("бит %1").arg(bit), bits_);
      item->setData(kBitRole, bit);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
      item->setCheckState((question.value >> bit) & 1u ? Qt::Checked : Qt::Unchecked);
    }
  }
  layout->addWidget(bits_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(bits_, &QListWidget::itemChanged, this, &BitsDialog::ShowValue);
  ShowValue();
  resize(360, 420);
}

std::uint32_t BitsDialog::Value() const {
  std::uint32_t value = 0;
  for (int row = 0; row < bits_->count(); ++row) {
    const QListWidgetItem* item = bits_->item(row);
    if (item->checkState() == Qt::Checked)
      value |= 1u << item->data(kBitRole).toInt();
  }
  return value;
}

void BitsDialog::SetBit(int bit, bool on) {
  for (int row = 0; row < bits_->count(); ++row) {
    QListWidgetItem* item = bits_->item(row);
    if (item->data(kBitRole).toInt() == bit)
      item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

void BitsDialog::ShowValue() {
  const QString hex = QStringLiteral("%1").arg(Value(), 2 * width_, 16, QLatin1Char('0')).toUpper();
  hex_->setText(tr("Значение: 0x%1 (%2)").arg(hex).arg(Value()));
}
