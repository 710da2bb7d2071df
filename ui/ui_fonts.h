#pragma once

#include <QFont>
#include <QStringList>

// A font by its character height in pixels, in the first of `families` that
// this system has; where none is there, the last one and the style hint stand
// in (DejaVu has the Cyrillic letters). Picking the family here, once, spares
// the font matcher a search for fallbacks of a face that is missing.
QFont MakeFont(const QStringList& families, int pixelHeight, QFont::StyleHint hint,
               bool bold = false);
