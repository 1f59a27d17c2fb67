#include "core/package_writer.h"

#include <cstring>

#include "core/byte_order.h"
#include "core/crc16.h"

namespace tessam {
namespace {

void CopyBytes(std::uint8_t* out, const void* from, std::size_t size) { std::memcpy(out, from, size); }

}  // namespace

std::array<std::uint8_t, layout::kHeaderSize> EncodeHeader(const PackageHeader& header) {
  std::array<std::uint8_t, layout::kHeaderSize> bytes{};
  std::uint8_t* const out = bytes.data();
  CopyBytes(out + layout::kMagicOffset, header.magic, layout::kMagicSize);
  StoreBigEndian32(out + layout::kFormatVersionOffset, header.formatVersion);
  StoreBigEndian32(out + layout::kPayloadLengthOffset, header.payloadLength);
  StoreBigEndian32(out + layout::kPayloadChecksumOffset, header.payloadChecksum);
  StoreBigEndian32(out + layout::kProgramLengthOffset, header.programLength);
  CopyBytes(out + layout::kSeedsOffset, header.seeds, layout::kSeedCount);
  StoreBigEndian16(out + layout::kReservedWordOffset, header.reservedWord);
  CopyBytes(out + layout::kFillerOffset, header.filler, layout::kFillerCount);
  // The reserved bytes are raw bytes, copied as they lie in the record (all
  // 0xFF after a build); the record keeps them at their file offsets.
  CopyBytes(out + layout::kReservedOffset, reinterpret_cast<const std::uint8_t*>(&header) + layout::kReservedOffset,
            layout::kReservedSize);
  CopyBytes(out + layout::kWebAddressOffset, header.webAddress, layout::kWebAddressSize);
  StoreBigEndian32(out + layout::kHeaderChecksumOffset, header.headerChecksum);
  return bytes;
}

std::array<std::uint8_t, layout::kHeaderSize> SealHeader(PackageHeader& header, std::uint16_t reservedWord) {
  header.reservedWord = reservedWord;
  auto bytes = EncodeHeader(header);
  header.headerChecksum = Crc16(bytes.data(), layout::kHeaderChecksummedSize);
  StoreBigEndian32(bytes.data() + layout::kHeaderChecksumOffset, header.headerChecksum);
  return bytes;
}

std::optional<PackageOutput> PackageOutput::Open(const std::u16string& path, std::uint64_t payloadLength,
                                                 const PackageWriteOptions& options, BuildFailure& why) {
  OutputFileOptions outputOptions;
  if (options.heldFile) outputOptions.untouchable.push_back(*options.heldFile);
  // An old package must not survive a failed build: it would look current.
  outputOptions.removeReplacedFile = true;
  FileError cause = FileError::kNone;
  auto file = OutputFile::Open(path, outputOptions, cause);
  if (!file) {
    why = cause == FileError::kSameFile ? BuildFailure::kSameFile : BuildFailure::kPackageNotOpenable;
    if (options.cause && cause != FileError::kSameFile) *options.cause = cause;
    return std::nullopt;
  }
  PackageOutput output(std::move(*file), path, payloadLength, options);
  // Room for the header, which needs the payload's checksum and so comes last.
  const std::array<std::uint8_t, layout::kHeaderSize> room{};
  if (!output.WriteNext(room)) {
    why = output.Fail(BuildFailure::kPackageWriteError);
    return std::nullopt;
  }
  why = BuildFailure::kNone;
  return output;
}

bool PackageOutput::WriteNext(std::span<const std::uint8_t> bytes) {
  return options_->writeChunk ? options_->writeChunk(file_, bytes) : file_.Write(bytes);
}

BuildFailure PackageOutput::Fail(BuildFailure failure) {
  if (options_->cause) *options_->cause = file_.lastError();
  file_.Discard();
  return failure;
}

BuildFailure PackageOutput::Append(std::span<const std::uint8_t> payload) {
  if (!WriteNext(payload)) return Fail(BuildFailure::kPackageWriteError);
  appended_ += payload.size();
  return BuildFailure::kNone;
}

BuildFailure PackageOutput::Complete(std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload) {
  if (appended_ != payloadLength_ || payload.size() != payloadLength_) return Fail(BuildFailure::kNoPayload);
  if (options_->stop.stop_requested()) return Fail(BuildFailure::kStopped);
  if (!file_.WriteAt(0, header) || !file_.Finish()) return Fail(BuildFailure::kPackageWriteError);
  // Flushed is not yet stored: worn or counterfeit sticks keep other bytes than
  // they were given, while the cache still holds the good ones.
  std::function<void(std::uint64_t, std::uint64_t)> readBackProgress;
  if (options_->progress) {
    readBackProgress = [this](std::uint64_t done, std::uint64_t total) {
      options_->progress(BuildPhase::kReadingBack, done, total);
    };
  }
  const ReadBackOutcome outcome =
      ReadBackAndCompare(file_.held(), path_, header, payload, options_->stop, readBackProgress, options_->readBack);
  if (outcome.failure != BuildFailure::kNone) {
    if (outcome.failure == BuildFailure::kPackageDiffers && options_->differsAt) {
      options_->differsAt(outcome.firstDifference);
    }
    return Fail(outcome.failure);
  }
  file_.Keep();
  return BuildFailure::kNone;
}

BuildFailure WritePackageExplained(PackageHeader& header, std::uint16_t reservedWord,
                                   std::span<const std::uint8_t> payload, const std::u16string& packagePath,
                                   const PackageWriteOptions& options) {
  if (packagePath.empty()) return BuildFailure::kEmptyPath;
  if (payload.empty() || payload.size() != header.payloadLength) return BuildFailure::kNoPayload;
  const auto headerBytes = SealHeader(header, reservedWord);
  if (options.stop.stop_requested()) return BuildFailure::kStopped;

  BuildFailure failure = BuildFailure::kNone;
  auto output = PackageOutput::Open(packagePath, payload.size(), options, failure);
  if (!output) return failure;
  for (std::size_t done = 0; done < payload.size(); done += kPackageWriteChunk) {
    if (options.stop.stop_requested()) return BuildFailure::kStopped;  // dropping the output removes the file
    const auto chunk = payload.subspan(done, std::min(kPackageWriteChunk, payload.size() - done));
    failure = output->Append(chunk);
    if (failure != BuildFailure::kNone) return failure;
    if (options.progress) options.progress(BuildPhase::kWriting, done + chunk.size(), payload.size());
  }
  return output->Complete(headerBytes, payload);
}

int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath, const PackageWriteOptions& options) {
  return WritePackageExplained(header, reservedWord, payload, packagePath, options) == BuildFailure::kNone ? 1 : 0;
}

}  // namespace tessam
