// ppwtool.exe ended while it writes. Ended outright (End task, a crash), the system
// removes what was being written; told the console closes (the window's close box,
// logoff, shutdown), it stops and cleans up first, within the time Windows gives it.
#include <windows.h>

#include <chrono>

#include "tests/cli/process_win32.h"
#include "tests/remote_call_win32.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

// The bytes the folder's listing gives a name that starts with `prefix` (none: no such name).
std::optional<std::uint64_t> ListedSize(const fs::path& folder, const std::wstring& prefix) {
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((folder / (prefix + L"*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  ::FindClose(search);
  return (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
}

TEST_F(Ppwtool, EndedWhileWritingLeavesNothingHalfWritten) {
  const std::string package = BuildPackage(65535), project = Path("project.pmw");  // 131 MB
  const std::string image = Write(Path("image.bin"), Bytes(10, 7));
  const struct { std::vector<std::string> arguments; std::wstring written; std::string stopped; } cases[] = {
      {{"build", project, Path("new.ppw")}, L"new.ppw", "build failed: the build was stopped"},
      {{"extract", package, image}, L".tessam-", "stopped; " + image + " was not written"},  // the old image stays
  };
  for (const auto& c : cases) {
    for (const bool console : {false, true}) {
      SCOPED_TRACE(c.arguments[0] + (console ? ": the console closes" : ": killed"));
      const fw::UniqueHandle process =
          StartProcess(fs::absolute(Utf8Path(PPWTOOL_PATH)), c.arguments, Utf8Path(Path("out")), Utf8Path(Path("err")));
      ASSERT_TRUE(process);
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      std::optional<std::uint64_t> size;
      while (!((size = ListedSize(dir_.path, c.written)) && *size > 0) &&
             ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < until) {
        ::Sleep(1);
      }
      ASSERT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_TIMEOUT) << "it ended before it was seen writing";
      if (console) {
        RunIn(process.get(), "CtrlRoutine", CTRL_CLOSE_EVENT);  // as the console delivers the event
      } else {
        ::TerminateProcess(process.get(), 9);
      }
      ::WaitForSingleObject(process.get(), 10'000);
      std::cout << "ended with " << size.value_or(0) << " bytes written\n";
      EXPECT_FALSE(ListedSize(dir_.path, c.written)) << "a half-written file survived";
      EXPECT_EQ(Contains(Text(Path("err")), c.stopped), console) << Text(Path("err"));
    }
  }
  EXPECT_EQ(Read(image), Bytes(10, 7));
  EXPECT_EQ(Read(package).size(), 64u + 65535 * 2000 + 92);
}

}  // namespace
}  // namespace tessam::test
