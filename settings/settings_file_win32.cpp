#include "settings/settings_file.h"

#include <windows.h>

#include <optional>
#include <string>

#include "framework/handles.h"
#include "framework/strings.h"
#include "settings/profile_text.h"

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
// starts with a UTF-16 byte-order mark.
void CreateUnicodeFileIfMissing(const std::wstring& file) {
  const fw::UniqueHandle handle(fw::NullIfInvalid(::CreateFileW(
      file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!handle) return;  // exists already, or cannot be created
  static constexpr unsigned char kUtf16LeBom[] = {0xFF, 0xFE};
  DWORD written = 0;
  ::WriteFile(handle.get(), kUtf16LeBom, sizeof kUtf16LeBom, &written, nullptr);
}

bool FitsAnsiCodePage(const std::wstring& text) {
  if (text.empty() || ::GetACP() == CP_UTF8) return true;  // UTF-8 holds everything
  BOOL lost = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                        nullptr, &lost);
  return !lost;
}

std::optional<std::string> ReadWholeFile(const std::wstring& file) {
  const fw::UniqueHandle handle(fw::NullIfInvalid(::CreateFileW(
      file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  LARGE_INTEGER size{};
  if (!handle || !::GetFileSizeEx(handle.get(), &size) || size.QuadPart > (1 << 24)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

// `text` as UTF-16 LE with a byte-order mark in place of `file`. Through a new
// file and a replace, so that a failure leaves the old one whole.
bool RewriteAsUtf16Le(const std::wstring& file, std::wstring text) {
  text.insert(text.begin(), L'\xFEFF');
  const std::wstring fresh = file + L".new";
  {
    const fw::UniqueHandle handle(fw::NullIfInvalid(::CreateFileW(
        fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    DWORD written = 0;
    const auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!handle || !::WriteFile(handle.get(), text.data(), size, &written, nullptr) || written != size) {
      ::DeleteFileW(fresh.c_str());
      return false;
    }
  }
  if (::MoveFileExW(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  ::DeleteFileW(fresh.c_str());
  return false;
}

// Leaves `file` in a form the profile functions write without loss: a UTF-16
// LE file with a mark, or an ANSI file whose code page holds both values. Any
// other file is rewritten as UTF-16 LE with a mark, every line kept. False,
// and the file untouched, when it cannot be read, decoded or rewritten.
bool PrepareForProfileWrite(const std::wstring& file, const std::wstring& value1, const std::wstring& value2) {
  CreateUnicodeFileIfMissing(file);
  const std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return false;
  const TextForm form = DetectTextForm(*bytes);
  if (form == TextForm::kUtf16LeMarked) return true;
  if (form == TextForm::kAnsi && FitsAnsiCodePage(value1) && FitsAnsiCodePage(value2)) return true;
  std::optional<std::wstring> text = DecodeText(*bytes, form);
  return text && RewriteAsUtf16Le(file, std::move(*text));
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
  const std::optional<std::string> bytes = ReadWholeFile(path_);
  if (!bytes) return {};
  // Only a file that Windows reads right goes to the profile functions; the
  // others are read here. Loading never rewrites the file.
  const TextForm form = DetectTextForm(*bytes);
  if (ProfileFunctionsRead(form)) {
    return {ReadValue(path_, L"Path", L"PMW"), ReadValue(path_, L"Path", L"PPM"),
            ReadValue(path_, L"Password", L"Password")};
  }
  const std::optional<std::wstring> text = DecodeText(*bytes, form);
  if (!text) return {};
  return {ProfileValue(*text, L"Path", L"PMW"), ProfileValue(*text, L"Path", L"PPM"),
          ProfileValue(*text, L"Password", L"Password")};
}

void SettingsFile::SavePaths(const std::wstring& projectPath, const std::wstring& packagePath) const {
  if (path_.empty()) return;
  if (!PrepareForProfileWrite(path_, projectPath, packagePath)) return;
  ::WritePrivateProfileStringW(L"Path", L"PMW", projectPath.c_str(), path_.c_str());
  ::WritePrivateProfileStringW(L"Path", L"PPM", packagePath.c_str(), path_.c_str());
}

}  // namespace tessam
