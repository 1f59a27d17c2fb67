// What each form of "config.cfg" is read as, on a Chinese (936) and a Western
// (1252) system (text: as read on 936). GBK names whose bytes are also valid UTF-8 are the crux.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/code_page.h"

namespace tessam {
namespace {

constexpr TextForm kAnsi = TextForm::kAnsi, kUtf8 = TextForm::kUtf8;

TEST(TextForm, EachFormIsReadAsAPersonWouldOnEachCodePage) {
  const CodePage chinese = CodePageNumbered(936), western = CodePageNumbered(1252);
  const struct { std::string bytes; TextForm at936; std::optional<std::u16string> text; TextForm at1252; } cases[] = {
      {"", kAnsi, u"", kAnsi},
      {"[Path]\r\nPMW=D:\\a.pmw", kAnsi, u"[Path]\r\nPMW=D:\\a.pmw", kAnsi},
      // GBK that is also valid UTF-8 ("Ϳװ", "ѧУ", ...): on 936 the code page's own text.
      {"D:\\\xCD\xBF\xD7\xB0\\line1.pmw", kAnsi, u"D:\\涂装\\line1.pmw", kUtf8},
      {"\xD1\xA7\xD0\xA3\xC6\xBD\xD4\xAD\xD5\xBE\xD1\xB9\xC7\xB0\xCA\xAE\xCF\xB8\xC9\xB4\\\xD2\xBB\xD5\xBE", kAnsi,
       u"学校平原站压前十细纱\\一站", kUtf8},
      {"\xF0\xA1\xB0\xA1", kAnsi, u"稹啊", kUtf8},  // UTF-8 U+21C21, beyond U+FFFF
      {"\xC9\xCF\xB4\xCE", kAnsi, u"上次", kAnsi},  // GBK, not UTF-8
      // UTF-8 holding Chinese stays UTF-8, though also valid GBK ("娴嬭瘯"); so do symbols alone.
      {"D:\\\xE6\xB5\x8B\xE8\xAF\x95\\a", kUtf8, u"D:\\测试\\a", kUtf8},
      {"\xE7\xBA\xA6\xE7\xBF\xB0\xC2\xB7\xE5\x8F\xB2", kUtf8, u"约翰·史", kUtf8},
      {"\xE2\x80\x9Cx\xE2\x80\x9D \xE2\x82\xAC", kUtf8, u"“x” €", kUtf8},
      {"\xEF\xBB\xBF\xCD\xBF\xD7\xB0", kUtf8, u"Ϳװ", kUtf8},  // a mark decides
      {"Caf\xC3\xA9", kAnsi, u"Caf茅", kUtf8},  // the price of the rule on 936
      {"\xE2\x82\xAC\xC3\xA9", kUtf8, u"€é", kUtf8},  // but only where GBK reads it too
      {"\xEF\xBB\xBF\xFF", kAnsi, std::nullopt, kAnsi},  // a mark on broken UTF-8
      {{"\xFF\xFE[\0\xCD", 5}, TextForm::kUtf16LeMarked, u"[", TextForm::kUtf16LeMarked},
      {{"[\0P\0\x36\x6D", 6}, TextForm::kUtf16LeUnmarked, u"[P洶", TextForm::kUtf16LeUnmarked},
      {{"\0[\0P", 4}, TextForm::kUtf16Be, u"[P", TextForm::kUtf16Be},
      {"\xFE\xFF\x6D\x36", TextForm::kUtf16Be, u"洶", TextForm::kUtf16Be},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(DetectTextForm(c.bytes, chinese), c.at936);
    EXPECT_EQ(DecodeText(c.bytes, c.at936, chinese), c.text);
    EXPECT_EQ(DetectTextForm(c.bytes, western), c.at1252);
  }
  // Where UTF-8 is the code page itself, Windows reads it as ANSI.
  EXPECT_EQ(DetectTextForm("\xCD\xBF", CodePageNumbered(65001)), kAnsi);
}

}  // namespace
}  // namespace tessam
