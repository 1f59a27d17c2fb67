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
  ::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
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

TEST(RevealInExplorer, OpensAFolderWindowForARelativePathAndRefusesAMissingPackage) {
  TempFolder folder;
  WriteBytes(folder.File(L"VANTU.PPW"), std::string(156, '\0'));
  const std::vector<HWND> before = ForeignWindows();
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  const int revealed = RevealInExplorer(L"VANTU.PPW");
  std::filesystem::current_path(previous);
  if (revealed == 0 && ShellCannotSelectInThisSession(folder.File(L"VANTU.PPW"))) {
    GTEST_SKIP() << "this Wine session's shell cannot open a folder with a selection";
  }
  EXPECT_EQ(revealed, 1);

  std::vector<HWND> opened;
  EXPECT_TRUE(WaitUntil([&] {
    opened = ForeignWindows();
    std::erase_if(opened, [&](HWND w) { return std::find(before.begin(), before.end(), w) != before.end(); });
    return !opened.empty();
  }, 30s)) << "no folder window appeared";
  for (const HWND window : opened) ::PostMessageW(window, WM_CLOSE, 0, 0);

  EXPECT_EQ(RevealInExplorer(folder.File(L"nothing\\VANTU.PPW")), 0);
}

}  // namespace
}  // namespace tessam::test
