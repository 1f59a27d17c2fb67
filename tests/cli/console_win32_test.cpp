// ppwtool on a console of its own: text reaches the screen as UTF-16 whatever the code page, kept; its error mode.
#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"
#include "tests/remote_call_win32.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

TEST_F(Ppwtool, ConsoleShowsEveryCharacterAndKeepsItsCodePage) {
  // A Western cmd window's code page: UTF-8 bytes would show as other characters, a changed one break batch files.
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  ASSERT_TRUE(::SetConsoleOutputCP(437));
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const fw::UniqueHandle screen(fw::NullIfInvalid(::CreateConsoleScreenBuffer(
      GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr)));
  ASSERT_TRUE(screen);
  fs::create_directory(dir_ / fs::path(u8"U盘"));
  const std::string package = Path("U盘/VANTU.PPW");
  // Write access alone, as CONOUT$ opened with GENERIC_WRITE: a console, without the read access GetConsoleMode wants.
  HANDLE writeOnly = nullptr;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), screen.get(), ::GetCurrentProcess(), &writeOnly, GENERIC_WRITE,
                                TRUE, 0));
  const fw::UniqueHandle written(writeOnly);
  const auto handle = reinterpret_cast<std::intptr_t>(writeOnly);
  const std::vector<std::string> build = {"build", Write(Path("工程.pmw"), MakeProject(1)), package};
  EXPECT_EQ(RunProcessOn(fs::absolute(PPWTOOL_PATH), build, handle, handle), 0);
  EXPECT_EQ(::GetConsoleOutputCP(), 437u);
  // From the left edge, where the progress shown before was blanked out, to the end.
  std::wstring shown(4000, L' ');
  DWORD got = 0;
  EXPECT_TRUE(::ReadConsoleOutputCharacterW(screen.get(), shown.data(), 4000, {0, 0}, &got));
  const std::wstring wrote = L"wrote " + Utf8Path(package).wstring() + L" (2156 bytes)";
  EXPECT_EQ(shown.substr(0, shown.find_last_not_of(L' ') + 1), wrote);
  ::FreeConsole();
}

// ppwtool.exe turns "no disk in the drive" boxes off before it touches a path, keeping its parent's mode. Asked from
// inside while it waits to write into a full pipe nobody reads.
TEST_F(Ppwtool, TurnsCriticalErrorBoxesOffFirst) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 1));
  const fw::UniqueHandle reader(readEnd), writer(writeEnd);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writer.get();
  std::wstring commandLine = L"ppwtool.exe --help";
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessW(fs::absolute(PPWTOOL_PATH).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started));
  const fw::UniqueHandle process(started.hProcess), thread(started.hThread);
  RunIn(process.get(), "SetErrorMode", SEM_NOOPENFILEERRORBOX);  // as a parent with this mode hands it down
  ::ResumeThread(thread.get());
  constexpr DWORD kBoth = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  EXPECT_TRUE(WaitUntil([&] { return RunIn(process.get(), "GetErrorMode") == kBoth; }));
  ::TerminateProcess(process.get(), 0);
}

}  // namespace
}  // namespace tessam::test
