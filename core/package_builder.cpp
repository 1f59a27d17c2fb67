#include "core/package_builder.h"

#include <algorithm>

#include "core/byte_order.h"
#include "core/clock.h"
#include "core/crc16.h"

namespace tessam {

static_assert(kPackageChunk >= kPasswordImageOffset + project::kPasswordLength, "the first chunk holds the password");

PackageBuilder::PackageBuilder() : PackageBuilder(CalendarSeconds, std::make_unique<RuntimeRandom>()) {}

PackageBuilder::PackageBuilder(Clock clock, std::unique_ptr<RandomGenerator> random)
    : clock_(std::move(clock)), random_(std::move(random)) {
  header_.Reset();
}

int PackageBuilder::Build(const BuildRequest& request, std::stop_token stop) {
  result_ = Run(request, stop);
  return result_.ok() ? 1 : 0;
}

BuildResult PackageBuilder::Run(const BuildRequest& request, const std::stop_token& stop) {
  // Seeded once per build, before any draw: two builds in the same second match.
  random_->Seed(static_cast<std::uint32_t>(clock_()));
  header_.Reset();
  if (request.projectPath.empty() || request.packagePath.empty()) return {BuildFailure::kEmptyPath};
  if (!PathExists(request.projectPath)) return {BuildFailure::kProjectMissing};
  // Held exclusively until the package is written: nobody changes it meanwhile.
  FileError why = FileError::kNone;
  auto project = File::OpenForReading(request.projectPath, &why);
  if (!project) return {BuildFailure::kProjectNotOpenable, why};

  DrawSeedsAndFiller();
  const std::uint8_t key = ScrambleKey(header_.seeds);
  if (stop.stop_requested()) return {BuildFailure::kStopped};

  // The whole image its block count announces, or a package would be padded.
  const auto size = project->Size();
  if (!size) return {BuildFailure::kProjectReadError, project->lastError()};
  if (*size < project::kImageOffset + project::kImageTrailer) return {BuildFailure::kProjectTooShort};
  std::uint8_t blockCount[2];
  if (!ReadExactlyAt(*project, project::kBlockCountOffset, blockCount)) {
    return {BuildFailure::kProjectReadError, project->lastError()};
  }
  header_.programLength = std::uint32_t{LoadLittleEndian16(blockCount)} * project::kBytesPerBlock;
  const std::uint32_t payloadLength = header_.programLength + project::kImageTrailer;
  if (*size - project::kImageOffset < payloadLength) return {BuildFailure::kProjectTooShort};
  if (stop.stop_requested()) return {BuildFailure::kStopped};

  // Only now does the previous payload go: every failure above keeps it.
  ReleasePayload();
  header_.payloadLength = payloadLength;
  payload_ = AllocatePayload(payloadLength);
  if (!payload_) return {BuildFailure::kOutOfMemory};
  payloadSize_ = payloadLength;
  if (BuildResult read = ReadImage(*project, request, key, stop); !read.ok()) {
    ReleasePayload();
    return read;
  }

  const WriteContext context{stop, project->Identity(), progress_};
  return WritePackage(header_, reservedWord_, payload(), request.packagePath, context);
}

void PackageBuilder::DrawSeedsAndFiller() {
  const auto drawByte = [this] { return static_cast<std::uint8_t>(random_->Draw() % kDrawModulus); };
  for (auto& seed : header_.seeds) seed = drawByte();
  for (auto& filler : header_.filler) filler = drawByte();
  header_.FillReserved();
}

// Reads the image into the payload chunk by chunk, planting the password in
// the first, scrambling and checksumming each while it is still in the cache.
BuildResult PackageBuilder::ReadImage(File& project, const BuildRequest& request, std::uint8_t key,
                                      const std::stop_token& stop) {
  const std::span<std::uint8_t> image(payload_.get(), payloadSize_);
  std::uint16_t crc = kCrc16Initial;
  for (std::size_t done = 0; done < image.size();) {
    if (stop.stop_requested()) return {BuildFailure::kStopped};
    const auto chunk = image.subspan(done, std::min(kPackageChunk, image.size() - done));
    if (!ReadExactlyAt(project, project::kImageOffset + done, chunk)) {
      return {BuildFailure::kProjectReadError, project.lastError()};
    }
    if (done == 0 && request.password) PlantPassword(chunk, *request.password);
    crc = ScrambleAndChecksum(crc, key, chunk);
    done += chunk.size();
    if (progress_) progress_(BuildPhase::kReading, done, image.size());
  }
  header_.payloadChecksum = crc;
  return {};
}

}  // namespace tessam
