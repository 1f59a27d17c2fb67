#include <windows.h>

#include "core/windows_path.h"

namespace tessam {

std::wstring LongPathForm(const std::wstring& absolutePath) {
  if (absolutePath.starts_with(LR"(\\?\)") || absolutePath.starts_with(LR"(\\.\)")) return absolutePath;
  if (absolutePath.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + absolutePath.substr(2);
  return LR"(\\?\)" + absolutePath;
}

std::wstring WindowsPath(const std::u16string& path) {
  const std::wstring given(path.begin(), path.end());
  if (given.empty() || given.starts_with(LR"(\\?\)")) return given;
  // Asked once for the length (terminator included), then for the text.
  std::wstring absolute(::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = absolute.empty() ? 0 : ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(absolute.size()),
                                                                  absolute.data(), nullptr);
  if (length == 0 || length >= absolute.size()) return given;  // Windows will say what is wrong with it
  absolute.resize(length);
  return absolute.size() < MAX_PATH ? absolute : LongPathForm(absolute);
}

}  // namespace tessam
