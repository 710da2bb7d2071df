#include "ui/field_note_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// A bound from its box: none when empty, nullopt-in-nullopt when not a whole
// number in the field's range.
std::optional<std::optional<std::int64_t>> Bound(const QLineEdit* edit, FieldLayout layout) {
  const QString text = edit->text().trimmed();
  if (text.isEmpty())
    return std::optional<std::int64_t>{};
  bool ok = false;
  const qlonglong number = text.toLongLong(&ok);
  if (!ok || number < FieldLowest(layout) || number > FieldHighest(layout))
    return std::nullopt;
  return std::optional<std::int64_t>{number};
}

}  // namespace

FieldNoteDialog::FieldNoteDialog(const UserDialogs::FieldNoteQuestion& question, QWidget* parent)
    : QDialog(parent), question_(question) {
  setWindowTitle(tr("Заметка о поле: %1").arg(question.field));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(question.kind, this));
  auto* form = new QFormLayout;
  ru_ = new QLineEdit(question.note.description.ru, this);
  en_ = new QLineEdit(question.note.description.en, this);
  min_ = new QLineEdit(question.note.min ? QString::number(*question.note.min) : QString(), this);
  max_ = new QLineEdit(question.note.max ? QString::number(*question.note.max) : QString(), this);
  min_->setPlaceholderText(QString::number(FieldLowest(question.layout)));
  max_->setPlaceholderText(QString::number(FieldHighest(question.layout)));
  form->addRow(tr("Описание (&русский):"), ru_);
  form->addRow(tr("Описание (&английский):"), en_);
  form->addRow(tr("Разумный &минимум:"), min_);
  form->addRow(tr("Разумный м&аксимум:"), max_);
  layout->addLayout(form);
  if (question.layout.width >= 2) {
    const int count = 8 * question.layout.width;
    bits_ = new QTableWidget(count, 3, this);
    bits_->setHorizontalHeaderLabels({tr("Бит"), tr("Русский"), tr("Английский")});
    bits_->verticalHeader()->hide();
    bits_->horizontalHeader()->setStretchLastSection(true);
    for (int bit = 0; bit < count; ++bit) {
      auto* number = new QTableWidgetItem(QString::number(bit));
      number->setFlags(Qt::ItemIsEnabled);
      bits_->setItem(bit, 0, number);
      const auto name = question.note.bits.find(bit);
      bits_->setItem(
          bit, 1,
          new QTableWidgetItem(name != question.note.bits.end() ? name->second.ru : QString()));
      bits_->setItem(
          bit, 2,
          new QTableWidgetItem(name != question.note.bits.end() ? name->second.en : QString()));
    }
    layout->addWidget(new QLabel(tr("Имена битов:"), this));
    layout->addWidget(bits_, 1);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(min_, &QLineEdit::textChanged, this, &FieldNoteDialog::Check);
  connect(max_, &QLineEdit::textChanged, this, &FieldNoteDialog::Check);
  Check();
  resize(480, bits_ ? 560 : 220);
}

std::optional<FieldNote> FieldNoteDialog::Note() const {
  const auto min = Bound(min_, question_.layout);
  const auto max = Bound(max_, question_.layout);
  if (!min || !max || (*min && *max && **min > **max))
    return std::nullopt;
  FieldNote note = question_.note;
  note.description = {ru_->text().trimmed(), en_->text().trimmed()};
  note.min = *min;
  note.max = *max;
  if (bits_) {
    note.bits.clear();
    for (int bit = 0; bit < bits_->rowCount(); ++bit) {
      const NoteText name{bits_->item(bit, 1)->text().trimmed(),
                          bits_->item(bit, 2)->text().trimmed()};
      if (!name.IsEmpty())
        note.bits[bit] = name;
    }
  }
  return note;
}

void FieldNoteDialog::Check() {
  ok_->setEnabled(Note().has_value());
}
