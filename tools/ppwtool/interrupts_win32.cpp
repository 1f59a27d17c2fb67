// The console runs the handler on a thread of its own; it only requests the
// stop, and the work ends through its own cleanup. For a closed console,
// logoff and shutdown Windows ends the process once the handler returns (after
// about 5 s in any case), so there the handler waits for the cleanup first.
#include <windows.h>

#include <mutex>

#include "tools/ppwtool/interrupts.h"

namespace ppwtool {
namespace {

constexpr DWORD kCleanUpWithinMs = 4500;

// Shared with the handler, which may run at any moment, also while the work
// ends: never freed, and the handler never removed (Windows may hold its
// handler list locked while a handler runs).
struct Console {
  std::mutex mutex;
  std::stop_source work{std::nostopstate};  // the running work's; none between works
  HANDLE workEnded = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
};

Console& Shared() {
  static Console* const console = new Console;
  return *console;
}

BOOL WINAPI OnControl(DWORD event) {
  Console& console = Shared();
  {
    const std::lock_guard lock(console.mutex);
    if (!console.work.stop_possible()) return FALSE;  // no work: the default, which ends the process
    console.work.request_stop();
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    ::WaitForSingleObject(console.workEnded, kCleanUpWithinMs);
  }
  return TRUE;
}

}  // namespace

struct InterruptsStop::Listener {};

InterruptsStop::InterruptsStop() {
  Console& console = Shared();
  const std::lock_guard lock(console.mutex);
  console.work = source_;
  ::ResetEvent(console.workEnded);
  [[maybe_unused]] static const BOOL listening = ::SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptsStop::~InterruptsStop() {
  Console& console = Shared();
  {
    const std::lock_guard lock(console.mutex);
    console.work = std::stop_source(std::nostopstate);
  }
  ::SetEvent(console.workEnded);
}

}  // namespace ppwtool
