#include "tables/target_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

TargetFile TargetHandle;

void TargetFile::Open(Bytes image, bool writable) {
  image_ = std::move(image);
  bytes_ = image_;
  position_ = 0;
  open_ = true;
  writable_ = writable;
}

void TargetFile::OpenBorrowed(std::span<const std::uint8_t> image) {
  image_.clear();
  bytes_ = image;
  position_ = 0;
  open_ = true;
  writable_ = false;
}

Bytes TargetFile::Close() {
  open_ = false;
  writable_ = false;
  position_ = 0;
  bytes_ = {};
  return std::exchange(image_, {});
}

void TargetFile::SeekFromStart(std::int32_t offset) {
  if (open_ && offset >= 0)
    position_ = offset;
}

void TargetFile::SeekRelative(std::int32_t distance) {
  if (open_ && position_ + distance >= 0)
    position_ += distance;
}

std::size_t TargetFile::Read(void* buffer, std::size_t count) {
  const std::span<const std::uint8_t> ahead = Ahead();
  const std::size_t delivered = std::min(count, ahead.size());
  if (delivered > 0)
    std::memcpy(buffer, ahead.data(), delivered);
  position_ += static_cast<std::int64_t>(delivered);
  return delivered;
}

std::span<const std::uint8_t> TargetFile::Ahead() const {
  if (!open_ || position_ >= static_cast<std::int64_t>(bytes_.size()))
    return {};
  return bytes_.subspan(static_cast<std::size_t>(position_));
}

void TargetFile::Skip(std::size_t count) {
  position_ += static_cast<std::int64_t>(std::min(count, Ahead().size()));
}

std::size_t TargetFile::Write(const void* buffer, std::size_t count) {
  if (!open_ || !writable_)
    return 0;
  if (position_ + static_cast<std::int64_t>(count) > static_cast<std::int64_t>(image_.size())) {
    // The file never grows: a write that does not fit is dropped whole. The
    // position still moves past it as after a plain write, so that a following
    // relative move or write lands where it would in a plain file.
    position_ += static_cast<std::int64_t>(count);
    return 0;
  }
  std::memcpy(image_.data() + position_, buffer, count);
  position_ += static_cast<std::int64_t>(count);
  return count;
}
