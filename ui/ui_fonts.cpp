#include "ui/ui_fonts.h"

#include <QFontDatabase>

namespace {

// Whether the system has a font of this family by that very name. Asked of
// the list of families, not of QFontDatabase::hasFamily: that one first asks
// the system's font configuration what the name stands for, which costs more
// than all the rest of the start-up's font work together, and it takes a
// stand-in for the family itself.
bool SystemHasFamily(const QString& family) {
  static const QStringList installed = QFontDatabase::families();
  return installed.contains(family, Qt::CaseInsensitive);
}

}  // namespace

QFont MakeFont(const QStringList& families, int pixelHeight, QFont::StyleHint hint, bool bold) {
  QString family = families.isEmpty() ? QString() : families.last();
  for (const QString& candidate : families) {
    if (SystemHasFamily(candidate)) {
      family = candidate;
      break;
    }
  }
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}
