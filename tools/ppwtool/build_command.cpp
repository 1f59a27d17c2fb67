// ppwtool build PROJECT PACKAGE [--password TEXT]
#include <cstdint>
#include <iostream>
#include <stop_token>

#include "core/package_builder.h"
#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/interrupts.h"
#include "tools/ppwtool/progress.h"

namespace ppwtool {

namespace {

// By BuildPhase: reading, writing, reading back.
constexpr const char* kPhaseText[] = {"reading and scrambling", "writing", "reading back from the device"};

// The build, with its progress on a terminal; the line is gone when it returns.
int BuildShowingProgress(tessam::PackageBuilder& builder, const tessam::BuildRequest& request,
                         const std::stop_token& stop) {
  ProgressLine progress;
  builder.SetProgressObserver([&progress](tessam::BuildPhase phase, std::uint64_t done, std::uint64_t total) {
    progress.Show(kPhaseText[static_cast<int>(phase)], done, total);
  });
  const int built = builder.Build(request, stop);
  builder.SetProgressObserver({});
  return built;
}

}  // namespace

int RunBuild(const BuildArguments& arguments) {
  tessam::BuildRequest request;
  const auto project = ParsePath("project", arguments.project);
  const auto package = ParsePath("package", arguments.package);
  if (!project || !package) return kExitUsage;
  request.projectPath = *project;
  request.packagePath = *package;
  if (arguments.password) {
    request.password = ParsePassword(*arguments.password);
    if (!request.password) return kExitUsage;
  }

  const InterruptsStop interrupts;
  tessam::PackageBuilder builder;
  if (BuildShowingProgress(builder, request, interrupts.token()) != 1) {
    const tessam::BuildResult& result = builder.result();
    std::cerr << "ppwtool: build failed: " << tessam::Describe(result.failure);
    if (result.cause != tessam::FileError::kNone) std::cerr << ": " << tessam::Describe(result.cause);
    std::cerr << "\n";
    if (result.failure == tessam::BuildFailure::kPackageDiffers) {
      std::cerr << "ppwtool: the first differing byte is at file offset " << result.firstDifference
                << "; the USB stick may be faulty\n";
    }
    return kExitFailed;
  }
  const std::uint64_t written = tessam::layout::kHeaderSize + std::uint64_t{builder.header().payloadLength};
  std::cout << "wrote " << arguments.package << " (" << written << " bytes)\n";
  return kExitOk;
}

}  // namespace ppwtool
