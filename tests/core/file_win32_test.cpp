// The Windows file layer where Wine answers otherwise than Windows. Windows refuses paths of 260 characters or more
// in their ordinary form (Wine takes any length: the form handed over is checked). Some network file systems (NAS
// boxes, WebDAV, virtual machines' shared folders) number no file: every file index is 0 (Wine's never is, so the
// answer is changed on its way), and files are told apart by final path.

#include <windows.h>

#include "core/package_builder.h"
#include "core/windows_path.h"
#include "tests/core/test_support.h"
#include "tests/import_swap_win32.h"

namespace tessam {
namespace {

TEST(WindowsPath, PathsThatDoNotFitGetTheLongForm) {
  const std::wstring name = std::wstring(150, L'x') + L"\\" + std::wstring(150, L'y');  // 301 characters
  const std::wstring fits = L"C:\\" + std::wstring(256, L'a');                          // 259 characters
  const std::wstring cwd = std::filesystem::current_path().wstring(), inCwd = cwd.back() == L'\\' ? cwd : cwd + L"\\";
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
  for (const auto& c : cases) EXPECT_EQ(WindowsPath(std::u16string(c.given.begin(), c.given.end())), c.expected);
}

decltype(&::GetFileInformationByHandle) realInformation = nullptr;

BOOL WINAPI NumberingNoFile(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  const BOOL got = realInformation(file, information);
  information->nFileIndexHigh = information->nFileIndexLow = 0;
  return got;
}

// A good build goes through; a package path that names the project, however spelled, does not.
TEST(FileIdentity, WithoutFileNumbersTheProjectIsStillToldFromThePackage) {
  const test::TempDir dir;
  const std::u16string project = (dir / "project.pmw").u16string();
  test::WriteFile(dir / "project.pmw", test::MakeProject(1));
  realInformation = &::GetFileInformationByHandle;
  const test::ImportSwap swap(realInformation, &NumberingNoFile);
  PackageBuilder builder;
  EXPECT_EQ(builder.Build({project, (dir / "VANTU.PPW").u16string(), {}}), 1) << Describe(builder.result().failure);
  for (const std::u16string& package : {project, (dir / "sub" / ".." / "PROJECT.PMW").u16string()}) {
    EXPECT_EQ(builder.Build({project, package, {}}), 0);
    EXPECT_EQ(builder.result().failure, BuildFailure::kSameFile);
  }
  EXPECT_EQ(test::ReadFile(dir / "project.pmw"), test::MakeProject(1));
}

}  // namespace
}  // namespace tessam
