#pragma once

#include <string>
#include <string_view>

// Windows-1251, the code page of every name in the executable.

// Decodes Windows-1251 bytes to UTF-8. Every byte value has a meaning except
// 0x98, which the code page leaves undefined; it becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);

// Encodes UTF-8 text in Windows-1251. A character the code page lacks, or a
// malformed sequence, becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);
