#include "tables/cp1251.h"

#include <gtest/gtest.h>

#include <string>

#ifdef TREVALUNE_HAVE_ICONV
#include <iconv.h>
#endif

namespace {

#ifdef TREVALUNE_HAVE_ICONV
// The C library's converter, as an independent reference.
std::string IconvDecode(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in = bytes;
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in_ptr = in.data();
  char* out_ptr = out.data();
  size_t in_left = in.size();
  size_t out_left = out.size();
  const size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1))
    return "<invalid>";
  out.resize(out.size() - out_left);
  return out;
}

TEST(Cp1251, EveryByteDecodesAsTheCLibrarySays) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    const std::string reference = IconvDecode(one);
    if (reference == "<invalid>") {
      EXPECT_EQ(byte, 0x98) << "only 0x98 is undefined";
      EXPECT_EQ(Cp1251ToUtf8(one), "\xEF\xBF\xBD");
      continue;
    }
    EXPECT_EQ(Cp1251ToUtf8(one), reference) << "byte " << byte;
  }
}
#else
TEST(Cp1251, EveryByteDecodesAsTheCLibrarySays) {
  GTEST_SKIP() << "no iconv here to compare with";
}
#endif

TEST(Cp1251, EncodingReversesDecoding) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x98)
      continue;
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << "byte " << byte;
  }
  EXPECT_EQ(Utf8ToCp1251("Ёжик в тумане"), "\xA8\xE6\xE8\xEA \xE2 \xF2\xF3\xEC\xE0\xED\xE5");
}

TEST(Cp1251, UnknownCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD"
                         "b"),
            "a?b");                      // a CJK character
  EXPECT_EQ(Utf8ToCp1251("\xFF"), "?");  // not UTF-8 at all
  EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");  // cut short
}

}  // namespace
