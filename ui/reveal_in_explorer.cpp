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

std::wstring FullPathName(const std::wstring& path) {
  std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD copied = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (copied == 0 || copied >= full.size()) return {};
  full.resize(copied);
  return full;
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
  return FullPathName(plain) == plain ? plain : path;
}

// The shell's item for `path`. A path longer than the shell's parser takes
// is parsed in two steps: a leading folder that fits, then the rest from
// inside that folder.
HRESULT ParseItem(IShellFolder& desktop, std::wstring path, PIDLIST_ABSOLUTE* item) {
  std::size_t split = path.size();
  if (path.size() >= MAX_PATH) {
    split = path.find_last_of(L'\\', MAX_PATH - 1);
    if (split == std::wstring::npos || path.size() - split - 1 >= MAX_PATH) return E_INVALIDARG;
  }
  std::wstring head = path.substr(0, split), tail = split < path.size() ? path.substr(split + 1) : L"";
  PIDLIST_RELATIVE parsed = nullptr;
  if (const HRESULT result = desktop.ParseDisplayName(nullptr, nullptr, head.data(), nullptr, &parsed, nullptr);
      FAILED(result)) {
    return result;
  }
  // Relative to the desktop, which makes it absolute.
  fw::UniquePidl folder(reinterpret_cast<PIDLIST_ABSOLUTE>(parsed));
  if (tail.empty()) {
    *item = folder.release();
    return S_OK;
  }
  fw::ComPtr<IShellFolder> inside;
  if (const HRESULT result = desktop.BindToObject(folder.get(), nullptr, IID_IShellFolder,
                                                  reinterpret_cast<void**>(inside.put()));
      FAILED(result)) {
    return result;
  }
  PIDLIST_RELATIVE rest = nullptr;
  if (const HRESULT result = inside->ParseDisplayName(nullptr, nullptr, tail.data(), nullptr, &rest, nullptr);
      FAILED(result)) {
    return result;
  }
  const fw::UniquePidl restOwned(reinterpret_cast<PIDLIST_ABSOLUTE>(rest));
  *item = ::ILCombine(folder.get(), rest);
  return *item ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

std::wstring ShellParsablePath(const std::wstring& path) {
  std::wstring plain = WithoutVerbatimPrefix(path);
  // Relative paths only: this library's absolute() misreads UNC paths.
  if (!plain.starts_with(L"\\\\")) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(plain, error);
    if (!error) plain = absolute.wstring();
  }
  return plain;
}

int RevealInExplorer(const std::wstring& path) {
  // COM first: every shell call below needs it on this thread.
  const fw::ComApartment com;
  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.put()))) return 0;

  PIDLIST_ABSOLUTE parsed = nullptr;
  if (FAILED(ParseItem(*desktop.get(), ShellParsablePath(path), &parsed))) return 0;
  const fw::UniquePidl item(parsed);

  return SUCCEEDED(::SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0)) ? 1 : 0;
}

}  // namespace tessam
