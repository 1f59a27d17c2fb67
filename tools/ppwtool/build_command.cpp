// ppwtool build PROJECT PACKAGE [--password TEXT]
#include <algorithm>
#include <cstdint>
#include <iostream>

#include "core/package_builder.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

namespace {

// The password as the builder takes it, or a usage message on stderr.
std::optional<tessam::BuildRequest::Password> ParsePassword(const std::string& text) {
  const auto units = Utf8ToUtf16(text);
  if (!units) {
    std::cerr << "ppwtool: --password is not valid UTF-8 text\n";
    return std::nullopt;
  }
  tessam::BuildRequest::Password password{};
  if (units->size() != password.size()) {
    std::cerr << "ppwtool: --password must be exactly " << password.size()
              << " characters, not " << units->size() << "\n";
    return std::nullopt;
  }
  std::copy(units->begin(), units->end(), password.begin());
  return password;
}

std::optional<std::u16string> ParsePath(const char* what, const std::string& text) {
  auto path = Utf8ToUtf16(text);
  if (!path) std::cerr << "ppwtool: the " << what << " path is not valid UTF-8 text\n";
  return path;
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

  tessam::PackageBuilder builder;
  if (builder.Build(request) != 1) {
    std::cerr << "ppwtool: build failed: " << tessam::Describe(builder.lastFailure()) << "\n";
    if (builder.lastFailure() == tessam::BuildFailure::kPackageDiffers) {
      std::cerr << "ppwtool: the first differing byte is at file offset " << builder.firstDifference()
                << "; the USB stick may be faulty\n";
    }
    return kExitFailed;
  }
  const std::uint64_t written = tessam::layout::kHeaderSize + std::uint64_t{builder.header().payloadLength};
  std::cout << "wrote " << arguments.package << " (" << written << " bytes)\n";
  return kExitOk;
}

}  // namespace ppwtool
