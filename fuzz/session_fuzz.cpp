// Whole editing sessions on the document, checked step by step against a plain
// model of the tables (tests/support/session_model.h): each input is a
// sequence of commands as the window gives them, on a generated sample in a
// memory store. After each command the fields it may have changed show what
// the model says, with the mark against the comparison file when one is set,
// and the history stands where the model's does; a range edit's plan and F7's
// next field are what the model works out; after a Save As the copy written
// is the model's file byte for byte; at the end of the input every cell of
// every table agrees.
//
// An input is a sequence of commands on the first sample freshly opened, each
// a code byte (modulo the length of kCodes, where each command has its share
// of the codes) followed by its arguments; a byte past the end
// reads as 0. Fields are an
// entry byte and a column byte, each modulo the table's own count. Cell texts
// come from the test texts (tests/support/edit_texts.h) seeded by two bytes,
// so that each carries the value its commit stores.
//
// One store, document and model serve every input: the first sample is opened
// again after each, which drops all the input made. So an input frees what it
// allocates, and libFuzzer has no leak to look for after it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/comparison_file.h"
#include "document/document_history.h"
#include "document/range_edit.h"
#include "document/revert_to_file.h"
#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"
#include "tables/grid_shape.h"
#include "tests/support/edit_texts.h"
#include "tests/support/memory_file_store.h"
#include "tests/support/session_model.h"

namespace {

using session_model::Text;

enum Command : std::uint8_t {
  kType,             // one keystroke or two into a cell of the table on show
  kLeaveTab,         // another tab: the table left is committed
  kUndo,             //
  kRedo,             //
  kPaste,            // a block of texts from a cell on, as one step
  kImportCsv,        // a CSV file of the table on show
  kApplyChangeList,  // a change list over any table, with one of the answers to conflicts
  kRevert,           // a block of the table on show back from the file
  kSaveAs,           // to one of two copies in the store
  kOpen,             // another sample
  kRangeEdit,        // one operation over a block of the table on show
  kCompare,          // a sample as the comparison file, or none
  kTakeValues,       // a block of the table on show from the comparison file
  kNextDifference,   // F7 or Shift+F7 from a field of any table
};

// How many of the 64 codes each command has: those a user gives most have
// most. A Save As writes and reads back the whole file, an Open reads it, and
// leaving a tab commits a whole table: each costs as much as dozens of others.
struct Share {
  Command command;
  int codes;
};
constexpr std::array<Share, 14> kShares = {{
    {kType, 24},
    {kUndo, 8},
    {kRedo, 6},
    {kLeaveTab, 4},
    {kPaste, 4},
    {kImportCsv, 3},
    {kApplyChangeList, 3},
    {kRevert, 3},
    {kSaveAs, 2},
    {kOpen, 1},
    {kRangeEdit, 3},
    {kCompare, 1},
    {kTakeValues, 1},
    {kNextDifference, 1},
}};

constexpr std::array<Command, 64> kCodes = [] {
  std::array<Command, 64> codes{};
  std::size_t next = 0;
  for (const Share& share : kShares)
    for (int k = 0; k < share.codes; ++k)
      codes.at(next++) = share.command;
  return codes;
}();

// At most this many commands an input, which keeps the executions a second
// up; the property test of edit-and-save runs sessions of hundreds of steps.
constexpr int kMaxCommands = 12;
constexpr int kSamples = 3;

class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int Below(int bound) { return Byte() % bound; }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A small generator for the test texts: splitmix32, seeded by two input bytes.
class SplitMix32 {
 public:
  explicit SplitMix32(std::uint32_t seed) : state_(seed) {}
  std::uint32_t operator()() {
    std::uint32_t z = (state_ += 0x9E3779B9u);
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
  }

