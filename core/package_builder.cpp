#include "core/package_builder.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "core/byte_order.h"
#include "core/crc16.h"
#include "core/file.h"
#include "core/image_loader.h"
#include "core/package_layout.h"
#include "core/package_writer.h"

namespace tessam {
namespace {

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

PackageBuilder::PackageBuilder() : PackageBuilder(CalendarSeconds, std::make_unique<RuntimeRandom>()) {}

PackageBuilder::PackageBuilder(Clock clock, std::unique_ptr<RandomGenerator> random)
    : clock_(std::move(clock)), random_(std::move(random)) {
  header_.Reset();
}

std::span<const std::uint8_t> PackageBuilder::payload() const { return {payload_.get(), payloadSize_}; }

void PackageBuilder::ReleasePayload() {
  payload_.reset();
  payloadSize_ = 0;
}

int PackageBuilder::Build(const BuildRequest& request, std::stop_token stop) {
  firstDifference_ = 0;
  lastFailure_ = Run(request, stop);
  return lastFailure_ == BuildFailure::kNone ? 1 : 0;
}

BuildFailure PackageBuilder::Run(const BuildRequest& request, const std::stop_token& stop) {
  // Seeded once per build, before any draw: two builds in the same second match.
  random_->Seed(static_cast<std::uint32_t>(clock_()));
  header_.Reset();
  lastCause_ = FileError::kNone;
  if (request.projectPath.empty() || request.packagePath.empty()) return BuildFailure::kEmptyPath;
  if (!PathExists(request.projectPath)) return BuildFailure::kProjectMissing;
  // Held exclusively until the package is written, so nobody changes it under us
  // and the package cannot be opened onto it.
  auto project = File::OpenForReading(request.projectPath, &lastCause_);
  if (!project) return BuildFailure::kProjectNotOpenable;

  DrawSeedsAndFiller();
  const std::uint8_t key = ScrambleKey(header_.seeds);
  if (stop.stop_requested()) return BuildFailure::kStopped;

  // The file must hold the whole image its block count announces: a shorter one
  // would give a package padded with bytes that were never in the project.
  const auto size = project->Size();
  if (!size) return BuildFailure::kProjectReadError;
  if (*size < project::kImageOffset + project::kImageTrailer) return BuildFailure::kProjectTooShort;
  std::uint8_t blockCount[2];
  if (!ReadExactlyAt(*project, project::kBlockCountOffset, blockCount)) return BuildFailure::kProjectReadError;
  header_.programLength = std::uint32_t{LoadLittleEndian16(blockCount)} * project::kBytesPerBlock;
  const std::uint32_t payloadLength = header_.programLength + project::kImageTrailer;
  if (*size - project::kImageOffset < payloadLength) return BuildFailure::kProjectTooShort;
  if (stop.stop_requested()) return BuildFailure::kStopped;

  // Only now does the previous payload go: every failure above keeps it.
  ReleasePayload();
  header_.payloadLength = payloadLength;
  // The read below fills every byte or the payload is dropped.
  payload_ = AllocatePayload(payloadLength);
  if (!payload_) return BuildFailure::kOutOfMemory;
  payloadSize_ = payloadLength;
  if (const auto failure = ReadAndScramble(*project, request.password, key, stop); failure != BuildFailure::kNone) {
    ReleasePayload();
    return failure;
  }

  const auto projectIdentity = project->Identity();
  if (!projectIdentity) return BuildFailure::kProjectReadError;
  PackageWriteOptions options;
  options.stop = stop;
  options.heldFile = projectIdentity;
  options.cause = &lastCause_;
  options.readBack = seams_.readBack;
  options.differsAt = [this](std::uint64_t offset) { firstDifference_ = offset; };
  if (progress_) {
    options.progress = [this](std::uint64_t written, std::uint64_t total) {
      progress_(BuildPhase::kWriting, written, total);
    };
  }
  return WritePackageExplained(header_, reservedWord_, payload(), request.packagePath, options);
}

void PackageBuilder::DrawSeedsAndFiller() {
  // Every draw reduced modulo 255, so no seed or filler byte is ever 0xFF.
  const auto drawByte = [this] { return static_cast<std::uint8_t>(random_->Draw() % 255u); };
  for (auto& seed : header_.seeds) seed = drawByte();
  for (auto& filler : header_.filler) filler = drawByte();
  std::fill(std::begin(header_.reserved32), std::end(header_.reserved32), 0xFFFFFFFFu);
  header_.reserved16 = 0xFFFF;
  header_.reserved8 = kReservedByte;
}

// Reads the image straight into the payload, planting, scrambling and
// checksumming it on the way.
BuildFailure PackageBuilder::ReadAndScramble(File& project, const std::optional<BuildRequest::Password>& password,
                                             std::uint8_t key, const std::stop_token& stop) {
  std::function<void(std::uint64_t, std::uint64_t)> reportLoaded;
  if (progress_) {
    reportLoaded = [this](std::uint64_t done, std::uint64_t total) {
      progress_(BuildPhase::kReading, done, total);
    };
  }
  const LoadedImage loaded = LoadScrambledImage(project, project::kImageOffset, {payload_.get(), payloadSize_},
                                                password, key, stop, reportLoaded);
  header_.payloadChecksum = loaded.checksum;
  return loaded.failure;
}

}  // namespace tessam
