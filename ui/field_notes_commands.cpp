#include "ui/field_notes_commands.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>

#include "document/caption_language.h"
#include "document/cell_hint.h"
#include "document/table_document.h"
#include "grid/grid_model.h"
#include "grid/string_grid.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"
#include "ui/user_settings.h"

FieldNotesCommands::FieldNotesCommands(const CommandWindow& window, UserSettings& settings,
                                       QMenu* file_menu, QAction* file_before, QMenu* edit_menu)
    : QObject(window.widget), window_(window), model_(window.grid->Model()), settings_(settings) {
  NotesMenu = new QMenu(window_.widget);
  SetTranslated(NotesMenu, QT_TRANSLATE_NOOP("Menu", "Заметки о по&лях"), "title");
  OpenNotes = new QAction(NotesMenu);
  SetTranslated(OpenNotes, QT_TRANSLATE_NOOP("Menu", "&Открыть..."));
  ShippedNotes = new QAction(NotesMenu);
  SetTranslated(ShippedNotes, QT_TRANSLATE_NOOP("Menu", "&Заметки программы"));
  NotesMenu->addAction(OpenNotes);
  NotesMenu->addAction(ShippedNotes);
  file_menu->insertMenu(file_before, NotesMenu);
  connect(OpenNotes, &QAction::triggered, this, &FieldNotesCommands::OpenNotesClick);
  connect(ShippedNotes, &QAction::triggered, this, &FieldNotesCommands::ShippedNotesClick);

  EditBits = new QAction(edit_menu);
  SetTranslated(EditBits, QT_TRANSLATE_NOOP("Menu", "&Биты..."));
  EditBits->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  edit_menu->addAction(EditBits);
  connect(EditBits, &QAction::triggered, this, &FieldNotesCommands::EditBitsClick);
  EditValues = new QAction(edit_menu);
  SetTranslated(EditValues, QT_TRANSLATE_NOOP("Menu", "&Значения..."));
  edit_menu->addAction(EditValues);
  connect(EditValues, &QAction::triggered, this, &FieldNotesCommands::EditValuesClick);
  connect(this, &FieldNotesCommands::notesChanged, this, &FieldNotesCommands::UpdateEnabled);

  CaptionMenu = new QMenu(window_.widget);
  EditFieldNote = new QAction(CaptionMenu);
  SetTranslated(EditFieldNote, QT_TRANSLATE_NOOP("Menu", "&Заметка о поле..."));
  CaptionMenu->addAction(EditFieldNote);
  NameParts({{NotesMenu, "NotesMenu"},
             {OpenNotes, "OpenNotes"},
             {ShippedNotes, "ShippedNotes"},
             {EditBits, "EditBits"},
             {EditValues, "EditValues"},
             {CaptionMenu, "CaptionMenu"},
             {EditFieldNote, "EditFieldNote"}});
  connect(EditFieldNote, &QAction::triggered, this,
          [this] { EditFieldNoteClick(caption_column_); });
  QHeaderView* captions = window_.grid->horizontalHeader();
  captions->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(captions, &QWidget::customContextMenuRequested, this, [this, captions](const QPoint& at) {
    const int section = captions->logicalIndexAt(at);
    if (section < 0)
      return;
    caption_column_ = section + 1;
    CaptionMenu->popup(captions->mapToGlobal(at));
  });
  connect(window_.grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &FieldNotesCommands::UpdateEnabled);
  // A double click with Alt opens the cell's own editor, as its menu item
  // would: the bits where the field has them, else its named values.
  connect(window_.grid, &TStringGrid::altDoubleClicked, this, [this] {
    if (BitsField())
      EditBitsClick();
    else if (NamedValuesField())
      EditValuesClick();
  });
  connect(window_.document, &TableDocument::fileChanged, this, &FieldNotesCommands::UpdateEnabled);
  connect(window_.document, &TableDocument::activeTableChanged, this,
          &FieldNotesCommands::UpdateEnabled);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
          &FieldNotesCommands::FileChangedOnDisk);

  // The notes file of the last run, if it is still good; the shipped notes otherwise.
  const QString kept = settings_.value(QString::fromLatin1(kNotesFileKey)).toString();
  if (kept.isEmpty() || !Load(kept))
    Use(nullptr, {});
  model_->SetNotes([this] { return &Checker(); });
  UpdateEnabled();
}

