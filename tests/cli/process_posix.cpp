#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "tests/cli/ppwtool_test.h"

namespace tessam::test {

int RunProcessOn(const std::filesystem::path& program, const Words& arguments, std::intptr_t out, std::intptr_t err) {
  // All the child needs is made before the fork: after it, only calls safe while other threads' locks may be held.
  const std::string programText = program.string();
  std::vector<const char*> argv{programText.c_str()};
  for (const std::string& word : arguments) argv.push_back(word.c_str());
  argv.push_back(nullptr);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t child = in < 0 ? -1 : fork();
  if (child == 0) {
    // No shell: no word split, globbed or redirected. An alarm survives exec, ending a child still running at 60 s.
    if (dup2(in, 0) < 0 || dup2(static_cast<int>(out), 1) < 0 || dup2(static_cast<int>(err), 2) < 0) _exit(127);
    alarm(60);
    execv(argv[0], const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  if (in >= 0) close(in);
  if (child < 0) return -1;
  int status = 0, waited = 0;
  while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {}
  return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunProcess(const std::filesystem::path& program, const Words& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  const int to = open(out.c_str(), kWrite, 0644), errors = open(err.c_str(), kWrite, 0644);
  const int status = to < 0 || errors < 0 ? -1 : RunProcessOn(program, arguments, to, errors);
  for (int fd : {to, errors}) close(fd);  // -1 included: nothing to close, no harm
  return status;
}

}  // namespace tessam::test
