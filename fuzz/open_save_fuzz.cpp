// The document's Open followed by Save As without edits, on arbitrary file
// images: the tables load from any image without a crash or a hang, a cell
// typed again as it shows changes nothing, and the saved copy is the image
// byte for byte, with its size.
//
// An input is either the file image itself (small files), or, when it starts
// with "TRVS", a description of a sparse image of any size up to a little past
// the supported size:
//   byte 4     base: even = every byte the fill byte, odd = a generated sample
//              (cut or padded with the fill byte to the size)
//   byte 5     the fill byte; its low two bits also pick the sample's seed
//   byte 6     size: an anchor (index into kAnchors, modulo its length)
//   bytes 7-8  plus a signed 16-bit distance, little-endian
//   then patches, up to the end of the input, each:
//              anchor byte, signed 16-bit distance, length byte, that many bytes
// Anchors are the places where the tables lie, so that small inputs reach them.
//
// Every table is committed once, and a commit reads every cell of its table
// as text and parses it back, so each field goes through its text either way.
// Typing keeps the texts apart from the fields until the commit; a few cells
// of each table, picked by a hash of the input, are typed again, and an input
// that is a whole file of the supported size has all of them typed again.
//
// One store and one document serve every input: Open drops all that the
// previous file left, and the image is built in the store's own buffer, so no
// input allocates or copies the 1.2 MB image more than the document does.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "document/table_document.h"
#include "samplegen/sample_image.h"
#include "tests/support/memory_file_store.h"

namespace {

const QString kSource = QStringLiteral("/fuzz/HMM2PL.exe");
const QString kCopy = QStringLiteral("/fuzz/copy.exe");

constexpr std::array<std::int64_t, 12> kAnchors = {
    0,
    CrRecordsOffset,
    SpRecordsOffset,
    BlSecondRunOffset,
    BlFirstRunOffset,
    CrNamesOffset,
    SpNamesOffset,
    BlSharedNamesOffset,
    BlExtraNamesOffset,
    BlNamesOffset,
    BlLoneRecordOffset,
    ExpectedFileSize,
};

class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int64_t AnchoredPlace() {
    const std::int64_t anchor = kAnchors[Byte() % kAnchors.size()];
    const auto low = Byte();
    const auto high = Byte();
    return anchor + static_cast<std::int16_t>(low | (high << 8));
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

const Bytes& CachedSample(std::uint32_t seed) {
  static std::array<std::optional<Bytes>, 4> samples;
  auto& sample = samples[seed % samples.size()];
  if (!sample)
    sample = MakeSample(seed % samples.size()).image;
  return *sample;
}

// Builds the image that a "TRVS" input describes into `image`, reusing its
// storage.
void BuildSparseImage(const std::uint8_t* data, std::size_t size, Bytes& image) {
  InputReader input(data + 4, size - 4);
  const std::uint8_t base = input.Byte();
  const std::uint8_t fill = input.Byte();
  const std::int64_t wanted = input.AnchoredPlace();
  const std::size_t image_size = wanted < 0 ? 0 : static_cast<std::size_t>(wanted);
  image.assign(image_size, fill);
  if (base % 2 == 1) {
    const Bytes& sample = CachedSample(fill);
    const std::size_t copied = std::min(image_size, sample.size());
    if (copied > 0)
      std::memcpy(image.data(), sample.data(), copied);  // memcpy is the sanitizer's fast copy
  }
  while (!input.AtEnd()) {
    std::int64_t place = input.AnchoredPlace();
    const std::uint8_t length = input.Byte();
    for (int i = 0; i < length && !input.AtEnd(); ++i, ++place) {
      const std::uint8_t byte = input.Byte();
      if (place >= 0 && place < static_cast<std::int64_t>(image.size()))
        image[static_cast<std::size_t>(place)] = byte;
    }
  }
}

// Picks the cells typed again: a small generator seeded by a hash of the
// input, so that an input always picks the same cells.
class CellPicker {
 public:
  CellPicker(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i)
      hash = (hash ^ data[i]) * 0x100000001B3u;
    state_ = hash;
  }
  // A number below `bound` (splitmix64).
  int Below(int bound) {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return static_cast<int>(z % static_cast<std::uint64_t>(bound));
  }
  // Any field of any table, each as likely.
  FieldRef Field() {
    int cells = 0;
    for (TableIndex table = 0; table < kTableCount; ++table)
      cells += EntryCount(table) * (ColCounts[table] - 1);
    int cell = Below(cells);
    for (TableIndex table = 0;; ++table) {
      const int columns = ColCounts[table] - 1;
      if (cell < EntryCount(table) * columns)
        return {table, cell / columns, 1 + cell % columns};
      cell -= EntryCount(table) * columns;
    }
  }

 private:
  std::uint64_t state_ = 0;
};

// Cells typed again, at most, over all the tables.
constexpr int kRetypedCells = 16;

void Retype(TableDocument& document, const FieldRef& field) {
  document.Type(field, document.CellText(field));
}

[[noreturn]] void Fail(const Bytes& image, const Bytes& saved) {
  std::fprintf(stderr, "Save As without edits changed a file of %zu bytes: now %zu bytes\n",
               image.size(), saved.size());
  for (std::size_t i = 0, shown = 0; i < image.size() && i < saved.size() && shown < 16; ++i) {
    if (image[i] != saved[i]) {
      std::fprintf(stderr, "  offset %zu: %02X -> %02X\n", i, image[i], saved[i]);
      ++shown;
    }
  }
  std::abort();
}

struct Fixture {
  MemoryFileStore store;
  TableDocument document{&store};
  Bytes& image = store.files[kSource];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  TableDocument& document = fixture.document;
  const Bytes& image = fixture.image;
  const bool sparse = size >= 4 && std::memcmp(data, "TRVS", 4) == 0;
  if (sparse)
    BuildSparseImage(data, size, fixture.image);
  else
    fixture.image.assign(data, data + size);

  // Open through the document, as the window does, with any size accepted.
  QString error;
  if (document.Open(
          kSource, [] { return true; }, error) != TableDocument::Outcome::Done) {
    if (!image.empty())
      std::abort();  // only an empty file is refused
    return 0;
  }

  // Cells typed again as they show, every tab left once, then Save As.
  const bool every_cell = !sparse && size == ExpectedFileSize;
  CellPicker picker(data, size);
  std::array<FieldRef, kRetypedCells> picked;
  const int picked_count = picker.Below(kRetypedCells + 1);
  for (int k = 0; k < picked_count; ++k)
    picked[k] = picker.Field();
  for (TableIndex table = 0; table < kTableCount; ++table) {
    if (every_cell) {
      for (int entry = 0; entry < EntryCount(table); ++entry) {
        for (int column = 1; column < ColCounts[table]; ++column)
          Retype(document, {table, entry, column});
      }
    }
    for (int k = 0; k < picked_count; ++k) {
      if (picked[k].table == table)
        Retype(document, picked[k]);
    }
    document.CommitTable(table);
  }
  if (document.SaveAs(kCopy, nullptr, error) != TableDocument::Outcome::Done)
    std::abort();
  const Bytes& saved = fixture.store.files[kCopy];
  if (saved != image)
    Fail(image, saved);
  if (!document.Changes().empty())
    std::abort();
  return 0;
}
