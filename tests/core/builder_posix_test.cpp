// Builder cases only POSIX systems can stage: a real write failure part-way
// (a file-size limit makes write() fail with EFBIG once the package grows
// past it, as a full disk would with ENOSPC), and FIFOs at either path.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "core/package_builder.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

// Lowers the file-size limit for the object's lifetime; SIGXFSZ is ignored so
// the write fails instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int);
};

TEST(PackageBuilderDiskFull, FailsAndRemovesThePartialPackage) {
  test::TempDir dir;
  const auto project = dir / "project.pmw";
  const auto package = dir / "VANTU.PPW";
  test::WriteFile(project, test::MakeProject(3000));  // a 6 MB image
  PackageBuilder builder;
  {
    const FileSizeLimit limit(1 << 20);
    EXPECT_EQ(builder.Build({test::Text(project), test::Text(package), {}}), 0);
  }
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageWriteError);
  EXPECT_FALSE(std::filesystem::exists(package));
}

TEST(PackageBuilderFifo, FailsAtOnceInsteadOfWaitingForAWriter) {
  test::TempDir dir;
  const auto fifo = dir / "fifo";
  const auto file = dir / "project.pmw";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  test::WriteFile(file, test::MakeProject(0));
  PackageBuilder builder;
  EXPECT_EQ(builder.Build({test::Text(fifo), test::Text(dir / "VANTU.PPW"), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectNotOpenable);
  EXPECT_EQ(builder.Build({test::Text(file), test::Text(fifo), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageNotOpenable);
}

}  // namespace
}  // namespace tessam
