// Random editing sessions on the document, driven as the window drives it:
// typing into cells of the table on show, pastes, values set from text, tab
// switches that commit the table left, undo, redo and Save As into a memory
// store. After every step each cell must show what a plain model of the
// session says, the history must stand where the model's does, and every saved
// file must equal the source with exactly the committed fields' new bytes,
// computed from the file layout and from what each edit text means.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "../support/file_layout.h"
#include "../support/image_helpers.h"
#include "../support/memory_file_store.h"
#include "../support/session_model.h"
#include "document_history.h"
#include "sample_image.h"
#include "table_document.h"

namespace {

// A cell text and the 32-bit value a commit stores for it, or nothing when
// the field keeps its value.
using Edit = session_model::Text;

class EditMaker {
 public:
  explicit EditMaker(std::uint32_t seed) : rng_(seed) {}

  Edit Make() {
    switch (Below(6)) {
      case 0:
      case 1:
        return Decimal();
      case 2:
        return DecimalOutOfRange();
      case 3:
        return Hexadecimal();
      case 4:
        return HexadecimalTooLong();
      default:
        return Garbage();
    }
  }

 private:
  std::uint32_t Below(std::uint32_t n) { return rng_() % n; }
  std::string Spaces() { return std::string(Below(3) == 0 ? Below(3) + 1 : 0, ' '); }
  std::string Zeros() { return std::string(Below(4) == 0 ? Below(4) + 1 : 0, '0'); }

  Edit Decimal() {
    std::int64_t value = 0;
    switch (Below(3)) {
      case 0:
        value = static_cast<std::int64_t>(Below(601)) - 300;  // around the byte fields
        break;
      case 1:
        value = static_cast<std::int64_t>(Below(140001)) - 70000;  // around the 16-bit fields
        break;
      default:
        value = static_cast<std::int32_t>(rng_());
    }
    const std::uint64_t magnitude = value < 0 ? -value : value;
    std::string sign = value < 0 ? "-" : (Below(4) == 0 ? "+" : "");
    return {Spaces() + sign + Zeros() + std::to_string(magnitude),
            static_cast<std::uint32_t>(static_cast<std::int32_t>(value))};
  }

  Edit DecimalOutOfRange() {
    const bool negative = Below(2) == 0;
    // 2147483648 up to 9999999999, or a long run of digits.
    const std::uint64_t magnitude = 2147483648ULL + (static_cast<std::uint64_t>(rng_()) << 1) +
                                    (negative ? 1 : 0) + Below(1000);
    std::string digits = std::to_string(magnitude);
    if (Below(4) == 0)
      digits += std::to_string(rng_());
    return {Spaces() + (negative ? "-" : "") + digits, std::nullopt};
  }

  static std::string HexDigits(std::uint32_t bits, bool lower) {
    std::string digits;
    do {
      const int digit = static_cast<int>(bits & 0xF);
      digits.insert(digits.begin(),
                    static_cast<char>(digit < 10 ? '0' + digit : (lower ? 'a' : 'A') + digit - 10));
      bits >>= 4;
    } while (bits != 0);
    return digits;
  }

  std::string HexPrefix() {
    static const char* const kPrefixes[] = {"$", "x", "X", "0x", "0X"};
    return kPrefixes[Below(5)];
  }

  Edit Hexadecimal() {
    std::uint32_t bits = rng_();
    if (Below(2) == 0)
      bits &= 0xFFFF >> Below(16);
    const std::uint32_t sign = Below(4);
    const bool negative = sign == 0;
    const std::string text = Spaces() + (negative ? "-" : (sign == 1 ? "+" : "")) + HexPrefix() +
                             Zeros() + HexDigits(bits, Below(2) == 0);
    return {text, negative ? 0U - bits : bits};
  }

  Edit HexadecimalTooLong() {
    const std::string digits =
        HexDigits(1 + Below(15), false) + HexDigits(0x10000000U | rng_(), Below(2) == 0);
    return {Spaces() + HexPrefix() + Zeros() + digits, std::nullopt};
  }

  Edit Garbage() {
    static const char* const kTexts[] = {
        "",
        "abc",
        "12 ",
        "1 2",
        "12.5",
        "- 7",
        "$",
        "0x",
        "x",
        "+-1",
        "--1",
        "1e5",
        "\t1",
        "0xg",
        "\xD0\x90",
        "12,5",
        "0x-1",
        "$ 1F",
        "+",
        "-",
        " ",
        "00x1",
        "\xE2\x80\x89"
        "1",
        "1\n",
    };
    std::string text = kTexts[Below(sizeof kTexts / sizeof kTexts[0])];
    if (Below(3) == 0)
      text = std::to_string(static_cast<std::int32_t>(rng_())) + (Below(2) == 0 ? " " : "z");
    return {text, std::nullopt};
  }

  std::mt19937 rng_;
};

std::string DescribeDifferences(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size())
    return "size " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
  std::string text;
  int shown = 0;
  for (std::size_t offset : DifferingOffsets(got, want)) {
    if (shown++ == 8)
      break;
    text += " at " + std::to_string(offset) + ": " + std::to_string(got[offset]) + " instead of " +
            std::to_string(want[offset]) + ";";
  }
  return text;
}

class EditSession {
 public:
  explicit EditSession(std::uint32_t seed) : edits_(seed), rng_(seed * 7919 + 1) {
    store_.files[kSource] = MakeSample(seed).image;
    source_ = store_.files[kSource];
    QString error;
    EXPECT_EQ(document_.Open(kSource, nullptr, error), TableDocument::Outcome::Done);
    model_.Open(source_);
    // Undo and redo show the tab of the field they change, as the window does
    // (the table left is committed first).
    QObject::connect(&document_.History(), &DocumentHistory::fieldTouched, &document_,
                     [this](const FieldRef& field) { ShowTable(field.table); });
  }

