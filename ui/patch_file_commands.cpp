#include "ui/patch_file_commands.h"

#include <QAction>
#include <QMenu>

#include "document/document_history.h"
#include "document/table_document.h"
#include "formats/patch_file.h"
#include "formats/patch_texts.h"
#include "grid/string_grid.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"

PatchFileCommands::PatchFileCommands(const Window& window, QMenu* menu, QAction* before)
    : QObject(window.widget), window_(window) {
  const auto add = [&](const char* name, const char* caption,
                       void (PatchFileCommands::*handler)()) {
    return AddMenuCommand(menu, before, this, name, caption, handler);
  };
  ExportPatch = add("ExportPatch", QT_TRANSLATE_NOOP("Menu", "Экспорт п&атча..."),
                    &PatchFileCommands::ExportPatchClick);
  ApplyPatch = add("ApplyPatch", QT_TRANSLATE_NOOP("Menu", "Применить пат&ч..."),
                   &PatchFileCommands::ApplyPatchClick);
  connect(window_.document, &TableDocument::fileChanged, this, &PatchFileCommands::UpdateEnabled);
  UpdateEnabled();
}

PatchFileCommands::~PatchFileCommands() = default;

void PatchFileCommands::UpdateEnabled() {
  for (QAction* action : {ExportPatch, ApplyPatch})
    action->setEnabled(window_.document->IsLoaded());
}

void PatchFileCommands::ExportPatchClick() {
  if (!window_.document->IsLoaded())
    return;
  const QString path =
      window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::SavePatch,
                                   window_.dialog_folder(), QStringLiteral("mod.bps"));
  if (path.isEmpty())
    return;
  window_.remember_folder(path);
  const std::optional<PatchFormat> format = PatchFormatOfFileName(path);
  if (!format) {
    window_.dialogs->ShowError(
        window_.widget, tr("Патч не записан: имя файла должно кончаться на .bps или .ips, по ним "
                           "выбирается формат."));
    return;
  }
  const std::span<const std::uint8_t> base = window_.patch_base();
  const PatchOutcome patch = MakeDocumentPatch(*window_.document, base, *format);
  if (!patch.ok()) {
    window_.dialogs->ShowError(window_.widget,
                               tr("Патч не записан: %1.").arg(PatchRefusalText(patch.refusal)));
    return;
  }
  QString message;
  if (!WritePatchFile(window_.document->Files(), path, patch.bytes, message)) {
    window_.dialogs->ShowError(window_.widget, message);
    return;
  }
  if (!message.isEmpty())  // written, but perhaps not for good
    window_.dialogs->ShowInfo(window_.widget, message);
}

// The document holds tables, and Save As writes only their fields; a patch's
// other bytes cannot be held, so the user may take its table changes alone.
void PatchFileCommands::ApplyPatchClick() {
  if (!window_.document->IsLoaded())
    return;
  const QString path = window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::Patch,
                                                    window_.dialog_folder());
  if (path.isEmpty())
    return;
  window_.remember_folder(path);
  Bytes patch;
  QString message;
  if (!ReadPatchFile(window_.document->Files(), path, TextSources::kFiles, patch, message)) {
    window_.dialogs->ShowError(window_.widget, message);
    return;
  }
  const DocumentPatch judged = JudgeDocumentPatch(*window_.document, patch);
  if (judged.refusal != PatchRefusal::kNone) {
    window_.dialogs->ShowError(window_.widget,
                               tr("Патч не применён: %1.").arg(PatchRefusalText(judged.refusal)));
    return;
  }
  if (judged.outside.Any() &&
      !window_.dialogs->AskYesNo(
          window_.widget, tr("Этот %1. Редактор записывает в файл только поля таблиц, поэтому "
                             "эти байты не будут применены (патч целиком применяет "
                             "trevalune-cli apply-patch --allow-other-bytes).\n\nПрименить только "
                             "изменения таблиц?")
                              .arg(OutsideChangesText(judged.outside))))
    return;
  if (judged.changes.empty()) {
    window_.dialogs->ShowInfo(window_.widget, tr("Патч не меняет ни одного поля таблиц."));
    return;
  }
  window_.document->Change(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение патча")),
                           [&](DocumentEdit& edit) {
                             window_.grid->BeginUpdate();
                             for (const FieldChange& change : judged.changes)
                               edit.SetValue(change.field, change.now);
                             window_.grid->EndUpdate();
                           });
}
