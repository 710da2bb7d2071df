// Random editing sessions on the document, driven as the window drives it:
// typing into cells of the table on show, pastes, values set from text, tab
// switches that commit the table left, undo, redo and Save As into a memory
// store. After every step each cell must show what a plain model of the
// session says, the history must stand where the model's does, and every saved
// file must equal the source with exactly the committed fields' new bytes,
// computed from the file layout and from what each edit text means.

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "document/document_history.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"
#include "tests/support/edit_texts.h"
#include "tests/support/file_layout.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_file_store.h"
#include "tests/support/session_model.h"

namespace {

using session_model::Edit;
using session_model::EditMaker;

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
      document_.Type(field, edit.text);
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
    document_.Change(QStringLiteral("вставку"), [&](DocumentEdit& change) {
      for (const auto& [field, edit] : block) {
        if (as_values)
          change.SetText(field, edit.text);
        else
          change.Type(field, edit.text);
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
    const QString copy = Absolute(QStringLiteral("/session/copy-%1.exe").arg(++saves_));
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
  // The document keeps paths absolute; on Windows a path from the root gets
  // the drive too.
  static QString Absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
  static inline const QString kSource = Absolute(QStringLiteral("/session/HMM2PL.exe"));

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

  EditMaker<std::mt19937> edits_;
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
