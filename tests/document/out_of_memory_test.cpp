// Memory running out in the middle of an import or a change list: every
// allocation of the C++ library made while judging the file fails in turn (a
// replaced operator new is the seam). Each run either completes as it would
// with memory to spare or is refused with "недостаточно памяти", and a refused
// one changes nothing; no exception leaves the document.

#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "formats/change_list.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"
#include "tests/support/csv_issue_helpers.h"

namespace {

// The allocation that fails: the n-th from when it is armed, counting from 0;
// negative when none does.
thread_local long allocations_before_failure = -1;

}  // namespace

void* operator new(std::size_t size) {
  if (allocations_before_failure == 0) {
    allocations_before_failure = -1;
    throw std::bad_alloc();
  }
  if (allocations_before_failure > 0)
    --allocations_before_failure;
  if (void* memory = std::malloc(size == 0 ? 1 : size))
    return memory;
  throw std::bad_alloc();
}

// GCC, inlining the operator new above, takes the memory for malloc's and
// its release here for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void operator delete(void* memory) noexcept {
  std::free(memory);
}

// The library's non-throwing allocations (std::stable_sort's buffer) go
// through the same seam, so that each is released where it was allocated.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace {

std::vector<std::int32_t> AllFields(const TableDocument& document) {
  std::vector<std::int32_t> values;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column)
        values.push_back(document.ValueAfterCommit({table, entry, column}));
  return values;
}

TEST(OutOfMemory, AnImportOrAListThatRunsOutIsRefusedAndChangesNothing) {
  const Bytes image = MakeSample(3).image;
  TableDocument source;
  source.OpenImage(QStringLiteral("a.exe"), image);
  // Long fields, so that the reader's own strings are allocated too.
  source.Type({kCreatures, 2, 1}, std::string(40, ' ') + "12");
  source.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    edit.SetText({kCreatures, 4, 2}, "3000000001");
    edit.SetText({kBuildings, 1, 7}, "-1");
  });
  const QByteArray table_csv = ExportTableCsv(source, kCreatures, CsvSeparator::Semicolon);
  const QByteArray list = WriteChangeList(source);
  const QString no_memory = CsvIssueMessage(csv_problem::OutOfMemory());

  int refused_imports = 0;
  int refused_lists = 0;
  for (long failing = 0;; ++failing) {
    TableDocument imported;
    imported.OpenImage(QStringLiteral("a.exe"), image);
    TableDocument listed;
    listed.OpenImage(QStringLiteral("a.exe"), image);
    const std::vector<std::int32_t> before = AllFields(imported);

    allocations_before_failure = failing;
    const CsvIssues issues = ImportTableCsv(imported, kCreatures, table_csv);
    const bool import_failed = allocations_before_failure < 0;
    allocations_before_failure = failing;
    const ApplyResult applied = ApplyChangeList(listed, list);
    const bool list_failed = allocations_before_failure < 0;
    allocations_before_failure = -1;

    SCOPED_TRACE(failing);
    if (import_failed) {
      ASSERT_EQ(Messages(issues), QStringList{no_memory});
      EXPECT_EQ(AllFields(imported), before);
      ++refused_imports;
    } else {
      EXPECT_TRUE(issues.isEmpty());
    }
    if (list_failed) {
      ASSERT_EQ(Messages(applied.errors), QStringList{no_memory});
      EXPECT_FALSE(applied.applied);
      EXPECT_EQ(AllFields(listed), before);
      ++refused_lists;
    } else {
      EXPECT_TRUE(applied.applied);
      EXPECT_EQ(listed.Changes().size(), source.Changes().size());
    }
    if (!import_failed && !list_failed)
      break;
  }
  // Both roads allocated, and each allocation failed once.
  EXPECT_GT(refused_imports, 10);
  EXPECT_GT(refused_lists, 10);
}

}  // namespace
