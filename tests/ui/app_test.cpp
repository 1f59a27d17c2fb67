// The real Tessam.exe as a process, and the package path made for a picked folder (settings: settings_test.cpp).

#include "framework/handles.h"
#include "framework/strings.h"
#include "settings/settings_file.h"
#include "tests/remote_call_win32.h"
#include "tests/ui/test_support.h"
#include "ui/package_path.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

// Started elsewhere: only the executable's folder explains where config.cfg lands. The close box saves both paths
// whole, over 259 characters and in no ANSI code page; critical-error boxes go off, keeping the parent's mode.
TEST(TessamProcess, IgnoresItsCommandLineAndTheCloseBoxSavesBesideItselfForTheNextStart) {
  TempFolder folder;
  const std::wstring exe = folder.File(L"Tessam.exe");
  std::filesystem::copy_file(TESSAM_EXE_PATH, exe);
  const std::wstring project = L"D:\\项目\\" + std::wstring(300, L'p') + L"\\线路一.pmw", package = L"E:\\下载\\VANTU.PPW";
  for (const bool again : {false, true}) {
    SCOPED_TRACE(again ? "second start" : "first start");
    std::wstring commandLine = L"\"" + exe + L"\" /help --project C:\\plc\\line1.pmw line2.pmw";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                 std::filesystem::temp_directory_path().c_str(), &startup, &started));
    const fw::UniqueHandle process(started.hProcess), thread(started.hThread);
    // Ends the program if a failed test left it running.
    const std::unique_ptr<void, void (*)(HANDLE)> guard(process.get(), [](HANDLE p) { ::TerminateProcess(p, 1); });
    RunIn(process.get(), "SetErrorMode", SEM_NOOPENFILEERRORBOX);  // as a parent with this mode hands it down
    ::ResumeThread(thread.get());
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindThreadWindow(started.dwThreadId, nullptr)) != nullptr; }, 30s));
    EXPECT_EQ(RunIn(process.get(), "GetErrorMode"), DWORD{SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX});
    // WM_GETTEXT and WM_SETTEXT, as GetWindowTextW does not ask other processes' controls.
    const auto text = [&](int id) {
      wchar_t buffer[1024] = {};
      ::SendMessageW(::GetDlgItem(dialog, id), WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
      return std::wstring(buffer);
    };
    EXPECT_EQ(fw::WindowText(dialog), L"HalvorU盘下载PLC工程");
    EXPECT_EQ(text(IDC_PROJECT_PATH) + L" | " + text(IDC_PACKAGE_PATH) + L" | " + text(IDC_PASSWORD),
              (again ? project + L" | " + package : L" | ") + L" | 58203147");
    ::SendMessageW(::GetDlgItem(dialog, IDC_PROJECT_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(project.c_str()));
    ::SendMessageW(::GetDlgItem(dialog, IDC_PACKAGE_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(package.c_str()));
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(Joined(SettingsFile(folder.File(L"config.cfg")).Load()), project + L" | " + package + L" | ");
  }
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
