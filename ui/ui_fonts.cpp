#include "ui_fonts.h"

#include <QFontDatabase>

QFont MakeFont(const QStringList& families, int pixelHeight, QFont::StyleHint hint, bool bold) {
  QString family = families.isEmpty() ? QString() : families.last();
  for (const QString& candidate : families) {
    if (QFontDatabase::hasFamily(candidate)) {
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
