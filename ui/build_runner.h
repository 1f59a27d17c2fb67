#pragma once
// The main dialog's running build: the worker thread, the worker's mark, its
// stop, and the share of the task-bar progress each phase of the build fills.
// The dialog asks it to start, to stop, and whether a worker is marked.
#include <windows.h>

#include <memory>

#include "framework/handles.h"
#include "ui/generation_worker.h"

namespace tessam {

class BuildRunner {
 public:
  BuildRunner() = default;
  BuildRunner(const BuildRunner&) = delete;
  BuildRunner& operator=(const BuildRunner&) = delete;
  // A worker still running is left to end by itself; it holds its own share
  // of what it uses.
  ~BuildRunner();

  // Starts a worker on `job` on a thread of its own, marked before the thread
  // can run. False when nothing started: a worker is marked, or no thread.
  bool Start(GenerationJob job);
  // From Start until the worker no longer uses the builder.
  bool Marked() const;
  // Asks a marked worker to stop and waits for it, for a bounded time, then
  // clears the mark. True when no worker can be using the builder any more.
  bool Stop();

 private:
  struct Run;  // shared with the worker thread
  // Thread start routine; takes ownership of a heap-allocated std::shared_ptr<Run>.
  static DWORD WINAPI RunWorker(void* handedOver);

  std::shared_ptr<Run> run_;  // the last worker started
  fw::UniqueHandle thread_;
};

}  // namespace tessam
