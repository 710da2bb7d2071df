// Kills the save path at random moments and checks what is left on disk.
//
// A child process runs what Save As runs: read the current file, load the
// tables, commit edits, write the tables into the image and put the image on
// disk through the editor's file layer. The parent kills it with SIGKILL after a
// random delay. Whatever the moment, the source must be unchanged, the
// destination must hold its earlier content (or be absent) or the complete new
// content, and nothing may be left in the folder but a complete new file under
// a temporary name, which no later save trips over.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "file_store.h"
#include "sample_image.h"
#include "table_set.h"

namespace {

namespace fs = std::filesystem;

Bytes ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> FolderListing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

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
bool SaveWithEdits(const fs::path& source, const fs::path& destination) {
  QtFileStore store;
  Bytes image;
  QString reason;
  if (!store.ReadAll(QString::fromStdString(source.string()), image, reason))
    return false;
  TableSet tables = LoadTables(image);
  CommitEdits(tables);
  image = SaveTables(tables, std::move(image));
  return store.WriteAll(QString::fromStdString(destination.string()), image, reason);
}

class SaveKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("trevalune-kill-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    source_ = folder_ / "HMM2PL.exe";
    destination_ = folder_ / "HMM2PL_0000BEEF.exe";
    original_ = MakeSample(5).image;
    WriteFileBytes(source_, original_);
    TableSet tables = LoadTables(original_);
    CommitEdits(tables);
    edited_ = SaveTables(tables, original_);
    ASSERT_NE(edited_, original_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the save in a child and kills it after `delay`. Returns true when the
  // child was still running when the signal came.
  bool SaveAndKill(const fs::path& destination, std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(SaveWithEdits(source_, destination) ? 0 : 1);
    std::this_thread::sleep_for(delay);
    const bool killed = ::kill(child, SIGKILL) == 0 && ::waitpid(child, nullptr, WNOHANG) == 0;
    int status = 0;
    ::waitpid(child, &status, 0);
    return killed && WIFSIGNALED(status);
  }

  // The time one whole save takes here, so that the kills spread over it.
  std::chrono::microseconds MeasureSave() {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(SaveWithEdits(source_, folder_ / "timing.exe") ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    fs::remove(folder_ / "timing.exe");
    return std::chrono::duration_cast<std::chrono::microseconds>(took);
  }

  // Checks the folder against its listing `before`, apart from `saved`: any
  // other file must be the one kind of leftover the file layer can leave. A
  // finished new file is given a temporary name beside an existing destination
  // and then renamed over it; a kill between the two leaves it, complete, as
  // "<destination>.XXXXXX". It trips no later save (each save picks a fresh
  // name). Removes such files and returns how many there were.
  int CheckLeftovers(const std::set<std::string>& before, const fs::path& saved, int kill) {
    int leftovers = 0;
    for (const std::string& name : FolderListing(folder_)) {
      if (before.count(name) || name == saved.filename().string())
        continue;
      const std::string prefix = saved.filename().string() + ".";
      EXPECT_TRUE(name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
          << "kill " << kill << " left " << name;
      EXPECT_EQ(ReadFileBytes(folder_ / name), edited_) << "kill " << kill << " left " << name;
      fs::remove(folder_ / name);
      ++leftovers;
    }
    return leftovers;
  }

  fs::path folder_, source_, destination_;
  Bytes original_, edited_;
};

constexpr int kKills = 100;

TEST_F(SaveKillTest, ANewDestinationIsAbsentOrCompleteAndTheSourceNeverChanges) {
  const auto full = MeasureSave();
  std::mt19937 random(1);
  std::uniform_int_distribution<long> delay(0, full.count() * 5 / 4);
  const std::set<std::string> before = FolderListing(folder_);
  int interrupted = 0;
  for (int i = 0; i < kKills; ++i) {
    interrupted += SaveAndKill(destination_, std::chrono::microseconds(delay(random)));
    ASSERT_EQ(ReadFileBytes(source_), original_) << "kill " << i;
    if (fs::exists(destination_)) {
      ASSERT_EQ(ReadFileBytes(destination_), edited_) << "kill " << i;
      fs::remove(destination_);
    }
    ASSERT_EQ(CheckLeftovers(before, destination_, i), 0) << "a new destination needs no rename";
  }
  RecordProperty("interrupted", interrupted);
  EXPECT_GT(interrupted, 0) << "no kill landed while a save was running";
  // A later save still succeeds.
  ASSERT_TRUE(SaveWithEdits(source_, destination_));
  EXPECT_EQ(ReadFileBytes(destination_), edited_);
}

TEST_F(SaveKillTest, AnExistingDestinationHoldsItsOldOrItsNewContent) {
  const Bytes old_content = MakeSample(6).image;
  WriteFileBytes(destination_, old_content);
  const auto full = MeasureSave();
  std::mt19937 random(2);
  std::uniform_int_distribution<long> delay(0, full.count() * 5 / 4);
  const std::set<std::string> before = FolderListing(folder_);
  int kept_old = 0;
  int leftovers = 0;
  for (int i = 0; i < kKills; ++i) {
    SaveAndKill(destination_, std::chrono::microseconds(delay(random)));
    ASSERT_EQ(ReadFileBytes(source_), original_) << "kill " << i;
    const Bytes now = ReadFileBytes(destination_);
    ASSERT_TRUE(now == old_content || now == edited_) << "kill " << i;
    leftovers += CheckLeftovers(before, destination_, i);
    if (now == old_content)
      ++kept_old;
    else
      WriteFileBytes(destination_, old_content);
  }
  RecordProperty("kept_old", kept_old);
  RecordProperty("leftovers", leftovers);
  EXPECT_GT(kept_old, 0) << "no kill landed while a save was running";
  ASSERT_TRUE(SaveWithEdits(source_, destination_));
  EXPECT_EQ(ReadFileBytes(destination_), edited_);
}

TEST_F(SaveKillTest, SavingOverTheCurrentFileLeavesItOldOrNew) {
  const auto full = MeasureSave();
  std::mt19937 random(3);
  std::uniform_int_distribution<long> delay(0, full.count() * 5 / 4);
  const std::set<std::string> before = FolderListing(folder_);
  int leftovers = 0;
  for (int i = 0; i < kKills; ++i) {
    SaveAndKill(source_, std::chrono::microseconds(delay(random)));
    const Bytes now = ReadFileBytes(source_);
    // Saving the edits again over an edited file gives the same bytes.
    ASSERT_TRUE(now == original_ || now == edited_) << "kill " << i;
    leftovers += CheckLeftovers(before, source_, i);
    WriteFileBytes(source_, original_);
  }
  RecordProperty("leftovers", leftovers);
  ASSERT_TRUE(SaveWithEdits(source_, source_));
  EXPECT_EQ(ReadFileBytes(source_), edited_);
}

}  // namespace
