#include "tables/padded_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tables/target_file.h"

namespace {

class PaddedNameTest : public ::testing::Test {
 protected:
  void OpenBytes(const std::string& bytes) {
    TargetHandle.Open(Bytes(bytes.begin(), bytes.end()), false);
  }
  void TearDown() override { TargetHandle.Close(); }
};

// Bytes in the file, and each read from its start: the name it gives and the
// position after it, past the run of zeros that ends the name.
struct NameReads {
  std::string bytes;
  std::vector<std::pair<std::string, int>> reads;
};

TEST_F(PaddedNameTest, ReadsNamesUpToAndPastTheirRunsOfZeros) {
  const NameReads cases[] = {
      {std::string("\x41\x62\x00\x00\x00\x43\x64\x00\x58", 9), {{"Ab", 5}, {"Cd", 8}}},
      // A single zero separator keeps the next name whole.
      {std::string("One\0Two\0\0!", 10), {{"One", 4}, {"Two", 9}}},
      // Starting on a zero gives an empty name and skips the run.
      {std::string("\0\0\0Name\0!", 9), {{"", 3}, {"Name", 8}}},
      // High bytes are name content.
      {std::string("\x80\xC0\xFF\x01\0Z", 6), {{"\x80\xC0\xFF\x01", 5}}},
      // The end of the file ends a name, and a read there gives an empty one.
      {"NoTerminator", {{"NoTerminator", 12}, {"", 12}}},
      {std::string("Tail\0\0\0", 7), {{"Tail", 7}, {"", 7}}},
  };
  for (const NameReads& c : cases) {
    OpenBytes(c.bytes);
    for (const auto& [name, position] : c.reads) {
      EXPECT_EQ(ReadPaddedName().view(), name) << "in '" << c.bytes << "'";
      EXPECT_EQ(TargetHandle.Position(), position) << "after '" << name << "'";
    }
  }
}

TEST_F(PaddedNameTest, LongNameKeepsFirst255BytesAndNextStartsAfterTheRun) {
  std::string bytes;
  for (int i = 0; i < 300; ++i)
    bytes += static_cast<char>('a' + i % 26);
  bytes += std::string(4, '\0') + "Next" + std::string(1, '\0') + "!";
  OpenBytes(bytes);
  const ShortName first = ReadPaddedName();
  EXPECT_EQ(first.size(), 255u);
  EXPECT_EQ(first.view(), bytes.substr(0, 255));
  EXPECT_EQ(ReadPaddedName().view(), "Next");
}

TEST_F(PaddedNameTest, RunOfZerosOfAnyLengthEndsOnTheNextNameOrTheEnd) {
  // Runs shorter and longer than the blocks the scan tests at once, and a
  // megabyte of them.
  std::vector<int> runs{1 << 20};
  for (int run = 1; run <= 80; ++run)
    runs.push_back(run);
  for (const int run : runs) {
    for (const std::string& next : {std::string(), std::string("C"), std::string("C\0\0\0", 4)}) {
      OpenBytes("Ab" + std::string(run, '\0') + next);
      EXPECT_EQ(ReadPaddedName().view(), "Ab");
      EXPECT_EQ(TargetHandle.Position(), 2 + run) << run << " zeros";
      EXPECT_EQ(ReadPaddedName().view(), next.substr(0, 1)) << run << " zeros";
    }
  }
}

TEST_F(PaddedNameTest, ClosedHandleGivesEmptyName) {
  TargetHandle.Close();
  EXPECT_TRUE(ReadPaddedName().empty());
}

TEST(ShortNameTest, HoldsUpTo255Bytes) {
  const std::string full(255, 'x');
  EXPECT_EQ(ShortName(full).view(), full);
  EXPECT_EQ(ShortName(full + "yz").view(), full);
}

}  // namespace
