// ppwtool build PROJECT PACKAGE [--password TEXT]
#include <cstdint>
#include <iostream>

#include "core/package_builder.h"
#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/interrupts.h"

namespace ppwtool {

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
  if (builder.Build(request, interrupts.token()) != 1) {
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
