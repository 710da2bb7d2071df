#include "file_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "failure_reason.h"
#include "reachable_path.h"

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

// Runs one step of a file operation with errno cleared, so that a code left
// by an earlier, harmless failure (QSaveFile tries more than one way to make
// its temporary file) is not taken for this step's. On failure errno is read
// at once, before anything else can change it, and turned into the reason.
template <typename Step>
bool Run(Step step, const QFileDevice& file, FileAction action, QString& reason) {
  errno = 0;
  if (step())
    return true;
  const int system_error = errno;
  reason = FailureReason(action, system_error, file.error());
  return false;
}

// Opening a folder succeeds on some systems and a pipe would block: only a
// regular file, or no file at all (for the error code to tell), gets further.
bool NoFileOrRegularFile(const QFileInfo& info, QString& reason) {
  if (info.isDir()) {
    reason = QStringLiteral("это папка, а не файл");
    return false;
  }
  if (info.exists() && !info.isFile()) {
    reason = QStringLiteral("это не обычный файл");
    return false;
  }
  return true;
}

// Reads the whole file into `out`, which may hold the bytes of another file of
// the same size: resizing it then fills nothing, and every byte is read over.
bool ReadInto(const QString& path, Bytes& out, QString& reason) {
  const ReachablePath reachable(path);  // also a name that is not UTF-8
  if (!reachable.Usable(reason))
    return false;
  const QFileInfo info(reachable.Path());
  if (!NoFileOrRegularFile(info, reason))
    return false;
  QFile file(reachable.Path());
  if (!Run([&] { return file.open(QIODevice::ReadOnly); }, file, FileAction::kRead, reason))
    return false;
  const qint64 size = file.size();
  if (size > QtFileStore::kMaxFileSize) {
    reason = QStringLiteral("файл слишком велик (%1 байт)").arg(size);
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  qint64 done = 0;
  while (done < size) {
    qint64 got = 0;
    const auto read = [&] {
      got = file.read(reinterpret_cast<char*>(out.data()) + done, size - done);
      return got >= 0;
    };
    if (!Run(read, file, FileAction::kRead, reason))
      return false;
    if (got == 0)
      break;
    done += got;
  }
  if (done != size) {
    // The file shrank while it was read: what arrived is not the whole file.
    reason = QStringLiteral("файл изменился во время чтения");
    return false;
  }
  return true;
}

}  // namespace

bool QtFileStore::ReadAll(const QString& path, Bytes& out, QString& reason) {
  if (ReadInto(path, out, reason))
    return true;
  out.clear();
  return false;
}

bool QtFileStore::WriteAll(const QString& path, const Bytes& bytes, QString& reason) {
  const QString target = ResolveLinks(path);
  const QFileInfo info(target);
  if (!NoFileOrRegularFile(info, reason))
    return false;
  QSaveFile file(target);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) {
    const int system_error = errno;
    // QSaveFile refuses to replace a file that is not writable even when the
    // folder is; otherwise a refusal is about making the file in the folder.
    const bool protected_file = info.exists() && !info.isWritable();
    reason = FailureReason(protected_file ? FileAction::kReplaceFile : FileAction::kWriteInFolder,
                           system_error, file.error());
    return false;
  }
  // Every step is checked as it happens, because the system's code is gone by
  // the time commit() reports an earlier failure: a large write goes straight
  // to the disk, a small one waits in Qt's buffer until the flush, and the
  // commit syncs and renames. A failed step cancels the commit: after a failed
  // flush QSaveFile would still rename its short file over the destination.
  // The temporary file goes with the QSaveFile.
  const auto size = static_cast<qint64>(bytes.size());
  const auto write = [&] {
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
  };
  const auto flush = [&] { return file.flush(); };
  if (!Run(write, file, FileAction::kWriteInFolder, reason) ||
      !Run(flush, file, FileAction::kWriteInFolder, reason)) {
    file.cancelWriting();
    return false;
  }
  return Run([&] { return file.commit(); }, file, FileAction::kWriteInFolder, reason);
}
