// A thread waits for the signals with sigwait() and requests the stop: no work
// happens inside a signal handler. The signals stay blocked in every thread
// (threads started later inherit the mask), so none of them ends the process.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "tools/ppwtool/interrupts.h"

namespace ppwtool {

struct InterruptsStop::Listener {
  sigset_t signals{};
  std::atomic<bool> leaving{false};
  std::thread thread;
};

InterruptsStop::InterruptsStop() : listener_(std::make_unique<Listener>()) {
  Listener& listener = *listener_;
  sigemptyset(&listener.signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&listener.signals, signal);
  pthread_sigmask(SIG_BLOCK, &listener.signals, nullptr);
  listener.thread = std::thread([&listener, source = source_]() mutable {
    for (;;) {
      int signal = 0;
      if (sigwait(&listener.signals, &signal) != 0) continue;
      if (listener.leaving) return;
      source.request_stop();
    }
  });
}

InterruptsStop::~InterruptsStop() {
  listener_->leaving = true;
  pthread_kill(listener_->thread.native_handle(), SIGHUP);  // wakes the wait
  listener_->thread.join();
  // The signals stay blocked: the process is about to end, and one that came
  // in just now must not kill it after the work was finished cleanly.
}

}  // namespace ppwtool
