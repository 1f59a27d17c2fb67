// Some network file systems (NAS boxes, WebDAV, virtual machines' shared folders) number
// no file: every file index is 0. Files are then told apart by their final paths.
#include <gtest/gtest.h>

#include "core/package_builder.h"
#include "tests/core/test_support.h"
#include "tests/import_swap_win32.h"

namespace tessam {
namespace {

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
