#include "padded_name.h"

#include <gtest/gtest.h>

#include <string>

#include "target_file.h"

namespace {

class PaddedNameTest : public ::testing::Test {
 protected:
  void OpenBytes(const std::string& bytes) {
    TargetHandle.Open(Bytes(bytes.begin(), bytes.end()), false);
  }
  void TearDown() override { TargetHandle.Close(); }
};

TEST_F(PaddedNameTest, ReadsNamesSeparatedByZeroRuns) {
  OpenBytes(std::string("\x41\x62\x00\x00\x00\x43\x64\x00\x58", 9));
  EXPECT_EQ(ReadPaddedName().view(), "Ab");
  EXPECT_EQ(TargetHandle.Position(), 5);
  EXPECT_EQ(ReadPaddedName().view(), "Cd");
  EXPECT_EQ(TargetHandle.Position(), 8);
}

TEST_F(PaddedNameTest, SingleZeroSeparatorKeepsNextNameWhole) {
  OpenBytes(std::string("One\0Two\0\0!", 10));
  EXPECT_EQ(ReadPaddedName().view(), "One");
  EXPECT_EQ(ReadPaddedName().view(), "Two");
}

TEST_F(PaddedNameTest, StartingOnZeroGivesEmptyNameAndSkipsTheRun) {
  OpenBytes(std::string("\0\0\0Name\0!", 9));
  EXPECT_TRUE(ReadPaddedName().empty());
  EXPECT_EQ(TargetHandle.Position(), 3);
  EXPECT_EQ(ReadPaddedName().view(), "Name");
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

TEST_F(PaddedNameTest, HighBytesAreNameContent) {
  OpenBytes(std::string("\x80\xC0\xFF\x01\0Z", 6));
  EXPECT_EQ(ReadPaddedName().view(), "\x80\xC0\xFF\x01");
}

TEST_F(PaddedNameTest, EndsAtEndOfFile) {
  OpenBytes("NoTerminator");
  EXPECT_EQ(ReadPaddedName().view(), "NoTerminator");
  EXPECT_EQ(TargetHandle.Position(), 12);
  EXPECT_TRUE(ReadPaddedName().empty());

  OpenBytes(std::string("Tail\0\0\0", 7));
  EXPECT_EQ(ReadPaddedName().view(), "Tail");
  EXPECT_EQ(TargetHandle.Position(), 7);
  EXPECT_TRUE(ReadPaddedName().empty());
}

TEST_F(PaddedNameTest, ClosedHandleGivesEmptyName) {
  TargetHandle.Close();
  EXPECT_TRUE(ReadPaddedName().empty());
}

TEST(ShortNameTest, HoldsUpTo255Bytes) {
  const std::string full(255, 'x');
  EXPECT_EQ(ShortName(full).view(), full);
  EXPECT_EQ(ShortName(full + "yz").view(), full);
  ShortName name(full);
  name.Append('q');
  EXPECT_EQ(name.view(), full);
}

}  // namespace
