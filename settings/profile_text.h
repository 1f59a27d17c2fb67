#pragma once
// The forms a hand-edited "config.cfg" comes in, and what the settings need of
// those that Windows' private-profile functions cannot read: the text, and a
// value looked up in it as those functions would look it up.
#include <optional>
#include <string>
#include <string_view>

namespace tessam {

// Windows' private-profile functions read and write an ANSI file and a UTF-16
// LE file with a byte-order mark. They take any other file for ANSI: a UTF-8
// mark hides the first section, UTF-8 without one comes out garbled. Editors
// save those forms too (Notepad: UTF-8 without a mark by default since Windows
// 10 1903, UTF-8 with one, UTF-16 BE), and a UTF-16 file can lose its mark.
enum class TextForm {
  kAnsi,             // no NUL byte, and not UTF-8 with a character beyond ASCII
  kUtf16LeMarked,    // FF FE
  kUtf16LeUnmarked,  // NUL bytes, most of them at odd offsets
  kUtf16Be,          // FE FF, or NUL bytes, most of them at even offsets
  kUtf8,             // valid UTF-8 with a byte beyond ASCII, such as those of its mark
};

TextForm DetectTextForm(std::string_view bytes);

inline bool ProfileFunctionsRead(TextForm form) {
  return form == TextForm::kAnsi || form == TextForm::kUtf16LeMarked;
}

// The file's text without its byte-order mark, ANSI in the system's code page
// (an odd last byte of UTF-16 is dropped); nothing for UTF-8 that does not
// decode.
std::optional<std::wstring> DecodeText(std::string_view bytes, TextForm form);

// The value of `key` in the first section named `section`, as the profile
// functions give it: names matched without regard to case, blanks around names
// and value dropped, and a pair of quotes around the value too. Empty when
// there is no such key.
std::wstring ProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key);

}  // namespace tessam
