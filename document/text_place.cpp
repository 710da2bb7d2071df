#include "document/text_place.h"

#include <algorithm>

TextPlace PlaceOfByte(const QByteArray& utf8, qsizetype at) {
  TextPlace place;
  at = std::clamp<qsizetype>(at, 0, utf8.size());
  for (qsizetype i = 0; i < at; ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte == '\n') {
      ++place.line;
      place.column = 1;
    } else if ((byte & 0xC0) != 0x80) {  // not the continuation of a character
      ++place.column;
    }
  }
  return place;
}
