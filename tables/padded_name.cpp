#include "tables/padded_name.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "tables/target_file.h"

namespace {

// The first byte from `at` on that is not zero, or `end`. A file cut short or
// padded may hold zero bytes by the megabyte, so they are tested four words at
// a time.
const std::uint8_t* SkipZeros(const std::uint8_t* at, const std::uint8_t* end) {
  constexpr std::size_t kBlock = 4 * sizeof(std::uint64_t);
  while (static_cast<std::size_t>(end - at) >= kBlock) {
    std::array<std::uint64_t, 4> words;
    std::memcpy(words.data(), at, kBlock);
    if ((words[0] | words[1] | words[2] | words[3]) != 0)
      break;
    at += kBlock;
  }
  while (at != end && *at == 0)
    ++at;
  return at;
}

}  // namespace

ShortName ReadPaddedName() {
  // Scanned in place rather than a byte per read: names are read by the
  // thousand at every Open.
  const std::span<const std::uint8_t> ahead = TargetHandle.Ahead();
  // The name: every non-zero byte up to the first zero byte, or to the end of
  // the file when no zero byte follows.
  const void* zero_byte = ahead.empty() ? nullptr : std::memchr(ahead.data(), 0, ahead.size());
  const std::size_t length =
      zero_byte
          ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero_byte) - ahead.data())
          : ahead.size();
  const ShortName name(std::string_view(reinterpret_cast<const char*>(ahead.data()), length));
  // The zero run: the position stops on the first byte of the next name.
  const std::uint8_t* next = SkipZeros(ahead.data() + length, ahead.data() + ahead.size());
  TargetHandle.Skip(static_cast<std::size_t>(next - ahead.data()));
  return name;
}
