// Applies arbitrary bytes as a patch to a small fixed file. Whatever comes in,
// the patch is applied or refused without a crash, a hang or a huge
// allocation; a refusal hands back no bytes; and a patch that applies gives a
// result that a BPS and an IPS patch made from the file to it give back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "formats/patch_formats.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "patch: %s\n", what);
  std::abort();
}

// The file every patch is applied to; the seed corpus was made for it.
const Bytes& Source() {
  static const Bytes source = [] {
    Bytes bytes(256);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
  }();
  return source;
}

// Results larger than this are applied but not made into patches again, which
// would only repeat the same work on more bytes.
constexpr std::size_t kRoundTripLimit = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes& source = Source();
  const PatchOutcome applied = ApplyPatch(std::span(data, size), source);
  if (!applied.ok()) {
    if (!applied.bytes.empty())
      Fail("a refused patch handed back bytes");
    return 0;
  }
  if (applied.bytes.size() > kMaxPatchedFileSize)
    Fail("a result larger than any file is read");
  if (applied.bytes.size() > kRoundTripLimit)
    return 0;
  for (PatchFormat format : {PatchFormat::kBps, PatchFormat::kIps}) {
    const PatchOutcome patch = MakePatch(format, source, applied.bytes);
    if (!patch.ok())
      Fail("no patch could be made from the file to the result");
    const PatchOutcome again = ApplyPatch(patch.bytes, source);
    if (!again.ok() || again.bytes != applied.bytes)
      Fail("a patch made from the file to the result does not give the result");
  }
  return 0;
}
