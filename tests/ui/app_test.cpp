// The real Tessam.exe as a process: it shows the dialog, ignores its command
// line, and ends by either of the dialog's two ways. Also its version record
// and manifest.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/ui/wait.h"
#include "ui/framework/handles.h"
#include "ui/framework/strings.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

// CMake hands over the build's path; under Wine a Unix path is drive Z:.
std::wstring BuiltExecutable() {
  const std::string unix = TESSAM_EXE_PATH;
  std::wstring path;
  if (!unix.empty() && unix.front() == '/') path = L"Z:";
  for (const char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

// The text of a control in another process (GetWindowTextW does not ask
// other processes' controls).
std::wstring RemoteText(HWND control) {
  wchar_t text[512] = {};
  ::SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

class RunningTessam {
 public:
  // Starts a copy of Tessam.exe in `folder`, so its config.cfg lands there.
  RunningTessam(const TempFolder& folder, const std::wstring& arguments) {
    const std::wstring exe = folder.File(L"Tessam.exe");
    std::filesystem::copy_file(BuiltExecutable(), exe, std::filesystem::copy_options::overwrite_existing);
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.path().c_str(), &startup, &started)) {
      ADD_FAILURE() << "cannot start Tessam.exe: " << ::GetLastError();
      return;
    }
    process_.reset(started.hProcess);
    fw::UniqueHandle thread(started.hThread);
    processId_ = started.dwProcessId;
    if (!WaitUntil([this] { return (dialog_ = FindDialog()) != nullptr; }, 30s)) {
      ADD_FAILURE() << "Tessam.exe showed no dialog";
    }
  }
  RunningTessam(const RunningTessam&) = delete;
  RunningTessam& operator=(const RunningTessam&) = delete;
  ~RunningTessam() {
    if (process_ && !Ended()) ::TerminateProcess(process_.get(), 1);  // only a failed test gets here
  }

  HWND dialog() const { return dialog_; }
  bool Ended() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
  bool WaitForEnd() const { return WaitUntil([this] { return Ended(); }); }

 private:
  HWND FindDialog() const {
    struct Search {
      DWORD processId;
      HWND found;
    } search{processId_, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(window, &owner);
          if (owner == s->processId && ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_GENERATE)) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  fw::UniqueHandle process_;
  DWORD processId_ = 0;
  HWND dialog_ = nullptr;
};

TEST(TessamProcess, CloseButtonEndsTheProcessWithoutSaving) {
  TempFolder folder;
  RunningTessam tessam(folder, L"");
  ASSERT_NE(tessam.dialog(), nullptr);
  EXPECT_EQ(fw::WindowText(tessam.dialog()), L"HalvorU盘下载PLC工程");
  ::PostMessageW(::GetDlgItem(tessam.dialog(), IDC_CLOSE_BUTTON), BM_CLICK, 0, 0);
  EXPECT_TRUE(tessam.WaitForEnd());
  EXPECT_FALSE(std::filesystem::exists(folder.path() / L"config.cfg"));
}

TEST(TessamProcess, CloseBoxEndsTheProcessAndSavesBesideTheExecutable) {
  TempFolder folder;
  RunningTessam tessam(folder, L"");
  ASSERT_NE(tessam.dialog(), nullptr);
  const std::wstring package = L"E:\\VANTU.PPW";
  ::SendMessageW(::GetDlgItem(tessam.dialog(), IDC_PACKAGE_PATH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(package.c_str()));
  ::PostMessageW(tessam.dialog(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(tessam.WaitForEnd());
  wchar_t saved[64] = {};
  ::GetPrivateProfileStringW(L"Path", L"PPM", L"", saved, 64, folder.File(L"config.cfg").c_str());
  EXPECT_EQ(std::wstring(saved), package);
}

TEST(TessamProcess, CommandLineIsIgnored) {
  TempFolder folder;
  RunningTessam tessam(folder, L"/help --project C:\\plc\\line1.pmw line2.pmw");
  ASSERT_NE(tessam.dialog(), nullptr);
  EXPECT_EQ(RemoteText(::GetDlgItem(tessam.dialog(), IDC_PROJECT_PATH)), L"");
  EXPECT_EQ(RemoteText(::GetDlgItem(tessam.dialog(), IDC_PASSWORD)), L"58203147");
  ::PostMessageW(::GetDlgItem(tessam.dialog(), IDC_CLOSE_BUTTON), BM_CLICK, 0, 0);
  EXPECT_TRUE(tessam.WaitForEnd());
}

// The executable's resources, read without running it.
class TessamResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW(BuiltExecutable().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { ::FreeLibrary(module_); }

  std::string Resource(const wchar_t* type, const wchar_t* name) const {
    const HRSRC found = ::FindResourceW(module_, name, type);
    if (!found) return {};
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module_, found)));
    return std::string(data, ::SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

TEST_F(TessamResources, ManifestAsksForCommonControlsSixAsInvokerAndDpiAwareness) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

TEST_F(TessamResources, VersionRecordIsOneZeroZeroOne) {
  const std::string version = Resource(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1));
  ASSERT_GT(version.size(), 40u + sizeof(VS_FIXEDFILEINFO));
  // VS_VERSIONINFO: header (6 bytes), "VS_VERSION_INFO" (32 bytes), padding to 4.
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, version.data() + 40, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00000001u);
}

TEST_F(TessamResources, IconHasThirteenImages) {
  // RT_GROUP_ICON: a 6-byte header whose last word is the image count.
  const std::string group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_GE(group.size(), 6u);
  EXPECT_EQ(static_cast<unsigned char>(group[4]) | (static_cast<unsigned char>(group[5]) << 8), 13);
}

}  // namespace
}  // namespace tessam::test
