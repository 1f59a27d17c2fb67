#pragma once
// Turns a project file into a package file. Owned by whoever keeps it for its
// lifetime (the main dialog); not safe for two simultaneous builds.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <utility>

#include "core/build_failure.h"
#include "core/build_request.h"
#include "core/device_readback.h"
#include "core/file.h"
#include "core/package_header.h"
#include "core/package_writer.h"
#include "core/payload_memory.h"
#include "core/random.h"

namespace tessam {

class PackageBuilder {
 public:
  // Told, between chunks and on the building thread, how far a build has come:
  // payload bytes read (and scrambled) or written so far, or package bytes
  // read back, of `total`.
  using ProgressObserver = std::function<void(BuildPhase phase, std::uint64_t done, std::uint64_t total)>;

  // Seconds of calendar time; seeds the generator once per build.
  using Clock = std::function<std::int64_t()>;

  PackageBuilder();  // system clock, runtime-compatible generator
  PackageBuilder(Clock clock, std::unique_ptr<RandomGenerator> random);

  // 1 when the package file was written, flushed to the device and read back
  // from it unchanged, 0 otherwise; lastFailure() names why. A stop request makes it return 0
  // promptly, leaving no partial package and nothing open or locked.
  //
  // The previous payload survives every failure found before the new one is
  // allocated (missing or short project, ...); once the new payload is being
  // read, a failure or stop releases it, so no half-filled payload is held.
  // Likewise an existing package survives every failure found before the image
  // is read; from then on the package is being written, and any failure or
  // stop removes it.
  int Build(const BuildRequest& request, std::stop_token stop = {});

  void ReleasePayload();

  // Replaces the observer (none at first); an empty one turns reports off.
  void SetProgressObserver(ProgressObserver observer) { progress_ = std::move(observer); }

  // Test seam, never set by the program: a stand-in for the device when the
  // package is read back.
  struct TestSeams {
    ReadBackSeam readBack;
  };
  void SetTestSeams(TestSeams seams) { seams_ = std::move(seams); }

  BuildFailure lastFailure() const { return lastFailure_; }
  // The system's cause when the last failure was a file's (none otherwise).
  FileError lastCause() const { return lastCause_; }
  // For kPackageDiffers: the file offset of the first byte the device stores
  // differently from what was written.
  std::uint64_t firstDifference() const { return firstDifference_; }

  const PackageHeader& header() const { return header_; }
  std::span<const std::uint8_t> payload() const;
  std::uint16_t reservedWord() const { return reservedWord_; }

 private:
  BuildFailure Run(const BuildRequest& request, const std::stop_token& stop);
  void DrawSeedsAndFiller();
  BuildFailure ReadAndScramble(File& project, const std::optional<BuildRequest::Password>& password,
                               std::uint8_t key, const std::stop_token& stop, PackageOutput* output);

  Clock clock_;
  std::unique_ptr<RandomGenerator> random_;
  ProgressObserver progress_;
  TestSeams seams_;
  PackageHeader header_{};
  PayloadBuffer payload_;
  std::size_t payloadSize_ = 0;
  std::uint16_t reservedWord_ = 0;
  BuildFailure lastFailure_ = BuildFailure::kNone;
  FileError lastCause_ = FileError::kNone;
  std::uint64_t firstDifference_ = 0;
};

}  // namespace tessam