 private:
  std::uint32_t state_;
};

Text CellText(InputReader& input) {
  return session_model::EditMaker<SplitMix32>(input.Word()).Make();
}

// A value as a CSV file or a change list gives it for a field of `layout`: a
// decimal number, now and then with its digits grouped or a fractional part
// of zeros as a spreadsheet writes them, or now and then text that is no
// number. A number the field cannot hold is refused, limited or wrapped as
// `handling` says.
Text FileText(InputReader& input, FieldLayout layout, OutOfRange handling) {
  const std::uint8_t kind = input.Byte();
  if (kind % 8 == 7) {
    static const char* const kNoNumbers[] = {"", "abc", "1.5", "0x", "--1", "12 3"};
    return {kNoNumbers[(kind / 8) % 6], std::nullopt};
  }
  std::int32_t value = static_cast<std::int8_t>(input.Byte());
  if (kind % 8 >= 4)
    value =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(input.Word()) << 16 | input.Word());
  else if (kind % 8 >= 2)
    value = static_cast<std::int16_t>(input.Word());
  std::string text = std::to_string(value);
  if (kind / 8 % 3 == 1) {
    text += ",000";
  } else if (kind / 8 % 3 == 2) {
    for (std::size_t at = text.size(); at > 3 && text[at - 4] != '-'; at -= 3)
      text.insert(at - 3, "\u202F");
  }
  const FieldRange range = RangeOf(layout);
  if (value >= range.low && value <= range.high)
    return {text, static_cast<std::uint32_t>(value)};
  switch (handling) {
    case OutOfRange::Refuse:
      return {text, std::nullopt};
    case OutOfRange::Limit:
      return {text, static_cast<std::uint32_t>(value < range.low ? range.low : range.high)};
    case OutOfRange::Wrap:
      break;
  }
  return {text, static_cast<std::uint32_t>(value)};
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c;
    if (c == '"')
      quoted += '"';
  }
  return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields)
    line += (line.empty() ? "" : ",") + Quoted(field);
  return line + "\r\n";
}

[[noreturn]] void Fail(const char* what, const FieldRef& field, const std::string& got,
                       const std::string& want) {
  std::fprintf(stderr, "%s: table %d entry %d column %d: \"%s\" instead of \"%s\"\n", what,
               int{field.table}, field.entry, field.column, got.c_str(), want.c_str());
  std::abort();
}

[[noreturn]] void Fail(const char* what, std::size_t got, std::size_t want) {
  std::fprintf(stderr, "%s: %zu instead of %zu\n", what, got, want);
  std::abort();
}

class Session {
 public:
  Session() {
    for (int k = 0; k < kSamples; ++k) {
      samples_[k] = MakeSample(static_cast<std::uint32_t>(k + 1)).image;
      store_.files[SamplePath(k)] = samples_[k];
    }
    // Undo and redo show the tab of the field they change, as the window does.
    QObject::connect(&document_.History(), &DocumentHistory::fieldTouched, &document_,
                     [this](const FieldRef& field) { ShowTable(field.table); });
    Open(0);
  }

  void Run(InputReader& input) {
    for (int count = 0; count < kMaxCommands && !input.AtEnd(); ++count) {
      const Command command = kCodes[input.Below(static_cast<int>(kCodes.size()))];
      if (command != kType && command != kSaveAs)
        visit_.reset();
      switch (command) {
        case kType:
          Type(input);
          break;
        case kLeaveTab:
          LeaveTab(static_cast<TableIndex>(input.Below(kTableCount)));
          break;
        case kUndo:
          document_.History().Undo();
          model_.Undo();
          break;
        case kRedo:
          document_.History().Redo();
          model_.Redo();
          break;
        case kPaste:
          Paste(input);
          break;
        case kImportCsv:
          ImportCsv(input);
          break;
        case kApplyChangeList:
          ApplyChangeList(input);
          break;
        case kRevert:
          Revert(input);
          break;
        case kSaveAs:
          SaveAs(input.Below(2));
          break;
        case kOpen:
          Open(input.Below(kSamples));
          break;
        case kRangeEdit:
          RangeEditBlock(input);
          break;
        case kCompare:
          Compare(input.Below(kSamples + 1));
          break;
        case kTakeValues:
          TakeValues(input);
          break;
        case kNextDifference:
          NextDifference(input);
          break;
      }
      CheckChanged();
    }
    CheckEverything(false);
    Open(0);
  }

 private:
  static QString SamplePath(int k) { return QStringLiteral("/fuzz/sample-%1.exe").arg(k); }
  static QString CopyPath(int k) { return QStringLiteral("/fuzz/copy-%1.exe").arg(k); }

