// ppwtool.exe ended outright while it writes, as End task, a closed console, logoff,
// shutdown or a crash end it: the system removes what was being written.
#include <windows.h>

#include <chrono>

#include "tests/cli/process_win32.h"

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

TEST_F(Ppwtool, KilledWhileWritingLeavesNothingHalfWritten) {
  const std::string package = BuildPackage(65535), project = Path("project.pmw");  // 131 MB
  const std::string image = Write(Path("image.bin"), Bytes(10, 7));
  const struct { std::vector<std::string> arguments; std::wstring written; } cases[] = {
      {{"build", project, Path("new.ppw")}, L"new.ppw"},
      {{"extract", package, image}, L".tessam-"},  // the old image is never opened
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    const fw::UniqueHandle process = StartProcess(fs::absolute(Utf8Path(PPWTOOL_PATH)), c.arguments);
    ASSERT_TRUE(process);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::optional<std::uint64_t> size;
    while (!((size = ListedSize(dir_.path, c.written)) && *size > 0) &&
           ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < until) {
      ::Sleep(1);
    }
    ASSERT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_TIMEOUT) << "it ended before it was seen writing";
    ::TerminateProcess(process.get(), 9);
    ::WaitForSingleObject(process.get(), 10'000);
    std::cout << "killed with " << size.value_or(0) << " bytes written\n";
    EXPECT_FALSE(ListedSize(dir_.path, c.written)) << "a half-written file survived";
  }
  EXPECT_EQ(Read(image), Bytes(10, 7));
  EXPECT_EQ(Read(package).size(), 64u + 65535 * 2000 + 92);
}

}  // namespace
}  // namespace tessam::test
