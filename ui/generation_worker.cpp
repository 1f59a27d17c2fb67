#include "ui/generation_worker.h"

#include "core/file.h"
#include "framework/strings.h"
#include "ui/message_path.h"
#include "ui/resource.h"

namespace tessam {

namespace {

std::u16string ToUtf16(const std::wstring& text) { return {text.begin(), text.end()}; }

// The core's check, which hands Windows a long path in the form it takes.
bool SomethingExistsAt(const std::wstring& path) { return PathExists(ToUtf16(path)); }

}  // namespace

int GenerationWorker(const GenerationJob& job, const std::stop_token& stop, std::atomic<bool>& marked) {
  if (!job.channel->Connected()) {  // the window is gone already
    marked = false;
    return 0;
  }

  WorkerOutcome outcome{{}, 0, job.packageText};
  const std::wstring pathMissing = fw::LoadResourceString(IDS_PATH_MISSING);
  if (!SomethingExistsAt(job.projectText)) {
    outcome.message = fw::FormatWith(pathMissing, PathForMessage(job.projectText));
  } else if (job.packageText.empty()) {
    outcome.message = fw::FormatWith(pathMissing, job.packageText);
  } else {
    job.channel->SetProjectEditEnabled(false);
    const BuildRequest request{ToUtf16(job.projectText), ToUtf16(job.packageText), job.password};
    outcome.result = job.builder->Build(request, stop);
    job.channel->SetProjectEditEnabled(true);
    outcome.message = fw::LoadResourceString(outcome.result == 1 ? IDS_BUILD_SUCCEEDED : IDS_BUILD_FAILED);
  }

  const int result = outcome.result;
  marked = false;  // the builder is free from here on
  // After a stop request the user hears nothing more from this worker.
  if (!stop.stop_requested()) job.channel->Deliver(std::move(outcome));
  return result;
}

}  // namespace tessam
