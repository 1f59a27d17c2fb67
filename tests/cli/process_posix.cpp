#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/cli/process.h"

extern char** environ;

namespace tessam::test {

namespace {

// posix_spawn file actions, released however the spawn goes.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;

  void Open(int fd, const std::filesystem::path& path, int flags) {
    posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0644);
  }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

}  // namespace

bool ArgumentsAreBytes() { return true; }

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& scratch) {
  std::filesystem::create_directories(scratch);
  const auto outPath = scratch / "stdout.txt";
  const auto errPath = scratch / "stderr.txt";
  FileActions actions;
  actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
  actions.Open(STDOUT_FILENO, outPath, O_WRONLY | O_CREAT | O_TRUNC);
  actions.Open(STDERR_FILENO, errPath, O_WRONLY | O_CREAT | O_TRUNC);

  std::vector<std::string> argv_strings = {program.string()};
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& text : argv_strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  ProcessResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return result;

  // Poll until the child ends or the deadline passes.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadCapture(outPath);
  result.err = ReadCapture(errPath);
  return result;
}

}  // namespace tessam::test
