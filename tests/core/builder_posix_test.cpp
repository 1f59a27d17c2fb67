// Builder cases only POSIX systems can stage: a real write failure part-way (a
// file-size limit makes write() fail with EFBIG, as a full disk would with
// ENOSPC), and FIFOs at either path.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "core/package_builder.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

TEST(PackageBuilderPosix, WriteFailingPartWayRemovesThePartialPackage) {
  const test::TempDir dir;
  const auto project = dir / "project.pmw";
  const auto package = dir / "VANTU.PPW";
  test::WriteFile(project, test::MakeProject(3000));  // a 6 MB image
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit lowered = saved;
  lowered.rlim_cur = 1 << 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
  PackageBuilder builder;
  const int written = builder.Build({project.u16string(), package.u16string(), {}});
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(written, 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageWriteError);
  EXPECT_FALSE(std::filesystem::exists(package));
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
