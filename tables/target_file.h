#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The size in bytes of the one executable whose tables this program knows.
inline constexpr std::uint32_t ExpectedFileSize = 1208393;

// The target file as the table loaders and writers see it: one handle with one
// file position, on which they position, read and write a few bytes at a time.
//
// The handle works on the file's bytes held in memory. Open hands it the image
// that was read from disk; the writers change the image, and the caller takes it
// back with Close and puts it on disk in one safe step. So a failed or
// interrupted save can never leave a half-written executable behind.
//
// The calls behave as the loaders and writers expect of a plain file handle:
// - a read delivers the bytes that lie between the position and the end of the
//   file, possibly fewer than asked or none, and moves the position past them;
// - a position before the start of the file is refused and the position stays;
// - a position past the end is allowed, and reads there deliver nothing.
// One rule is stricter than a plain file: the file never grows. A write that
// would reach past the end writes nothing at all, so a record that lies partly
// outside a short file is never written and the file keeps its size. The
// position still moves past the dropped bytes, as a plain write would move it.
class TargetFile {
 public:
  // Opens the handle on `image`. A read-only handle refuses every write.
  void Open(Bytes image, bool writable);
  // Opens a read-only handle on bytes it only borrows, for loaders that read
  // them in place: `image` must stay as it is until Close, which hands back
  // nothing.
  void OpenBorrowed(std::span<const std::uint8_t> image);
  // Closes the handle and hands back the image with every write made through it.
  Bytes Close();
  bool IsOpen() const { return open_; }

  void SeekFromStart(std::int32_t offset);
  void SeekRelative(std::int32_t distance);
  std::int64_t Position() const { return position_; }
  std::size_t Size() const { return bytes_.size(); }

  // Returns the number of bytes delivered or written.
  std::size_t Read(void* buffer, std::size_t count);
  // The bytes a read would deliver, from the position to the end, for a reader
  // that scans them in place and then moves on with Skip; empty when the handle
  // is closed or the position is at or past the end.
  std::span<const std::uint8_t> Ahead() const;
  // Moves the position past `count` of the bytes Ahead, as reading them would.
  void Skip(std::size_t count);
  std::size_t Write(const void* buffer, std::size_t count);

 private:
  Bytes image_;                          // the bytes the handle owns, if any
  std::span<const std::uint8_t> bytes_;  // the bytes it reads: image_'s or borrowed ones
  std::int64_t position_ = 0;
  bool open_ = false;
  bool writable_ = false;
};

// The one handle on the target file, shared by every table loader and writer.
// It is open only while the Open or the Save As command runs.
extern TargetFile TargetHandle;
