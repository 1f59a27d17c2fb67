// Builder cases only POSIX systems can stage: a package changed on disk while
// it is read back, and FIFOs at either path. (Real write failures are staged
// in the CLI fault tests.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/package_builder.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

// Flock is advisory, so the held package can be cut or grown by its path behind
// the builder's back, as a faulty device might: the read-back must see it.
TEST(PackageBuilderPosix, ReadBackSeesWhatTheFileHoldsNotWhatWasWritten) {
  const test::TempDir dir;
  const auto project = dir / "project.pmw";
  const auto package = dir / "VANTU.PPW";
  test::WriteFile(project, test::MakeProject(1200));
  const off_t size = 64 + 1200 * 2000 + 92;
  const struct { off_t cutTo; std::uint64_t differsAt; } cases[] = {
      {1500000, 1500000}, {size + 1, static_cast<std::uint64_t>(size)}};  // shorter, longer
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cutTo);
    PackageBuilder builder;
    builder.SetTestSeams({[&](std::uint64_t offset, std::span<std::uint8_t>) {
                            // Once the first piece is in.
                            return offset != 0 || ::truncate(package.c_str(), c.cutTo) == 0;
                          }});
    EXPECT_EQ(builder.Build({project.u16string(), package.u16string(), {}}), 0);
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageDiffers);
    EXPECT_EQ(builder.firstDifference(), c.differsAt);
    EXPECT_FALSE(std::filesystem::exists(package));
  }
}

TEST(PackageBuilderPosix, FifoFailsAtOnceInsteadOfWaitingForAWriter) {
  const test::TempDir dir;
  const auto fifo = dir / "fifo";
  const auto file = dir / "project.pmw";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  test::WriteFile(file, test::MakeProject(0));
  PackageBuilder builder;
  EXPECT_EQ(builder.Build({fifo.u16string(), (dir / "VANTU.PPW").u16string(), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectNotOpenable);
  EXPECT_EQ(builder.Build({file.u16string(), fifo.u16string(), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageNotOpenable);
}

}  // namespace
}  // namespace tessam
