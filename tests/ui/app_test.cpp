// The real Tessam.exe: started as a process, and its manifest.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/ui/test_support.h"
#include "framework/handles.h"
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
      std::wstring buffer(1024, L'\0');
      const HWND edit = ::GetDlgItem(dialog, id);
      buffer.resize(::SendMessageW(edit, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
      return buffer;
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

TEST(TessamExecutable, ManifestAsksForCommonControlsSixAsInvokerAndDpiAwareness) {
  const HMODULE module = ::LoadLibraryExW(BuiltExecutable().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                             ::SizeofResource(module, found));
  for (const char* wanted : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "\"asInvoker\"", ">true<"}) {
    EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
  }
  ::FreeLibrary(module);
}

}  // namespace
}  // namespace tessam::test
