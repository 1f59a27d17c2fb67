// ppwtool.exe beside an on-access scanner (antivirus, indexer, preview): once a file
// changed it tries to open it at once and again, reads it whole and holds it a while.
// No good build or extract may fail for it, and it never sees a file being written.
#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

struct Scanner {
  // Watches `path`, opening it with `sharing`; counts the whole files of `length` bytes it saw.
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
            std::uint64_t got = 0;
            char buffer[65536];
            for (DWORD read = 0; ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read;) got += read;
            ::Sleep(holdMs);  // holds the file as a scanner does while it judges it
            BY_HANDLE_FILE_INFORMATION info{};
            ::GetFileInformationByHandle(file.get(), &info);
            scanned = info.ftLastWriteTime;
            partial += got != length;
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
    for (int waited = 0; scanner.scans < build && waited < 10'000; waited += 5) ::Sleep(5);
    ASSERT_EQ(scanner.scans, build);
  }
  EXPECT_EQ(scanner.partial, 0) << "the scanner saw a package while it was written";
  EXPECT_GT(scanner.refusals, 0) << "the scanner tried while the packages were written, and was refused";
}

// Most scanners share no delete: while one holds the image the last extract put in
// place, Windows refuses to replace it, until the scanner lets go.
TEST_F(Ppwtool, ExtractsBesideAScannerThatSharesNoDeleteAllSucceed) {
  const std::string package = BuildPackage(3);
  const Scanner scanner(Path("image.bin"), FILE_SHARE_READ, 300, 3 * 2000 + 92);
  for (int extract = 1; extract <= 8; ++extract) Expect(0, {"extract", package, Path("image.bin")});
  EXPECT_GE(scanner.scans, 4) << "the scanner held too few images to be in the way";
  EXPECT_EQ(scanner.partial, 0);
  EXPECT_FALSE(StrayFileLeft());
}

}  // namespace
}  // namespace tessam::test