  TableIndex Active() const { return document_.ActiveTable(); }
  FieldRef Field(InputReader& input, TableIndex table) const {
    const int entry = input.Below(EntryCount(table));
    return {table, entry, 1 + input.Below(ColCounts[table] - 1)};
  }
  // The fields of a block of up to 4 columns and 8 entries from a field on,
  // within its table.
  std::vector<FieldRef> Block(InputReader& input) const {
    const FieldRef corner = Field(input, Active());
    const std::uint8_t shape = input.Byte();
    const int columns = std::min(1 + shape % 4, ColCounts[corner.table] - corner.column);
    const int entries = std::min(1 + shape / 4 % 8, EntryCount(corner.table) - corner.entry);
    std::vector<FieldRef> fields;
    for (int e = 0; e < entries; ++e)
      for (int c = 0; c < columns; ++c)
        fields.push_back({corner.table, corner.entry + e, corner.column + c});
    return fields;
  }

  void ShowTable(TableIndex table) {
    if (table == Active())
      return;
    document_.CommitTable(Active());
    document_.SetActiveTable(table);
  }

  void Open(int k) {
    visit_.reset();
    QString error;
    if (document_.Open(SamplePath(k), nullptr, error) != TableDocument::Outcome::Done)
      std::abort();
    model_.Open(samples_[k]);
    compared_ = nullptr;
  }

  void Type(InputReader& input) {
    // Odd: more keys into the cell typed last, when nothing but a Save As came
    // since, so the visit goes on.
    const bool go_on = input.Byte() % 2 == 1 && visit_;
    const FieldRef field = go_on ? *visit_ : Field(input, Active());
    if (!go_on) {
      document_.History().EndVisit();
      model_.EndVisit();
    }
    visit_ = field;
    for (int keys = 1 + input.Below(2); keys > 0; --keys) {
      const Text text = CellText(input);
      document_.Type(field, text.text);
      model_.Type(field, text);
    }
  }

  void LeaveTab(TableIndex table) {
    document_.History().EndVisit();
    ShowTable(table);
    model_.SwitchTo(table);
  }

  void Paste(InputReader& input) {
    std::vector<std::pair<FieldRef, Text>> block;
    for (const FieldRef& field : Block(input))
      block.push_back({field, CellText(input)});
    document_.Change(QStringLiteral("вставку"), [&](DocumentEdit& edit) {
      for (const auto& [field, text] : block)
        edit.Type(field, text.text);
    });
    model_.Grouped([&] {
      for (const auto& [field, text] : block)
        model_.Paste(field, text);
    });
  }

  // Rows of distinct entries, columns of distinct captions of the table on
  // show: the file is refused as a whole when a value is no number and not
  // the cell's own text, else each value other than its cell's text goes in.
  void ImportCsv(InputReader& input) {
    const TableIndex table = Active();
    const auto handling = static_cast<OutOfRange>(input.Below(3));
    std::set<int> column_set;
    for (int k = 1 + input.Below(3); k > 0; --k)
      column_set.insert(1 + input.Below(ColCounts[table] - 1));
    std::set<int> entry_set;
    for (int k = 1 + input.Below(4); k > 0; --k)
      entry_set.insert(input.Below(EntryCount(table)));
    std::vector<std::string> header{"№"};
    for (const int column : column_set)
      header.emplace_back(HeaderCaptions[table][column]);
    std::string csv = CsvLine(header);
    std::vector<std::pair<FieldRef, Text>> values;
    bool refused = false;
    for (const int entry : entry_set) {
      std::vector<std::string> row{std::to_string(entry + 1)};
      for (const int column : column_set) {
        const FieldRef field{table, entry, column};
        const Text text = FileText(input, FieldOf(table, column), handling);
        row.push_back(text.text);
        if (text.text == model_.Shown(field))
          continue;
        if (!text.stored)
          refused = true;
        values.push_back({field, text});
      }
      csv += CsvLine(row);
    }
    CsvIssues issues;
    document_.Change(QStringLiteral("импорт таблицы"), [&](DocumentEdit&) {
      issues = ImportTableCsv(document_, table, QByteArray::fromStdString(csv), handling).errors;
    });
    if (issues.isEmpty() == refused)
      Fail("import refused", refused ? 0 : 1, refused ? 1 : 0);
    if (!refused)
      model_.Grouped([&] {
        for (const auto& [field, text] : values)
          model_.SetBits(field, *text.stored);
      });
  }

