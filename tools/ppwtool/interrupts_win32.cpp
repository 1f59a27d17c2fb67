// The console runs the control handler on a thread of its own; the handler
// only requests the stop, and the work ends through its own cleanup. For a
// closed console window, logoff and shutdown Windows ends the process as soon
// as the handler returns, and after about 5 seconds in any case, so there the
// handler waits, for less than that, until the work has cleaned up.
#include <windows.h>

#include <mutex>

#include "tools/ppwtool/interrupts.h"

namespace ppwtool {
namespace {

constexpr DWORD kCleanUpWithinMs = 4500;

// What the handler shares with the work. The handler may run at any moment,
// also while the work ends, so this is never freed, and the handler is never
// removed (Windows may hold its handler list while a handler runs).
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
