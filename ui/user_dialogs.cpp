#include "user_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Both dialogs start in the process's current folder; a name with a folder
// of its own takes the dialog there.
void PrepareFileDialog(QFileDialog& dialog, const QString& name) {
  dialog.setNameFilter(kExecutableFilter);
  dialog.setDirectory(QDir::currentPath());
  dialog.selectFile(name);
}

QString ChosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted)
    return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtUserDialogs::AskOpenFileName(QWidget* parent, const QString& initialName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PrepareFileDialog(dialog, initialName);
  return ChosenFile(dialog);
}

QString QtUserDialogs::AskSaveFileName(QWidget* parent, const QString& proposedName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("exe"));
  // Choosing an existing file asks before it is replaced (the dialog's default).
  PrepareFileDialog(dialog, proposedName);
  return ChosenFile(dialog);
}

bool QtUserDialogs::AskSizeWarning(QWidget* parent) {
  QMessageBox box(QMessageBox::Warning, kSizeWarningCaption, kSizeWarningText,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Ошибка"), text, QMessageBox::Ok, parent);
  box.exec();
}
