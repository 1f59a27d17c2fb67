// ppwtool under failing file calls, hostile image paths and signals (POSIX:
// the faults come from fault_shim.cpp, preloaded). Every case: the exit
// status, a message naming the cause, no output file left, the input as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/process.h"
#include "tests/core/test_support.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class PpwtoolFaults : public ::testing::Test {
 protected:
  // Every ppwtool started here has the shim preloaded (see fault_shim.cpp).
  PpwtoolFaults() {
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);  // shim first
    setenv("LD_PRELOAD", FAULT_SHIM_PATH, 1);
  }
  // Runs ppwtool with `fault` injected; its exit status.
  int Run(const std::vector<std::string>& arguments, const std::string& fault = "", const fs::path& out = "") {
    setenv("TESSAM_FAULT", fault.c_str(), 1);
    return RunProcess(PPWTOOL_PATH, arguments, out.empty() ? dir / "out" : out, dir / "err");
  }

  const TempDir temp;
  const fs::path& dir = temp.path;
  const fs::path project = dir / "p.pmw", package = dir / "VANTU.PPW", target = dir / "target.ppw";
};

// A build cut short anywhere, or interrupted, leaves no package: through a link (to an old package) the target goes and the
// link stays; a file it made is removed.
TEST_F(PpwtoolFaults, FailedBuildLeavesNoPackage) {
  const struct { const char* fault; bool throughLink; const char* message; std::uint16_t blocks = 2100; } cases[] = {
      {"write:0", true, "no space left"}, {"write:2", true, "no space left"},  // the header, the second chunk
      {"fsync:0", true, "input/output"}, {"fsync:1", false, "input/output"},  // the file, the new entry's folder
      {"ftruncate:0", true, "cannot be opened"},
      {"read:0", false, "could not be read"}, {"fstat:2", false, "cannot be opened"},
      {"flock:1", false, "cannot be opened"}, {"", false, "file size limit"},
      {"write:1:interrupt", true, "stopped", 65535},  // Ctrl+C in the first payload chunk of the largest
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const Bytes source = MakeProject(c.blocks);  // 2100 blocks: a package of two write chunks
    WriteFile(project, source);
    fs::remove(package);
    if (c.throughLink) {
      WriteFile(target, Bytes(10, 1));
      fs::create_symlink(target.filename(), package);
    }
    rlimit saved{}, limit{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = {*c.fault ? saved.rlim_cur : 1u << 20, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(Run({"build", project, package}, c.fault), 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_NE(Text(dir / "err").find(c.message), std::string::npos) << Text(dir / "err");
    EXPECT_FALSE(fs::exists(package));
    EXPECT_EQ(fs::is_symlink(package), c.throughLink);
    EXPECT_EQ(ReadFile(project), source);
  }
}

// extract writes nothing but a regular file that is not its package, and
// removes only what it created itself.
TEST_F(PpwtoolFaults, ExtractLeavesEverythingButItsOwnFileAlone) {
  WriteFile(project, MakeProject(3));
  ASSERT_EQ(Run({"build", project, package}), 0);
  const Bytes sound = ReadFile(package);
  fs::create_directory(dir / "empty");
  fs::create_symlink(package.filename(), dir / "link");
  fs::create_hard_link(package, dir / "hard");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const struct { fs::path image; const char* fault; const char* message; fs::file_type kept; } cases[] = {
      {dir / "new.bin", "write:0", "no space left", fs::file_type::not_found},
      {dir / "new.bin", "fsync:0", "input/output", fs::file_type::not_found},
      {dir / "new.bin", "flock:1", "held open", fs::file_type::not_found},  // the first holds the package
      {package, "", "is the package itself", fs::file_type::regular},
      {dir / "link", "", "is the package itself", fs::file_type::symlink},
      {dir / "hard", "", "is the package itself", fs::file_type::regular},
      {dir / "empty", "", "not a regular file", fs::file_type::directory},
      {dir / "fifo", "", "not a regular file", fs::file_type::fifo},  // at once, not waiting for a reader
      {"/dev/null", "", "not a regular file", fs::file_type::character},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    EXPECT_EQ(Run({"extract", package, c.image, "--force"}, c.fault), 2);  // --force changes none of this
    EXPECT_NE(Text(dir / "err").find(c.message), std::string::npos) << Text(dir / "err");
    EXPECT_EQ(fs::symlink_status(c.image).type(), c.kept);
    EXPECT_EQ(ReadFile(package), sound);
  }
  // A report that cannot be written is a failure too.
  EXPECT_EQ(Run({"inspect", "--json", package}, "", "/dev/full"), 2);
  EXPECT_NE(Text(dir / "err").find("standard output"), std::string::npos);
}

}  // namespace
}  // namespace tessam::test
