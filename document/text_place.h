#pragma once

#include <QByteArray>

// Where a byte of a UTF-8 text stands, as the user counts: line and column,
// 1 and up, the column in characters.
struct TextPlace {
  int line = 1;
  int column = 1;
};

// The place of byte `at` of `utf8`; past the end is the place just after the
// last character, before the start the text's first place.
TextPlace PlaceOfByte(const QByteArray& utf8, qsizetype at);
