#include "framework/strings.h"

namespace fw {

std::wstring LoadResourceString(UINT id) {
  // With a zero length LoadStringW hands out a pointer into the resource
  // itself, so no buffer can cut the text.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring FormatWith(std::wstring_view pattern, std::wstring_view argument) {
  std::wstring result(pattern);
  const auto at = result.find(L"%s");
  if (at != std::wstring::npos) result.replace(at, 2, argument);
  return result;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD copied = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (copied == 0) return {};
    if (copied < path.size()) {  // it fitted, with room for the terminator
      path.resize(copied);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace fw
