// UTF-8 <-> UTF-16: each sequence length's bounds, surrogate pairs at both ends, every kind of malformed input.
#include <gtest/gtest.h>

#include "core/utf.h"

namespace tessam {
namespace {

TEST(Utf, ConvertsEachWayExactly) {
  const struct { std::string utf8; std::u16string utf16; } cases[] = {
      {"", u""},
      {"A\x7F", {0x41, 0x7F}},
      {"\xC2\x80\xDF\xBF", {0x80, 0x7FF}},
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", {0x800, 0xD7FF, 0xE000, 0xFFFF}},
      {"\xF0\x90\x80\x80", {0xD800, 0xDC00}},   // U+10000
      {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},   // U+10FFFF
      {"\xF0\x9F\x98\x80" "x", {0xD83D, 0xDE00, 'x'}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
  }
  // Bytes as text: each byte the code point of its value.
  const std::uint8_t bytes[] = {0x00, 'Q', 0x7F, 0x80, 0xFF};
  EXPECT_EQ(BytesAsCodePoints(bytes), std::string("\0Q\x7F\xC2\x80\xC3\xBF", 7));
}

TEST(Utf, RefusesMalformedInput) {
  for (const char* utf8 : {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // overlong
                           "\xED\xA0\x80", "\xED\xBF\xBF",                           // encoded surrogates
                           "\xF4\x90\x80\x80", "\xFF",                               // beyond U+10FFFF
                           "\x80", "a\xE4\xB8", "\xC3(", "\xF0\x9F\x98"}) {          // stray, cut, missing
    EXPECT_EQ(Utf8ToUtf16(utf8), std::nullopt) << testing::PrintToString(std::string(utf8));
  }
  const std::u16string unpaired[] = {{0xD800}, {0xDFFF}, {'a', 0xDBFF}, {0xDC00, 0xD800},
                                     {0xD800, 'a'}, {0xD800, 0xD800, 0xDC00}};
  for (const auto& utf16 : unpaired) EXPECT_EQ(Utf16ToUtf8(utf16), std::nullopt) << utf16.size();
}

}  // namespace
}  // namespace tessam
