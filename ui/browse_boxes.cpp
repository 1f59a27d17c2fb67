#include "ui/browse_boxes.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "framework/com.h"
#include "framework/strings.h"
#include "ui/dropped_paths.h"
#include "ui/resource.h"

namespace tessam {

namespace {

// Room for the longest path Windows knows, so that no choice is cut.
constexpr DWORD kLongestPath = 32768;

// "Name|*.ext||" becomes the NUL-separated, double-NUL-terminated list the
// open-file box wants.
std::wstring FilterFromBars(std::wstring filter) {
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  return filter;
}

// Puts the process's current folder back when it goes out of scope. The
// open-file box moves it into the folder a file was chosen in, and
// OFN_NOCHANGEDIR is documented to be ineffective for that box: left there,
// Windows refuses to remove a stick holding it, and relative paths typed later
// would resolve against it.
class CurrentFolderKept {
 public:
  CurrentFolderKept() : folder_(::GetCurrentDirectoryW(0, nullptr), L'\0') {
    folder_.resize(::GetCurrentDirectoryW(static_cast<DWORD>(folder_.size()), folder_.data()));
  }
  ~CurrentFolderKept() {
    if (!folder_.empty()) ::SetCurrentDirectoryW(folder_.c_str());
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

 private:
  std::wstring folder_;
};

int CALLBACK SelectStartFolder(HWND box, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED) ::SendMessageW(box, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

}  // namespace

std::optional<std::wstring> AskForProjectFile(HWND owner) {
  const std::wstring filter = fw::LoadResourceString(IDS_PROJECT_FILTER);
  std::wstring extension = fw::LoadResourceString(IDS_PROJECT_EXTENSION);
  if (filter.empty() || extension.empty()) return std::nullopt;
  if (extension.front() == L'.') extension.erase(0, 1);  // the box wants it without the dot

  const std::wstring filterList = FilterFromBars(filter);
  std::wstring file(kLongestPath, L'\0');
  OPENFILENAMEW box{};
  box.lStructSize = sizeof box;
  box.hwndOwner = owner;
  box.lpstrFilter = filterList.c_str();
  box.lpstrFile = file.data();
  box.nMaxFile = kLongestPath;
  box.lpstrDefExt = extension.c_str();
  box.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  const CurrentFolderKept kept;
  if (!::GetOpenFileNameW(&box)) return std::nullopt;
  file.resize(file.find(L'\0'));
  return file;
}

std::optional<std::wstring> AskForPackageFolder(HWND owner, const std::wstring& currentPackage) {
  const std::wstring start = std::filesystem::path(currentPackage).parent_path().wstring();
  std::wstring displayName(MAX_PATH, L'\0');
  BROWSEINFOW box{};
  box.hwndOwner = owner;
  box.pszDisplayName = displayName.data();
  box.lpszTitle = L"请选择生成U盘PLC程序的文件夹";
  box.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  if (!start.empty() && IsFolder(start)) {
    box.lpfn = SelectStartFolder;
    box.lParam = reinterpret_cast<LPARAM>(start.c_str());
  }
  const fw::UniquePidl chosen(::SHBrowseForFolderW(&box));
  if (!chosen) return std::nullopt;

  std::wstring folder(kLongestPath, L'\0');
  if (!::SHGetPathFromIDListEx(chosen.get(), folder.data(), kLongestPath, GPFIDL_DEFAULT)) return std::nullopt;
  folder.resize(folder.find(L'\0'));
  if (folder.empty()) return std::nullopt;
  return folder;
}

}  // namespace tessam
