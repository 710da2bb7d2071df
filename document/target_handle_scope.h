#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "tables/target_file.h"

// Opens the one TargetHandle on an image for the length of a scope. However
// the scope is left (a return, an exception), the handle is closed again, so no
// path through the document can leave it open for the next command.
class TargetHandleScope {
 public:
  TargetHandleScope(Bytes image, bool writable) { TargetHandle.Open(std::move(image), writable); }
  // A read-only handle on bytes it borrows for the scope.
  explicit TargetHandleScope(std::span<const std::uint8_t> image) {
    TargetHandle.OpenBorrowed(image);
  }
  ~TargetHandleScope() {
    if (TargetHandle.IsOpen())
      TargetHandle.Close();
  }
  TargetHandleScope(const TargetHandleScope&) = delete;
  TargetHandleScope& operator=(const TargetHandleScope&) = delete;

  // Closes the handle and hands back the image with every write made through it.
  Bytes Close() { return TargetHandle.Close(); }
};
