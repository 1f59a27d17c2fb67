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

  // A project that cannot be read says why, as a file that cannot be opened does.
  const auto readError = [&] {
    lastCause_ = project->lastError();
    return BuildFailure::kProjectReadError;
  };
  // The file must hold the whole image its block count announces: a shorter one
  // would give a package padded with bytes that were never in the project.
  const auto size = project->Size();
  if (!size) return readError();
  if (*size < project::kImageOffset + project::kImageTrailer) return BuildFailure::kProjectTooShort;
  std::uint8_t blockCount[2];
  if (!ReadExactlyAt(*project, project::kBlockCountOffset, blockCount)) return readError();
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

  PackageWriteOptions options;
  options.stop = stop;
  options.heldFile = project->Identity();
  options.cause = &lastCause_;
  options.readBack = seams_.readBack;
  options.differsAt = [this](std::uint64_t offset) { firstDifference_ = offset; };
  options.progress = progress_;
  // Opened before the image is read, so that each chunk goes out as soon as it
  // is scrambled and the device works while the project is still being read.
  // A package that cannot be opened fails the build once the payload is in.
  BuildFailure openFailure = BuildFailure::kNone;
  auto output = PackageOutput::Open(request.packagePath, payloadLength, options, openFailure);
  if (const auto failure = ReadAndScramble(*project, request.password, key, stop, output ? &*output : nullptr);
      failure != BuildFailure::kNone) {
    ReleasePayload();
    if (failure == BuildFailure::kProjectReadError) return readError();
    return failure;  // dropping the output removes the package
  }
  const auto headerBytes = SealHeader(header_, reservedWord_);
  if (!output) return openFailure;
  return output->Complete(headerBytes, payload());
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
// checksumming it on the way, and hands each chunk to `output` (when there is one).
BuildFailure PackageBuilder::ReadAndScramble(File& project, const std::optional<BuildRequest::Password>& password,
                                             std::uint8_t key, const std::stop_token& stop, PackageOutput* output) {
  const auto onChunk = [&](std::span<const std::uint8_t> chunk, std::uint64_t done) {
    if (progress_) progress_(BuildPhase::kReading, done, payloadSize_);
    if (!output) return BuildFailure::kNone;
    const BuildFailure failure = output->Append(chunk);
    if (failure == BuildFailure::kNone && progress_) progress_(BuildPhase::kWriting, done, payloadSize_);
    return failure;
  };
  const LoadedImage loaded = LoadScrambledImage(project, project::kImageOffset, {payload_.get(), payloadSize_},
                                                password, key, stop, onChunk);
  header_.payloadChecksum = loaded.checksum;
  return loaded.failure;
}

}  // namespace tessam
