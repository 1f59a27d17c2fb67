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

TEST(TessamProcess, IgnoresItsCommandLineAndEndsBothWaysSavingBesideItselfOnlyOnTheCloseBox) {
  TempFolder folder;
  const std::wstring exe = folder.File(L"Tessam.exe");
  std::filesystem::copy_file(BuiltExecutable(), exe);
  for (const bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "\"关闭\"");
    std::wstring commandLine = L"\"" + exe + L"\" /help --project C:\\plc\\line1.pmw line2.pmw";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Started elsewhere, so only the executable's folder can explain where config.cfg lands.
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 std::filesystem::temp_directory_path().c_str(), &startup, &started));
    const fw::UniqueHandle process(started.hProcess), thread(started.hThread);
    const struct EndIfLeftRunning {  // only a failed test leaves it running
      HANDLE running;
      ~EndIfLeftRunning() { ::TerminateProcess(running, 1); }
    } guard{process.get()};
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindThreadWindow(started.dwThreadId, nullptr)) != nullptr; }, 30s));
    // WM_GETTEXT, as GetWindowTextW does not ask other processes' controls.
    const auto text = [&](int id) {
      wchar_t buffer[64] = {};
      ::SendMessageW(::GetDlgItem(dialog, id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
      return std::wstring(buffer);
    };
    EXPECT_EQ(fw::WindowText(dialog), L"HalvorU盘下载PLC工程");
    EXPECT_EQ(text(IDC_PROJECT_PATH), L"");
    EXPECT_EQ(text(IDC_PASSWORD), L"58203147");

    ::SendMessageW(::GetDlgItem(dialog, IDC_PACKAGE_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"E:\\VANTU.PPW"));
    if (closeBox) {
      ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    } else {
      ::PostMessageW(::GetDlgItem(dialog, IDC_CLOSE_BUTTON), BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(SettingsFile(folder.File(L"config.cfg")).Load().packagePath, closeBox ? L"E:\\VANTU.PPW" : L"");
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
