#include "file_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Follows symbolic links to the file they name, also when that file does not
// exist yet, so that writing replaces the target and keeps the link.
QString ResolveLinks(const QString& path) {
  QString resolved = QFileInfo(path).absoluteFilePath();
  for (int hops = 0; hops < 40; ++hops) {
    const QFileInfo info(resolved);
    if (!info.isSymLink())
      return resolved;
    const QString target = info.symLinkTarget();  // absolute, even for relative links
    if (target.isEmpty())
      return resolved;
    resolved = target;
  }
  return resolved;
}

}  // namespace

bool QtFileStore::ReadAll(const QString& path, Bytes& out, QString& reason) {
  out.clear();
  const QFileInfo info(path);
  if (!info.exists()) {
    reason = QStringLiteral("файл не найден");
    return false;
  }
  if (info.isDir()) {
    reason = QStringLiteral("это папка, а не файл");
    return false;
  }
  if (!info.isFile()) {
    reason = QStringLiteral("это не обычный файл");
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    reason = file.error() == QFileDevice::PermissionsError ? QStringLiteral("нет прав на чтение")
                                                           : file.errorString();
    return false;
  }
  const qint64 size = file.size();
  if (size > kMaxFileSize) {
    reason = QStringLiteral("файл слишком велик (%1 байт)").arg(size);
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  qint64 done = 0;
  while (done < size) {
    const qint64 got = file.read(reinterpret_cast<char*>(out.data()) + done, size - done);
    if (got < 0) {
      reason = file.errorString();
      out.clear();
      return false;
    }
    if (got == 0)
      break;
    done += got;
  }
  if (done != size) {
    // The file shrank while it was read: what arrived is not the whole file.
    reason = QStringLiteral("файл изменился во время чтения");
    out.clear();
    return false;
  }
  return true;
}

bool QtFileStore::WriteAll(const QString& path, const Bytes& bytes, QString& reason) {
  const QString target = ResolveLinks(path);
  const QFileInfo info(target);
  if (info.isDir()) {
    reason = QStringLiteral("это папка, а не файл");
    return false;
  }
  if (!info.dir().exists()) {
    reason = QStringLiteral("папка «%1» не существует").arg(QDir::toNativeSeparators(info.path()));
    return false;
  }
  if (info.exists() && !info.isFile()) {
    reason = QStringLiteral("это не обычный файл");
    return false;
  }
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly)) {
    reason = file.errorString();
    return false;
  }
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
    reason = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    reason = file.errorString();
    return false;
  }
  return true;
}
