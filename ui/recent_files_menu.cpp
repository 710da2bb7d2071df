#include "ui/recent_files_menu.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <utility>
#include "ui/user_settings.h"

#include "ui/recent_files.h"
#include "ui/ui_language.h"

namespace {

// "&1 /path/file.exe": the number is the item's key; an "&" in the path is
// shown as itself.
QString ItemText(int number, const QString& path) {
  QString shown = QDir::toNativeSeparators(path);
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

}  // namespace

RecentFilesMenu::RecentFilesMenu(QMenu* fileMenu, QAction* before, UserSettings& settings,
                                 PathAction open, PathAction report)
    : QObject(fileMenu),
      menu_(new QMenu(fileMenu)),
      settings_(settings),
      open_(std::move(open)),
      report_(std::move(report)) {
  SetTranslated(menu_, QT_TRANSLATE_NOOP("Menu", "&Недавние файлы"), "title");
  fileMenu->insertMenu(before, menu_);
  connect(menu_, &QMenu::aboutToShow, this, &RecentFilesMenu::WriteNow);
  Rebuild();
}

void RecentFilesMenu::Add(const QString& path) {
  added_.append(path);
  if (added_.size() == 1)
    QMetaObject::invokeMethod(this, &RecentFilesMenu::WriteNow, Qt::QueuedConnection);
}

void RecentFilesMenu::WriteNow() {
  if (!added_.isEmpty())
    Update([](RecentFiles&) {});
}

void RecentFilesMenu::Update(const std::function<void(RecentFiles&)>& change) {
  RecentFiles recent = RecentFiles::Load(settings_);
  for (const QString& path : std::exchange(added_, {}))
    recent.Add(path);
  change(recent);
  recent.Save(settings_);
  Rebuild();
}

void RecentFilesMenu::Rebuild() {
  // Deleted later: the item being chosen may be the one that asks for this.
  for (QAction* old : menu_->actions()) {
    menu_->removeAction(old);
    old->deleteLater();
  }
  const QStringList paths = RecentFiles::Load(settings_).Paths();
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    QAction* item = menu_->addAction(ItemText(i + 1, path));
    connect(item, &QAction::triggered, this, [this, path] { Choose(path); });
  }
  menu_->addSeparator();
  QAction* clear = menu_->addAction(QString());
  SetTranslated(clear, QT_TRANSLATE_NOOP("Menu", "&Очистить список"));
  connect(clear, &QAction::triggered, this, &RecentFilesMenu::ClearList);
  menu_->menuAction()->setEnabled(!paths.isEmpty());
}

void RecentFilesMenu::Choose(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    Update([&path](RecentFiles& recent) { recent.Remove(path); });
    report_(tr("Файл «%1» не найден: он убран из списка недавних.")
                .arg(QDir::toNativeSeparators(path)));
    return;
  }
  open_(path);
}

void RecentFilesMenu::ClearList() {
  Update([](RecentFiles& recent) { recent.Clear(); });
}
