#pragma once
// ppwtool as a user runs it: the real binary in a child process, empty stdin, stdout and stderr in scratch files.

#include <algorithm>
#include <cstdint>

#include "tests/core/test_support.h"

namespace tessam::test {

using Words = std::vector<std::string>;  // a command line's arguments, each UTF-8 text

// Runs a program, each argument (UTF-8 text) reaching it unchanged: its exit status, or none of 0, 1, 2
// when it could not start or ran past 60 seconds (then it is killed). One implementation per platform.
int RunProcess(const std::filesystem::path& program, const Words& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err);
// The same with the caller's descriptors (Windows: inheritable handles); on Windows the child shares the console.
int RunProcessOn(const std::filesystem::path& program, const Words& arguments, std::intptr_t out, std::intptr_t err);

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Ppwtool : public ::testing::Test {
 protected:
  struct Output { std::string out, err; };  // with "\r\n" made "\n"

  void SetUp() override { std::filesystem::create_directory(dir_ / "sub"); }

  // Paths are carried as UTF-8 text, as they are handed to ppwtool.
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  Bytes Read(const std::string& path) const { return ReadFile(Utf8Path(path)); }
  std::string Write(const std::string& path, const Bytes& data) const { return WriteFile(Utf8Path(path), data), path; }
  std::string Text(const std::string& path) const {
    auto text = ReadFile<std::string>(Utf8Path(path));
    std::erase(text, '\r');
    return text;
  }
  // Runs ppwtool, expecting `exitCode`.
  Output Expect(int exitCode, const Words& arguments) const {
    static const std::filesystem::path program = std::filesystem::absolute(Utf8Path(PPWTOOL_PATH));
    // Fresh output files per run: under Wine a child's handles may close a moment after it exits, failing a reopen.
    static int runs = 0;
    const std::string out = Path("stdout" + std::to_string(++runs)), err = Path("stderr" + std::to_string(runs));
    EXPECT_EQ(RunProcess(program, arguments, Utf8Path(out), Utf8Path(err)), exitCode) << Text(err);
    return {Text(out), Text(err)};
  }
  // Whether a new image, written beside its place under such a name, was left behind.
  bool StrayFileLeft() const {
    return std::any_of(std::filesystem::directory_iterator(dir_.path), std::filesystem::directory_iterator(),
                       [](const auto& entry) { return entry.path().filename().u8string().starts_with(u8".tessam-"); });
  }
  // A sound package built from a project of `blocks` blocks.
  std::string BuildPackage(std::uint16_t blocks) const {
    Expect(0, {"build", Write(Path("project.pmw"), MakeProject(blocks)), Path("VANTU.PPW")});
    return Path("VANTU.PPW");
  }

  const TempDir dir_;
  const std::string folder_ = reinterpret_cast<const char*>(dir_.path.u8string().c_str());
};

}  // namespace tessam::test
