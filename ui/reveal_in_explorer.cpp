#include "ui/reveal_in_explorer.h"

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <string_view>

#include "framework/com.h"

namespace tessam {

namespace {

constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUnc = L"\\\\?\\UNC\\";

std::wstring Absolute(const std::wstring& path) {
  std::error_code error;
  std::wstring full = std::filesystem::absolute(path, error).wstring();
  return error ? path : full;
}

// Without its prefix, unless the path needs it: a name ending in a dot or a
// space, or a device name, would be changed by the usual normalisation.
std::wstring WithoutVerbatimPrefix(const std::wstring& path) {
  std::wstring plain;
  if (path.starts_with(kVerbatimUnc)) {
    plain = L"\\\\" + path.substr(kVerbatimUnc.size());
  } else if (path.starts_with(kVerbatim) && path.size() > 6 && path[5] == L':') {
    plain = path.substr(kVerbatim.size());
  } else {
    return path;
  }
  return Absolute(plain) == plain ? plain : path;
}

std::wstring ShortForm(const std::wstring& path) {
  // The long-path form is what lets the call see past MAX_PATH.
  const std::wstring verbatim = path.starts_with(kVerbatim) ? path
                                : path.starts_with(L"\\\\") ? std::wstring(kVerbatimUnc) + path.substr(2)
                                                            : std::wstring(kVerbatim) + path;
  std::wstring result(::GetShortPathNameW(verbatim.c_str(), nullptr, 0), L'\0');
  const DWORD copied = ::GetShortPathNameW(verbatim.c_str(), result.data(), static_cast<DWORD>(result.size()));
  if (copied == 0 || copied >= result.size()) return path;
  result.resize(copied);
  return WithoutVerbatimPrefix(result);
}

}  // namespace

std::wstring ShellParsablePath(const std::wstring& path) {
  const std::wstring plain = WithoutVerbatimPrefix(Absolute(path));
  return plain.size() < MAX_PATH ? plain : ShortForm(plain);
}

int RevealInExplorer(const std::wstring& path) {
  // COM first: every shell call below needs it on this thread.
  const fw::ComApartment com;
  std::wstring parsable = ShellParsablePath(path);

  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.put()))) return 0;

  PIDLIST_RELATIVE parsed = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, parsable.data(), nullptr, &parsed, nullptr))) return 0;
  // Relative to the desktop, which makes it absolute.
  const fw::UniquePidl item(reinterpret_cast<PIDLIST_ABSOLUTE>(parsed));

  return SUCCEEDED(::SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0)) ? 1 : 0;
}

}  // namespace tessam
