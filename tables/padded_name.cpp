#include "padded_name.h"

#include <algorithm>
#include <string_view>

#include "target_file.h"

ShortName ReadPaddedName() {
  // Scanned in place rather than a byte per read: names are read by the
  // thousand at every Open.
  const std::span<const std::uint8_t> ahead = TargetHandle.Ahead();
  // The name: every non-zero byte up to the first zero byte, or to the end of
  // the file when no zero byte follows.
  const auto zero = std::find(ahead.begin(), ahead.end(), std::uint8_t{0});
  const ShortName name(std::string_view(reinterpret_cast<const char*>(ahead.data()),
                                        static_cast<std::size_t>(zero - ahead.begin())));
  // The zero run: the position stops on the first byte of the next name.
  const auto next = std::find_if(zero, ahead.end(), [](std::uint8_t byte) { return byte != 0; });
  TargetHandle.Skip(static_cast<std::size_t>(next - ahead.begin()));
  return name;
}
