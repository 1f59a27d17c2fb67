#pragma once
// Turns a project file into a package file. Owned by whoever keeps it for its
// lifetime (the main dialog); not safe for two simultaneous builds.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>

#include "core/build_request.h"
#include "core/package_header.h"
#include "core/random.h"

namespace tessam {

// Why the last build returned 0. The dialog shows one message for all of them;
// the command-line tool names the reason.
enum class BuildFailure {
  kNone,
  kEmptyPath,
  kProjectMissing,
  kProjectNotOpenable,   // absent, a folder, or held open by another program
  kProjectTooShort,      // 256 bytes or less, or shorter than 256 + L
  kProjectReadError,
  kOutOfMemory,
  kSameFile,             // the package path names the project file
  kPackageNotOpenable,
  kPackageWriteError,    // partial package removed
  kStopped,
};

const char* Describe(BuildFailure failure);

class PackageBuilder {
 public:
  // Seconds of calendar time; seeds the generator once per build.
  using Clock = std::function<std::int64_t()>;

  PackageBuilder();  // system clock, runtime-compatible generator
  PackageBuilder(Clock clock, std::unique_ptr<RandomGenerator> random);

  // 1 when the package file was written, 0 otherwise. A stop request makes it
  // return 0 promptly, leaving no partial package and nothing open.
  int Build(const BuildRequest& request, std::stop_token stop = {});

  void ReleasePayload();

  BuildFailure lastFailure() const { return lastFailure_; }

  const PackageHeader& header() const { return header_; }
  std::span<const std::uint8_t> payload() const;
  std::uint16_t reservedWord() const { return reservedWord_; }

 private:
  Clock clock_;
  std::unique_ptr<RandomGenerator> random_;
  PackageHeader header_{};
  std::unique_ptr<std::uint8_t[]> payload_;
  std::size_t payloadSize_ = 0;
  std::uint16_t reservedWord_ = 0;
  BuildFailure lastFailure_ = BuildFailure::kNone;
};

}  // namespace tessam