FieldNotesCommands::~FieldNotesCommands() {
  // The grid may paint once more while the window goes.
  if (model_)
    model_->SetNotes({});
}

bool FieldNotesCommands::Load(const QString& path) {
  NotesError error;
  auto notes = ReadFieldNotes(window_.document->Files(), path, error);
  if (!notes) {
    window_.dialogs->ShowError(window_.widget,
                               tr("Заметки о полях не прочитаны: %1\n%2")
                                   .arg(QFileInfo(path).fileName(), NotesErrorText(error)));
    return false;
  }
  Use(std::make_unique<NotesChecker>(std::move(*notes)), QFileInfo(path).absoluteFilePath());
  return true;
}

const NotesChecker& FieldNotesCommands::Checker() const {
  if (!checker_)
    checker_ = std::make_unique<NotesChecker>(ShippedFieldNotes());
  return *checker_;
}

void FieldNotesCommands::Use(std::unique_ptr<NotesChecker> checker, const QString& path) {
  checker_ = std::move(checker);
  model_->NotesChanged();
  path_ = path;
  if (path_.isEmpty())
    settings_.remove(QString::fromLatin1(kNotesFileKey));
  else
    settings_.setValue(QString::fromLatin1(kNotesFileKey), path_);
  Watch();
  emit notesChanged();
}

void FieldNotesCommands::Watch() {
  if (!watcher_.files().isEmpty())
    watcher_.removePaths(watcher_.files());
  if (!path_.isEmpty())
    watcher_.addPath(path_);
}

bool FieldNotesCommands::SaveNotes(const FieldNotes& notes) {
  const QByteArray json = WriteFieldNotes(notes);
  // What is written is what would be read: a note the reader would refuse
  // is never written.
  NotesError error;
  auto parsed = ParseFieldNotes(json, error);
  if (!parsed) {
    window_.dialogs->ShowError(window_.widget, NotesErrorText(error));
    return false;
  }
  QString path = path_;
  if (path.isEmpty()) {
    // The shipped notes stay as they are: the edit goes into a copy.
    path = window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::SaveNotes,
                                        window_.dialog_folder(),
                                        QStringLiteral("trevalune-notes.json"));
    if (path.isEmpty())
      return false;
    window_.remember_folder(path);
  }
  QString reason;
  if (!window_.document->Files().WriteAll(path, Bytes(json.begin(), json.end()), reason)) {
    window_.dialogs->ShowError(
        window_.widget,
        tr("Заметки о полях не записаны: %1\n%2").arg(QFileInfo(path).fileName(), reason));
    return false;
  }
  if (!reason.isEmpty())
    window_.dialogs->ShowError(window_.widget, reason);
  Use(std::make_unique<NotesChecker>(std::move(*parsed)), QFileInfo(path).absoluteFilePath());
  return true;
}

void FieldNotesCommands::EditFieldNoteClick(int column) {
  const TableIndex table = window_.active_table();
  if (column < 1 || column >= ColCounts[table])
    return;
  UserDialogs::FieldNoteQuestion question;
  question.field = ShownCaption(HeaderCaptions[table][column]);
  question.layout = FieldOf(table, column);
  question.kind = FieldKindHint(
      CaptionUtf8(HeaderCaptions[table][column],
                  ShowsEnglish() ? CaptionLanguage::English : CaptionLanguage::Russian),
      question.layout);
  question.note = Checker().Notes().Field(table, column);
  const auto note = window_.dialogs->AskFieldNote(window_.widget, question);
  if (!note || *note == question.note)
    return;
  FieldNotes notes = Checker().Notes();
  notes.tables[table].fields[column] = *note;
  SaveNotes(notes);
}

