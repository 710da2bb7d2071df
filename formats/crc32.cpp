#include "crc32.h"

#include <array>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TREVALUNE_CRC32_CLMUL 1
#include <immintrin.h>
#endif

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320;

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

// The register after `size` more bytes, one byte at a time.
std::uint32_t UpdateBytes(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    state = kTable[(state ^ data[i]) & 0xFF] ^ (state >> 8);
  return state;
}

#ifdef TREVALUNE_CRC32_CLMUL
// Folding with carry-less multiplication: lanes of 128 bits are carried
// forward over a distance of D bits by multiplying their low half by x^(D+32)
// and their high half by x^(D-32) modulo the polynomial (these constants, in
// this bit order and shifted by one), until one lane is left, which a Barrett
// reduction takes down to 32 bits.
#define TREVALUNE_CLMUL __attribute__((target("pclmul,sse4.1")))
#define TREVALUNE_WIDE_CLMUL __attribute__((target("pclmul,sse4.1,avx512f,avx512vl,vpclmulqdq")))

TREVALUNE_CLMUL inline __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

TREVALUNE_CLMUL inline __m128i Fold(__m128i lane, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(lane, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(lane, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

// Over 128 bits.
TREVALUNE_CLMUL inline __m128i Fold128Constants() {
  return _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
}

// Takes the last lane over the rest of the data, in steps of 16 bytes (`size`
// is a multiple of 16), and reduces it to the register.
TREVALUNE_CLMUL inline std::uint32_t Finish(__m128i x, const std::uint8_t* data, std::size_t size) {
  const __m128i k3k4 = Fold128Constants();
  for (; size >= 16; data += 16, size -= 16)
    x = Fold(x, k3k4, Load(data));

  // 128 bits to 64, then to 32 with 32 zero bits appended.
  const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(k3k4, x, 0x01));
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, mask32), k5, 0x00));

  const __m128i poly_mu = _mm_set_epi64x(0x1F7011641, 0x1DB710641);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), poly_mu, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly_mu, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x, 1));
}

// Four lanes of 128 bits, 64 bytes a step. `size` is at least 64 and a
// multiple of 16.
TREVALUNE_CLMUL std::uint32_t UpdateFolded(std::uint32_t state, const std::uint8_t* data,
                                           std::size_t size) {
  __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x2 = Load(data + 16);
  __m128i x3 = Load(data + 32);
  __m128i x4 = Load(data + 48);
  data += 64;
  size -= 64;

  const __m128i k512 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  for (; size >= 64; data += 64, size -= 64) {
    x1 = Fold(x1, k512, Load(data));
    x2 = Fold(x2, k512, Load(data + 16));
    x3 = Fold(x3, k512, Load(data + 32));
    x4 = Fold(x4, k512, Load(data + 48));
  }

  const __m128i k128 = Fold128Constants();
  x1 = Fold(x1, k128, x2);
  x1 = Fold(x1, k128, x3);
  x1 = Fold(x1, k128, x4);
  return Finish(x1, data, size);
}

TREVALUNE_WIDE_CLMUL inline __m512i Load512(const std::uint8_t* p) {
  return _mm512_loadu_si512(p);
}

// The same pair of 64-bit constants in all four lanes.
TREVALUNE_WIDE_CLMUL inline __m512i Repeat(long long high, long long low) {
  return _mm512_set_epi64(high, low, high, low, high, low, high, low);
}

// Lane `index` of `x`. The plain extract draws GCC 12's uninitialised-value
// warning from its own header; the masked form does not.
template <int index>
TREVALUNE_WIDE_CLMUL inline __m128i Lane(__m512i x) {
  return _mm512_maskz_extracti32x4_epi32(0xF, x, index);
}

TREVALUNE_WIDE_CLMUL inline __m512i Fold512(__m512i lanes, __m512i k, __m512i next) {
  const __m512i low = _mm512_clmulepi64_epi128(lanes, k, 0x00);
  const __m512i high = _mm512_clmulepi64_epi128(lanes, k, 0x11);
  return _mm512_ternarylogic_epi64(low, high, next, 0x96);  // three-way exclusive or
}

