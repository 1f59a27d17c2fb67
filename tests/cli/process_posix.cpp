#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "tests/cli/process.h"

extern char** environ;

namespace tessam::test {

namespace {

constexpr int kDeadlineMilliseconds = 60'000;

// The arguments go to the program as they are: no shell in between, so no
// word of a test's input can be split, globbed or taken as a redirection.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;

  bool Open(int fd, const std::filesystem::path& path, int flags) {
    return posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0644) == 0;
  }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class PidFd {
 public:
  // Through syscall(): this glibc's <sys/pidfd.h> lacks C linkage for C++.
  explicit PidFd(pid_t child) : fd_(static_cast<int>(syscall(SYS_pidfd_open, child, 0))) {}
  ~PidFd() {
    if (fd_ >= 0) close(fd_);
  }
  PidFd(const PidFd&) = delete;
  PidFd& operator=(const PidFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Waits for the child up to the deadline; a child still running then is killed.
int WaitWithDeadline(pid_t child) {
  // Without a pidfd (an old kernel) the wait has no deadline; ctest's own
  // timeout is the last guard then.
  const PidFd pidfd(child);
  if (pidfd.get() >= 0) {
    pollfd ready{pidfd.get(), POLLIN, 0};
    if (poll(&ready, 1, kDeadlineMilliseconds) == 0) kill(child, SIGKILL);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  FileActions actions;
  if (!actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY) ||
      !actions.Open(STDOUT_FILENO, out, O_WRONLY | O_CREAT | O_TRUNC) ||
      !actions.Open(STDERR_FILENO, err, O_WRONLY | O_CREAT | O_TRUNC)) {
    return -1;
  }
  std::string programText = program.string();
  std::vector<char*> argv{programText.data()};
  std::vector<std::string> words = arguments;  // posix_spawn takes non-const strings
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  if (posix_spawn(&child, programText.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return -1;
  return WaitWithDeadline(child);
}

}  // namespace tessam::test
