// The settings file on the real private-profile functions, and the package
// path made for a folder picked in the folder box.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "tests/ui/test_support.h"
#include "framework/handles.h"
#include "framework/strings.h"
#include "ui/package_path.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

class Settings : public ::testing::Test {
 protected:
  TempFolder folder;
  std::wstring path = folder.File(L"config.cfg");
  SettingsFile settings{path};
};

TEST_F(Settings, ANewFileIsUnicodeAndPathsOfAnyLengthComeBackWhole) {
  settings.SavePaths(L"", L"");
  EXPECT_EQ(ReadBytes(path).substr(0, 2), "\xFF\xFE") << "UTF-16 with a byte-order mark";
  for (const std::size_t length : {1u, 254u, 255u, 256u, 259u, 260u, 511u, 512u, 1000u}) {
    // Outside any ANSI code page, and as long as `length` says.
    const std::wstring project = L"线" + std::wstring(length - 1, L'a');
    const std::wstring package = L"Ü" + std::wstring(length - 1, L'b');
    settings.SavePaths(project, package);
    const SavedSettings saved = SettingsFile(path).Load();
    EXPECT_EQ(saved.projectPath, project) << length;
    EXPECT_EQ(saved.packagePath, package) << length;
  }
}

// A hand-written file has no byte-order mark: it keeps that encoding, byte
// for byte but the new value, while the paths fit it, and becomes UTF-16
// (every line kept) when one does not.
TEST_F(Settings, ExistingFileKeepsItsLinesAndBecomesUnicodeOnlyForAPathOutsideItsEncoding) {
  const std::string byHand =
      "; written by hand\r\n[Password]\r\nPassword=ABCDEFGH\r\n[Path]\r\nPMW=old.pmw\r\nPPM=F:\\VANTU.PPW\r\n"
      "[Machine]\r\n; line two\r\nModel=FX3U\r\n";
  WriteBytes(path, byHand);
  settings.SavePaths(L"new.pmw", L"F:\\VANTU.PPW");
  std::string expected = byHand;
  EXPECT_EQ(ReadBytes(path), expected.replace(expected.find("old"), 3, "new"));
  for (const std::string& before : {byHand, std::string()}) {
    SCOPED_TRACE(before.empty() ? "empty file" : "hand-written file");
    WriteBytes(path, before);
    settings.SavePaths(L"D:\\工程\\线体1.pmw", L"F:\\VANTU.PPW");
    const SavedSettings saved = settings.Load();
    EXPECT_EQ(saved.projectPath, L"D:\\工程\\线体1.pmw");
    EXPECT_EQ(saved.packagePath, L"F:\\VANTU.PPW");
    EXPECT_EQ(saved.password, before.empty() ? L"" : L"ABCDEFGH");
    const std::string after = ReadBytes(path);
    ASSERT_TRUE(after.starts_with("\xFF\xFE"));
    const std::wstring text(reinterpret_cast<const wchar_t*>(after.data() + 2), (after.size() - 2) / 2);
    for (const wchar_t* kept : {L"; written by hand", L"[Machine]", L"; line two", L"Model=FX3U"}) {
      EXPECT_EQ(text.find(kept) != std::wstring::npos, !before.empty()) << ::testing::PrintToString(kept);
    }
  }
}

TEST_F(Settings, FileThatCannotBeWrittenIsLeftAsItWas) {
  const std::string before = "[Path]\r\nPMW=kept.pmw\r\n";
  WriteBytes(path, before);
  {
    // Another program holds the file open without sharing.
    const fw::UniqueHandle held(fw::NullIfInvalid(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(held);
    settings.SavePaths(L"lost.pmw", L"lost");
  }
  EXPECT_EQ(ReadBytes(path), before);
  SettingsFile(folder.File(L"gone\\config.cfg")).SavePaths(L"a.pmw", L"b");
  EXPECT_FALSE(std::filesystem::exists(folder.path / L"gone")) << "a missing folder is not made";
}

TEST(PackagePathInFolder, PutsTheFolderIntoThePatternWithOneSeparator) {
  const std::wstring pattern = fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT);
  const std::wstring longFolder = L"D:\\" + std::wstring(300, L'x');
  const struct { std::wstring folder, package; } cases[] = {
      {L"C:\\plc", L"C:\\plc\\VANTU.PPW"},
      {L"\\\\server\\share\\U盘", L"\\\\server\\share\\U盘\\VANTU.PPW"},
      {L"E:\\", L"E:\\VANTU.PPW"},
      {L"E:/", L"E:\\VANTU.PPW"},
      {longFolder, longFolder + L"\\VANTU.PPW"},
  };
  for (const auto& c : cases) EXPECT_EQ(PackagePathInFolder(c.folder, pattern), c.package) << c.folder;
}

}  // namespace
}  // namespace tessam::test
