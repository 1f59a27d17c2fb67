#include "core/package_builder.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <utility>

#include "core/byte_order.h"
#include "core/crc16.h"
#include "core/file.h"
#include "core/package_layout.h"
#include "core/package_writer.h"
#include "core/scramble.h"

namespace tessam {
namespace {

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

// Fills `into` from `offset`; false on a read error or an early end of file.
bool ReadExactly(File& file, std::uint64_t offset, std::span<std::uint8_t> into) {
  while (!into.empty()) {
    const auto got = file.ReadAt(offset, into);
    if (!got || *got == 0) return false;
    offset += *got;
    into = into.subspan(*got);
  }
  return true;
}

// Image bytes 8..15 take the low 8 bits of the password's characters.
void PlantPassword(std::span<std::uint8_t> image, const BuildRequest::Password& password) {
  constexpr std::size_t at = project::kPasswordOffset - project::kImageOffset;
  for (std::size_t i = 0; i < password.size(); ++i) image[at + i] = static_cast<std::uint8_t>(password[i] & 0xFFu);
}

static_assert(kPackageIoChunk >= project::kImageTrailer, "the first chunk holds the password bytes");
static_assert(project::kPasswordOffset + project::kPasswordLength <= project::kImageOffset + project::kImageTrailer);

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
  lastFailure_ = Run(request, stop);
  return lastFailure_ == BuildFailure::kNone ? 1 : 0;
}

BuildFailure PackageBuilder::Run(const BuildRequest& request, const std::stop_token& stop) {
  // Seeded once per build, before any draw: two builds in the same second match.
  random_->Seed(static_cast<std::uint32_t>(clock_()));
  header_.Reset();
  if (request.projectPath.empty() || request.packagePath.empty()) return BuildFailure::kEmptyPath;
  if (!PathExists(request.projectPath)) return BuildFailure::kProjectMissing;
  // Held exclusively until the package is written, so nobody changes it under us
  // and the package cannot be opened onto it.
  auto project = File::OpenForReading(request.projectPath);
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
  if (!ReadExactly(*project, project::kBlockCountOffset, blockCount)) return BuildFailure::kProjectReadError;
  header_.programLength = std::uint32_t{LoadLittleEndian16(blockCount)} * project::kBytesPerBlock;
  const std::uint32_t payloadLength = header_.programLength + project::kImageTrailer;
  if (*size - project::kImageOffset < payloadLength) return BuildFailure::kProjectTooShort;
  if (stop.stop_requested()) return BuildFailure::kStopped;

  // Only now does the previous payload go: every failure above keeps it.
  ReleasePayload();
  header_.payloadLength = payloadLength;
  // Not zero-filled: the read below fills every byte or the payload is dropped.
  payload_.reset(new (std::nothrow) std::uint8_t[payloadLength]);
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

// Reads the image straight into the payload a chunk at a time, plants the
// password in the first chunk and scrambles and checksums each chunk while it
// is still in the cache.
BuildFailure PackageBuilder::ReadAndScramble(File& project, const std::optional<BuildRequest::Password>& password,
                                             std::uint8_t key, const std::stop_token& stop) {
  const std::span<std::uint8_t> image(payload_.get(), payloadSize_);
  std::uint16_t crc = kCrc16Initial;
  for (std::size_t done = 0; done < image.size();) {
    if (stop.stop_requested()) return BuildFailure::kStopped;
    const auto chunk = image.subspan(done, std::min(kPackageIoChunk, image.size() - done));
    if (!ReadExactly(project, project::kImageOffset + done, chunk)) return BuildFailure::kProjectReadError;
    if (done == 0 && password) PlantPassword(chunk, *password);
    crc = ScrambleAndChecksum(crc, key, chunk);
    done += chunk.size();
    if (progress_) progress_(BuildPhase::kReading, done, image.size());
  }
  header_.payloadChecksum = crc;
  return BuildFailure::kNone;
}

}  // namespace tessam
