#include "user_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "range_edit_dialog.h"

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

// The file dialog of `kind`. It starts in `folder`; only the file name part of
// `name` is offered, so a name remembered with its folder cannot take the
// dialog elsewhere.
void PrepareFileDialog(QFileDialog& dialog, UserDialogs::FileKind kind, const QString& folder,
                       const QString& name) {
  using Kind = UserDialogs::FileKind;
  const bool save =
      kind == Kind::SaveExecutable || kind == Kind::SaveCsv || kind == Kind::SavePatch;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Choosing an existing file to write asks before it is replaced (the dialog's default).
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  switch (kind) {
    case Kind::Executable:
    case Kind::SaveExecutable:
      dialog.setNameFilter(kExecutableFilter);
      break;
    case Kind::Comparison:
      dialog.setWindowTitle(QCoreApplication::translate("UserDialogs", "Сравнить с файлом"));
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
    case Kind::SavePatch:
      dialog.setNameFilters({kBpsFilter, kIpsFilter});
      dialog.selectNameFilter(PatchFilterOf(name));
      // A name typed without an extension gets that of the filter chosen.
      QObject::connect(
          &dialog, &QFileDialog::filterSelected, &dialog,
          [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
      break;
  }
  if (kind == Kind::SaveExecutable)
    dialog.setDefaultSuffix(QStringLiteral("exe"));
  else if (kind == Kind::SaveCsv)
    dialog.setDefaultSuffix(QStringLiteral("csv"));
  else if (kind == Kind::SavePatch)
    dialog.setDefaultSuffix(SuffixOf(PatchFilterOf(name)));
  dialog.setDirectory(folder);
  dialog.selectFile(QFileInfo(name).fileName());
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

QString QtUserDialogs::AskFileName(QWidget* parent, FileKind kind, const QString& folder,
                                   const QString& proposedName) {
  FileDialog dialog(parent);
  PrepareFileDialog(dialog, kind, folder, proposedName);
  if (dialog.exec() != QDialog::Accepted)
    return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

QStringList QtUserDialogs::AskFileNames(QWidget* parent, FileKind kind, const QString& folder) {
  FileDialog dialog(parent);
  PrepareFileDialog(dialog, kind, folder, QString());
  dialog.setFileMode(QFileDialog::ExistingFiles);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
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
  QPushButton* restore = box.addButton(QCoreApplication::translate("UserDialogs", "Восстановить"),
                                       QMessageBox::AcceptRole);
  const QPushButton* discard = box.addButton(
      QCoreApplication::translate("UserDialogs", "Отбросить"), QMessageBox::DestructiveRole);
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
      {QCoreApplication::translate("UserDialogs", "Применить остальные"), QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Применить все"),
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
      {QCoreApplication::translate("UserDialogs", "Взять из более позднего списка"),
       QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Взять из более раннего списка"),
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
      {QCoreApplication::translate("UserDialogs", "Ограничить диапазоном поля"),
       QMessageBox::AcceptRole},
      {QCoreApplication::translate("UserDialogs", "Оставить младшие биты"),
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
