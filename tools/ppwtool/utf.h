#pragma once
// Strict UTF-8 <-> UTF-16 conversion for command-line text. Arguments arrive as
// UTF-8 (POSIX) or UTF-16 (Windows); the core takes UTF-16 paths and passwords.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ppwtool {

// Nothing for malformed input: overlong forms, encoded surrogates, values
// beyond U+10FFFF, truncated sequences.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Nothing when a surrogate is unpaired.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// A path from UTF-8 text, whatever the platform's native encoding.
std::filesystem::path PathFromUtf8(const std::string& text);

}  // namespace ppwtool
