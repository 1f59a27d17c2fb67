// ppwtool.exe beside on-access scanners never fails; ended while writing (killed, console closed) it leaves nothing.
#include <windows.h>

#include <atomic>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"
#include "tests/remote_call_win32.h"

namespace tessam::test {

// In process_win32.cpp: the process started as RunProcess starts it, not waited for.
fw::UniqueHandle StartProcess(const std::filesystem::path& exe, const Words& arguments,
                              const std::filesystem::path& out, const std::filesystem::path& err);

namespace {

namespace fs = std::filesystem;

// An antivirus, indexer or preview: once `path` changed it opens it at once and again, with
// `sharing`, and holds it a while. Counts the files it found not `length` long.
struct Scanner {
  Scanner(const std::string& path, DWORD sharing, DWORD holdMs, std::uint64_t length)
      : thread([=, this, name = Utf8Path(path).wstring()](const std::stop_token& stop) {
          for (FILETIME scanned{}; !stop.stop_requested();) {
            WIN32_FILE_ATTRIBUTE_DATA now;
            if (!::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &now) ||
                ::CompareFileTime(&now.ftLastWriteTime, &scanned) == 0) {
              ::Sleep(1);  // nothing new: the scanner's own pace, not a wait of the test
              continue;
            }
            const fw::UniqueHandle file(fw::NullIfInvalid(
                ::CreateFileW(name.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr)));
            if (!file) {
              ++refusals;
              continue;
            }
            LARGE_INTEGER got{};
            ::GetFileSizeEx(file.get(), &got);
            ::Sleep(holdMs);  // holds the file as a scanner does while it judges it
            scanned = now.ftLastWriteTime;
            partial += static_cast<std::uint64_t>(got.QuadPart) != length;
            ++scans;
          }
        }) {}
  std::atomic<int> scans{0}, refusals{0}, partial{0};
  std::jthread thread;  // last: stopped and joined before the counts go
};

TEST_F(Ppwtool, BuildsBesideAnOnAccessScannerAllSucceed) {
  const std::string project = Write(Path("project.pmw"), MakeProject(3000));  // 6 MB
  const Scanner scanner(Path("VANTU.PPW"), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 150,
                        64 + 3000 * 2000 + 92);
  for (int build = 1; build <= 8; ++build) {
    Expect(0, {"build", project, Path("VANTU.PPW")});
    // The next build starts once the scanner is done with this package.
    WaitUntil([&] { return scanner.scans >= build; });
    ASSERT_EQ(scanner.scans, build);
  }
  EXPECT_TRUE(scanner.partial == 0 && scanner.refusals > 0) << "seen while written, or never tried then";
}

// Most scanners share no delete: Windows refuses to replace the image one holds until it lets go.
TEST_F(Ppwtool, ExtractsBesideAScannerThatSharesNoDeleteAllSucceed) {
  const std::string package = BuildPackage(3);
  const Scanner scanner(Path("image.bin"), FILE_SHARE_READ, 300, 3 * 2000 + 92);
  for (int extract = 1; extract <= 8; ++extract) Expect(0, {"extract", package, Path("image.bin")});
  EXPECT_GE(scanner.scans, 4) << "the scanner held too few images to be in the way";
  EXPECT_TRUE(scanner.partial == 0 && !StrayFileLeft());
}

// The size the folder's listing gives a name starting with `prefix`; none: no such name.
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
      const auto process = StartProcess(fs::absolute(Utf8Path(PPWTOOL_PATH)), c.arguments, Utf8Path(Path("out")),
                                        Utf8Path(Path("err")));
      std::optional<std::uint64_t> size;
      WaitUntil([&] { return (size = ListedSize(dir_.path, c.written)).value_or(0) > 0 ||
                             ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT; }, 60s);
      ASSERT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_TIMEOUT) << "it ended before it was seen writing";
      // As the console delivers its close event (then it cleans up first), or as Task Manager ends a process.
      console ? void(RunIn(process.get(), "CtrlRoutine", CTRL_CLOSE_EVENT)) : void(::TerminateProcess(process.get(), 9));
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
