#include "ui/user_dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/bits_dialog.h"
#include "ui/checks_dialog.h"
#include "ui/field_note_dialog.h"
#include "ui/range_edit_dialog.h"

namespace {

// Qt's own dialog lists a file whose name is not UTF-8 with U+FFFD for the
// bytes it cannot read, and then refuses that name as missing. Such a name is
// taken as chosen: Open finds the file by it among the folder's entries, or
// says why it cannot. (A dialog to write in takes names as Qt's own does.)
class FileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    const QStringList files = selectedFiles();
    if (acceptMode() == AcceptOpen && files.size() == 1 &&
        files.first().contains(QChar::ReplacementCharacter) && !QFileInfo::exists(files.first()))
      QDialog::accept();
    else
      QFileDialog::accept();
  }
};

// The filter a patch is written with: the one of the proposed name's
// extension, BPS unless it is ".ips".
QString PatchFilterOf(const QString& name) {
  return QFileInfo(name).suffix().compare(QStringLiteral("ips"), Qt::CaseInsensitive) == 0
             ? kIpsFilter
             : kBpsFilter;
}

QString SuffixOf(const QString& filter) {
  return filter == kIpsFilter ? QStringLiteral("ips") : QStringLiteral("bps");
}

bool IsSaveKind(UserDialogs::FileKind kind) {
  using Kind = UserDialogs::FileKind;
  return kind == Kind::SaveExecutable || kind == Kind::SaveCsv || kind == Kind::SavePatch ||
         kind == Kind::SaveNotes;
}

// What a file dialog of `kind` keeps from one use to the next: what it
// accepts, its filters, what a bare name gets.
void SetUpFileDialog(QFileDialog& dialog, UserDialogs::FileKind kind) {
  using Kind = UserDialogs::FileKind;
  dialog.setAcceptMode(IsSaveKind(kind) ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  switch (kind) {
    case Kind::Executable:
    case Kind::SaveExecutable:
    case Kind::Comparison:
      dialog.setNameFilter(kExecutableFilter);
      break;
    case Kind::Csv:
    case Kind::SaveCsv:
      dialog.setNameFilter(kCsvFilter);
      break;
    case Kind::Patch:
      dialog.setNameFilter(
          QCoreApplication::translate("UserDialogs", "Патчи BPS и IPS (*.bps *.ips)"));
      break;
    case Kind::Notes:
    case Kind::SaveNotes:
      dialog.setNameFilter(kNotesFilter);
      break;
    case Kind::SavePatch:
      dialog.setNameFilters({kBpsFilter, kIpsFilter});
      // A name typed without an extension gets that of the filter chosen.
      QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                       [dialog = &dialog](const QString& filter) {
                         dialog->setDefaultSuffix(SuffixOf(filter));
                       });
      break;
  }
  if (kind == Kind::SaveExecutable)
    dialog.setDefaultSuffix(QStringLiteral("exe"));
  if (kind == Kind::SaveNotes)
    dialog.setDefaultSuffix(QStringLiteral("json"));
  else if (kind == Kind::SaveCsv)
    dialog.setDefaultSuffix(QStringLiteral("csv"));
}

