// The real shell call behind the reveal.
#include "ui/reveal_in_explorer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/ui/test_support.h"

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

TEST(RevealInExplorer, OpensAFolderWindowForARelativePathAndRefusesAMissingPackage) {
  TempFolder folder;
  WriteBytes(folder.File(L"VANTU.PPW"), std::string(156, '\0'));
  const std::vector<HWND> before = ForeignWindows();
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  EXPECT_EQ(RevealInExplorer(L"VANTU.PPW"), 1);
  std::filesystem::current_path(previous);

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
