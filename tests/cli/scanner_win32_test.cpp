// ppwtool.exe beside an on-access scanner, as antivirus software, the search
// indexer and Explorer's preview are: it opens a file the moment it can
// (sharing reading, writing and deleting), reads it whole, holds it a while
// and looks again only once the file has changed. No good build may fail for
// it, and it must never see a package while it is being written.
#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

struct StandInScanner {
  explicit StandInScanner(std::wstring file) : path(std::move(file)) {}

  void Run(const std::stop_token& stop) {
    FILETIME scanned{};  // looked at again only once it changes
    while (!stop.stop_requested()) {
      WIN32_FILE_ATTRIBUTE_DATA now;
      if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now) ||
          ::CompareFileTime(&now.ftLastWriteTime, &scanned) == 0) {
        ::Sleep(1);  // nothing new: the scanner's own pace, not a wait of the test
        continue;
      }
      // Changed: tries again and again, to have it the moment it is let go.
      const fw::UniqueHandle file(fw::NullIfInvalid(::CreateFileW(path.c_str(), GENERIC_READ,
          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr)));
      if (!file) {
        ++refusals;
        continue;
      }
      std::uint64_t length = 0;
      char buffer[65536];
      for (DWORD got = 0; ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got;) length += got;
      ::Sleep(150);  // holds the file as a scanner does while it judges it
      BY_HANDLE_FILE_INFORMATION info{};
      ::GetFileInformationByHandle(file.get(), &info);
      scanned = info.ftLastWriteTime;
      if (length != 64 + 3000 * 2000 + 92) ++partial;
      ++scans;
    }
  }

  const std::wstring path;
  std::atomic<int> scans{0}, refusals{0}, partial{0};
};

TEST_F(Ppwtool, BuildsBesideAnOnAccessScannerAllSucceed) {
  const std::string project = Write(Path("project.pmw"), MakeProject(3000));  // 6 MB
  StandInScanner scanner(Utf8Path(Path("VANTU.PPW")).wstring());
  const std::jthread scanning([&](std::stop_token stop) { scanner.Run(stop); });
  for (int build = 1; build <= 8; ++build) {
    SCOPED_TRACE(build);
    Expect(0, {"build", project, Path("VANTU.PPW")});
    // The next build starts once the scanner is done with this package.
    for (int waited = 0; scanner.scans < build && waited < 10'000; waited += 5) ::Sleep(5);
    ASSERT_EQ(scanner.scans, build);
  }
  EXPECT_EQ(scanner.partial, 0) << "the scanner saw a package while it was written";
  EXPECT_GT(scanner.refusals, 0) << "the scanner tried while the packages were written, and was refused";
  Expect(0, {"verify", Path("VANTU.PPW"), project});
}

}  // namespace
}  // namespace tessam::test
