// ppwtool.exe beside an on-access scanner (antivirus, indexer, preview): once a file
// changed it tries to open it at once and again (sharing all), reads it whole and holds
// it a while. No good build may fail for it, and it never sees a package being written.
#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

TEST_F(Ppwtool, BuildsBesideAnOnAccessScannerAllSucceed) {
  const std::string project = Write(Path("project.pmw"), MakeProject(3000));  // 6 MB
  const std::wstring package = Utf8Path(Path("VANTU.PPW")).wstring();
  std::atomic<int> scans{0}, refusals{0}, partial{0};
  const std::jthread scanner([&](const std::stop_token& stop) {
    for (FILETIME scanned{}; !stop.stop_requested();) {
      WIN32_FILE_ATTRIBUTE_DATA now;
      if (!::GetFileAttributesExW(package.c_str(), GetFileExInfoStandard, &now) ||
          ::CompareFileTime(&now.ftLastWriteTime, &scanned) == 0) {
        ::Sleep(1);  // nothing new: the scanner's own pace, not a wait of the test
        continue;
      }
      const fw::UniqueHandle file(fw::NullIfInvalid(::CreateFileW(package.c_str(), GENERIC_READ,
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
      partial += length != 64 + 3000 * 2000 + 92;
      ++scans;
    }
  });
  for (int build = 1; build <= 8; ++build) {
    Expect(0, {"build", project, Path("VANTU.PPW")});
    // The next build starts once the scanner is done with this package.
    for (int waited = 0; scans < build && waited < 10'000; waited += 5) ::Sleep(5);
    ASSERT_EQ(scans, build);
  }
  EXPECT_EQ(partial, 0) << "the scanner saw a package while it was written";
  EXPECT_GT(refusals, 0) << "the scanner tried while the packages were written, and was refused";
}

}  // namespace
}  // namespace tessam::test
