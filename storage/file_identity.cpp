#include "storage/file_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#ifdef Q_OS_WIN
#include <windows.h>

#include "storage/long_path.h"
#else
#include <sys/stat.h>

#include "storage/reachable_path.h"
#endif

namespace {

// A file or folder as the system knows it, whatever path led to it.
struct Identity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const Identity&) const = default;
};

// The identity of what `path` names, links followed; nothing when it is not
// there or cannot be asked.
std::optional<Identity> IdentityOf(const QString& path) {
#ifdef Q_OS_WIN
  // No access asked for: a file that another program holds without sharing
  // still answers. FILE_FLAG_BACKUP_SEMANTICS opens a folder too.
  const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(LongPathSafe(path).utf16()),
                                      0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = ::GetFileInformationByHandle(handle, &information) != 0;
  ::CloseHandle(handle);
  if (!known)
    return std::nullopt;
  return Identity{information.dwVolumeSerialNumber,
                  (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
#else
  const ReachablePath reachable(path);  // also a name that is not UTF-8
  QString unused;
  if (!reachable.Usable(unused))
    return std::nullopt;
  struct stat status {};
  if (::stat(QFile::encodeName(reachable.Path()).constData(), &status) != 0)
    return std::nullopt;
  return Identity{static_cast<std::uint64_t>(status.st_dev),
                  static_cast<std::uint64_t>(status.st_ino)};
#endif
}

// Where a path leads: the nearest file or folder on its way that is there,
// and the names under it that are not there yet (none for a file that is).
struct Place {
  std::optional<Identity> nearest;
  QString rest;
  bool operator==(const Place&) const = default;
};

// How ".." is taken. The system takes it after the folder before it, link or
// not; Qt, in QFileInfo's absolute paths and the store's writes, first takes
// it away with the name before it. The two differ only past a link to a folder.
enum class Dots { kAsTheSystem, kAsQt };

Place PlaceOf(const QString& path, Dots dots) {
  QString at = dots == Dots::kAsQt
                   ? FollowLinks(path).value_or(QFileInfo(path).absoluteFilePath())
                   : (QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path);
  QStringList missing;
  for (;;) {
    if (const std::optional<Identity> identity = IdentityOf(at))
      return {identity, QDir::cleanPath(missing.join(u'/'))};
    const QFileInfo info(at);
    const QString parent = info.path();
    if (parent == at || parent.isEmpty())
      break;
    missing.prepend(info.fileName());
    at = parent;
  }
  // Not even a root to stand on: the path is all there is.
  return {std::nullopt, QDir::cleanPath(QFileInfo(path).absoluteFilePath())};
}

bool SamePlace(Place one, Place other) {
#ifdef Q_OS_WIN
  // Windows' names do not tell case.
  one.rest = one.rest.toCaseFolded();
  other.rest = other.rest.toCaseFolded();
#endif
  return one == other;
}

}  // namespace

std::optional<QString> FollowLinks(const QString& path) {
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
  return std::nullopt;
}

bool SameFile(const QString& one, const QString& other) {
  // Where the two ways of taking ".." part, either may be the one a read or
  // a write goes by: any place of one that is a place of the other is one file.
  for (const Dots one_dots : {Dots::kAsTheSystem, Dots::kAsQt})
    for (const Dots other_dots : {Dots::kAsTheSystem, Dots::kAsQt})
      if (SamePlace(PlaceOf(one, one_dots), PlaceOf(other, other_dots)))
        return true;
  return false;
}
