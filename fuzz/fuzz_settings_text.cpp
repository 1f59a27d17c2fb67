// The form rule, the decoding and the profile lookup over arbitrary bytes, on a
// double-byte and a single-byte code page. Besides the sanitizers' verdict it
// checks what the settings rely on: every form but ANSI decodes, an ASCII file
// is ANSI and reads as itself, and the file a conversion writes (UTF-16 LE with
// a mark) reads back as the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/code_page.h"
#include "settings/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tessam::CodePage pages[] = {tessam::CodePageNumbered(936), tessam::CodePageNumbered(1252)};
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // "*" first stands for a huge file: the rest, repeated to 64 KiB.
  if (size > 1 && bytes.front() == '*') {
    const std::string piece = bytes.substr(1);
    bytes.clear();
    while (bytes.size() < (std::size_t{1} << 16)) bytes += piece;
  }
  const bool ascii = std::ranges::all_of(bytes, [](unsigned char c) { return c != 0 && c < 0x80; });

  for (const tessam::CodePage& page : pages) {
    const tessam::TextForm form = tessam::DetectTextForm(bytes, page);
    const auto text = tessam::DecodeText(bytes, form, page);
    if (form != tessam::TextForm::kAnsi && !text) __builtin_trap();
    if (ascii && (form != tessam::TextForm::kAnsi || text != std::u16string(bytes.begin(), bytes.end()))) {
      __builtin_trap();
    }
    if (!text) continue;

    std::string converted = "\xFF\xFE";
    for (const char16_t unit : *text) converted += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    if (tessam::DetectTextForm(converted, page) != tessam::TextForm::kUtf16LeMarked ||
        tessam::DecodeText(converted, tessam::TextForm::kUtf16LeMarked, page) != text) {
      __builtin_trap();
    }
    // A value is one line of the text, or a part of one.
    for (const char16_t* key : {u"PMW", u"PPM", u"Password"}) {
      const std::u16string value = tessam::ProfileValue(*text, key[1] == u'a' ? u"Password" : u"Path", key);
      if (value.size() > text->size() || value.find_first_of(u"\r\n") != std::u16string::npos) __builtin_trap();
    }
  }
  return 0;
}
