#pragma once
// One build away from the window thread: path checks, the build, and the
// outcome for the window to show.
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
// accepted, so the worker never has to ask the window for it.
struct GenerationJob {
  std::wstring projectText;
  std::wstring packageText;
  std::optional<BuildRequest::Password> password;  // none: encryption off
  std::shared_ptr<PackageBuilder> builder;         // used only while marked
  std::shared_ptr<WorkerChannel> channel;
};

// Runs one job; returns the build result (1 written, 0 not). Clears `marked`
// once it no longer uses the builder. The outcome goes to the window through
// the job's channel; nothing is shown after a stop request.
int GenerationWorker(const GenerationJob& job, const std::stop_token& stop, std::atomic<bool>& marked);

}  // namespace tessam
