// Preloaded into ppwtool by the POSIX CLI tests: one kind of file call fails, to show that every failure path leaves
// no output file and the input untouched. TESSAM_FAULT="call:n": the first n calls of `call` on descriptors above 2
// pass, the rest fail; "call:n:interrupt": SIGINT at call n + 1, which goes through once the signal is taken;
// "read:n:flip": the later reads go through with their first byte changed, as from a faulty device; "read:n:einval":
// they fail as on a file system that refuses direct reads ("einval1": only read n + 1).
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
  std::string mode;  // "", "interrupt", "flip", "einval" or "einval1"
};

Fault FromEnvironment() {
  Fault f;
  const char* setting = std::getenv("TESSAM_FAULT");
  char call[16] = {}, mode[16] = {};
  if (setting && std::strcmp(program_invocation_short_name, "ppwtool") == 0 &&
      std::sscanf(setting, "%15[a-z]:%ld:%15s", call, &f.passes, mode) >= 2) {
    f.call = call;
    f.mode = mode;
  }
  return f;
}

enum class Effect { kNone, kFail, kFlip };

// What becomes of this call: failing (errno set), its data changed, or nothing (a stalled one goes on once signalled).
Effect Hit(const char* call, int fd) {
  static std::atomic<long> calls{0};
  static const Fault fault = FromEnvironment();
  if (fd <= 2 || fault.passes < 0 || fault.call != call || calls++ < fault.passes) return Effect::kNone;
  if (fault.mode == "flip") return Effect::kFlip;
  if (fault.mode.starts_with("einval")) {
    if (fault.mode == "einval1" && calls > fault.passes + 1) return Effect::kNone;
    errno = EINVAL;
    return Effect::kFail;
  }
  if (fault.mode.empty()) {
    errno = std::strcmp(call, "write") == 0 ? ENOSPC : std::strcmp(call, "flock") == 0 ? EWOULDBLOCK : EIO;
    return Effect::kFail;
  }
  if (calls == fault.passes + 1) {
    ::kill(::getpid(), SIGINT);
    // Pending until the program's signal thread takes it (a minute at most).
    sigset_t pending;
    const timespec pause{0, 1000000};
    for (int i = 0; i < 60000 && ::sigpending(&pending) == 0 && sigismember(&pending, SIGINT); ++i)
      ::nanosleep(&pause, nullptr);
  }
  return Effect::kNone;
}

}  // namespace

// Each wrapped call fails, or has the first byte read into `read` changed, as Hit() says; else it is the C library's.
#define TESSAM_WRAP(name, fault, result, parameters, arguments, read)                           \
  result name parameters {                                                                      \
    static const auto next = reinterpret_cast<result(*) parameters>(::dlsym(RTLD_NEXT, #name)); \
    const Effect effect = Hit(fault, fd);                                                       \
    if (effect == Effect::kFail) return -1;                                                     \
    const result got = next arguments;                                                          \
    if (effect == Effect::kFlip && read && got > 0) *static_cast<unsigned char*>(read) ^= 1;    \
    return got;                                                                                 \
  }

extern "C" {
TESSAM_WRAP(write, "write", ssize_t, (int fd, const void* data, size_t size), (fd, data, size), nullptr)
TESSAM_WRAP(pwrite, "write", ssize_t, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at), nullptr)
TESSAM_WRAP(read, "read", ssize_t, (int fd, void* data, size_t size), (fd, data, size), data)
TESSAM_WRAP(pread, "read", ssize_t, (int fd, void* data, size_t size, off_t at), (fd, data, size, at), data)
TESSAM_WRAP(fsync, "fsync", int, (int fd), (fd), nullptr)
TESSAM_WRAP(ftruncate, "ftruncate", int, (int fd, off_t length), (fd, length), nullptr)
TESSAM_WRAP(fstat, "fstat", int, (int fd, struct stat* info), (fd, info), nullptr)
TESSAM_WRAP(flock, "flock", int, (int fd, int operation), (fd, operation), nullptr)
}  // extern "C"