  // Rows of distinct fields of any table; "В файле" is the value after commit
  // or, now and then, another value, which is a conflict.
  void ApplyChangeList(InputReader& input) {
    const OnConflict on_conflict = static_cast<OnConflict>(input.Below(3));
    const auto handling = static_cast<OutOfRange>(input.Below(3));
    std::string csv = CsvLine({"Таблица", "№", "Столбец", "В файле", "Новое"});
    std::set<FieldRef> seen;
    std::vector<std::pair<FieldRef, Text>> values;
    std::vector<bool> conflicting;
    bool refused = false;
    bool any_conflict = false;
    for (int k = 1 + input.Below(4); k > 0; --k) {
      const FieldRef field = Field(input, static_cast<TableIndex>(input.Below(kTableCount)));
      if (!seen.insert(field).second)
        continue;
      std::string in_file = session_model::ShownBits(field, model_.BitsAfterCommit(field));
      const bool conflict = input.Below(4) == 0;
      if (conflict)
        in_file += "0";  // another number, or "00" for 0, which no value shows
      const Text text = FileText(input, FieldOf(field.table, field.column), handling);
      csv += CsvLine({std::string(TabCaptions[field.table]), std::to_string(field.entry + 1),
                      std::string(HeaderCaptions[field.table][field.column]), in_file, text.text});
      any_conflict = any_conflict || conflict;
      if (text.text == model_.Shown(field))
        continue;
      if (!text.stored)
        refused = true;
      values.push_back({field, text});
      conflicting.push_back(conflict);
    }
    refused = refused || (any_conflict && on_conflict == OnConflict::Refuse);
    ApplyResult result;
    document_.Change(QStringLiteral("применение списка изменений"), [&](DocumentEdit&) {
      result = ::ApplyChangeList(document_, QByteArray::fromStdString(csv), on_conflict, handling);
    });
    if (result.applied == refused)
      Fail("change list applied", result.applied, !refused);
    if (refused)
      return;
    model_.Grouped([&] {
      for (std::size_t k = 0; k < values.size(); ++k)
        if (!conflicting[k] || on_conflict == OnConflict::Overwrite)
          model_.SetBits(values[k].first, *values[k].second.stored);
    });
  }

  void Revert(InputReader& input) {
    const std::vector<FieldRef> fields = Block(input);
    RevertToFile(document_, fields);
    model_.Grouped([&] {
      for (const FieldRef& field : fields)
        model_.Revert(field);
    });
  }

  void SaveAs(int k) {
    QString error;
    if (document_.SaveAs(CopyPath(k), nullptr, error) != TableDocument::Outcome::Done)
      std::abort();
    const Bytes& saved = store_.files[CopyPath(k)];
    const Bytes& expected = model_.SaveAs();
    if (saved.size() != expected.size())
      Fail("saved size", saved.size(), expected.size());
    if (std::memcmp(saved.data(), expected.data(), saved.size()) != 0) {
      const auto differ = std::mismatch(saved.begin(), saved.end(), expected.begin());
      std::fprintf(stderr, "saved copy differs at offset %zu\n",
                   static_cast<std::size_t>(differ.first - saved.begin()));
      Fail("saved byte", *differ.first, *differ.second);
    }
  }

  // The number a field's bits stand for, widened as the grid shows it.
  static std::int64_t NumberOf(const FieldRef& field, std::uint32_t bits) {
    const layout::Field& place = layout::Fields(field.table)[field.column - 1];
    const int shift = 32 - 8 * place.width;
    bits = shift == 0 ? bits : bits << shift >> shift;
    if (!place.is_signed)
      return bits;
    return shift == 0 ? static_cast<std::int32_t>(bits)
                      : static_cast<std::int32_t>(bits << shift) >> shift;
  }

