#include "settings/profile_text.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace tessam {

namespace {

// Without MB_ERR_INVALID_CHARS a bad sequence becomes U+FFFD; with it the
// whole conversion fails. Nothing for text that does not convert.
std::optional<std::wstring> FromMultiByte(UINT codePage, DWORD flags, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
  return text;
}

std::wstring FromUtf16(std::string_view bytes, bool littleEndian) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]), second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(littleEndian ? first | second << 8 : first << 8 | second);
  }
  return text;
}

constexpr std::wstring_view kBlanks = L" \t";

std::wstring_view Trimmed(std::wstring_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The names looked up are ASCII, and no other character equals an ASCII
// letter without regard to case.
bool SameName(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return std::ranges::equal(a, b, {}, lower, lower);
}

std::wstring_view Unquoted(std::wstring_view value) {
  const bool quoted =
      value.size() >= 2 && value.front() == value.back() && (value.front() == L'"' || value.front() == L'\'');
  return quoted ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

TextForm DetectTextForm(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return TextForm::kUtf16LeMarked;
  if (bytes.starts_with("\xFE\xFF")) return TextForm::kUtf16Be;
  // Text in a byte code page has no NUL. In UTF-16 every Latin letter, digit,
  // bracket, "=" and line end has one, in its high byte.
  std::size_t zeros[2] = {0, 0};
  for (std::size_t i = 0; i < bytes.size(); ++i) zeros[i % 2] += bytes[i] == '\0' ? 1 : 0;
  if (zeros[0] + zeros[1] > 0) return zeros[1] >= zeros[0] ? TextForm::kUtf16LeUnmarked : TextForm::kUtf16Be;
  // As editors tell them apart: valid UTF-8 with a byte beyond ASCII is UTF-8
  // (its byte-order mark is such a byte).
  const bool beyondAscii = std::ranges::any_of(bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return beyondAscii && FromMultiByte(CP_UTF8, MB_ERR_INVALID_CHARS, bytes) ? TextForm::kUtf8 : TextForm::kAnsi;
}

std::optional<std::wstring> DecodeText(std::string_view bytes, TextForm form) {
  std::optional<std::wstring> text;
  switch (form) {
    case TextForm::kAnsi: text = FromMultiByte(CP_ACP, 0, bytes); break;
    case TextForm::kUtf8: text = FromMultiByte(CP_UTF8, MB_ERR_INVALID_CHARS, bytes); break;
    case TextForm::kUtf16LeMarked:
    case TextForm::kUtf16LeUnmarked:
    case TextForm::kUtf16Be: text = FromUtf16(bytes, form != TextForm::kUtf16Be); break;
  }
  if (text && text->starts_with(L'\xFEFF')) text->erase(0, 1);
  return text;
}

std::wstring ProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
  bool inSection = false;
  while (!text.empty()) {
    const auto end = std::min(text.find_first_of(L"\r\n"), text.size());
    const std::wstring_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.starts_with(L'[')) {
      if (inSection) return {};  // only the first section of that name counts
      const auto close = line.rfind(L']');
      inSection = close != std::wstring_view::npos && SameName(Trimmed(line.substr(1, close - 1)), section);
      continue;
    }
    const auto equals = line.find(L'=');
    if (inSection && equals != std::wstring_view::npos && SameName(Trimmed(line.substr(0, equals)), key)) {
      return std::wstring(Unquoted(Trimmed(line.substr(equals + 1))));
    }
  }
  return {};
}

}  // namespace tessam
