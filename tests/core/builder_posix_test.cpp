// Builder cases only POSIX can stage: a package changed while read back, files on descriptor 0 (faults: the CLI suite).
#include <unistd.h>

#include "core/package_builder.h"
#include "core/package_reader.h"
#include "core/package_writer.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

// flock() is advisory: a package cut or grown behind the builder's back, as by a faulty device.
TEST(PackageBuilderPosix, ReadBackSeesWhatTheFileHoldsNotWhatWasWritten) {
  const test::TempDir dir;
  const auto project = dir / "project.pmw", package = dir / "VANTU.PPW";
  test::WriteFile(project, test::MakeProject(1200));
  const off_t size = 64 + 1200 * 2000 + 92;
  const struct { off_t cutTo; std::uint64_t differsAt; } cases[] = {
      {1500000, 1500000}, {size + 1, static_cast<std::uint64_t>(size)}};  // shorter, longer
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cutTo);
    PackageBuilder builder;
    builder.SetProgressObserver([&](BuildPhase phase, std::uint64_t done, std::uint64_t) {
      if (phase == BuildPhase::kReadingBack && done == kPackageChunk) {  // once the first piece is in
        EXPECT_EQ(::truncate(package.c_str(), c.cutTo), 0);
      }
    });
    EXPECT_EQ(builder.Build({project.u16string(), package.u16string(), {}}), 0);
    EXPECT_EQ(builder.result().failure, BuildFailure::kPackageDiffers);
    EXPECT_EQ(builder.result().firstDifference, c.differsAt);
    EXPECT_FALSE(std::filesystem::exists(package));
  }
}

// Standard input closed, the first file opened gets descriptor 0: the project in a build, the package in a write of
// its own. Each is a file like any other, a stopped write removes its file, nothing stays open (the dialog rebuilds).
TEST(PackageBuilderPosix, FilesOnDescriptorZeroAreFilesLikeAnyOtherAndNoneIsLeftOpen) {
  const test::TempDir dir;
  const auto project = dir / "project.pmw", package = dir / "VANTU.PPW", copy = dir / "copy.ppw";
  test::WriteFile(project, test::MakeProject(1200));  // read back in three pieces
  const auto openDescriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  const auto before = openDescriptors();
  const int input = ::dup(0);
  ::close(0);
  PackageBuilder builder;
  EXPECT_EQ(builder.Build({project.u16string(), package.u16string(), {}}), 1) << Describe(builder.result().failure);
  PackageHeader header = builder.header();
  EXPECT_EQ(WritePackage(header, 0, builder.payload(), copy.u16string()), 1);
  EXPECT_EQ(test::ReadFile(copy), test::ReadFile(package));
  std::stop_source stop;
  const WriteContext stopping{stop.get_token(), {}, [&](BuildPhase phase, std::uint64_t, std::uint64_t) {
                                if (phase == BuildPhase::kReadingBack) stop.request_stop();
                              }};
  EXPECT_EQ(WritePackage(header, 0, builder.payload(), copy.u16string(), stopping).failure, BuildFailure::kStopped);
  EXPECT_FALSE(std::filesystem::exists(copy));
  ::dup2(input, 0), ::close(input);
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace tessam
