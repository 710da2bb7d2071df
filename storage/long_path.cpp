#include "long_path.h"

#include <QDir>

namespace {

constexpr qsizetype kMaxPath = 260;

bool IsDriveAbsolute(const QString& path) {
  return path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':') &&
         path.at(2) == QLatin1Char('\\');
}

}  // namespace

QString LongPathSafe(const QString& path) {
  QString native = path;
  native.replace(QLatin1Char('/'), QLatin1Char('\\'));
  if (native.size() < kMaxPath || native.startsWith(QLatin1String("\\\\?\\")) ||
      native.startsWith(QLatin1String("\\\\.\\")))
    return native;
  const bool unc = native.startsWith(QLatin1String("\\\\"));
  if (!unc && !IsDriveAbsolute(native))
    return native;
  // cleanPath keeps a leading "//" of a network path and a drive's "C:/".
  QString clean = QDir::cleanPath(QDir::fromNativeSeparators(native));
  clean.replace(QLatin1Char('/'), QLatin1Char('\\'));
  return unc ? QLatin1String("\\\\?\\UNC\\") + clean.mid(2) : QLatin1String("\\\\?\\") + clean;
}
