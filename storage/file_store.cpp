#include "storage/file_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <optional>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#include <QRandomGenerator>
#endif

#include "storage/failure_reason.h"
#include "storage/file_identity.h"
#include "storage/long_path.h"
#include "storage/reachable_path.h"

namespace {

// Runs one step of a file operation with the system's code cleared, so that a code left
// by an earlier, harmless failure (QSaveFile tries more than one way to make
// its temporary file) is not taken for this step's. On failure the code is read
// at once, before anything else can change it, and turned into the reason.
template <typename Step>
bool Run(Step step, const QFileDevice& file, FileAction action, QString& reason) {
  ClearSystemError();
  if (step())
    return true;
  const int system_error = LastSystemError();
  reason = FailureReason(action, system_error, file.error());
  return false;
}

// Opening a folder succeeds on some systems and a pipe would block: only a
// regular file, or no file at all (for the error code to tell), gets further.
bool NoFileOrRegularFile(const QFileInfo& info, QString& reason) {
  if (info.isDir()) {
    reason = QCoreApplication::translate("FileStore", "это папка, а не файл");
    return false;
  }
  if (info.exists() && !info.isFile()) {
    reason = QCoreApplication::translate("FileStore", "это не обычный файл");
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
    reason = QCoreApplication::translate("FileStore", "файл слишком велик (%1 байт)").arg(size);
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
    reason = QCoreApplication::translate("FileStore", "файл изменился во время чтения");
    return false;
  }
  return true;
}

// What a path names, as far as reading it goes.
enum class PathKind { kNothing, kRegularFile, kFolder, kPipe, kOther };

PathKind KindOf(const QString& path) {
#ifdef Q_OS_UNIX
  // QFileInfo does not tell a pipe from a device. The link of a process
  // substitution, /dev/fd/N, is followed to its pipe.
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0)
    return PathKind::kNothing;  // opening it says why
  if (S_ISREG(status.st_mode))
    return PathKind::kRegularFile;
  if (S_ISDIR(status.st_mode))
    return PathKind::kFolder;
  return S_ISFIFO(status.st_mode) ? PathKind::kPipe : PathKind::kOther;
#else
  const QFileInfo info(path);
  if (!info.exists())
    return PathKind::kNothing;
  if (info.isDir())
    return PathKind::kFolder;
  return info.isFile() ? PathKind::kRegularFile : PathKind::kOther;
#endif
}

// Reads `file` to its end in chunks, so that a stream with no end stops a
// chunk past `max_size` rather than filling the memory.
bool ReadToEnd(QFile& file, std::int64_t max_size, QByteArray& out, QString& reason) {
  constexpr qint64 kChunk = 64 * 1024;
  for (;;) {
    const qint64 done = out.size();
    const qint64 want = std::min(kChunk, max_size + 1 - done);
    out.resize(done + want);
    qint64 got = 0;
    const auto read = [&] {
      got = file.read(out.data() + done, want);
      return got >= 0;
    };
    if (!Run(read, file, FileAction::kRead, reason))
      return false;
    out.resize(done + got);
    if (out.size() > max_size) {
      reason = TooLargeReason(max_size);
      return false;
    }
    if (got == 0)
      return true;
  }
}

bool ReadTextInto(const QString& path, const TextReadRules& rules, QByteArray& out,
                  QString& reason) {
  QFile file;
  if (rules.streams && path == QStringLiteral("-")) {
    constexpr int kStandardInput = 0;
    if (!Run([&] { return file.open(kStandardInput, QIODevice::ReadOnly | QIODevice::Unbuffered); },
             file, FileAction::kRead, reason))
      return false;
    return ReadToEnd(file, rules.max_size, out, reason);
  }
  // Refused before it is opened: opening a pipe waits for its writer, and a
  // device may do something on open.
  switch (KindOf(path)) {
    case PathKind::kFolder:
      reason = QCoreApplication::translate("FileStore", "это папка, а не файл");
      return false;
    case PathKind::kOther:
      reason = QCoreApplication::translate("FileStore", "это не обычный файл");
      return false;
    case PathKind::kPipe:
      if (!rules.streams) {
        reason = QCoreApplication::translate("FileStore", "это не обычный файл");
        return false;
      }
      break;
    case PathKind::kNothing:
    case PathKind::kRegularFile:
      break;
  }
  file.setFileName(path);
  if (!Run([&] { return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered); }, file,
           FileAction::kRead, reason))
    return false;
  if (!file.isSequential() && file.size() > rules.max_size) {
    reason = TooLargeReason(rules.max_size);  // at once, without reading it
    return false;
  }
  return ReadToEnd(file, rules.max_size, out, reason);
}

