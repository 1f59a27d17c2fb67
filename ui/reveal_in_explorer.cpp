#include "ui/reveal_in_explorer.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/com.h"

namespace tessam {

namespace {

std::wstring AbsolutePath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (needed == 0) return path;
    if (needed < full.size()) {
      full.resize(needed);
      return full;
    }
    full.resize(needed);
  }
}

}  // namespace

int RevealInExplorer(const std::wstring& path) {
  // COM first: every shell call below needs it on this thread.
  const fw::ComApartment com;
  std::wstring absolute = AbsolutePath(path);

  fw::ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.put()))) return 0;

  PIDLIST_RELATIVE parsed = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, absolute.data(), nullptr, &parsed, nullptr))) return 0;
  // Relative to the desktop, which makes it absolute.
  const fw::UniquePidl item(reinterpret_cast<PIDLIST_ABSOLUTE>(parsed));

  return SUCCEEDED(::SHOpenFolderAndSelectItems(item.get(), 0, nullptr, 0)) ? 1 : 0;
}

}  // namespace tessam
