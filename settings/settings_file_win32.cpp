#include "settings/settings_file.h"

#include <windows.h>

#include "framework/handles.h"
#include "framework/strings.h"

namespace tessam {

namespace {

// A value as long as it is: the profile functions answer size - 1 when the
// value did not fit, so grow until it does.
std::wstring ReadValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  constexpr DWORD kLargest = 1u << 20;
  for (DWORD size = 256; size <= kLargest; size *= 2) {
    std::wstring value(size, L'\0');
    const DWORD copied = ::GetPrivateProfileStringW(section, key, L"", value.data(), size, file.c_str());
    if (copied + 1 < size) {
      value.resize(copied);
      return value;
    }
  }
  return {};
}

// The private-profile functions write Unicode only into a file that already
// starts with a UTF-16 byte-order mark; an existing file keeps its encoding.
void CreateUnicodeFileIfMissing(const std::wstring& file) {
  const fw::UniqueHandle handle(fw::NullIfInvalid(::CreateFileW(
      file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!handle) return;  // exists already, or cannot be created
  static constexpr unsigned char kUtf16LeBom[] = {0xFF, 0xFE};
  DWORD written = 0;
  ::WriteFile(handle.get(), kUtf16LeBom, sizeof kUtf16LeBom, &written, nullptr);
}

}  // namespace

void SettingsFile::Locate(std::wstring_view pattern) {
  std::wstring directory = fw::ModulePath();
  const auto slash = directory.rfind(L'\\');
  if (directory.empty() || slash == std::wstring::npos) {
    path_.clear();
    return;
  }
  directory.erase(slash);
  path_ = fw::FormatWith(pattern, directory);
}

SavedSettings SettingsFile::Load() const {
  if (path_.empty()) return {};
  return {ReadValue(path_, L"Path", L"PMW"), ReadValue(path_, L"Path", L"PPM"),
          ReadValue(path_, L"Password", L"Password")};
}

void SettingsFile::SavePaths(const std::wstring& projectPath, const std::wstring& packagePath) const {
  if (path_.empty()) return;
  CreateUnicodeFileIfMissing(path_);
  ::WritePrivateProfileStringW(L"Path", L"PMW", projectPath.c_str(), path_.c_str());
  ::WritePrivateProfileStringW(L"Path", L"PPM", packagePath.c_str(), path_.c_str());
}

}  // namespace tessam
