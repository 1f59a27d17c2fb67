#pragma once
// Runs a program with empty stdin, stdout and stderr into the given files,
// each argument reaching it unchanged. One implementation per platform.
#include <filesystem>
#include <string>
#include <vector>

namespace tessam::test {

// The exit status, or none of 0, 1, 2 when the program could not start or
// ran past 60 seconds (then it is killed). Arguments are UTF-8 text.
int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err);

}  // namespace tessam::test
