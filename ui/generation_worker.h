#pragma once
// One build away from the window thread: path checks, the build, and the
// outcome for the window to show.
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/build_request.h"
#include "core/package_builder.h"
#include "ui/worker_channel.h"

namespace tessam {

// Everything a worker uses, taken on the window thread when the click is
// accepted. Shared between the dialog and the worker thread, so that a
// worker the dialog stopped waiting for never touches freed memory.
struct GenerationJob {
  std::wstring projectText;
  std::wstring packageText;
  std::optional<BuildRequest::Password> password;  // none: encryption off
  std::shared_ptr<PackageBuilder> builder;         // used only while marked
  std::shared_ptr<WorkerChannel> channel;
  std::stop_source stop;
  // The worker mark: set before the thread exists, cleared by the worker
  // once it no longer uses the builder (or by the window after a stop).
  std::atomic<bool> marked{true};
};

// Runs one job; returns the build result (1 written, 0 not). The outcome
// goes to the window through the job's channel; nothing is shown after a
// stop request.
int GenerationWorker(GenerationJob& job);

// Thread start routine; takes ownership of a heap-allocated
// std::shared_ptr<GenerationJob>.
DWORD WINAPI RunGenerationWorker(void* job);

}  // namespace tessam
