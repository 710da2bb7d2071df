#include "samplegen/sample_image.h"

#include <array>
#include <stdexcept>
#include <string_view>

#include "tables/bl_table.h"
#include "tables/cp1251.h"
#include "tables/cr_table.h"
#include "tables/sp_table.h"

namespace {

// A small deterministic generator (splitmix64): the same on every platform
// and standard library, unlike the distributions of <random>.
class SampleRandom {
 public:
  // Each seed starts at a scrambled place of the sequence. Started at a
  // multiple of the step, seeds one apart ran the same sequence one draw apart;
  // the name lists, which draw a varying number of times, then often brought
  // them into step, and different seeds gave the same records.
  explicit SampleRandom(std::uint32_t seed) : state_(Mix(seed + 1ULL)) {}
  std::uint64_t Next() { return Mix(state_ += kStep); }
  std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

 private:
  static constexpr std::uint64_t kStep = 0x9E3779B97F4A7C15ULL;
  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::uint64_t state_;
};

// Syllables of invented words; none of them is taken from any game.
constexpr std::array<std::string_view, 24> kSyllables = {
    "бра", "вел", "гор", "дун", "жар", "зем", "кир", "лот", "мав", "нор", "пел", "рун",
    "сав", "тиг", "ул",  "фер", "хал", "цв",  "чер", "шан", "юр",  "яр",  "ос",  "ем"};

std::string InventWord(SampleRandom& random, int syllables) {
  std::string word;
  for (int i = 0; i < syllables; ++i)
    word += kSyllables[random.Below(kSyllables.size())];
  // Capitalise the first letter: in UTF-8 the small Cyrillic letters а..п are
  // D0 B0..D0 BF and р..я are D1 80..D1 8F; the capitals are D0 90..D0 AF.
  auto* first = reinterpret_cast<unsigned char*>(word.data());
  if (first[0] == 0xD0) {
    first[1] = static_cast<unsigned char>(first[1] - 0x20);
  } else if (first[0] == 0xD1) {
    first[0] = 0xD0;
    first[1] = static_cast<unsigned char>(first[1] + 0x20);
  }
  return word;
}

// An invented name in Windows-1251 of at most `max_bytes` bytes.
std::string InventName(SampleRandom& random, std::size_t max_bytes) {
  std::string name;
  do {
    name = InventWord(random, 1 + static_cast<int>(random.Below(3)));
    if (random.Below(4) == 0) {
      name += ' ';
      name += InventWord(random, 1 + static_cast<int>(random.Below(2)));
    }
    name = Utf8ToCp1251(name);
  } while (name.size() > max_bytes);
  return name;
}

class ImageWriter {
 public:
  explicit ImageWriter(Bytes& image) : image_(image) {}

  // Writes `names` from `offset`, each followed by a run of zero bytes, and
  // checks that the list ends before `limit`.
  void NameList(std::int32_t offset, std::int32_t limit, const std::vector<std::string>& names,
                SampleRandom& random, int max_padding) {
    auto pos = static_cast<std::size_t>(offset);
    for (const std::string& name : names) {
      for (char c : name)
        image_.at(pos++) = static_cast<std::uint8_t>(c);
      const std::size_t zeros = 1 + random.Below(static_cast<std::uint32_t>(max_padding));
      for (std::size_t i = 0; i < zeros; ++i)
        image_.at(pos++) = 0;
    }
    if (pos > static_cast<std::size_t>(limit))
      throw std::logic_error("sample name list overflows");
  }

  void RandomBytes(std::int32_t offset, std::size_t count, SampleRandom& random) {
    for (std::size_t i = 0; i < count; ++i)
      image_.at(offset + i) = random.Byte();
  }

  void Fill(std::int32_t offset, std::size_t count, std::uint8_t value) {
    for (std::size_t i = 0; i < count; ++i)
      image_.at(offset + i) = value;
  }

 private:
  Bytes& image_;
};

std::vector<std::string> InventNames(SampleRandom& random, int count, std::size_t max_bytes) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
    names.push_back(InventName(random, max_bytes));
  return names;
}

void WriteCreatures(ImageWriter& writer, Sample& sample, SampleRandom& random) {
  sample.creature_names = InventNames(random, 66, 40);
  // A long name, to show how the grid copes with one.
  sample.creature_names[7] =
      Utf8ToCp1251("Великий древний хранитель северных равнин и семи холмов за туманной рекой");
  writer.NameList(CrNamesOffset, CrNamesOffset + 8000, sample.creature_names, random, 12);
  writer.RandomBytes(CrRecordsOffset, 66 * TCrRecord::Size, random);
}

void WriteSpells(ImageWriter& writer, Sample& sample, SampleRandom& random) {
  sample.spell_names = InventNames(random, 65, 12);
  writer.NameList(SpNamesOffset, BlSharedNamesOffset, sample.spell_names, random, 3);
  writer.RandomBytes(SpRecordsOffset, 65 * SpRecordStride, random);
}

void WriteBuildings(ImageWriter& writer, Sample& sample, SampleRandom& random) {
  sample.shared_names = InventNames(random, 14, 12);
  writer.NameList(BlSharedNamesOffset, BlExtraNamesOffset, sample.shared_names, random, 2);
  sample.extra_names = InventNames(random, 6, 10);
  writer.NameList(BlExtraNamesOffset, BlNamesOffset, sample.extra_names, random, 1);
  sample.building_names = InventNames(random, 57, 30);
  writer.NameList(BlNamesOffset, BlNamesOffset + 4000, sample.building_names, random, 6);

  writer.RandomBytes(BlFirstRunOffset, BlFirstRunLength * BlRecordSize, random);
  writer.RandomBytes(BlSecondRunOffset, BlSecondRunLength * BlRecordSize, random);
  writer.RandomBytes(BlLoneRecordOffset, BlRecordSize, random);
  // The records that are not buildings get a mark of their own, so that a
  // test sees at once if one of them is ever written.
  for (int k : BlFirstRunSkip)
    writer.Fill(BlFirstRunOffset + BlRecordSize * k, BlRecordSize, 0xEE);
  for (int k : BlSecondRunSkip) {
    writer.Fill(BlSecondRunOffset + BlRecordSize * k, BlRecordSize, 0xDD);
  }
}

}  // namespace

std::uint8_t FillerByte(std::size_t offset) {
  return static_cast<std::uint8_t>((offset * 131 + 17) % 255 + 1);
}

Sample MakeSample(std::uint32_t seed) {
  Sample sample;
  sample.image.resize(ExpectedFileSize);
  for (std::size_t i = 0; i < sample.image.size(); ++i)
    sample.image[i] = FillerByte(i);
  sample.image[0] = 'M';
  sample.image[1] = 'Z';

  SampleRandom random(seed);
  ImageWriter writer(sample.image);
  WriteCreatures(writer, sample, random);
  WriteBuildings(writer, sample, random);
  WriteSpells(writer, sample, random);
  return sample;
}