  // The operation worked out here from the model's values: the document's
  // plan is checked against what the model does with the same numbers.
  void RangeEditBlock(InputReader& input) {
    const std::vector<FieldRef> fields = Block(input);
    RangeEdit edit;
    edit.operation = static_cast<RangeEdit::Operation>(input.Below(5));
    const auto amount = [&] {
      const std::uint8_t kind = input.Byte();
      if (kind % 4 == 3)  // now and then past what the dialog's fields reach
        return static_cast<std::int64_t>(
                   static_cast<std::int32_t>(input.Word() << 16 | input.Word())) *
               (1 + kind / 4);
      return static_cast<std::int64_t>(static_cast<std::int16_t>(input.Word()));
    };
    edit.amount = amount();
    edit.low = amount();
    edit.high = amount();
    edit.wrap = input.Byte() % 2 == 1;

    int not_numbers = 0;
    int out_of_range = 0;
    std::vector<std::pair<FieldRef, std::uint32_t>> changes;
    for (const FieldRef& field : fields) {
      const std::optional<Text> typed = model_.Typed(field);
      if (typed && !typed->stored) {
        ++not_numbers;
        continue;
      }
      const layout::Field& place = layout::Fields(field.table)[field.column - 1];
      const int bits = 8 * place.width;
      const std::int64_t low = place.is_signed ? -(std::int64_t{1} << (bits - 1)) : 0;
      const std::int64_t high =
          place.is_signed ? (std::int64_t{1} << (bits - 1)) - 1 : (std::int64_t{1} << bits) - 1;
      const std::int64_t now = NumberOf(field, model_.BitsAfterCommit(field));
      std::int64_t result = now;
      switch (edit.operation) {
        case RangeEdit::Operation::Set:
          result = edit.amount;
          break;
        case RangeEdit::Operation::Add:
          result = now + edit.amount;
          break;
        case RangeEdit::Operation::Subtract:
          result = now - edit.amount;
          break;
        case RangeEdit::Operation::Multiply: {
          // In 128 bits, which no percentage the fuzzer gives can overflow.
          const __int128 product = static_cast<__int128>(now) * edit.amount;
          const __int128 magnitude = ((product < 0 ? -product : product) + 50) / 100;
          result = static_cast<std::int64_t>(product < 0 ? -magnitude : magnitude);
          break;
        }
        case RangeEdit::Operation::Limit:
          result = std::clamp(now, std::min(edit.low, edit.high), std::max(edit.low, edit.high));
          break;
        case RangeEdit::Operation::Formula:
          break;  // never drawn above: formulas have their own table-driven test
      }
      if (result < low || result > high) {
        ++out_of_range;
        if (!edit.wrap)
          result = std::clamp(result, low, high);
      }
      if (NumberOf(field, static_cast<std::uint32_t>(result)) != now)
        changes.push_back({field, static_cast<std::uint32_t>(result)});
    }
    const RangeEditPlan plan = PlanRangeEdit(document_, fields, edit);
    if (plan.cells != static_cast<int>(fields.size()))
      Fail("range cells", plan.cells, fields.size());
    if (plan.not_numbers != not_numbers)
      Fail("range cells not numbers", plan.not_numbers, not_numbers);
    if (plan.out_of_range != out_of_range)
      Fail("range results out of range", plan.out_of_range, out_of_range);
    if (plan.changes.size() != changes.size())
      Fail("range cells changed", plan.changes.size(), changes.size());
    CarryOut(document_, plan);
    model_.Grouped([&] {
      for (const auto& [field, bits] : changes)
        model_.SetBits(field, bits);
    });
  }

  void Compare(int k) {
    if (k == kSamples) {
      document_.Comparison().Close();
      compared_ = nullptr;
      return;
    }
    QString error;
    if (document_.Comparison().Open(SamplePath(k), nullptr, error) != TableDocument::Outcome::Done)
      std::abort();
    compared_ = &samples_[k];
    // Every mark may have changed: the next check looks at them all.
    compare_all_ = true;
  }

  void TakeValues(InputReader& input) {
    const std::vector<FieldRef> fields = Block(input);
    if (!compared_)
      return;
    std::vector<FieldValueChange> values;
    for (const FieldRef& field : fields)
      values.push_back({field, document_.Comparison().Value(field)});
    SetFieldValues(document_, QStringLiteral("значения из файла для сравнения"), values);
    model_.Grouped([&] {
      for (const FieldRef& field : fields)
        model_.SetBits(field, session_model::BitsIn(*compared_, field));
    });
  }

  bool ModelDiffers(const FieldRef& field) const {
    if (!compared_)
      return false;
    const std::optional<Text> typed = model_.Typed(field);
    if (typed && !typed->stored)
      return true;
    return NumberOf(field, model_.BitsAfterCommit(field)) !=
           NumberOf(field, session_model::BitsIn(*compared_, field));
  }

