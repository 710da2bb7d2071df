#include "tables/target_file.h"

#include <gtest/gtest.h>

#include <array>

namespace {

Bytes Numbers(int count) {
  Bytes bytes;
  for (int i = 0; i < count; ++i)
    bytes.push_back(static_cast<std::uint8_t>(i + 1));
  return bytes;
}

TEST(TargetFile, ShortReadDeliversWhatIsThereAndStopsAtTheEnd) {
  TargetFile file;
  file.Open(Numbers(10), false);
  file.SeekFromStart(8);
  std::array<std::uint8_t, 4> buffer = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(file.Read(buffer.data(), 4), 2u);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{9, 10, 0xAA, 0xAA}));
  EXPECT_EQ(file.Position(), 10);
  EXPECT_EQ(file.Read(buffer.data(), 1), 0u);
  file.SeekFromStart(1000);
  EXPECT_EQ(file.Read(buffer.data(), 1), 0u);
}

TEST(TargetFile, NegativePositionIsRefused) {
  TargetFile file;
  file.Open(Numbers(10), false);
  file.SeekFromStart(3);
  file.SeekFromStart(-1);
  EXPECT_EQ(file.Position(), 3);
  file.SeekRelative(-4);
  EXPECT_EQ(file.Position(), 3);
  file.SeekRelative(-1);
  EXPECT_EQ(file.Position(), 2);
}

TEST(TargetFile, WritesStayInsideTheFile) {
  TargetFile file;
  file.Open(Numbers(10), true);
  const std::array<std::uint8_t, 4> data = {0xF0, 0xF1, 0xF2, 0xF3};
  file.SeekFromStart(6);
  EXPECT_EQ(file.Write(data.data(), 4), 4u);
  file.SeekFromStart(8);
  EXPECT_EQ(file.Write(data.data(), 4), 0u);  // would reach past the end
  file.SeekFromStart(50);
  EXPECT_EQ(file.Write(data.data(), 1), 0u);
  const Bytes image = file.Close();
  EXPECT_EQ(image, (Bytes{1, 2, 3, 4, 5, 6, 0xF0, 0xF1, 0xF2, 0xF3}));
}

// A write that is dropped because it would grow the file still moves the
// position past it, so the next relative move or write lands where it would
// in a plain file; the image keeps its size and bytes.
TEST(TargetFile, DroppedWriteMovesThePositionLikeAPlainWrite) {
  TargetFile file;
  file.Open(Numbers(10), true);
  const std::array<std::uint8_t, 4> data = {0xF0, 0xF1, 0xF2, 0xF3};
  file.SeekFromStart(8);
  EXPECT_EQ(file.Write(data.data(), 4), 0u);
  EXPECT_EQ(file.Position(), 12);
  file.SeekRelative(-5);
  EXPECT_EQ(file.Position(), 7);
  EXPECT_EQ(file.Write(data.data(), 1), 1u);
  EXPECT_EQ(file.Position(), 8);
  EXPECT_EQ(file.Close(), (Bytes{1, 2, 3, 4, 5, 6, 7, 0xF0, 9, 10}));
}

TEST(TargetFile, ReadOnlyAndClosedHandlesWriteNothing) {
  TargetFile file;
  const std::uint8_t byte = 0xFF;
  file.Open(Numbers(4), false);
  EXPECT_EQ(file.Write(&byte, 1), 0u);
  EXPECT_EQ(file.Close(), Numbers(4));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Write(&byte, 1), 0u);
  std::uint8_t out = 0;
  EXPECT_EQ(file.Read(&out, 1), 0u);
}

}  // namespace