// Syncs the folder that holds `file`, so that its entry for the file renamed
// into it reaches the disk too: without this a power cut can undo the rename
// though the file's bytes were synced. The file is in place either way, so a
// failure is a warning, never a lost write. Empty when synced.
//
// On Windows the rename itself writes through instead (WriteThrough below).
#ifndef Q_OS_WIN
QString SyncFolderOf(const QString& file) {
#ifdef Q_OS_UNIX
  const QString folder = QFileInfo(file).absolutePath();
  errno = 0;
  const int handle =
      ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int system_error = errno;
  if (handle >= 0) {
    errno = 0;
    const bool synced = ::fsync(handle) == 0;
    system_error = errno;
    ::close(handle);
    // Some file systems cannot sync a folder at all and say so with these
    // codes; as PostgreSQL does, that is not taken for a failure.
    if (synced || system_error == EINVAL || system_error == EBADF)
      return {};
  }
  return QCoreApplication::translate(
             "FileStore",
             "Файл «%1» записан, но папка не сброшена на диск: %2. При сбое питания "
             "может остаться прежний файл.")
      .arg(QDir::toNativeSeparators(file),
           FailureReason(FileAction::kWriteInFolder, system_error, QFileDevice::WriteError));
#else
  static_cast<void>(file);
  return {};
#endif
}
#endif

#ifdef Q_OS_WIN
const wchar_t* Wide(const QString& path) {
  return reinterpret_cast<const wchar_t*>(path.utf16());
}

// Whether a failure to put the copy in place may pass by itself: another
// program (a virus scanner, an indexer, a viewer) has the target open for a
// moment.
bool Transient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// QSaveFile renames without write-through, so a power cut may undo the
// rename, and a QTemporaryFile keeps its handle after close(), so it cannot
// be renamed at all. Here the copy is written beside the target through the
// system's own calls, flushed to the disk and closed, and put in place by a
// rename that returns once it is on the disk. A copy that is not put in place
// is deleted.
bool WriteThrough(const QString& target, const Bytes& bytes, QString& reason) {
  const QString native = QDir::toNativeSeparators(target);
  QString temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = native + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8,
                                                       16, QLatin1Char('0'));
    ClearSystemError();
    handle = ::CreateFileW(Wide(LongPathSafe(temporary)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
      break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    reason = FailureReason(FileAction::kWriteInFolder, LastSystemError(), QFileDevice::OpenError);
    return false;
  }
  const auto discard = [&](QFileDevice::FileError error) {
    reason = FailureReason(FileAction::kWriteInFolder, LastSystemError(), error);
    ::CloseHandle(handle);
    ::DeleteFileW(Wide(LongPathSafe(temporary)));
    return false;
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
    DWORD written = 0;
    ClearSystemError();
    if (!::WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return discard(QFileDevice::WriteError);
    done += written;
  }
  ClearSystemError();
  if (!::FlushFileBuffers(handle))
    return discard(QFileDevice::WriteError);
  ::CloseHandle(handle);

  // A program that holds the target open for a moment is waited for, a
  // little over half a second at most.
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(Wide(LongPathSafe(temporary)), Wide(LongPathSafe(native)),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      reason.clear();
      return true;
    }
    error = ::GetLastError();
    if (!Transient(error) || attempt == 5)
      break;
    ::Sleep(20u << attempt);
  }
  ::DeleteFileW(Wide(LongPathSafe(temporary)));
  // A file that may be written but cannot be replaced is held by a program:
  // the game itself, while it runs.
  const QFileInfo info(target);
  const bool held = error == ERROR_ACCESS_DENIED && info.exists() && info.isWritable();
  reason = FailureReason(FileAction::kReplaceFile, held ? EBUSY : SystemErrorOfWindowsError(error),
                         QFileDevice::RenameError);
  return false;
}
#endif

}  // namespace

bool QtFileStore::ReadText(const QString& path, const TextReadRules& rules, QByteArray& out,
                           QString& reason) {
  out.clear();
  if (ReadTextInto(path, rules, out, reason))
    return true;
  out.clear();
  return false;
}

bool QtFileStore::ReadAll(const QString& path, Bytes& out, QString& reason) {
  if (ReadInto(path, out, reason))
    return true;
  out.clear();
  return false;
}

bool QtFileStore::WriteAll(const QString& path, const Bytes& bytes, QString& reason) {
  const std::optional<QString> resolved = FollowLinks(path);
  if (!resolved) {
#ifdef ELOOP
    reason = FailureReason(FileAction::kWriteInFolder, ELOOP, QFileDevice::OpenError);
#else
    reason = FailureReason(FileAction::kWriteInFolder, 0, QFileDevice::OpenError);
#endif
    return false;
  }
  const QString& target = *resolved;
  const QFileInfo info(target);
  if (!NoFileOrRegularFile(info, reason))
    return false;
#ifdef Q_OS_WIN
  // A read-only file is not replaced, as on Unix (Windows itself refuses, Wine
  // does not).
  if (info.exists() && !info.isWritable()) {
    reason = FailureReason(FileAction::kReplaceFile, EACCES, QFileDevice::PermissionsError);
    return false;
  }
  return WriteThrough(target, bytes, reason);
#else
  QSaveFile file(target);
  ClearSystemError();
  if (!file.open(QIODevice::WriteOnly)) {
    const int system_error = LastSystemError();
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
  if (!Run([&] { return file.commit(); }, file, FileAction::kWriteInFolder, reason))
    return false;
  reason = SyncFolderOf(target);
  return true;
#endif
}