// Four registers of four lanes each, 256 bytes a step. `size` is at least 256
// and a multiple of 16.
TREVALUNE_WIDE_CLMUL std::uint32_t UpdateFoldedWide(std::uint32_t state, const std::uint8_t* data,
                                                    std::size_t size) {
  const __m512i first =
      _mm512_inserti32x4(_mm512_setzero_si512(), _mm_cvtsi32_si128(static_cast<int>(state)), 0);
  __m512i x1 = _mm512_xor_si512(Load512(data), first);
  __m512i x2 = Load512(data + 64);
  __m512i x3 = Load512(data + 128);
  __m512i x4 = Load512(data + 192);
  data += 256;
  size -= 256;

  const __m512i k2048 = Repeat(0x1322d1430, 0x11542778a);
  for (; size >= 256; data += 256, size -= 256) {
    x1 = Fold512(x1, k2048, Load512(data));
    x2 = Fold512(x2, k2048, Load512(data + 64));
    x3 = Fold512(x3, k2048, Load512(data + 128));
    x4 = Fold512(x4, k2048, Load512(data + 192));
  }

  const __m512i k512 = Repeat(0x1c6e41596, 0x154442bd4);
  x1 = Fold512(x1, k512, x2);
  x1 = Fold512(x1, k512, x3);
  x1 = Fold512(x1, k512, x4);

  // The four lanes of x1 lie 384, 256, 128 and 0 bits before its end.
  const __m512i k_lanes = _mm512_set_epi64(0, 0, 0x0ccaa009e, 0x1751997d0, 0x15a546366, 0xf1da05aa,
                                           0x174359406, 0x3db1ecdc);
  const __m512i carried = Fold512(x1, k_lanes, _mm512_setzero_si512());
  __m128i x = Lane<3>(x1);
  x = _mm_xor_si128(x, Lane<0>(carried));
  x = _mm_xor_si128(x, Lane<1>(carried));
  x = _mm_xor_si128(x, Lane<2>(carried));
  return Finish(x, data, size);
}

bool HaveClmul() {
  static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return have;
}

bool HaveWideClmul() {
  static const bool have = HaveClmul() && __builtin_cpu_supports("avx512f") &&
                           __builtin_cpu_supports("avx512vl") &&
                           __builtin_cpu_supports("vpclmulqdq");
  return have;
}
#endif

// The register after `size` more bytes.
std::uint32_t Update(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
#ifdef TREVALUNE_CRC32_CLMUL
  const std::size_t whole = size & ~std::size_t{15};
  if (whole >= 256 && HaveWideClmul()) {
    state = UpdateFoldedWide(state, data, whole);
    data += whole;
    size -= whole;
  } else if (whole >= 64 && HaveClmul()) {
    state = UpdateFolded(state, data, whole);
    data += whole;
    size -= whole;
  }
#endif
  return UpdateBytes(state, data, size);
}

// Polynomials modulo the CRC's polynomial, in its bit order (x^0 is the top
// bit), as zlib combines CRCs: a register shifted past n zero bytes is the
// register times x^(8n).
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t bit = 1u << 31; bit != 0; bit >>= 1) {
    if (a & bit)
      product ^= b;
    b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;
  }
  return product;
}

// x^(2^k) for k = 0..63.
const std::array<std::uint32_t, 64>& PowersOfX() {
  static const std::array<std::uint32_t, 64> powers = [] {
    std::array<std::uint32_t, 64> p{};
    p[0] = 1u << 30;  // x^1
    for (std::size_t k = 1; k < p.size(); ++k)
      p[k] = MultiplyModP(p[k - 1], p[k - 1]);
    return p;
  }();
  return powers;
}

// The register after `count` zero bytes.
std::uint32_t ShiftPastZeros(std::uint32_t state, std::uint64_t count) {
  const auto& powers = PowersOfX();
  for (std::size_t k = 3; count != 0 && state != 0; count >>= 1, ++k) {
    if (count & 1)
      state = MultiplyModP(powers[k % powers.size()], state);
  }
  return state;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t previous) {
  return ~Update(~previous, data.data(), data.size());
}

std::uint32_t Crc32OfChanged(std::uint32_t original_crc, std::span<const std::uint8_t> original,
                             std::span<const std::uint8_t> changed,
                             const std::vector<ByteRange>& differ) {
  // For files of one length the two CRCs differ by the CRC register, started at
  // zero, of the bytewise difference; that difference is zero outside `differ`,
  // and zeros before a range leave a zero register as it is. Each range costs a
  // shift, worth a few kilobytes of CRC, so ranges closer than that are taken
  // as one; past a few hundred, or for most of the file, the plain CRC is quicker.
  constexpr std::size_t kJoinWithin = 4096;
  constexpr std::size_t kMostSpans = 256;
  std::vector<ByteRange> spans;
  std::size_t covered = 0;
  for (const ByteRange& range : differ) {
    if (!spans.empty() && range.offset - spans.back().end() <= kJoinWithin) {
      covered += range.end() - spans.back().end();
      spans.back().size = range.end() - spans.back().offset;
    } else {
      spans.push_back(range);
      covered += range.size;
    }
    if (spans.size() > kMostSpans || covered > changed.size() / 2)
      return Crc32(changed);
  }

  std::uint32_t delta = 0;
  for (const ByteRange& span : spans) {
    const std::uint32_t piece = Update(0, original.data() + span.offset, span.size) ^
                                Update(0, changed.data() + span.offset, span.size);
    delta ^= ShiftPastZeros(piece, changed.size() - span.end());
  }
  return original_crc ^ delta;
}
