// One whole build through PackageBuilder, for scripts/bench.sh to time against
// a plain copy. Usage:
//   build_bench PROJECT PACKAGE              build once; exit 0 when written
//   build_bench PROJECT PACKAGE --stop MS    request a stop MS milliseconds in
//                                            and print how long Build took to return
//   build_bench PROJECT PACKAGE --phases     build once and print how long the
//                                            write, the flush and the read-back took
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stop_token>
#include <string>
#include <thread>

#include "core/package_builder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

int StopAfter(tessam::PackageBuilder& builder, const tessam::BuildRequest& request, int delayMs) {
  std::stop_source stop;
  int result = -1;
  Clock::time_point returned;
  std::jthread worker([&] {
    result = builder.Build(request, stop.get_token());
    returned = Clock::now();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  const auto requested = Clock::now();
  stop.request_stop();
  worker.join();
  if (result == 1) {
    std::printf("stop after %4d ms: build had already finished\n", delayMs);
  } else if (std::filesystem::exists(std::filesystem::path(request.packagePath))) {
    std::printf("stop after %4d ms: a partial package was left behind\n", delayMs);
    return 1;
  } else {
    std::printf("stop after %4d ms: returned %.1f ms after the request (%s)\n", delayMs,
                Milliseconds(returned - requested), tessam::Describe(builder.result().failure));
  }
  return 0;
}

// The progress reports mark the phases: the last write report ends the pass
// that reads, scrambles and writes the image, the first read-back report comes
// once the package is flushed and its first piece read back.
int BuildInPhases(tessam::PackageBuilder& builder, const tessam::BuildRequest& request) {
  const auto start = Clock::now();
  Clock::time_point read = start, written = start, firstReadBack = start;
  builder.SetProgressObserver([&](tessam::BuildPhase phase, std::uint64_t, std::uint64_t) {
    if (phase == tessam::BuildPhase::kReading) read = Clock::now();
    if (phase == tessam::BuildPhase::kWriting) written = Clock::now();
    if (phase == tessam::BuildPhase::kReadingBack && firstReadBack == start) firstReadBack = Clock::now();
  });
  const int result = builder.Build(request);
  const auto end = Clock::now();
  std::printf("read and scrambled %.1f ms, written %.1f ms, flushed and first piece back %.1f ms, read back %.1f ms, "
              "total %.1f ms\n",
              Milliseconds(read - start), Milliseconds(written - read), Milliseconds(firstReadBack - written),
              Milliseconds(end - firstReadBack), Milliseconds(end - start));
  return result == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool phases = argc == 4 && std::string(argv[3]) == "--phases";
  if (argc != 3 && !phases && !(argc == 5 && std::string(argv[3]) == "--stop")) {
    std::fprintf(stderr, "usage: build_bench PROJECT PACKAGE [--stop MS | --phases]\n");
    return 2;
  }
  const tessam::BuildRequest request{std::filesystem::path(argv[1]).u16string(),
                                     std::filesystem::path(argv[2]).u16string(), std::nullopt};
  tessam::PackageBuilder builder;
  if (argc == 5) return StopAfter(builder, request, std::atoi(argv[4]));
  if (phases) return BuildInPhases(builder, request);
  if (builder.Build(request) != 1) {
    std::fprintf(stderr, "build failed: %s\n", tessam::Describe(builder.result().failure));
    return 1;
  }
  // The build is over once Build returns; the program keeps the payload it
  // holds, so handing its 128 MB back is no part of the time measured.
  std::fflush(stdout);
  std::_Exit(0);
}
