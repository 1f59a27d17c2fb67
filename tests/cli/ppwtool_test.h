#pragma once
// ppwtool as a user runs it: the real binary in a child process, with empty
// stdin and its stdout and stderr in files of a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/core/test_support.h"

namespace tessam::test {

// Runs a program, each argument (UTF-8 text) reaching it unchanged: its exit status, or none of 0, 1, 2
// when it could not start or ran past 60 seconds (then it is killed). One implementation per platform.
int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err);
// The same with the caller's descriptors (Windows: inheritable handles) as
// standard output and error; on Windows the child shares the caller's console.
int RunProcessOn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 std::intptr_t out, std::intptr_t err);

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Ppwtool : public ::testing::Test {
 protected:
  struct Output { std::string out, err; };  // with "\r\n" made "\n"

  void SetUp() override { std::filesystem::create_directory(dir_ / "sub"); }

  // Paths are carried as UTF-8 text, as they are handed to ppwtool.
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  Bytes Read(const std::string& path) const { return ReadFile(Utf8Path(path)); }
  std::string Write(const std::string& path, const Bytes& bytes) const {
    WriteFile(Utf8Path(path), bytes);
    return path;
  }
  std::string Text(const std::string& path) const {
    const Bytes bytes = Read(path);
    std::string text(bytes.begin(), bytes.end());
    std::erase(text, '\r');
    return text;
  }
  // Runs ppwtool, expecting `exitCode`.
  Output Expect(int exitCode, const std::vector<std::string>& arguments) const {
    static const std::filesystem::path program = std::filesystem::absolute(Utf8Path(PPWTOOL_PATH));
    // Fresh output files per run: under Wine a child's inherited handles may
    // close a moment after it is seen to exit, and reopening them can fail.
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
  const std::u8string folderText_ = dir_.path.u8string();
  const std::string folder_{folderText_.begin(), folderText_.end()};
};

}  // namespace tessam::test
