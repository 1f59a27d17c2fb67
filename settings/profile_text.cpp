#include "settings/profile_text.h"

#include <algorithm>

namespace tessam {

namespace {

constexpr std::u16string_view kBlanks = u" \t";

std::u16string_view Trimmed(std::u16string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The names looked up are ASCII, and no other character equals an ASCII
// letter without regard to case.
bool SameName(std::u16string_view a, std::u16string_view b) {
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  return std::ranges::equal(a, b, {}, lower, lower);
}

std::u16string_view Unquoted(std::u16string_view value) {
  const bool quoted =
      value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\'');
  return quoted ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

std::u16string ProfileValue(std::u16string_view text, std::u16string_view section, std::u16string_view key) {
  bool inSection = false;
  while (!text.empty()) {
    const auto end = std::min(text.find_first_of(u"\r\n"), text.size());
    const std::u16string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.starts_with(u'[')) {
      if (inSection) return {};  // only the first section of that name counts
      const auto close = line.rfind(u']');
      inSection = close != std::u16string_view::npos && SameName(Trimmed(line.substr(1, close - 1)), section);
      continue;
    }
    const auto equals = line.find(u'=');
    if (inSection && equals != std::u16string_view::npos && SameName(Trimmed(line.substr(0, equals)), key)) {
      return std::u16string(Unquoted(Trimmed(line.substr(equals + 1))));
    }
  }
  return {};
}

}  // namespace tessam
