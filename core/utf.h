#pragma once
// The one place that converts between UTF-8 (POSIX names, command lines) and
// UTF-16 (the core's paths and passwords). Strict both ways: what cannot be
// converted exactly is refused, never guessed at.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessam {

// Nothing for malformed input: overlong forms, encoded surrogates, values
// beyond U+10FFFF, stray or missing continuation bytes.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Nothing when a surrogate is unpaired.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// Each byte as the code point of the same value (U+0000..U+00FF), in UTF-8:
// raw header bytes shown as text that still tells every byte apart.
std::string BytesAsCodePoints(std::span<const std::uint8_t> bytes);

}  // namespace tessam