// Readies the dialog of `kind` for one use, whatever the last one left in
// it: it starts in `folder`, offering only the file name part of `name`, so
// that a name remembered with its folder cannot take the dialog elsewhere;
// with no name, the name field is empty and nothing is selected. `several`
// lets the user choose more than one existing file.
void AimFileDialog(QFileDialog& dialog, UserDialogs::FileKind kind, const QString& folder,
                   const QString& name, bool several) {
  using Kind = UserDialogs::FileKind;
  // Choosing an existing file to write asks before it is replaced (the dialog's default).
  if (IsSaveKind(kind))
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  // In the window's language of the moment; Qt retranslates its own titles.
  // The dialogs that read a file for a command of their own are titled by it;
  // Open and the saving ones keep Qt's titles, which say what they do.
  if (kind == Kind::Comparison)
    dialog.setWindowTitle(QCoreApplication::translate("UserDialogs", "Сравнить с файлом"));
  else if (kind == Kind::Csv)
    dialog.setWindowTitle(
        several ? QCoreApplication::translate("UserDialogs", "Применить списки изменений")
                : QCoreApplication::translate("UserDialogs", "Импорт таблицы из CSV"));
  else if (kind == Kind::Patch)
    dialog.setWindowTitle(QCoreApplication::translate("UserDialogs", "Применить патч"));
  if (kind == Kind::SavePatch) {
    dialog.selectNameFilter(PatchFilterOf(name));
    dialog.setDefaultSuffix(SuffixOf(PatchFilterOf(name)));
  }
  dialog.setDirectory(folder);
  const QString file_name = QFileInfo(name).fileName();
  if (!file_name.isEmpty()) {
    dialog.selectFile(file_name);
    return;
  }
  // selectFile passes over an empty name, and the dialog, back in the same
  // folder, would offer the file chosen last. Qt's own dialog names these
  // parts; a dialog of the system's has neither.
  if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    edit->clear();
  if (auto* files = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView")))
    files->clearSelection();
}

// After each use: the completion list the name field may have up goes with
// the dialog, and so does the name, so that the folder's listing, coming
// later, cannot bring the list back over the window.
void PutAwayFileDialog(QFileDialog& dialog) {
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (edit == nullptr)
    return;
  if (QCompleter* completer = edit->completer())
    completer->popup()->hide();
  edit->clear();
}

struct BoxChoice {
  QString text;
  QMessageBox::ButtonRole role;
};

// A warning with two ways forward and Отмена, which is the default and what
// closing the box means; `details` unfold below it. 0 or 1 for the way
// chosen, -1 for Отмена.
int AskTwoWaysOrCancel(QWidget* parent, const QString& title, const QString& text,
                       const QString& details, const BoxChoice& first, const BoxChoice& second) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
  if (!details.isEmpty())
    box.setDetailedText(details);
  const QPushButton* ways[] = {box.addButton(first.text, first.role),
                               box.addButton(second.text, second.role)};
  QPushButton* cancel =
      box.addButton(QCoreApplication::translate("UserDialogs", "Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  for (int way = 0; way < 2; ++way)
    if (box.clickedButton() == ways[way])
      return way;
  return -1;
}

}  // namespace

QtUserDialogs::QtUserDialogs() = default;

QtUserDialogs::~QtUserDialogs() {
  for (const auto& [kind, dialog] : file_dialogs_)
    delete dialog.data();
}

QFileDialog* QtUserDialogs::FileDialogOf(QWidget* parent, FileKind kind) {
  QPointer<QFileDialog>& dialog = file_dialogs_[kind];
  if (!dialog) {
    dialog = new FileDialog(parent);
    SetUpFileDialog(*dialog, kind);
  } else if (dialog->parentWidget() != parent) {
    dialog->setParent(parent, dialog->windowFlags());
  }
  return dialog;
}

QString QtUserDialogs::AskFileName(QWidget* parent, FileKind kind, const QString& folder,
                                   const QString& proposedName) {
  QFileDialog* dialog = FileDialogOf(parent, kind);
  AimFileDialog(*dialog, kind, folder, proposedName, false);
  const bool accepted = dialog->exec() == QDialog::Accepted;
  const QStringList files = accepted ? dialog->selectedFiles() : QStringList();
  PutAwayFileDialog(*dialog);
  return files.isEmpty() ? QString() : files.first();
}

QStringList QtUserDialogs::AskFileNames(QWidget* parent, FileKind kind, const QString& folder) {
  QFileDialog* dialog = FileDialogOf(parent, kind);
  AimFileDialog(*dialog, kind, folder, QString(), true);
  const bool accepted = dialog->exec() == QDialog::Accepted;
  const QStringList files = accepted ? dialog->selectedFiles() : QStringList();
  PutAwayFileDialog(*dialog);
  return files;
}

bool QtUserDialogs::AskSizeWarning(QWidget* parent) {
  QMessageBox box(QMessageBox::Warning,
                  QCoreApplication::translate("UserDialogs", "Предупреждение"),
                  QCoreApplication::translate("UserDialogs",
                                              "Размер выбранного исполняемого файла отличается от "
                                              "стандартного. Всё равно продолжить?"),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

bool QtUserDialogs::AskYesNo(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::translate("UserDialogs", "Вопрос"), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

UserDialogs::RecoveryAnswer QtUserDialogs::AskRecovery(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::translate("UserDialogs", "Вопрос"), text,
                  QMessageBox::NoButton, parent);
  QPushButton* restore = box.addButton(QCoreApplication::translate("UserDialogs", "&Восстановить"),
                                       QMessageBox::AcceptRole);
  const QPushButton* discard = box.addButton(
      QCoreApplication::translate("UserDialogs", "&Отбросить"), QMessageBox::DestructiveRole);
  // Esc and the box's close button put the question off. QMessageBox lets
  // them close it only through a button of its own (without one, Windows even
  // greys the close button out), so that one is there, never shown.
  QPushButton* later = box.addButton(QString(), QMessageBox::RejectRole);
  later->hide();
  box.setEscapeButton(later);
  box.setDefaultButton(restore);
  box.exec();
  if (box.clickedButton() == restore)
    return RecoveryAnswer::Restore;
  if (box.clickedButton() == discard)
    return RecoveryAnswer::Discard;
  return RecoveryAnswer::NotNow;
}

void QtUserDialogs::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("UserDialogs", "Ошибка"), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

void QtUserDialogs::ShowErrorWithDetails(QWidget* parent, const QString& text,
                                         const QString& details) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("UserDialogs", "Ошибка"), text,
                  QMessageBox::Ok, parent);
  // The details area scrolls, so the box keeps its size however long the list.
  if (!details.isEmpty())
    box.setDetailedText(details);
  box.exec();
}

void QtUserDialogs::ShowInfo(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, QCoreApplication::translate("UserDialogs", "Сообщение"),
                  text, QMessageBox::Ok, parent);
  box.exec();
}

