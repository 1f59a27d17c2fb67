// The settings file on the real private-profile functions.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "tests/ui/wait.h"
#include "ui/framework/handles.h"
#include "ui/framework/strings.h"

namespace tessam::test {
namespace {

class Settings : public ::testing::Test {
 protected:
  TempFolder folder;
  std::wstring path = folder.File(L"config.cfg");
  SettingsFile settings{path};
};

TEST(SettingsLocate, IsConfigCfgBesideTheExecutable) {
  SettingsFile settings;
  settings.Locate();
  std::wstring expected = fw::ModulePath();
  expected.erase(expected.rfind(L'\\'));
  EXPECT_EQ(settings.path(), expected + L"\\config.cfg");
}

TEST_F(Settings, MissingFileGivesEmptyValues) {
  const SavedSettings saved = settings.Load();
  EXPECT_EQ(saved.projectPath, L"");
  EXPECT_EQ(saved.packagePath, L"");
  EXPECT_EQ(saved.password, L"");
  EXPECT_FALSE(std::filesystem::exists(path)) << "reading creates nothing";
}

TEST_F(Settings, ReadsSectionsAndKeysWithoutRegardToCase) {
  WriteBytes(path, "[path]\r\npmw=D:\\plc\\line1.pmw\r\nPpM=E:\\VANTU.PPW\r\n[PASSWORD]\r\npassword=12345678\r\n");
  const SavedSettings saved = settings.Load();
  EXPECT_EQ(saved.projectPath, L"D:\\plc\\line1.pmw");
  EXPECT_EQ(saved.packagePath, L"E:\\VANTU.PPW");
  EXPECT_EQ(saved.password, L"12345678");
}

TEST_F(Settings, NewFileIsUnicodeSoNonAnsiPathsSurvive) {
  const std::wstring project = L"D:\\工程\\线路一.pmw";
  const std::wstring package = L"E:\\Ünïcødé\\VANTU.PPW";
  settings.SavePaths(project, package);
  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << "UTF-16 with a byte-order mark";

  const SavedSettings saved = SettingsFile(path).Load();
  EXPECT_EQ(saved.projectPath, project);
  EXPECT_EQ(saved.packagePath, package);
}

TEST_F(Settings, ValuesOfAnyLengthComeBackWhole) {
  const std::wstring project = L"D:\\" + std::wstring(1000, L'a') + L".pmw";
  const std::wstring package = L"E:\\" + std::wstring(254, L'b') + L"\\VANTU.PPW";
  settings.SavePaths(project, package);
  const SavedSettings saved = settings.Load();
  EXPECT_EQ(saved.projectPath, project);
  EXPECT_EQ(saved.packagePath, package);

  for (const std::size_t length : {254u, 255u, 256u, 511u, 512u}) {
    const std::wstring exact(length, L'x');
    settings.SavePaths(exact, L"");
    EXPECT_EQ(settings.Load().projectPath, exact) << length;
  }
}

TEST_F(Settings, EmptyTextsAreStoredAsEmptyValues) {
  settings.SavePaths(L"a.pmw", L"b");
  settings.SavePaths(L"", L"");
  const SavedSettings saved = settings.Load();
  EXPECT_EQ(saved.projectPath, L"");
  EXPECT_EQ(saved.packagePath, L"");
  wchar_t probe[8] = {};
  EXPECT_EQ(::GetPrivateProfileStringW(L"Path", L"PMW", L"absent", probe, 8, path.c_str()), 0u)
      << "the key stays, with an empty value";
}

TEST_F(Settings, OtherSectionsAndCommentsSurviveSaving) {
  WriteBytes(path,
             "; written by hand\r\n[Password]\r\nPassword=ABCDEFGH\r\n[Path]\r\nPMW=old.pmw\r\n"
             "[Machine]\r\n; line two\r\nModel=FX3U\r\n");
  settings.SavePaths(L"new.pmw", L"F:\\VANTU.PPW");
  const std::string after = ReadBytes(path);
  for (const char* kept : {"; written by hand", "Password=ABCDEFGH", "[Machine]", "; line two", "Model=FX3U"}) {
    EXPECT_NE(after.find(kept), std::string::npos) << kept;
  }
  const SavedSettings saved = settings.Load();
  EXPECT_EQ(saved.projectPath, L"new.pmw");
  EXPECT_EQ(saved.packagePath, L"F:\\VANTU.PPW");
  EXPECT_EQ(saved.password, L"ABCDEFGH");
  EXPECT_NE(after.substr(0, 2), std::string("\xFF\xFE", 2)) << "an existing file keeps its encoding";
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
}

TEST_F(Settings, MissingFolderCreatesNothing) {
  const std::wstring nowhere = folder.File(L"gone\\config.cfg");
  SettingsFile(nowhere).SavePaths(L"a.pmw", L"b");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / L"gone"));
  EXPECT_EQ(SettingsFile(nowhere).Load().projectPath, L"");
}

}  // namespace
}  // namespace tessam::test
