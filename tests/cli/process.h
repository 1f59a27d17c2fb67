#pragma once
// Runs a program the way a user's shell would and hands back what it said.
// One implementation per platform (process_posix.cpp, process_win32.cpp).
#include <filesystem>
#include <string>
#include <vector>

namespace tessam::test {

struct ProcessResult {
  int exitCode = -1;  // -1 when the program could not be started or timed out
  std::string out;    // stdout, with any "\r\n" turned into "\n"
  std::string err;    // stderr, likewise
};

// Starts `program` with `arguments` (UTF-8 text), an empty stdin, and stdout
// and stderr sent to files in `scratch` (created if needed), then waits for it
// to end, at most 60 seconds.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& scratch);

// True where a program receives its arguments as bytes (POSIX), so a test
// can hand it text that is not UTF-8; false where they travel as UTF-16.
bool ArgumentsAreBytes();

// Shared by both implementations: the captured text, "\r\n" made "\n".
std::string ReadCapture(const std::filesystem::path& file);

}  // namespace tessam::test
