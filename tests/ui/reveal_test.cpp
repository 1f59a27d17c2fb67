// The real shell call behind the reveal.
#include "ui/reveal_in_explorer.h"

#include <gtest/gtest.h>

#include "tests/ui/wait.h"

namespace tessam::test {
namespace {

// Top-level windows of other processes that appeared since `before`.
std::vector<HWND> NewForeignWindows(const std::vector<HWND>& before) {
  struct Search {
    const std::vector<HWND>* before;
    std::vector<HWND> found;
  } search{&before, {}};
  ::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
            std::find(s->before->begin(), s->before->end(), window) == s->before->end()) {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(RevealInExplorer, OpensTheFoldersWindowForAnExistingPackage) {
  TempFolder folder;
  const std::wstring package = folder.File(L"VANTU.PPW");
  WriteBytes(package, std::string(156, '\0'));
  const std::vector<HWND> before = NewForeignWindows({});

  EXPECT_EQ(RevealInExplorer(package), 1);
  std::vector<HWND> opened;
  EXPECT_TRUE(WaitUntil([&] { return !(opened = NewForeignWindows(before)).empty(); }, 30s))
      << "no folder window appeared";
  for (const HWND window : opened) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST(RevealInExplorer, RelativePathIsMadeAbsolute) {
  TempFolder folder;
  WriteBytes(folder.File(L"VANTU.PPW"), std::string(156, '\0'));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const std::vector<HWND> before = NewForeignWindows({});
  EXPECT_EQ(RevealInExplorer(L"VANTU.PPW"), 1);
  std::filesystem::current_path(previous);
  std::vector<HWND> opened;
  WaitUntil([&] { return !(opened = NewForeignWindows(before)).empty(); }, 30s);
  for (const HWND window : opened) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST(RevealInExplorer, MissingPackageIsRefused) {
  TempFolder folder;
  EXPECT_EQ(RevealInExplorer(folder.File(L"nothing\\VANTU.PPW")), 0);
}

}  // namespace
}  // namespace tessam::test
