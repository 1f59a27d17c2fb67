// ppwtool on a console: what it writes reaches the screen as UTF-16 whatever
// the console's code page, and the code page stays as the user set it. The
// test makes a console of its own and reads back what the screen holds.
#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

TEST_F(Ppwtool, ConsoleShowsEveryCharacterAndKeepsItsCodePage) {
  // The code page of a Western cmd window, where UTF-8 bytes would show as
  // other characters and a changed code page would break batch files.
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  ASSERT_TRUE(::SetConsoleOutputCP(437));
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const fw::UniqueHandle screen(fw::NullIfInvalid(::CreateConsoleScreenBuffer(
      GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr)));
  ASSERT_TRUE(screen);
  fs::create_directory(dir_ / fs::path(u8"U盘"));
  const std::string package = Path("U盘/VANTU.PPW");
  const auto handle = reinterpret_cast<std::intptr_t>(screen.get());
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

}  // namespace
}  // namespace tessam::test
