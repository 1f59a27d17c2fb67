#pragma once
// Turns a project file into a package file. Owned by whoever keeps it for its
// lifetime (the main dialog); not safe for two simultaneous builds.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <utility>

#include "core/build_request.h"
#include "core/build_result.h"
#include "core/file.h"
#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/payload_memory.h"
#include "core/random.h"

namespace tessam {

class PackageBuilder {
 public:
  // Seconds of calendar time; seeds the generator once per build.
  using Clock = std::function<std::int64_t()>;

  PackageBuilder();  // system clock, runtime-compatible generator
  PackageBuilder(Clock clock, std::unique_ptr<RandomGenerator> random);

  // 1 when the package was written, flushed and read back unchanged, 0
  // otherwise; result() tells why. The whole image is read, the password
  // planted, the payload scrambled and checksummed, and only then is the
  // package written (WritePackage), so a failure or stop before leaves an old
  // package as it was. A stop makes it return 0 promptly, nothing left open.
  // The previous payload survives failures found before the new one is
  // allocated; one while it is read releases it: no half-filled payload stays.
  int Build(const BuildRequest& request, std::stop_token stop = {});

  void ReleasePayload() { payload_.reset(); payloadSize_ = 0; }

  // Replaces the observer (none at first); an empty one turns reports off.
  void SetProgressObserver(ProgressObserver observer) { progress_ = std::move(observer); }

  // The outcome of the last build.
  const BuildResult& result() const { return result_; }
  const PackageHeader& header() const { return header_; }
  std::span<const std::uint8_t> payload() const { return {payload_.get(), payloadSize_}; }
  std::uint16_t reservedWord() const { return reservedWord_; }

 private:
  BuildResult Run(const BuildRequest& request, const std::stop_token& stop);
  void DrawSeedsAndFiller();
  BuildResult ReadImage(File& project, const BuildRequest& request, std::uint8_t key, const std::stop_token& stop);

  Clock clock_;
  std::unique_ptr<RandomGenerator> random_;
  ProgressObserver progress_;
  PackageHeader header_{};
  PayloadBuffer payload_;
  std::size_t payloadSize_ = 0;
  std::uint16_t reservedWord_ = 0;
  BuildResult result_;
};

}  // namespace tessam