void FieldNotesCommands::EditChecksClick() {
  UserDialogs::ChecksQuestion question;
  question.table = window_.active_table();
  question.table_caption = ShownCaption(TabCaptions[question.table]);
  question.checks = Checker().Notes().tables[question.table].checks;
  const auto checks = window_.dialogs->AskChecks(window_.widget, question);
  if (!checks || *checks == question.checks)
    return;
  FieldNotes notes = Checker().Notes();
  notes.tables[question.table].checks = *checks;
  SaveNotes(notes);
}

void FieldNotesCommands::FileChangedOnDisk() {
  if (path_.isEmpty())
    return;
  // A file written safely is replaced by a new one, which the watcher no
  // longer follows; a file being replaced may be missing for a moment.
  if (!QFileInfo::exists(path_)) {
    Watch();
    return;
  }
  if (!Load(path_))
    Watch();
}

void FieldNotesCommands::OpenNotesClick() {
  const QString path = window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::Notes,
                                                    window_.dialog_folder());
  if (path.isEmpty())
    return;
  window_.remember_folder(path);
  Load(path);
}

void FieldNotesCommands::ShippedNotesClick() {
  Use(nullptr, {});
}

std::optional<FieldRef> FieldNotesCommands::CurrentField() const {
  if (!window_.document->IsLoaded())
    return std::nullopt;
  const TableIndex table = window_.active_table();
  const FieldRef field{table, window_.grid->CurrentRow() - 1, window_.grid->CurrentColumn()};
  if (field.entry < 0 || field.entry >= EntryCount(table) || field.column < 1 ||
      field.column >= ColCounts[table] || window_.document->IsPastEnd(field))
    return std::nullopt;
  return field;
}

std::optional<FieldRef> FieldNotesCommands::BitsField() const {
  const auto field = CurrentField();
  if (!field || FieldOf(field->table, field->column).width < 2)
    return std::nullopt;
  return field;
}

std::optional<FieldRef> FieldNotesCommands::NamedValuesField() const {
  const auto field = CurrentField();
  if (!field || Checker().Notes().Field(field->table, field->column).values.empty())
    return std::nullopt;
  return field;
}

void FieldNotesCommands::UpdateEnabled() {
  EditBits->setEnabled(BitsField().has_value());
  EditValues->setEnabled(NamedValuesField().has_value());
}

void FieldNotesCommands::EditValuesClick() {
  const auto field = NamedValuesField();
  if (!field)
    return;
  const FieldLayout layout = FieldOf(field->table, field->column);
  UserDialogs::ValueQuestion question;
  question.field = ShownCaption(HeaderCaptions[field->table][field->column]);
  question.value = ShownNumber(window_.document->ValueAfterCommit(*field), layout);
  const bool english = ShowsEnglish();
  for (const auto& [value, name] : Checker().Notes().Field(field->table, field->column).values)
    question.names.emplace_back(value, name.In(english));
  const auto answer = window_.dialogs->AskNamedValue(window_.widget, question);
  if (!answer || *answer == question.value)
    return;
  // The notes hold values within the field's range: the low bits are the value.
  const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(*answer));
  SetFieldValues(*window_.document, QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "значение")),
                 {{*field, WrapToField(value, layout.width, layout.is_signed)}});
}

void FieldNotesCommands::EditBitsClick() {
  const auto field = BitsField();
  if (!field)
    return;
  const FieldLayout layout = FieldOf(field->table, field->column);
  const FieldNote& note = Checker().Notes().Field(field->table, field->column);
  UserDialogs::BitsQuestion question;
  question.field = ShownCaption(HeaderCaptions[field->table][field->column]);
  question.width = layout.width;
  const std::uint32_t mask = layout.width == 4 ? 0xFFFFFFFFu : 0xFFFFu;
  question.value = static_cast<std::uint32_t>(window_.document->ValueAfterCommit(*field)) & mask;
  const bool english = ShowsEnglish();
  for (const auto& [bit, name] : note.bits)
    question.names[bit] = name.In(english);
  const auto answer = window_.dialogs->AskBits(window_.widget, question);
  if (!answer || *answer == question.value)
    return;
  const std::int32_t value =
      WrapToField(static_cast<std::int32_t>(*answer & mask), layout.width, layout.is_signed);
  SetFieldValues(*window_.document, QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "биты")),
                 {{*field, value}});
}
