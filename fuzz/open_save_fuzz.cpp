// The document's Open followed by Save As without edits, on arbitrary file
// images: the tables load from any image without a crash or a hang, every cell
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

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "memory_file_store.h"
#include "sample_image.h"
#include "table_document.h"

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

Bytes SparseImage(const std::uint8_t* data, std::size_t size) {
  InputReader input(data + 4, size - 4);
  const std::uint8_t base = input.Byte();
  const std::uint8_t fill = input.Byte();
  const std::int64_t wanted = input.AnchoredPlace();
  const std::size_t image_size = wanted < 0 ? 0 : static_cast<std::size_t>(wanted);
  Bytes image(image_size, fill);
  if (base % 2 == 1) {
    const Bytes& sample = CachedSample(fill);
    std::copy_n(sample.begin(), std::min(image_size, sample.size()), image.begin());
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
  return image;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool sparse = size >= 4 && std::memcmp(data, "TRVS", 4) == 0;
  const Bytes image = sparse ? SparseImage(data, size) : Bytes(data, data + size);

  // Open through the document, as the window does, with any size accepted.
  MemoryFileStore store;
  store.files[kSource] = image;
  TableDocument document(&store);
  QString error;
  if (document.Open(
          kSource, [] { return true; }, error) != TableDocument::Outcome::Done) {
    if (!image.empty())
      std::abort();  // only an empty file is refused
    return 0;
  }

  // Every cell of every table typed again as it shows, every tab left once,
  // then Save As.
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column) {
        const FieldRef field{table, entry, column};
        document.EditCell(field, document.CellText(field));
      }
    }
    document.CommitTable(table);
  }
  if (document.SaveAs(kCopy, nullptr, error) != TableDocument::Outcome::Done)
    std::abort();
  const Bytes& saved = store.files[kCopy];
  if (saved != image)
    Fail(image, saved);
  if (!document.Changes().empty())
    std::abort();
  return 0;
}
