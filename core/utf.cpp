#include "core/utf.h"

#include <utf8.h>

#include <iterator>

namespace tessam {

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  if (!utf8::is_valid(text.begin(), text.end())) return std::nullopt;
  std::u16string out;
  utf8::unchecked::utf8to16(text.begin(), text.end(), std::back_inserter(out));
  return out;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  try {
    utf8::utf16to8(text.begin(), text.end(), std::back_inserter(out));
  } catch (const utf8::exception&) {
    return std::nullopt;
  }
  return out;
}

std::string BytesAsCodePoints(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (const std::uint8_t byte : bytes) utf8::append(std::uint32_t{byte}, std::back_inserter(out));
  return out;
}

}  // namespace tessam
