#include "ui/build_runner.h"

#include <atomic>
#include <cstdint>
#include <stop_token>
#include <utility>

namespace tessam {

namespace {

// A stopped build answers within 100 ms; this only bounds the unexpected.
constexpr DWORD kStopWaitMs = 3000;

// Each phase fills its share of the task-bar button: reading the project from
// a local disk is quick, writing to a stick takes longest, reading it back a
// little less. In thousandths of the whole build.
unsigned WeightedProgress(BuildPhase phase, std::uint64_t done, std::uint64_t total) {
  static_assert(WorkerChannel::kProgressScale == 1000);
  constexpr unsigned kStart[] = {0, 100, 600};  // reading, writing, reading back
  constexpr unsigned kShare[] = {100, 500, 400};
  const auto index = static_cast<std::size_t>(phase);
  return static_cast<unsigned>(kStart[index] + (total ? done * kShare[index] / total : kShare[index]));
}

}  // namespace

struct BuildRunner::Run {
  explicit Run(GenerationJob taken) : job(std::move(taken)) {}
  const GenerationJob job;
  std::stop_source stop;
  // Set before the thread exists, so the worker cannot clear it before it is
  // set; cleared by the worker, or by Stop.
  std::atomic<bool> marked{true};
};

DWORD WINAPI BuildRunner::RunWorker(void* handedOver) {
  const std::unique_ptr<std::shared_ptr<Run>> run(static_cast<std::shared_ptr<Run>*>(handedOver));
  return static_cast<DWORD>(GenerationWorker((*run)->job, (*run)->stop.get_token(), (*run)->marked));
}

BuildRunner::~BuildRunner() = default;

bool BuildRunner::Start(GenerationJob job) {
  if (Marked()) return false;  // one build at a time
  // Only changes are posted, so a build sends at most a thousand messages.
  job.builder->SetProgressObserver(
      [channel = job.channel, last = ~0u](BuildPhase phase, std::uint64_t done, std::uint64_t total) mutable {
        const unsigned now = WeightedProgress(phase, done, total);
        if (now != std::exchange(last, now)) channel->ReportProgress(now);
      });
  auto run = std::make_shared<Run>(std::move(job));
  auto handover = std::make_unique<std::shared_ptr<Run>>(run);
  fw::UniqueHandle thread(::CreateThread(nullptr, 0, RunWorker, handover.get(), 0, nullptr));
  if (!thread) return false;  // nothing shown, nothing marked
  handover.release();         // the worker thread owns its share now
  run_ = std::move(run);
  thread_ = std::move(thread);
  return true;
}

bool BuildRunner::Marked() const { return run_ && run_->marked; }

bool BuildRunner::Stop() {
  if (!Marked()) return true;
  run_->stop.request_stop();
  // Safe to wait on the window thread: the worker only ever posts to it.
  const bool ended = ::WaitForSingleObject(thread_.get(), kStopWaitMs) == WAIT_OBJECT_0;
  run_->marked = false;
  return ended;
}

}  // namespace tessam