UserDialogs::ConflictAnswer QtUserDialogs::AskConflicts(QWidget* parent, const QString& text,
                                                        const QString& details) {
  switch (AskTwoWaysOrCancel(
      parent, QCoreApplication::translate("UserDialogs", "Конфликты"), text, details,
      {QCoreApplication::translate("UserDialogs", "Применить &остальные"), QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Применить &все"),
       QMessageBox::DestructiveRole})) {
    case 0:
      return ConflictAnswer::ApplyRest;
    case 1:
      return ConflictAnswer::ApplyAll;
    default:
      return ConflictAnswer::Cancel;
  }
}

UserDialogs::ListsAnswer QtUserDialogs::AskListsConflicts(QWidget* parent, const QString& text,
                                                          const QString& details) {
  switch (AskTwoWaysOrCancel(
      parent, QCoreApplication::translate("UserDialogs", "Конфликты списков"), text, details,
      {QCoreApplication::translate("UserDialogs", "Взять из более &позднего списка"),
       QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Взять из более &раннего списка"),
       QMessageBox::AcceptRole})) {
    case 0:
      return ListsAnswer::PreferLater;
    case 1:
      return ListsAnswer::PreferEarlier;
    default:
      return ListsAnswer::Cancel;
  }
}

UserDialogs::OutOfRangeAnswer QtUserDialogs::AskOutOfRange(QWidget* parent, const QString& text,
                                                           const QString& details) {
  switch (AskTwoWaysOrCancel(
      parent, QCoreApplication::translate("UserDialogs", "Значения вне диапазона"), text, details,
      {QCoreApplication::translate("UserDialogs", "&Ограничить диапазоном поля"),
       QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Оставить &младшие биты"),
       QMessageBox::DestructiveRole})) {
    case 0:
      return OutOfRangeAnswer::Limit;
    case 1:
      return OutOfRangeAnswer::Wrap;
    default:
      return OutOfRangeAnswer::Cancel;
  }
}

std::optional<RangeEdit> QtUserDialogs::AskRangeEdit(QWidget* parent,
                                                     const RangeEditSummaryOf& summary) {
  RangeEditDialog dialog(summary, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Edit();
}

std::optional<std::uint32_t> QtUserDialogs::AskBits(QWidget* parent, const BitsQuestion& question) {
  BitsDialog dialog(question, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Value();
}

std::optional<std::int64_t> QtUserDialogs::AskNamedValue(QWidget* parent,
                                                         const ValueQuestion& question) {
  QStringList items;
  int current = 0;
  for (const auto& [value, name] : question.names) {
    if (value == question.value)
      current = static_cast<int>(items.size());
    items << QCoreApplication::translate("UserDialogs", "%1 — %2").arg(value).arg(name);
  }
  bool ok = false;
  const QString chosen = QInputDialog::getItem(
      parent, QCoreApplication::translate("UserDialogs", "Значения: %1").arg(question.field),
      QCoreApplication::translate("UserDialogs", "Значение поля:"), items, current, false, &ok);
  const auto index = items.indexOf(chosen);
  if (!ok || index < 0)
    return std::nullopt;
  return question.names[static_cast<std::size_t>(index)].first;
}

std::optional<FieldNote> QtUserDialogs::AskFieldNote(QWidget* parent,
                                                     const FieldNoteQuestion& question) {
  FieldNoteDialog dialog(question, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Note();
}

std::optional<std::vector<NoteCheck>> QtUserDialogs::AskChecks(QWidget* parent,
                                                               const ChecksQuestion& question) {
  ChecksDialog dialog(question, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Checks();
}
