// The console runs the control handler on a thread of its own; the handler
// only requests the stop, and the work ends through its own cleanup.
#include <windows.h>

#include <atomic>

#include "tools/ppwtool/interrupts.h"

namespace ppwtool {
namespace {

std::atomic<std::stop_source*> current{nullptr};

BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (std::stop_source* source = current.load()) source->request_stop();
  return TRUE;
}

}  // namespace

struct InterruptsStop::Listener {};

InterruptsStop::InterruptsStop() {
  current = &source_;
  SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptsStop::~InterruptsStop() {
  SetConsoleCtrlHandler(OnControl, FALSE);
  current = nullptr;
}

}  // namespace ppwtool
