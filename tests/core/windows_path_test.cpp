// Windows refuses paths of 260 characters or more in their ordinary form (Wine
// takes any length, so the form handed over is what is checked).
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "core/windows_path.h"

namespace tessam {
namespace {

TEST(WindowsPath, PathsThatDoNotFitGetTheLongForm) {
  const std::wstring name = std::wstring(150, L'x') + L"\\" + std::wstring(150, L'y');  // 301 characters
  const std::wstring fits = L"C:\\" + std::wstring(256, L'a');                          // 259 characters
  const std::wstring cwd = std::filesystem::current_path().wstring();
  const std::wstring inCwd = cwd.back() == L'\\' ? cwd : cwd + L"\\";
  const struct { std::wstring given, expected; } cases[] = {
      {L"C:\\plc\\VANTU.PPW", L"C:\\plc\\VANTU.PPW"},
      {fits, fits},
      {fits + L"b", L"\\\\?\\" + fits + L"b"},
      {L"C:/plc/../" + name + L"/VANTU.PPW", L"\\\\?\\C:\\" + name + L"\\VANTU.PPW"},  // cleaned up first
      {L"\\\\server\\share\\" + name + L"\\VANTU.PPW", L"\\\\?\\UNC\\server\\share\\" + name + L"\\VANTU.PPW"},
      {L"\\\\?\\C:\\" + name + L"\\..\\VANTU.PPW", L"\\\\?\\C:\\" + name + L"\\..\\VANTU.PPW"},  // taken as meant
      {name + L"\\" + name, L"\\\\?\\" + inCwd + name + L"\\" + name},                       // relative
      {L"plc\\VANTU.PPW", inCwd + L"plc\\VANTU.PPW"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowsPath(std::u16string(c.given.begin(), c.given.end())), c.expected) << c.given.size();
  }
}

}  // namespace
}  // namespace tessam
