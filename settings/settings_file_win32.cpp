#include "settings/settings_file.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/output_file.h"
#include "framework/handles.h"
#include "framework/strings.h"
#include "settings/code_page.h"
#include "settings/profile_text.h"

namespace tessam {

namespace {

std::wstring Wide(std::u16string_view text) { return {text.begin(), text.end()}; }

// A virus scanner or an indexer opens a file it sees change, often without
// sharing it, for a moment. `attempt` is tried again while it fails for that
// reason, for at most two seconds; any other failure ends it at once.
template <class Attempt> bool RetriedWhileHeld(Attempt attempt) {
  for (int tries = 1;; ++tries) {
    if (attempt()) return true;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || tries == 40) return false;
    ::Sleep(50);
  }
}

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
  HANDLE opened = INVALID_HANDLE_VALUE;
  RetriedWhileHeld([&] {
    opened = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return opened != INVALID_HANDLE_VALUE;
  });
  const fw::UniqueHandle handle(fw::NullIfInvalid(opened));
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

// `text` as UTF-16 LE with a byte-order mark in place of `file`: a new file
// beside it, on the device before it takes the old one's place, so that a
// failure at any step leaves the old file byte for byte.
bool RewriteAsUtf16Le(const std::wstring& file, std::u16string text) {
  text.insert(text.begin(), u'\xFEFF');  // Windows is little-endian, so are its UTF-16 units in memory
  OutputFileOptions options;
  options.replaceWhenComplete = true;
  FileError why = FileError::kNone;
  std::optional<OutputFile> out = OutputFile::Open(std::u16string(file.begin(), file.end()), options, why);
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size() * sizeof(char16_t));
  return out && out->Write(bytes) && out->Finish() && out->Keep();
}

// Leaves `file` in a form the profile functions write without loss: a UTF-16
// LE file with a mark, or an ANSI file whose code page holds both values. Any
// other file is rewritten as UTF-16 LE with a mark, every line kept. False,
// and the file untouched, when it cannot be read, decoded exactly or rewritten.
bool PrepareForProfileWrite(const std::wstring& file, const std::wstring& value1, const std::wstring& value2) {
  CreateUnicodeFileIfMissing(file);
  const std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return false;
  const CodePage ansi = SystemCodePage();
  const TextForm form = DetectTextForm(*bytes, ansi);
  if (form == TextForm::kUtf16LeMarked) return true;
  if (form == TextForm::kAnsi && FitsAnsiCodePage(value1) && FitsAnsiCodePage(value2)) return true;
  std::optional<std::u16string> text = DecodeText(*bytes, form, ansi);
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
  const CodePage ansi = SystemCodePage();
  const TextForm form = DetectTextForm(*bytes, ansi);
  if (ProfileFunctionsRead(form)) {
    return {ReadValue(path_, L"Path", L"PMW"), ReadValue(path_, L"Path", L"PPM"),
            ReadValue(path_, L"Password", L"Password")};
  }
  const std::optional<std::u16string> text = DecodeText(*bytes, form, ansi);
  if (!text) return {};
  return {Wide(ProfileValue(*text, u"Path", u"PMW")), Wide(ProfileValue(*text, u"Path", u"PPM")),
          Wide(ProfileValue(*text, u"Password", u"Password"))};
}

void SettingsFile::SavePaths(const std::wstring& projectPath, const std::wstring& packagePath) const {
  if (path_.empty()) return;
  if (!PrepareForProfileWrite(path_, projectPath, packagePath)) return;
  for (const auto& [key, value] : {std::pair{L"PMW", &projectPath}, std::pair{L"PPM", &packagePath}}) {
    RetriedWhileHeld([&] { return ::WritePrivateProfileStringW(L"Path", key, value->c_str(), path_.c_str()); });
  }
}

}  // namespace tessam
