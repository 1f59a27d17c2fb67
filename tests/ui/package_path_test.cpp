#include "ui/package_path.h"

#include <gtest/gtest.h>

#include "ui/framework/strings.h"
#include "ui/resource.h"

namespace tessam {
namespace {

const std::wstring kPattern = fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT);

TEST(PackagePathInFolder, PatternComesFromTheStringTable) { EXPECT_EQ(kPattern, L"%s\\VANTU.PPW"); }

TEST(PackagePathInFolder, AppendsTheFileNameAfterOneSeparator) {
  EXPECT_EQ(PackagePathInFolder(L"C:\\plc", kPattern), L"C:\\plc\\VANTU.PPW");
  EXPECT_EQ(PackagePathInFolder(L"\\\\server\\share\\U盘", kPattern), L"\\\\server\\share\\U盘\\VANTU.PPW");
}

TEST(PackagePathInFolder, DriveRootGivesNoDoubledSeparator) {
  EXPECT_EQ(PackagePathInFolder(L"E:\\", kPattern), L"E:\\VANTU.PPW");
  EXPECT_EQ(PackagePathInFolder(L"E:/", kPattern), L"E:\\VANTU.PPW");
}

TEST(PackagePathInFolder, LongFolderIsNotCut) {
  const std::wstring folder = L"D:\\" + std::wstring(300, L'x');
  EXPECT_EQ(PackagePathInFolder(folder, kPattern), folder + L"\\VANTU.PPW");
}

}  // namespace
}  // namespace tessam
