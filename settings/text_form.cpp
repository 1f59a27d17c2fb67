#include "settings/text_form.h"

#include <algorithm>
#include <cstddef>

#include "core/utf.h"

namespace tessam {

namespace {

bool IsDoubleByte(unsigned codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// What text in these code pages is written in: CJK radicals, punctuation, kana
// and ideographs, Hangul syllables, compatibility ideographs, fullwidth forms.
bool IsEastAsian(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

// Latin beyond ASCII, Greek, Cyrillic, Armenian, Hebrew, Arabic (two bytes in
// UTF-8), and characters beyond U+FFFF (four bytes, a surrogate here).
bool IsTwoOrFourByteUtf8(char16_t c) { return (c >= 0x80 && c <= 0x7FF) || (c >= 0xD800 && c <= 0xDFFF); }

std::u16string FromUtf16(std::string_view bytes, bool littleEndian) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]), second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
  }
  return text;
}

}  // namespace

// The one rule for what form a file is in. Its reasons, in order:
// - A file Windows' own functions read right (UTF-16 LE with a mark, ANSI) must
//   be read exactly as they read it, or the dialog shows paths no other program
//   shows and the save rewrites the file from that misreading.
// - Marks and NUL bytes are unambiguous: text in a byte code page has no NUL,
//   while in UTF-16 every Latin letter, digit, bracket, "=" and line end has one.
// - Bytes that are not UTF-8, or only ASCII, have just one reading: ANSI. So
//   has everything when the code page is UTF-8 itself.
// - On a single-byte code page (1252), text is valid UTF-8 beyond ASCII only by
//   an unlikely chance ("Ã©"), so valid UTF-8 is UTF-8, as editors judge it.
// - On a double-byte code page a character is a lead byte (0x81 and up) and a
//   trail byte, and many pairs are also a two-byte UTF-8 sequence: GBK 涂装 is
//   CD BF D7 B0, UTF-8 "Ϳװ". The common ideographs (GB2312 level 1, leads B0 to
//   D7) read as UTF-8 only ever give such two-byte characters (U+0080..U+07FF:
//   Latin, Greek, Cyrillic, Armenian, Hebrew), which a user of these code pages
//   rarely writes, and never among ideographs; the rarer ones (leads D8 to F7)
//   add four-byte ones, beyond U+FFFF. Chinese saved as UTF-8 (Notepad's default
//   since Windows 10 1903) is three-byte sequences instead. So a UTF-8 reading
//   holding East Asian text is UTF-8; one holding two- or four-byte characters
//   without any is the code page's own text, when that reading is valid too; one
//   with neither (only symbols such as “ ” €) is UTF-8. The price: a UTF-8 file
//   holding accented Latin or emoji and no Chinese, whose bytes are also valid in
//   the code page, is read as the code page's text; and a GBK name of three or
//   more characters, rare ones among them, can still read as UTF-8 ideographs.
TextForm DetectTextForm(std::string_view bytes, const CodePage& ansi) {
  if (bytes.starts_with("\xFF\xFE")) return TextForm::kUtf16LeMarked;
  if (bytes.starts_with("\xFE\xFF")) return TextForm::kUtf16Be;
  const std::optional<std::u16string> utf8 = Utf8ToUtf16(bytes);
  if (utf8 && bytes.starts_with("\xEF\xBB\xBF")) return TextForm::kUtf8;
  std::size_t zeros[2] = {0, 0};
  for (std::size_t i = 0; i < bytes.size(); ++i) zeros[i % 2] += bytes[i] == '\0' ? 1 : 0;
  if (zeros[0] + zeros[1] > 0) return zeros[1] >= zeros[0] ? TextForm::kUtf16LeUnmarked : TextForm::kUtf16Be;

  const bool beyondAscii = std::ranges::any_of(bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (!utf8 || !beyondAscii || ansi.number == 65001) return TextForm::kAnsi;
  if (!IsDoubleByte(ansi.number)) return TextForm::kUtf8;
  const bool mojibake = std::ranges::any_of(*utf8, IsTwoOrFourByteUtf8) && std::ranges::none_of(*utf8, IsEastAsian);
  return mojibake && ansi.decode(bytes) ? TextForm::kAnsi : TextForm::kUtf8;
}

std::optional<std::u16string> DecodeText(std::string_view bytes, TextForm form, const CodePage& ansi) {
  std::optional<std::u16string> text;
  switch (form) {
    case TextForm::kAnsi: text = ansi.decode(bytes); break;
    case TextForm::kUtf8: text = Utf8ToUtf16(bytes); break;
    case TextForm::kUtf16LeMarked:
    case TextForm::kUtf16LeUnmarked:
    case TextForm::kUtf16Be: text = FromUtf16(bytes, form != TextForm::kUtf16Be); break;
  }
  if (text && text->starts_with(u'\xFEFF')) text->erase(0, 1);
  return text;
}

}  // namespace tessam
