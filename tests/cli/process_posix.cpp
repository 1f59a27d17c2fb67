#include <sys/wait.h>

#include <cstdlib>

#include "tests/cli/process.h"

namespace tessam::test {

namespace {

// One word for the shell, taken literally: inside single quotes only the quote
// itself needs care.
std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  // timeout(1) keeps the deadline: the program is killed after 60 seconds.
  std::string command = "timeout -s KILL 60 " + Quoted(program.string());
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  command += " </dev/null >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
  const int status = std::system(command.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) < 124 ? WEXITSTATUS(status) : -1;
}

}  // namespace tessam::test
