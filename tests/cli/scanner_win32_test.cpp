// ppwtool.exe beside an on-access scanner, as antivirus software, the search
// indexer and Explorer's preview are: it opens a file the moment it can
// (sharing reading, writing and deleting), reads it whole, holds it a while
// and looks again only once the file has changed. No good build may fail
// for it, and it must never see a package while it is being written.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

class StandInScanner {
 public:
  explicit StandInScanner(std::wstring path) : path_(std::move(path)), thread_([this](std::stop_token stop) { Run(stop); }) {}

  // The length of what each scan read, once the scan let go of the file.
  std::vector<std::uint64_t> scans() const {
    const std::lock_guard lock(mutex_);
    return scans_;
  }
  int refusals() const { return refusals_; }

 private:
  void Run(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      WIN32_FILE_ATTRIBUTE_DATA now{};
      if (::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &now) &&
          (::CompareFileTime(&now.ftLastWriteTime, &scanned_.ftLastWriteTime) != 0 ||
           now.nFileSizeLow != scanned_.nFileSizeLow)) {
        Scan();
      }
      ::Sleep(1);  // the scanner's own pace, not a wait of the test
    }
  }

  void Scan() {
    const fw::UniqueHandle file(fw::NullIfInvalid(::CreateFileW(path_.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr)));
    if (!file) {
      ++refusals_;
      return;
    }
    std::uint64_t length = 0;
    std::vector<char> buffer(1 << 20);
    for (DWORD got = 0; ::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got;) {
      length += got;
    }
    ::Sleep(150);  // holds the file as a scanner does while it judges it
    BY_HANDLE_FILE_INFORMATION info{};
    ::GetFileInformationByHandle(file.get(), &info);
    scanned_.ftLastWriteTime = info.ftLastWriteTime;  // as scanned: looked at again only once it changes
    scanned_.nFileSizeLow = info.nFileSizeLow;
    const std::lock_guard lock(mutex_);
    scans_.push_back(length);
  }

  std::wstring path_;
  mutable std::mutex mutex_;
  std::vector<std::uint64_t> scans_;
  std::atomic<int> refusals_{0};
  WIN32_FILE_ATTRIBUTE_DATA scanned_{};  // the scanner thread's own
  std::jthread thread_;
};

TEST_F(Ppwtool, BuildsBesideAnOnAccessScannerAllSucceed) {
  const std::string project = Write(Path("project.pmw"), MakeProject(3000));  // 6 MB
  const std::uint64_t packageLength = 64 + 3000 * 2000 + 92;
  StandInScanner scanner(Utf8Path(Path("VANTU.PPW")).wstring());
  for (std::size_t build = 1; build <= 8; ++build) {
    SCOPED_TRACE(build);
    Expect(0, {"build", project, Path("VANTU.PPW")});
    // The next build starts once the scanner is done with this package.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (scanner.scans().size() < build && std::chrono::steady_clock::now() < deadline) ::Sleep(5);
    ASSERT_EQ(scanner.scans().size(), build);
  }
  for (const std::uint64_t length : scanner.scans()) EXPECT_EQ(length, packageLength) << "a package seen half-written";
  EXPECT_GT(scanner.refusals(), 0) << "the scanner tried while the packages were written, and was refused";
  Expect(0, {"verify", Path("VANTU.PPW"), project});
}

}  // namespace
}  // namespace tessam::test
