#pragma once
// Turns the user's interrupts into a stop request while it lives, so that a
// build or an extract ends through its own cleanup (no partial file) instead
// of being killed part-way: Ctrl+C, SIGTERM and SIGHUP on POSIX; Ctrl+C,
// Ctrl+Break, a closed console window, logoff and shutdown on Windows. Create it before any other thread starts. One
// implementation per platform.
#include <memory>
#include <stop_token>

namespace ppwtool {

class InterruptsStop {
 public:
  InterruptsStop();
  ~InterruptsStop();
  InterruptsStop(const InterruptsStop&) = delete;
  InterruptsStop& operator=(const InterruptsStop&) = delete;

  std::stop_token token() const { return source_.get_token(); }

 private:
  struct Listener;  // the platform's part
  std::stop_source source_;
  std::unique_ptr<Listener> listener_;
};

}  // namespace ppwtool
