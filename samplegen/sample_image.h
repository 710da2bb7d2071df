#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tables/target_file.h"

// A sample executable of exactly ExpectedFileSize bytes with every table at its
// place: invented Cyrillic names (Windows-1251), records of varied values, and
// a non-zero pattern in every other byte so that a stray write shows. The same
// seed always gives the same bytes.
struct Sample {
  Bytes image;
  // The name lists as written, in file order, Windows-1251 bytes.
  std::vector<std::string> creature_names;  // 66
  std::vector<std::string> spell_names;     // 65
  std::vector<std::string> building_names;  // 57, at BlNamesOffset
  std::vector<std::string> shared_names;    // 14, at BlSharedNamesOffset
  std::vector<std::string> extra_names;     // 6, at BlExtraNamesOffset
};

Sample MakeSample(std::uint32_t seed);

// The byte the pattern puts at `offset` outside every table.
std::uint8_t FillerByte(std::size_t offset);