  // One visit of a random cell of the table on show: one keystroke or two.
  void Type() {
    const FieldRef field = RandomField();
    document_.History().EndVisit();
    model_.EndVisit();
    for (int keys = 1 + Below(2); keys > 0; --keys) {
      const Edit edit = edits_.Make();
      document_.EditCell(field, edit.text);
      model_.Type(field, edit);
    }
  }

  // A block of texts from a random cell on, as one step; with `as_values`
  // each field takes its text at once, as an import does, else the texts are
  // typed into the cells, as a paste does.
  void PasteBlock(bool as_values) {
    const TableIndex table = document_.ActiveTable();
    const FieldRef corner = RandomField();
    const int columns = 1 + Below(ColCounts[table] - corner.column);
    const int entries = 1 + Below(std::min(8, EntryCount(table) - corner.entry));
    std::vector<std::pair<FieldRef, Edit>> block;
    for (int e = 0; e < entries; ++e)
      for (int c = 0; c < columns; ++c)
        block.push_back({{table, corner.entry + e, corner.column + c}, edits_.Make()});
    document_.History().Apply(QStringLiteral("вставку"), [&] {
      for (const auto& [field, edit] : block) {
        if (as_values)
          document_.SetFieldText(field, edit.text);
        else
          document_.EditCell(field, edit.text);
      }
    });
    model_.Grouped([&] {
      for (const auto& [field, edit] : block) {
        if (as_values)
          model_.SetText(field, edit);
        else
          model_.Paste(field, edit);
      }
    });
  }

  void SwitchTab() {
    const auto next =
        static_cast<TableIndex>((document_.ActiveTable() + 1 + Below(2)) % kTableCount);
    document_.History().EndVisit();
    ShowTable(next);
    model_.SwitchTo(next);
  }

  void Undo() {
    document_.History().Undo();
    model_.Undo();
  }
  void Redo() {
    document_.History().Redo();
    model_.Redo();
  }

  void SaveAs() {
    const QString copy = QStringLiteral("/session/copy-%1.exe").arg(++saves_);
    QString error;
    ASSERT_EQ(document_.SaveAs(copy, nullptr, error), TableDocument::Outcome::Done)
        << error.toStdString();
    const Bytes expected = model_.SaveAs();
    const Bytes& saved = store_.files.at(copy);
    ASSERT_EQ(saved, expected) << DescribeDifferences(saved, expected);
  }

  // Every cell of every table, the table on show and the history.
  void ExpectDocumentAsModel() const {
    ASSERT_EQ(document_.ActiveTable(), model_.Active());
    ASSERT_EQ(document_.History().Index(), model_.Index());
    ASSERT_EQ(document_.History().Count(), model_.Count());
    ASSERT_EQ(document_.History().IsClean(), model_.Clean());
    for (TableIndex table = 0; table < kTableCount; ++table)
      for (int entry = 0; entry < EntryCount(table); ++entry)
        for (int column = 1; column < ColCounts[table]; ++column) {
          const FieldRef field{table, entry, column};
          ASSERT_EQ(document_.CellText(field), model_.Shown(field))
              << "table " << int{table} << " entry " << entry << " column " << column;
          ASSERT_EQ(document_.HasTypedText(field), model_.Typed(field).has_value())
              << "table " << int{table} << " entry " << entry << " column " << column;
        }
  }

  std::size_t ChangedBytes() const { return DifferingOffsets(source_, model_.File()).size(); }

 private:
  static inline const QString kSource = QStringLiteral("/session/HMM2PL.exe");

  int Below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  FieldRef RandomField() {
    const TableIndex table = document_.ActiveTable();
    return {table, Below(EntryCount(table)), 1 + Below(ColCounts[table] - 1)};
  }
  // The window's tab switch: the table left is committed, then the other shown.
  void ShowTable(TableIndex table) {
    if (table == document_.ActiveTable())
      return;
    document_.CommitTable(document_.ActiveTable());
    document_.SetActiveTable(table);
  }

  EditMaker edits_;
  std::mt19937 rng_;
  MemoryFileStore store_;
  TableDocument document_{&store_};
  session_model::Session model_;
  Bytes source_;
  int saves_ = 0;
};

constexpr int kSeeds = 8;
constexpr int kSteps = 300;

TEST(EditAndSaveProperty, TheDocumentFollowsAPlainModelAndSavesOnlyTheEditedFieldsBytes) {
  for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    EditSession session(seed);
    std::mt19937 steps(seed);
    for (int step = 0; step < kSteps; ++step) {
      const auto roll = steps() % 100;
      if (roll < 55)
        session.Type();
      else if (roll < 62)
        session.PasteBlock(false);
      else if (roll < 67)
        session.PasteBlock(true);
      else if (roll < 77)
        session.SwitchTab();
      else if (roll < 87)
        session.Undo();
      else if (roll < 95)
        session.Redo();
      else
        session.SaveAs();
      if (!::testing::Test::HasFatalFailure())
        session.ExpectDocumentAsModel();
      if (::testing::Test::HasFatalFailure())
        return;
    }
    session.SaveAs();
    if (::testing::Test::HasFatalFailure())
      return;
    EXPECT_GT(session.ChangedBytes(), 0u);
  }
}

}  // namespace
