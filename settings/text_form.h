#pragma once
// The forms a hand-edited "config.cfg" comes in, which of them Windows'
// private-profile functions read, and the file's text in each.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessam {

// The system's ANSI code page: its number (936, 1252, ...) and a strict
// decoder that gives nothing for bytes that are not text in it.
struct CodePage {
  unsigned number = 0;
  std::function<std::optional<std::u16string>(std::string_view)> decode;
};

// Windows' private-profile functions read and write an ANSI file and a UTF-16
// LE file with a byte-order mark. They take any other file for ANSI: a UTF-8
// mark hides the first section, UTF-8 without one comes out garbled. Editors
// save those forms too (Notepad: UTF-8 without a mark by default since Windows
// 10 1903, UTF-8 with one, UTF-16 BE), and a UTF-16 file can lose its mark.
enum class TextForm {
  kAnsi,             // text in the system's code page (and whatever is not another form)
  kUtf16LeMarked,    // FF FE
  kUtf16LeUnmarked,  // NUL bytes, most of them at odd offsets
  kUtf16Be,          // FE FF, or NUL bytes, most of them at even offsets
  kUtf8,             // EF BB BF, or UTF-8 judged not to be ANSI (see DetectTextForm)
};

TextForm DetectTextForm(std::string_view bytes, const CodePage& ansi);

inline bool ProfileFunctionsRead(TextForm form) {
  return form == TextForm::kAnsi || form == TextForm::kUtf16LeMarked;
}

// The file's text without its byte-order mark (an odd last byte of UTF-16 is
// dropped); nothing for bytes that do not decode exactly in their form, so
// that nothing is rewritten from a guess.
std::optional<std::u16string> DecodeText(std::string_view bytes, TextForm form, const CodePage& ansi);

}  // namespace tessam
