// Random edits in random cells of all three tables, committed and saved as the
// tab strip and Save As do: every saved file must equal the source with
// exactly the edited fields' new bytes, computed here from the file layout and
// from what each edit text means.

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
#include "../support/memory_grid.h"
#include "sample_image.h"
#include "table_set.h"

namespace {

// A cell text and the 32-bit value a commit stores for it, or nothing when
// the field keeps its value.
struct Edit {
  std::string text;
  std::optional<std::uint32_t> stored;
};

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
  explicit EditSession(std::uint32_t seed)
      : edits_(seed),
        rng_(seed * 7919 + 1),
        file_(MakeSample(seed).image),
        source_(file_),
        expected_(file_),
        tables_(LoadTables(file_)) {
    FillActiveTable(active_, tables_, grid_);
  }

  void EditRandomCell() {
    const int column = 1 + static_cast<int>(rng_() % (ColCounts[active_] - 1));
    const int row = 1 + static_cast<int>(rng_() % (RowCounts[active_] - 1));
    Edit edit = edits_.Make();
    grid_.SetCellText(column, row, edit.text);
    pending_[{column, row}] = edit.stored;
    ++edit_count_;
  }

  void SwitchTab() {
    const auto next = static_cast<TableIndex>((active_ + 1 + rng_() % 2) % kTableCount);
    CommitActiveTable(active_, tables_, grid_);
    ApplyPending();
    active_ = next;
    FillActiveTable(active_, tables_, grid_);
    ExpectGridShowsExpectedValues();
  }

  void SaveAs() {
    CommitActiveTable(active_, tables_, grid_);
    ApplyPending();
    const Bytes saved = SaveTables(tables_, file_);
    ASSERT_EQ(saved, expected_) << DescribeDifferences(saved, expected_);
    file_ = saved;  // the copy becomes the current file
  }

  std::size_t ChangedBytes() const { return DifferingOffsets(source_, file_).size(); }
  int EditCount() const { return edit_count_; }

 private:
  // What the commit of the active tab stores, put into the expected file.
  void ApplyPending() {
    for (const auto& [cell, stored] : pending_) {
      if (!stored)
        continue;
      const auto [column, row] = cell;
      const layout::Field field = layout::Fields(active_)[column - 1];
      const std::size_t at = layout::RecordOffset(active_, row - 1) + field.offset;
      for (int i = 0; i < field.width; ++i)
        expected_.at(at + i) = static_cast<std::uint8_t>(*stored >> (8 * i));
    }
    pending_.clear();
  }

  void ExpectGridShowsExpectedValues() {
    for (int row = 1; row < RowCounts[active_]; ++row) {
      for (int column = 1; column < ColCounts[active_]; ++column) {
        const layout::Field field = layout::Fields(active_)[column - 1];
        const std::size_t at = layout::RecordOffset(active_, row - 1) + field.offset;
        ASSERT_EQ(grid_.CellText(column, row), layout::ShownText(expected_, at, field))
            << "table " << int{active_} << " column " << column << " row " << row;
      }
    }
  }

  EditMaker edits_;
  std::mt19937 rng_;
  Bytes file_;
  const Bytes source_;
  Bytes expected_;
  TableSet tables_;
  MemoryGrid grid_;
  TableIndex active_ = kCreatures;
  std::map<std::pair<int, int>, std::optional<std::uint32_t>> pending_;
  int edit_count_ = 0;
};

constexpr int kSeeds = 10;
constexpr int kSteps = 500;

TEST(EditAndSaveProperty, SavedFileDiffersOnlyInTheEditedFieldsBytes) {
  for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    EditSession session(seed);
    std::mt19937 steps(seed);
    for (int step = 0; step < kSteps; ++step) {
      const auto roll = steps() % 100;
      if (roll < 80) {
        session.EditRandomCell();
      } else if (roll < 97) {
        session.SwitchTab();
      } else {
        session.SaveAs();
      }
      if (::testing::Test::HasFatalFailure())
        return;
    }
    session.SaveAs();
    if (::testing::Test::HasFatalFailure())
      return;
    EXPECT_GT(session.ChangedBytes(), 0u);
    EXPECT_GT(session.EditCount(), kSteps / 2);
  }
}

}  // namespace
