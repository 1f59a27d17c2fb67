#include "ui/worker_channel.h"

#include <utility>

namespace tessam {

bool WorkerChannel::Connected() const {
  const std::lock_guard lock(mutex_);
  return dialog_ != nullptr && ::IsWindow(dialog_);
}

void WorkerChannel::SetProjectEditEnabled(bool enabled) {
  const std::lock_guard lock(mutex_);
  if (dialog_) ::PostMessageW(dialog_, kProjectEditMessage, enabled ? TRUE : FALSE, 0);
}

void WorkerChannel::Deliver(WorkerOutcome outcome) {
  const std::lock_guard lock(mutex_);
  if (!dialog_) return;
  outcomes_.push_back(std::move(outcome));
  ::PostMessageW(dialog_, kOutcomeMessage, 0, 0);
}

void WorkerChannel::ReportProgress(unsigned thousandths) {
  const std::lock_guard lock(mutex_);
  if (dialog_) ::PostMessageW(dialog_, kProgressMessage, thousandths, 0);
}

std::deque<WorkerOutcome> WorkerChannel::TakeOutcomes() {
  const std::lock_guard lock(mutex_);
  return std::exchange(outcomes_, {});
}

void WorkerChannel::Disconnect() {
  const std::lock_guard lock(mutex_);
  dialog_ = nullptr;
  outcomes_.clear();
}

}  // namespace tessam
