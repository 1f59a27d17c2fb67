#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <memory>

#include "tests/cli/process.h"

extern char** environ;

namespace tessam::test {

int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const auto destroy = [](posix_spawn_file_actions_t* made) { posix_spawn_file_actions_destroy(made); };
  const std::unique_ptr<posix_spawn_file_actions_t, decltype(destroy)> actionsOwner(&actions, destroy);
  if (posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0 ||
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) ||
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
    return -1;
  }
  // The arguments go to the program as they are: no shell in between, so no
  // word of a test's input can be split, globbed or taken as a redirection.
  std::string programText = program.string();  // posix_spawn takes non-const strings
  std::vector<std::string> words = arguments;
  std::vector<char*> argv{programText.data()};
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, programText.c_str(), &actions, nullptr, argv.data(), environ) != 0) return -1;

  // A child still running after the deadline is killed. Through syscall():
  // this glibc's <sys/pidfd.h> lacks C linkage for C++. Without a pidfd (an
  // old kernel) ctest's own timeout is the last guard.
  const struct PidFd {
    int fd;
    ~PidFd() { if (fd >= 0) close(fd); }
  } pidfd{static_cast<int>(syscall(SYS_pidfd_open, child, 0))};
  pollfd ready{pidfd.fd, POLLIN, 0};
  if (pidfd.fd >= 0 && poll(&ready, 1, 60'000) == 0) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tessam::test
