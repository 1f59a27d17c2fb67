// ppwtool under failing file calls (fault_shim.cpp), hostile paths and signals: exit status, cause, no stray file.
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

// Every ppwtool started here has the shim preloaded; TESSAM_FAULT names the fault.
class PpwtoolFaults : public Ppwtool {
 protected:
  PpwtoolFaults() {
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);  // shim first
    setenv("LD_PRELOAD", FAULT_SHIM_PATH, 1);
  }
  ~PpwtoolFaults() override { unsetenv("LD_PRELOAD"), unsetenv("TESSAM_FAULT"); }
  // The bytes of a path's text name it on POSIX.
  const std::string project = Path("p.pmw"), package = Path("VANTU.PPW"), target = Path("target.ppw");
};

// A build cut short before writing leaves an old package; once writing began, none: through a link the target goes.
TEST_F(PpwtoolFaults, FailedBuildLeavesNoPackage) {
  const struct { const char* fault; bool throughLink, keepsOld; const char* message; std::uint16_t blocks = 2100; }
      cases[] = {
      {"write:0", true, false, "no space left"}, {"write:2", true, false, "no space left"},  // the header, a chunk
      {"fsync:0", true, false, "input/output"}, {"fsync:1", false, false, "input/output"},  // the file, its folder
      {"ftruncate:0", true, false, "cannot be opened"},
      {"read:0", true, true, "not be read: input/output"},  // the block count
      {"read:3", true, true, "not be read: input/output"},  // the image, all read before the package is opened
      {"fstat:1", false, true, "not be read: input/output"}, {"fstat:2", true, true, "cannot be opened"},
      {"flock:1", true, true, "cannot be opened"}, {"", false, false, "file size limit"},
      {"read:1:flip", false, false, "byte is at file offset 0; the USB stick may be faulty"},  // each read changed
      {"read:6", false, false, "could not be read back"},  // the read-back
      {"read:6:einval", true, false, "could not be read back"},
      {"write:1:interrupt", true, false, "stopped", 65535},  // Ctrl+C in the first payload chunk of the largest
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const Bytes source = MakeProject(c.blocks);  // 2100 blocks: an image of five read chunks
    Write(project, source);
    fs::remove(package);
    if (c.throughLink) {
      Write(target, Bytes(10, 1));
      fs::create_symlink("target.ppw", package);
    }
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{*c.fault ? saved.rlim_cur : 1u << 20, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    setenv("TESSAM_FAULT", c.fault, 1);
    const std::string err = Expect(1, {"build", project, package}).err;
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_TRUE(Contains(err, c.message)) << err;
    EXPECT_EQ(Read(package), c.keepsOld && c.throughLink ? Bytes(10, 1) : Bytes{});
    EXPECT_EQ(fs::exists(package), c.keepsOld && c.throughLink);
    EXPECT_EQ(fs::is_symlink(package), c.throughLink);
    EXPECT_EQ(Read(project), source);
  }
}

// Direct reads taken at the open but refused at the read: read back through the cache.
TEST_F(PpwtoolFaults, ReadBackFallsBackToCachedReads) {
  Write(project, MakeProject(2100));
  setenv("TESSAM_FAULT", "read:6:einval1", 1);  // the first read of the read-back
  Expect(0, {"build", project, package});
  unsetenv("TESSAM_FAULT");
  Expect(0, {"verify", package, project});
}

// extract writes nothing but a regular file that is not its package.
TEST_F(PpwtoolFaults, ExtractLeavesEverythingButItsOwnFileAlone) {
  BuildPackage(3);
  const Bytes sound = Read(package);
  fs::create_symlink("VANTU.PPW", Path("link"));
  fs::create_symlink("made.bin", Path("dangling"));  // the open creates its target
  fs::create_hard_link(package, Path("hard"));
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  const struct { std::string image; const char* fault; const char* message; fs::file_type kept; } cases[] = {
      {Path("new.bin"), "flock:1", "held open", fs::file_type::not_found},  // the first holds the package
      {Path("dangling"), "write:0", "no space left", fs::file_type::symlink},
      {package, "", "is the package itself", fs::file_type::regular},
      {Path("link"), "", "is the package itself", fs::file_type::symlink},
      {Path("hard"), "", "is the package itself", fs::file_type::regular},
      {Path("sub"), "", "it is a folder", fs::file_type::directory},
      {Path("fifo"), "", "not a regular file", fs::file_type::fifo},  // at once, not waiting for a reader
      {"/dev/null", "", "not a regular file", fs::file_type::character},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    setenv("TESSAM_FAULT", c.fault, 1);
    const std::string err = Expect(2, {"extract", package, c.image, "--force"}).err;  // --force changes none of this
    EXPECT_TRUE(Contains(err, c.message)) << err;
    EXPECT_EQ(fs::symlink_status(c.image).type(), c.kept);
    EXPECT_FALSE(fs::exists(Path("made.bin")) || StrayFileLeft());
    EXPECT_EQ(Read(package), sound);
  }
}

// extract puts a new image in place only when complete, else the old stays as it was; a link stays, its target changes.
TEST_F(PpwtoolFaults, ExtractReplacesAnImageOnlyWhenComplete) {
  BuildPackage(2100);  // an image of five read chunks
  fs::create_symlink("target.ppw", Path("link"));
  const Bytes old(10, 7);
  const struct { const char* fault; bool throughLink; int exit; const char* message; } cases[] = {
      {"write:0", false, 2, "no space"}, {"write:2", true, 2, "no space"}, {"fsync:0", true, 2, "input/output"},
      {"write:1:interrupt", false, 1, "stopped"}, {"", true, 0, ""}, {"", false, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + (c.throughLink ? " through the link" : ""));
    Write(target, old);
    setenv("TESSAM_FAULT", c.fault, 1);
    EXPECT_TRUE(Contains(Expect(c.exit, {"extract", package, Path(c.throughLink ? "link" : "target.ppw")}).err,
                         c.message));
    EXPECT_EQ(Read(target), c.exit == 0 ? MakeImage(2100) : old);
    EXPECT_TRUE(fs::is_symlink(Path("link")) && !StrayFileLeft());
  }
}

// A reader that went away is a failed write, never a death by SIGPIPE: exit 2 and the cause, the file still written,
// and no progress in a file. On a terminal each long step shows it on one line of stderr, blanked before the result.
TEST_F(PpwtoolFaults, ClosedPipeIsAWriteErrorAndATerminalShowsProgress) {
  BuildPackage(3);
  const std::string source = Path("project.pmw"), image = Path("image.bin");
  const struct { Words arguments; const char* phase; } cases[] = {
      {{"inspect", package}, "\rchecking the package "}, {{"verify", package, source}, "\rcomparing with the project "},
      {{"build", source, package}, "\rreading and scrambling "}, {{"extract", package, image}, "\rwriting the image "},
  };
  int pipeEnds[2];
  ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
  ::close(pipeEnds[0]);
  const int err = ::open(Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  for (const auto& c : cases) EXPECT_EQ(RunProcessOn(PPWTOOL_PATH, c.arguments, pipeEnds[1], err), 2) << c.arguments[0];
  for (int fd : {err, pipeEnds[1]}) ::close(fd);
  const std::string message = "ppwtool: cannot write to standard output: Broken pipe\n";
  EXPECT_EQ(Text(Path("err")), message + message + message + message);
  EXPECT_EQ(Read(image), MakeImage(3));
  for (const auto& c : cases) {
    termios raw{};
    ::cfmakeraw(&raw);  // the bytes as written, no line endings added
    int terminal = -1, screen = -1;
    ASSERT_EQ(::openpty(&terminal, &screen, nullptr, &raw, nullptr), 0);
    EXPECT_EQ(RunProcessOn(PPWTOOL_PATH, c.arguments, screen, screen), 0);
    ::close(screen);
    std::string shown;
    char piece[4096];
    for (ssize_t got; (got = ::read(terminal, piece, sizeof piece)) > 0;) shown.append(piece, got);  // to EIO
    ::close(terminal);
    EXPECT_TRUE(Contains(shown, c.phase) && std::regex_search(shown, std::regex("^\r[a-z ]+ [0-9]+%[^]*\r +\r[^\r]+$")))
        << shown;
  }
}

// verify that cannot read a file to the end gives no verdict at all.
TEST_F(PpwtoolFaults, VerifyThatCannotReadGivesNoVerdict) {
  BuildPackage(3);
  for (const char* fault : {"read:0", "read:2", "read:4"}) {  // the package; the project's block count, its image
    SCOPED_TRACE(fault);
    setenv("TESSAM_FAULT", fault, 1);
    const auto result = Expect(2, {"verify", package, Path("project.pmw")});
    EXPECT_TRUE(Contains(result.err, "read error: input/output error")) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace tessam::test
