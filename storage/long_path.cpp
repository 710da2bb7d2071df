#include "storage/long_path.h"

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
  // A network path is cleaned after its two leading backslashes, which cleanPath would
  // make one slash off Windows; fromNativeSeparators would leave backslashes
  // alone there too.
  QString clean = unc ? native.mid(2) : native;
  clean = QDir::cleanPath(clean.replace(QLatin1Char('\\'), QLatin1Char('/')));
  clean.replace(QLatin1Char('/'), QLatin1Char('\\'));
  return (unc ? QLatin1String("\\\\?\\UNC\\") : QLatin1String("\\\\?\\")) + clean;
}
