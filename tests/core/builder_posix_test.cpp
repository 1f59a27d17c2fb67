// Builder cases only POSIX systems can stage: FIFOs at either path. (Real
// write failures are staged in the CLI fault tests.)
#include <gtest/gtest.h>
#include <sys/stat.h>


#include "core/package_builder.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

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
