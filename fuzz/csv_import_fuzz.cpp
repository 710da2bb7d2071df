// CSV import and change-list apply on arbitrary text, into a document holding
// a generated sample: no crash and no hang, and input that is refused changes
// nothing. The first byte picks the table and whether a name mismatch is
// allowed; the rest is the CSV.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"

namespace {

const Bytes& SampleImage() {
  static const Bytes image = MakeSample(5).image;
  return image;
}

// Every field's value after commit, in order: what "nothing changed" compares.
std::vector<std::int32_t> AllFields(const TableDocument& document) {
  std::vector<std::int32_t> values;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column)
        values.push_back(document.ValueAfterCommit({table, entry, column}));
    }
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::uint8_t choice = data[0];
  const QByteArrayView csv(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));

  TableDocument document;
  document.OpenImage(QStringLiteral("/fuzz/HMM2PL.exe"), SampleImage());
  const std::vector<std::int32_t> before = AllFields(document);

  const auto table = static_cast<TableIndex>(choice % kTableCount);
  if (!ImportTableCsv(document, table, csv, (choice & 0x10) != 0).isEmpty() &&
      AllFields(document) != before)
    std::abort();  // a refused import changed a field

  TableDocument other;
  other.OpenImage(QStringLiteral("/fuzz/HMM2PL.exe"), SampleImage());
  const ApplyResult result = ApplyChangeList(other, csv, (choice & 0x20) != 0);
  if (!result.applied && AllFields(other) != before)
    std::abort();  // a refused change list changed a field
  return 0;
}
