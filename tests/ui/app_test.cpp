// The real Tessam.exe, started as a process; the settings
// file it keeps, on the real private-profile functions; and the package path
// made for a folder picked in the folder box.
#include <gtest/gtest.h>

#include "framework/handles.h"
#include "framework/strings.h"
#include "settings/settings_file.h"
#include "tests/ui/test_support.h"
#include "ui/package_path.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

// CMake hands over the build's path; under Wine a Unix path is drive Z:.
std::wstring BuiltExecutable() {
  const std::string unix = TESSAM_EXE_PATH;
  std::wstring path = unix.starts_with('/') ? L"Z:" : L"";
  for (const char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

// Started elsewhere, so only the executable's folder can explain where
// config.cfg lands. The close box saves both paths whole for the next start,
// though longer than 259 characters and outside any ANSI code page ("关闭"
// saving nothing is the worker tests' business).
TEST(TessamProcess, IgnoresItsCommandLineAndTheCloseBoxSavesBesideItselfForTheNextStart) {
  TempFolder folder;
  const std::wstring exe = folder.File(L"Tessam.exe");
  std::filesystem::copy_file(BuiltExecutable(), exe);
  const std::wstring project = L"D:\\项目\\" + std::wstring(300, L'p') + L"\\线路一.pmw";
  const std::wstring package = L"E:\\下载\\VANTU.PPW";
  for (const bool again : {false, true}) {
    SCOPED_TRACE(again ? "second start" : "first start");
    std::wstring commandLine = L"\"" + exe + L"\" /help --project C:\\plc\\line1.pmw line2.pmw";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 std::filesystem::temp_directory_path().c_str(), &startup, &started));
    const fw::UniqueHandle process(started.hProcess), thread(started.hThread);
    const struct EndIfLeftRunning {  // only a failed test leaves it running
      HANDLE running;
      ~EndIfLeftRunning() { ::TerminateProcess(running, 1); }
    } guard{process.get()};
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindThreadWindow(started.dwThreadId, nullptr)) != nullptr; }, 30s));
    // WM_GETTEXT and WM_SETTEXT, as GetWindowTextW does not ask other processes' controls.
    const auto text = [&](int id) {
      wchar_t buffer[1024] = {};
      ::SendMessageW(::GetDlgItem(dialog, id), WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
      return std::wstring(buffer);
    };
    EXPECT_EQ(fw::WindowText(dialog), L"HalvorU盘下载PLC工程");
    EXPECT_EQ(text(IDC_PROJECT_PATH), again ? project : L"");
    EXPECT_EQ(text(IDC_PACKAGE_PATH), again ? package : L"");
    EXPECT_EQ(text(IDC_PASSWORD), L"58203147");
    ::SendMessageW(::GetDlgItem(dialog, IDC_PROJECT_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(project.c_str()));
    ::SendMessageW(::GetDlgItem(dialog, IDC_PACKAGE_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(package.c_str()));
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }));
    const SavedSettings saved = SettingsFile(folder.File(L"config.cfg")).Load();
    EXPECT_EQ(saved.projectPath, project);
    EXPECT_EQ(saved.packagePath, package);
  }
}

class Settings : public ::testing::Test {
 protected:
  TempFolder folder;
  std::wstring path = folder.File(L"config.cfg");
  SettingsFile settings{path};
};

// A new file is UTF-16 and gives back paths of any length whole. A
// hand-written file has no byte-order mark: it keeps that encoding, byte for
// byte but the new value, while the paths fit it, and becomes UTF-16 (every
// line kept) when one does not.
TEST_F(Settings, PathsComeBackWholeAndAFileKeepsItsLinesAndItsEncodingUntilAPathNeedsUnicode) {
  settings.SavePaths(L"", L"");
  EXPECT_EQ(ReadFile<std::string>(path).substr(0, 2), "\xFF\xFE") << "UTF-16 with a byte-order mark";
  for (const std::size_t length : {1u, 254u, 255u, 256u, 259u, 260u, 511u, 512u, 1000u}) {
    // Outside any ANSI code page, and as long as `length` says.
    const std::wstring project = L"线" + std::wstring(length - 1, L'a');
    const std::wstring package = L"Ü" + std::wstring(length - 1, L'b');
    settings.SavePaths(project, package);
    const SavedSettings saved = SettingsFile(path).Load();
    EXPECT_TRUE(saved.projectPath == project && saved.packagePath == package) << length;
  }
  const std::string byHand =
      "; written by hand\r\n[Password]\r\nPassword=ABCDEFGH\r\n[Path]\r\nPMW=old.pmw\r\nPPM=F:\\VANTU.PPW\r\n"
      "[Machine]\r\n; line two\r\nModel=FX3U\r\n";
  WriteFile(path, byHand);
  settings.SavePaths(L"new.pmw", L"F:\\VANTU.PPW");
  std::string expected = byHand;
  EXPECT_EQ(ReadFile<std::string>(path), expected.replace(expected.find("old"), 3, "new"));
  for (const std::string& before : {byHand, std::string()}) {
    SCOPED_TRACE(before.empty() ? "empty file" : "hand-written file");
    WriteFile(path, before);
    settings.SavePaths(L"D:\\工程\\线体1.pmw", L"F:\\VANTU.PPW");
    const SavedSettings saved = settings.Load();
    EXPECT_EQ(saved.projectPath, L"D:\\工程\\线体1.pmw");
    EXPECT_EQ(saved.packagePath, L"F:\\VANTU.PPW");
    EXPECT_EQ(saved.password, before.empty() ? L"" : L"ABCDEFGH");
    const std::string after = ReadFile<std::string>(path);
    ASSERT_TRUE(after.starts_with("\xFF\xFE"));
    const std::wstring text(reinterpret_cast<const wchar_t*>(after.data() + 2), (after.size() - 2) / 2);
    for (const wchar_t* kept : {L"; written by hand", L"[Machine]", L"; line two", L"Model=FX3U"}) {
      EXPECT_EQ(text.find(kept) != std::wstring::npos, !before.empty()) << ::testing::PrintToString(kept);
    }
  }
}

TEST_F(Settings, FileThatCannotBeWrittenIsLeftAsItWas) {
  const std::string before = "[Path]\r\nPMW=kept.pmw\r\n";
  WriteFile(path, before);
  {
    // Another program holds the file open without sharing.
    const fw::UniqueHandle held(fw::NullIfInvalid(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(held);
    settings.SavePaths(L"lost.pmw", L"lost");
  }
  EXPECT_EQ(ReadFile<std::string>(path), before);
  SettingsFile(folder.File(L"gone\\config.cfg")).SavePaths(L"a.pmw", L"b");
  EXPECT_FALSE(std::filesystem::exists(folder.path / L"gone")) << "a missing folder is not made";
}

TEST(PackagePathInFolder, PutsTheFolderIntoThePatternWithOneSeparator) {
  const std::wstring pattern = fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT);
  const std::wstring longFolder = L"D:\\" + std::wstring(300, L'x');
  const struct { std::wstring folder, package; } cases[] = {
      {L"C:\\plc", L"C:\\plc\\VANTU.PPW"}, {L"E:\\", L"E:\\VANTU.PPW"}, {L"E:/", L"E:\\VANTU.PPW"},
      {L"\\\\server\\share\\U盘", L"\\\\server\\share\\U盘\\VANTU.PPW"}, {longFolder, longFolder + L"\\VANTU.PPW"},
  };
  for (const auto& c : cases) EXPECT_EQ(PackagePathInFolder(c.folder, pattern), c.package) << c.folder;
}

}  // namespace
}  // namespace tessam::test
