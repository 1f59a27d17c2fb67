#pragma once
// Paths inside message boxes. A message box grows with its longest line, and
// a path has no place to wrap, so a long one would push the box (and its OK
// button) off the screen.
#include <functional>
#include <string>
#include <string_view>

namespace tessam {

// `path` whole when `width` says it fits in `maxWidth`; otherwise its start
// and its end with "…" between, as much of both as fits.
std::wstring ShortenPathToFit(std::wstring_view path, int maxWidth,
                              const std::function<int(std::wstring_view)>& width);

// `path` shortened to fit a message box on the screen, measured in the
// system's message-box font.
std::wstring PathForMessage(std::wstring_view path);

}  // namespace tessam
