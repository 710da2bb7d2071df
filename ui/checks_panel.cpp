#include "ui/checks_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "document/caption_language.h"
#include "document/table_document.h"
#include "ui/field_notes_commands.h"
#include "ui/ui_language.h"

namespace {

// The list's columns, with the captions of trevalune-cli check.
const char* const kCaptions[] = {
    QT_TRANSLATE_NOOP("Captions", "Таблица"), QT_TRANSLATE_NOOP("Captions", "№"),
    QT_TRANSLATE_NOOP("Captions", "Название"), QT_TRANSLATE_NOOP("Captions", "Проверка"),
    QT_TRANSLATE_NOOP("Captions", "Уровень")};

}  // namespace

ChecksPanel::ChecksPanel(TableDocument* document, FieldNotesCommands* notes, QWidget* parent)
    : GridPanel(QStringLiteral("ChecksPanel"), parent), document_(document), notes_(notes) {
  SetTranslated(this, QT_TRANSLATE_NOOP("Menu", "Проверки"), "windowTitle");
  view_ = new QTableWidget(0, 5, this);
  SetUpList(view_, QAbstractItemView::SingleSelection);
  // The check's name takes the room; the rest as wide as their texts.
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
  view_->horizontalHeader()->setResizeContentsPrecision(50);  // a list may be long
  SetTranslated(view_, QT_TRANSLATE_NOOP("Menu", "Проверки"), "accessibleName");
  auto* body = new QWidget(this);
  view_->setParent(body);
  edit_ = new QPushButton(body);
  SetTranslated(edit_, QT_TRANSLATE_NOOP("Menu", "Провер&ки..."));
  connect(edit_, &QPushButton::clicked, notes_, &FieldNotesCommands::EditChecksClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(edit_);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  setWidget(body);
  ShowFieldOnActivation(view_, [this](const QModelIndex& row) -> std::optional<FieldRef> {
    if (row.row() >= static_cast<int>(findings_.size()))
      return std::nullopt;
    const NoteFinding& finding = findings_[static_cast<std::size_t>(row.row())];
    return FieldRef{finding.table, finding.entry, finding.column > 0 ? finding.column : 1};
  });

  // A step may tell of many cells; the list is made once they are all told.
  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(0);
  connect(refresh_, &QTimer::timeout, this, &ChecksPanel::Refresh);
  connect(document_, &TableDocument::cellChanged, this, &ChecksPanel::RefreshSoon);
  connect(document_, &TableDocument::tablesReset, this, &ChecksPanel::RefreshSoon);
  connect(document_, &TableDocument::opened, this, &ChecksPanel::RefreshSoon);
  connect(notes_, &FieldNotesCommands::notesChanged, this, &ChecksPanel::RefreshSoon);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (shown)
      Refresh();
  });
  Refresh();
}

void ChecksPanel::RefreshSoon() {
  // Hidden, the list would cost every step for nothing; shown, it is made anew.
  if (isVisible())
    refresh_->start();
}

void ChecksPanel::Refresh() {
  refresh_->stop();
  // Hidden, the panel asks nothing of the notes: they are read on first use.
  if (!isVisible())
    return;
  findings_ =
      document_->IsLoaded() ? notes_->Checker().Findings(*document_) : std::vector<NoteFinding>{};
  const bool english = ShowsEnglish();
  QStringList captions;
  for (const char* caption : kCaptions)
    captions << ShownCaption(caption);
  view_->setHorizontalHeaderLabels(captions);
  view_->setRowCount(static_cast<int>(findings_.size()));
  const FieldNotes& notes = notes_->Checker().Notes();
  for (int row = 0; row < static_cast<int>(findings_.size()); ++row) {
    const NoteFinding& finding = findings_[static_cast<std::size_t>(row)];
    const TableNotes& table = notes.tables[finding.table];
    const QString what =
        finding.check >= 0 ? table.checks[static_cast<std::size_t>(finding.check)].name.In(english)
                           : tr("%1 вне %2")
                                 .arg(ShownCaption(HeaderCaptions[finding.table][finding.column]),
                                      SaneRangeText(table.fields[finding.column]));
    const QStringList texts{
        ShownCaption(TabCaptions[finding.table]), QString::number(finding.entry + 1),
        QString::fromStdString(EntryNameText(document_->Committed(), finding.table, finding.entry)),
        what, finding.level == CheckLevel::Error ? tr("ошибка") : tr("предупреждение")};
    for (int column = 0; column < texts.size(); ++column) {
      auto* item = view_->item(row, column);
      if (!item) {
        item = new QTableWidgetItem;
        view_->setItem(row, column, item);
      }
      item->setText(texts[column]);
    }
  }
}

void ChecksPanel::changeEvent(QEvent* event) {
  // The captions and words follow a switch of language at once, as every
  // other text of the window does.
  if (event->type() == QEvent::LanguageChange)
    Refresh();
  GridPanel::changeEvent(event);
}
