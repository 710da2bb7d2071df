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
// says why it cannot.
class OpenFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    const QStringList files = selectedFiles();
    if (files.size() == 1 && files.first().contains(QChar::ReplacementCharacter) &&
        !QFileInfo::exists(files.first()))
      QDialog::accept();
    else
      QFileDialog::accept();
  }
};

// The dialog starts in `folder`; only the file name part of `name` is
// offered, so a name remembered with its folder cannot take the dialog
// elsewhere.
void PrepareFileDialog(QFileDialog& dialog, const QString& folder, const QString& name,
                       const QString& filter = kExecutableFilter) {
  dialog.setNameFilter(filter);
  dialog.setDirectory(folder);
  dialog.selectFile(QFileInfo(name).fileName());
}

QString ChosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted)
    return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
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

QString QtUserDialogs::AskOpenFileName(QWidget* parent, const QString& folder,
                                       const QString& initialName) {
  OpenFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, folder, initialName);
  return ChosenFile(dialog);
}

QString QtUserDialogs::AskSaveFileName(QWidget* parent, const QString& folder,
                                       const QString& proposedName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("exe"));
  // Choosing an existing file asks before it is replaced (the dialog's default).
  PrepareFileDialog(dialog, folder, proposedName);
  return ChosenFile(dialog);
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

bool QtUserDialogs::AskRecovery(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::translate("UserDialogs", "Вопрос"), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
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

QString QtUserDialogs::AskCsvOpenFileName(QWidget* parent, const QString& folder) {
  OpenFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, folder, QString(), kCsvFilter);
  return ChosenFile(dialog);
}

QString QtUserDialogs::AskCsvSaveFileName(QWidget* parent, const QString& folder,
                                          const QString& proposedName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  PrepareFileDialog(dialog, folder, proposedName, kCsvFilter);
  return ChosenFile(dialog);
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

QStringList QtUserDialogs::AskCsvOpenFileNames(QWidget* parent, const QString& folder) {
  OpenFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  PrepareFileDialog(dialog, folder, QString(), kCsvFilter);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
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

QString QtUserDialogs::AskPatchOpenFileName(QWidget* parent, const QString& folder) {
  OpenFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, folder, QString(),
                    QCoreApplication::translate("UserDialogs", "Патчи BPS и IPS (*.bps *.ips)"));
  return ChosenFile(dialog);
}

QString QtUserDialogs::AskPatchSaveFileName(QWidget* parent, const QString& folder,
                                            const QString& proposedName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({kBpsFilter, kIpsFilter});
  dialog.setDirectory(folder);
  dialog.selectFile(QFileInfo(proposedName).fileName());
  const bool ips =
      QFileInfo(proposedName).suffix().compare(QStringLiteral("ips"), Qt::CaseInsensitive) == 0;
  dialog.selectNameFilter(ips ? kIpsFilter : kBpsFilter);
  dialog.setDefaultSuffix(ips ? QStringLiteral("ips") : QStringLiteral("bps"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) {
                     dialog.setDefaultSuffix(filter == kIpsFilter ? QStringLiteral("ips")
                                                                  : QStringLiteral("bps"));
                   });
  return ChosenFile(dialog);
}

QString QtUserDialogs::AskComparisonFileName(QWidget* parent, const QString& folder) {
  OpenFileDialog dialog(parent);
  dialog.setWindowTitle(QCoreApplication::translate("UserDialogs", "Сравнить с файлом"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, folder, QString());
  return ChosenFile(dialog);
}

std::optional<RangeEdit> QtUserDialogs::AskRangeEdit(QWidget* parent,
                                                     const RangeEditSummaryOf& summary) {
  RangeEditDialog dialog(summary, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Edit();
}
