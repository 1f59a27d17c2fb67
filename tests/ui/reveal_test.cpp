// The real shell call behind the reveal.
#include "ui/reveal_in_explorer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <shlobj.h>

#include "tests/ui/test_support.h"
#include "framework/com.h"

namespace tessam::test {
namespace {

// Visible top-level windows of other processes.
std::vector<HWND> ForeignWindows() {
  std::vector<HWND> found;
  for (HWND window = ::GetTopWindow(nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() && ::IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

// Some Wine sessions never register the shell's window service, and then every
// open-folder-and-select request fails with "class not registered", whoever
// makes it. Asked directly of the shell, so our own code plays no part.
bool ShellCannotSelectInThisSession(const std::wstring& path) {
  const fw::ComApartment com;
  PIDLIST_ABSOLUTE item = nullptr;
  if (FAILED(::SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr))) return false;
  const fw::UniquePidl owned(item);
  return ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0) == REGDB_E_CLASSNOTREG;
}

TEST(ShellParsablePath, DropsTheVerbatimPrefixWhereItCan) {
  const struct { std::wstring path, parsable; } cases[] = {
      {L"\\\\?\\C:\\plc\\VANTU.PPW", L"C:\\plc\\VANTU.PPW"},
      {L"\\\\?\\UNC\\server\\share\\VANTU.PPW", L"\\\\server\\share\\VANTU.PPW"},
      {L"\\\\?\\C:\\plc.\\VANTU.PPW", L"\\\\?\\C:\\plc.\\VANTU.PPW"},  // the dot would be lost
  };
  for (const auto& c : cases) EXPECT_EQ(ShellParsablePath(c.path), c.parsable) << ::testing::PrintToString(c.path);
}

// Past 260 characters, written with and without the prefix. Removed here,
// with calls that take the prefix: the library's remove_all stops at 260.
struct LongPackage {
  explicit LongPackage(const TempFolder& folder) : top(L"\\\\?\\" + folder.File(std::wstring(120, L'a'))) {
    deep = top + L"\\" + std::wstring(120, L'b');
    std::filesystem::create_directories(deep);
    path = deep + L"\\VANTU.PPW";
    WriteBytes(path, std::string(156, '\0'));
  }
  ~LongPackage() {
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(deep.c_str());
    ::RemoveDirectoryW(top.c_str());
  }
  std::wstring top, deep, path;
};
TEST(RevealInExplorer, OpensAFolderWindowForRelativePrefixedAndLongPathsAndRefusesAMissingPackage) {
  TempFolder folder;
  WriteBytes(folder.File(L"VANTU.PPW"), std::string(156, '\0'));
  const LongPackage deep(folder);

  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  // Wine opens the folder of a long path but cannot then find its window to
  // select in, and says so: only the folder window counts there.
  for (const std::wstring& path : {std::wstring(L"VANTU.PPW"), L"\\\\?\\" + folder.File(L"VANTU.PPW"), deep.path}) {
    SCOPED_TRACE(path.size());
    const std::vector<HWND> before = ForeignWindows();
    const int revealed = RevealInExplorer(path);
    if (revealed == 0 && ShellCannotSelectInThisSession(folder.File(L"VANTU.PPW"))) {
      std::filesystem::current_path(previous);
      GTEST_SKIP() << "this Wine session's shell cannot open a folder with a selection";
    }
    EXPECT_TRUE(revealed == 1 || path.size() >= MAX_PATH);
    std::vector<HWND> opened;
    EXPECT_TRUE(WaitUntil([&] {
      opened = ForeignWindows();
      std::erase_if(opened, [&](HWND w) { return std::find(before.begin(), before.end(), w) != before.end(); });
      return !opened.empty();
    }, 30s)) << "no folder window appeared";
    for (const HWND window : opened) ::PostMessageW(window, WM_CLOSE, 0, 0);
    WaitUntil([&] { return std::none_of(opened.begin(), opened.end(), ::IsWindow); }, 10s);
  }
  std::filesystem::current_path(previous);
  EXPECT_EQ(RevealInExplorer(folder.File(L"nothing\\VANTU.PPW")), 0);
}

}  // namespace
}  // namespace tessam::test
