#pragma once
// Command-line text: arguments arrive as UTF-8 (POSIX) or UTF-16 (Windows);
// the core takes UTF-16 paths and passwords. The conversion rules live in the
// core, shared with the file layer.
#include <filesystem>
#include <string>

#include "core/utf.h"

namespace ppwtool {

using tessam::Utf16ToUtf8;
using tessam::Utf8ToUtf16;

// A path from UTF-8 text, whatever the platform's native encoding.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace ppwtool
