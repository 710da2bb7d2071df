#include "storage/reachable_path.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "storage/failure_reason.h"

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX

bool Exists(const QByteArray& path) {
  struct stat info {};
  return ::lstat(path.constData(), &info) == 0;
}

// The entries of `folder` that Qt reads as `name`; false when the folder
// cannot be listed.
bool EntriesReadAs(const QByteArray& folder, const QString& name, QList<QByteArray>& found) {
  DIR* listing = ::opendir(folder.isEmpty() ? "/" : folder.constData());
  if (listing == nullptr)
    return false;
  while (const dirent* entry = ::readdir(listing)) {
    const QByteArray bytes(entry->d_name);
    if (QFile::decodeName(bytes) == name)
      found.append(bytes);
  }
  ::closedir(listing);
  return true;
}

// The bytes of the absolute `path`, name by name; an empty result and a
// reason when a name that did not survive decoding matches no single entry. A
// name that matches none is left as it is, to be reported missing.
QByteArray BytesOf(const QString& path, QString& failure) {
  const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QByteArray bytes;
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QString& name = names[i];
    const QByteArray as_text = bytes + '/' + QFile::encodeName(name);
    if (!name.contains(QChar::ReplacementCharacter) || Exists(as_text)) {
      bytes = as_text;
      continue;
    }
    QList<QByteArray> entries;
    const bool listed = EntriesReadAs(bytes, name, entries);
    if (!listed || entries.size() > 1) {
      // Several alike, or a folder that cannot be listed: the name itself is
      // all there is, and it does not give the bytes back.
      failure = UnreadableNameReason(i + 1 < names.size(), entries.size() > 1);
      return {};
    }
    if (entries.isEmpty())
      return QFile::encodeName(path);
    bytes += '/' + entries.front();
  }
  return bytes;
}

#endif

}  // namespace

ReachablePath::ReachablePath(const QString& path) : path_(path) {
#ifdef Q_OS_LINUX
  if (!path.contains(QChar::ReplacementCharacter))
    return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const QByteArray bytes = BytesOf(absolute, failure_);
  if (bytes.isEmpty() || bytes == QFile::encodeName(absolute))
    return;
  // O_PATH opens without reading: the read through /proc/self/fd opens the
  // file anew and meets its permissions, and a pipe is not waited on.
  descriptor_ = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
  if (descriptor_ < 0) {
    failure_ = FailureReason(FileAction::kRead, errno, QFileDevice::OpenError);
    return;
  }
  path_ = QStringLiteral("/proc/self/fd/%1").arg(descriptor_);
#endif
}

ReachablePath::~ReachablePath() {
#ifdef Q_OS_LINUX
  if (descriptor_ >= 0)
    ::close(descriptor_);
#endif
}

bool ReachablePath::Usable(QString& reason) const {
  if (failure_.isEmpty())
    return true;
  reason = failure_;
  return false;
}
