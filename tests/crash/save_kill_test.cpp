// Kills the save path at random moments and checks what is left on disk.
//
// A child process runs what Save As runs: read the current file, load the
// tables, commit edits, write the tables into the image and put the image on
// disk through the editor's file layer. The parent kills it with SIGKILL after a
// random delay. Whatever the moment, and whether the destination is new, an
// existing file or the current file itself, the source must be unchanged
// (unless it is the destination), the destination must hold its earlier
// content (or be absent) or the complete new content, and nothing may be left
// in the folder but a complete new file under a temporary name, which no later
// save trips over.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "samplegen/sample_image.h"
#include "storage/file_store.h"
#include "tables/table_set.h"
#include "tests/support/file_helpers.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_grid.h"

namespace {

// The edits every save makes: one cell in each table.
void CommitEdits(TableSet& tables) {
  MemoryGrid grid;
  FillActiveTable(kCreatures, tables, grid);
  grid.SetCellText(1, 3, "99");
  CommitActiveTable(kCreatures, tables, grid);
  FillActiveTable(kBuildings, tables, grid);
  grid.SetCellText(2, 5, "123456");
  CommitActiveTable(kBuildings, tables, grid);
  FillActiveTable(kSpells, tables, grid);
  grid.SetCellText(2, 7, "42");
  CommitActiveTable(kSpells, tables, grid);
}

// The save path, as the child runs it. Returns whether the file layer reported
// success.
bool SaveWithEdits(const QString& source, const QString& destination) {
  QtFileStore store;
  Bytes image;
  QString reason;
  if (!store.ReadAll(source, image, reason))
    return false;
  TableSet tables = LoadTables(image);
  CommitEdits(tables);
  image = SaveTables(tables, std::move(image));
  return store.WriteAll(destination, image, reason);
}

// What the save writes over.
enum class Destination { kNewFile, kExistingFile, kSourceItself };

class SaveKillTest : public ::testing::TestWithParam<Destination> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    source_ = dir_.filePath(QStringLiteral("HMM2PL.exe"));
    original_ = MakeSample(5).image;
    ASSERT_TRUE(WriteBytes(source_, original_));
    TableSet tables = LoadTables(original_);
    CommitEdits(tables);
    edited_ = SaveTables(tables, original_);
    ASSERT_NE(edited_, original_);
  }

  // Runs the save in a child and kills it after `delay`.
  void SaveAndKill(const QString& destination, std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(SaveWithEdits(source_, destination) ? 0 : 1);
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }

  // The time one whole save takes here, so that the kills spread over it.
  std::chrono::microseconds MeasureSave() {
    const QString timing = dir_.filePath(QStringLiteral("timing.exe"));
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(SaveWithEdits(source_, timing) ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QFile::remove(timing);
    return std::chrono::duration_cast<std::chrono::microseconds>(took);
  }

  // Checks the folder against its listing `before`, apart from `saved`: any
  // other file must be the one kind of leftover the file layer can leave. A
  // finished new file is given a temporary name beside an existing destination
  // and then renamed over it; a kill between the two leaves it, complete, as
  // "<destination>.XXXXXX". It trips no later save (each save picks a fresh
  // name). Removes such files and returns how many there were.
  int CheckLeftovers(const QStringList& before, const QString& saved) {
    const QString prefix = QFileInfo(saved).fileName() + QLatin1Char('.');
    int leftovers = 0;
    for (const QString& name : FolderEntries(dir_.path())) {
      if (before.contains(name) || name == QFileInfo(saved).fileName())
        continue;
      EXPECT_TRUE(name.size() == prefix.size() + 6 && name.startsWith(prefix))
          << "left " << name.toStdString();
      EXPECT_EQ(ReadBytes(dir_.filePath(name)), edited_) << "left " << name.toStdString();
      QFile::remove(dir_.filePath(name));
      ++leftovers;
    }
    return leftovers;
  }

  QTemporaryDir dir_;
  QString source_;
  Bytes original_, edited_;
};

constexpr int kKills = 100;

TEST_P(SaveKillTest, TheDestinationHoldsItsEarlierOrItsNewContent) {
  const Destination kind = GetParam();
  const QString destination = kind == Destination::kSourceItself
                                  ? source_
                                  : dir_.filePath(QStringLiteral("HMM2PL_0000BEEF.exe"));
  std::optional<Bytes> earlier;  // none: the destination does not exist
  if (kind == Destination::kExistingFile)
    earlier = MakeSample(6).image;
  if (kind == Destination::kSourceItself)
    earlier = original_;
  const auto restore = [&] {
    if (earlier) {
      ASSERT_TRUE(WriteBytes(destination, *earlier));
    } else {
      QFile::remove(destination);
    }
  };
  restore();
  const auto full = MeasureSave();
  std::mt19937 random(static_cast<std::uint32_t>(kind) + 1);
  std::uniform_int_distribution<long> delay(0, full.count() * 5 / 4);
  const QStringList before = FolderEntries(dir_.path());
  int kept_earlier = 0;
  int leftovers = 0;
  for (int i = 0; i < kKills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    SaveAndKill(destination, std::chrono::microseconds(delay(random)));
    if (destination != source_) {
      ASSERT_EQ(ReadBytes(source_), original_);
    }
    const Bytes now = ReadBytes(destination);
    const bool kept = earlier ? now == *earlier : !QFileInfo::exists(destination);
    ASSERT_TRUE(kept || now == edited_);
    kept_earlier += kept;
    const int left = CheckLeftovers(before, destination);
    if (!earlier) {
      ASSERT_EQ(left, 0) << "a new destination needs no rename";
    }
    leftovers += left;
    restore();
  }
  RecordProperty("kept_earlier", kept_earlier);
  RecordProperty("leftovers", leftovers);
  EXPECT_GT(kept_earlier, 0) << "no kill landed while a save was running";
  // A later save still succeeds.
  ASSERT_TRUE(SaveWithEdits(source_, destination));
  EXPECT_EQ(ReadBytes(destination), edited_);
}

std::string DestinationName(const ::testing::TestParamInfo<Destination>& info) {
  static const char* const kNames[] = {"NewFile", "ExistingFile", "SourceItself"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Destinations, SaveKillTest,
                         ::testing::Values(Destination::kNewFile, Destination::kExistingFile,
                                           Destination::kSourceItself),
                         DestinationName);

}  // namespace