  // From a field of any table, or an entry's name cell, the model walks the
  // fields in order, wrapping around, as F7 and Shift+F7 do.
  void NextDifference(InputReader& input) {
    const TableIndex table = static_cast<TableIndex>(input.Below(kTableCount));
    FieldRef from = Field(input, table);
    const std::uint8_t how = input.Byte();
    if (how % 4 == 0)
      from.column = 0;
    const bool forward = how % 2 == 1;
    std::vector<FieldRef> order;
    for (TableIndex t = 0; t < kTableCount; ++t)
      for (int entry = 0; entry < EntryCount(t); ++entry)
        for (int column = 1; column < ColCounts[t]; ++column)
          order.push_back({t, entry, column});
    const FieldRef start = from.column == 0 ? FieldRef{from.table, from.entry, 1} : from;
    const auto at = std::find(order.begin(), order.end(), start);
    auto here = static_cast<std::ptrdiff_t>(at - order.begin());
    const auto total = static_cast<std::ptrdiff_t>(order.size());
    // A name cell stands just before its entry's first field.
    if (from.column == 0 && forward)
      here -= 1;
    std::optional<FieldRef> want;
    for (std::ptrdiff_t step = 1; step <= total && !want; ++step) {
      const FieldRef& field = order[((here + (forward ? step : -step)) % total + total) % total];
      if (ModelDiffers(field))
        want = field;
    }
    const std::optional<FieldRef> got = document_.Comparison().NextDifference(from, forward);
    if (got != want)
      Fail("next difference", got ? *got : FieldRef{}, got ? "found" : "none",
           want ? std::to_string(want->table) + "/" + std::to_string(want->entry) + "/" +
                      std::to_string(want->column)
                : "none");
  }

  void CheckField(const FieldRef& field) const {
    const std::string shown = document_.CellText(field);
    const std::string want = model_.Shown(field);
    if (shown != want)
      Fail("cell text", field, shown, want);
    if (document_.HasTypedText(field) != model_.Typed(field).has_value())
      Fail("typed text", field, document_.HasTypedText(field) ? "typed" : "not typed",
           model_.Typed(field) ? "typed" : "not typed");
    if (document_.Comparison().Differs(field) != ModelDiffers(field))
      Fail("comparison mark", field, document_.Comparison().Differs(field) ? "differs" : "same",
           ModelDiffers(field) ? "differs" : "same");
  }

  void CheckHistory() const {
    const DocumentHistory& history = document_.History();
    if (history.Index() != model_.Index())
      Fail("undo position", history.Index(), model_.Index());
    if (history.Count() != model_.Count())
      Fail("steps", history.Count(), model_.Count());
    if (history.IsClean() != model_.Clean())
      Fail("clean", history.IsClean(), model_.Clean());
    if (Active() != model_.Active())
      Fail("table on show", Active(), model_.Active());
  }

  void CheckChanged() {
    CheckHistory();
    if (std::exchange(compare_all_, false)) {
      model_.TakeChanged();
      CheckEverything(true);
      return;
    }
    for (const FieldRef& field : model_.TakeChanged())
      CheckField(field);
  }

  // Every field's value, and which cells hold typed text: the texts shown
  // come from those, and the fields that changed were checked as texts.
  // With `marks`, each field's mark against the comparison file too; a new
  // comparison file changes them all, and after that each change checks those
  // of the fields it changed.
  void CheckEverything(bool marks) const {
    const TableSet& values = document_.Committed();
    std::size_t typed = 0;
    for (TableIndex table = 0; table < kTableCount; ++table)
      for (int entry = 0; entry < EntryCount(table); ++entry)
        for (int column = 1; column < ColCounts[table]; ++column) {
          const FieldRef field{table, entry, column};
          typed += document_.HasTypedText(field) ? 1 : 0;
          const std::uint32_t bits = model_.Bits(field);
          const auto value = static_cast<std::uint32_t>(FieldValue(values, table, entry, column));
          const int width = session_model::WidthOf(field);
          const std::uint32_t mask = width == 4 ? ~0U : (1U << (8 * width)) - 1;
          if ((value & mask) != bits ||
              (marks && document_.Comparison().Differs(field) != ModelDiffers(field)))
            CheckField(field);  // says how they differ
          if ((value & mask) != bits)
            Fail("field value", value & mask, bits);
        }
    // The same cells hold typed text: as many, and each of the model's.
    for (const auto& [field, text] : model_.TypedTexts())
      CheckField(field);
    if (typed != model_.TypedTexts().size())
      Fail("cells with typed text", typed, model_.TypedTexts().size());
  }

  std::array<Bytes, kSamples> samples_;
  MemoryFileStore store_;
  TableDocument document_{&store_};
  session_model::Session model_;
  // The cell of the visit under way, if one is.
  std::optional<FieldRef> visit_;
  // The sample set as the comparison file, if one is.
  const Bytes* compared_ = nullptr;
  bool compare_all_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Session session;
  InputReader input(data, size);
  session.Run(input);
  return 0;
}
