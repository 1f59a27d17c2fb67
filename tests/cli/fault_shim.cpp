// Preloaded into ppwtool by the POSIX CLI tests: makes one kind of file call
// fail, to show that every failure path leaves no output file and the input
// untouched. TESSAM_FAULT="call:n": the first n calls of `call` on descriptors
// above 2 (not the standard streams) pass, the rest fail; "call:n:interrupt":
// SIGINT at call n + 1, which goes through once the signal has been taken.
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Fault {
  std::string call;
  long passes = -1;  // -1: no fault
  bool interrupt = false;
};

const Fault& Wanted() {
  static const Fault fault = [] {
    Fault f;
    const char* setting = std::getenv("TESSAM_FAULT");
    char call[16] = {}, interrupt[16] = {};
    if (setting && std::strcmp(program_invocation_short_name, "ppwtool") == 0 &&
        std::sscanf(setting, "%15[a-z]:%ld:%15s", call, &f.passes, interrupt) >= 2) {
      f.call = call;
      f.interrupt = *interrupt != '\0';
    }
    return f;
  }();
  return fault;
}

// True when this call is to fail (errno set); a stalled call returns false.
bool Hit(const char* call, int fd) {
  static std::atomic<long> calls{0};
  const Fault& fault = Wanted();
  if (fd <= 2 || fault.passes < 0 || fault.call != call || calls++ < fault.passes) return false;
  if (!fault.interrupt) {
    errno = std::strcmp(call, "write") == 0 ? ENOSPC : std::strcmp(call, "flock") == 0 ? EWOULDBLOCK : EIO;
    return true;
  }
  if (calls == fault.passes + 1) {
    ::kill(::getpid(), SIGINT);
    // Pending until the program's signal thread takes it (a minute at most).
    sigset_t pending;
    const timespec pause{0, 1000000};
    for (int i = 0; i < 60000 && ::sigpending(&pending) == 0 && sigismember(&pending, SIGINT); ++i) {
      ::nanosleep(&pause, nullptr);
    }
  }
  return false;
}

}  // namespace

// Each wrapped call fails as `fault` when Hit() says so, else goes on to the C library.
#define TESSAM_WRAP(name, fault, result, parameters, arguments)                                 \
  result name parameters {                                                                      \
    static const auto next = reinterpret_cast<result(*) parameters>(::dlsym(RTLD_NEXT, #name)); \
    return Hit(fault, fd) ? -1 : next arguments;                                                \
  }

extern "C" {
TESSAM_WRAP(write, "write", ssize_t, (int fd, const void* data, size_t size), (fd, data, size))
TESSAM_WRAP(pwrite, "write", ssize_t, (int fd, const void* data, size_t size, off_t offset), (fd, data, size, offset))
TESSAM_WRAP(read, "read", ssize_t, (int fd, void* data, size_t size), (fd, data, size))
TESSAM_WRAP(pread, "read", ssize_t, (int fd, void* data, size_t size, off_t offset), (fd, data, size, offset))
TESSAM_WRAP(fsync, "fsync", int, (int fd), (fd))
TESSAM_WRAP(ftruncate, "ftruncate", int, (int fd, off_t length), (fd, length))
TESSAM_WRAP(fstat, "fstat", int, (int fd, struct stat* info), (fd, info))
TESSAM_WRAP(flock, "flock", int, (int fd, int operation), (fd, operation))
}  // extern "C"
