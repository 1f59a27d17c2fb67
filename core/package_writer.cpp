#include "core/package_writer.h"

#include <cstring>

#include "core/byte_order.h"
#include "core/crc16.h"

namespace tessam {
namespace {

void CopyBytes(std::uint8_t* out, const void* from, std::size_t size) { std::memcpy(out, from, size); }

// Writes the header, then the payload chunk by chunk, looking at the stop request in between.
BuildFailure WriteContents(OutputFile& file, std::span<const std::uint8_t> header,
                           std::span<const std::uint8_t> payload, const PackageWriteOptions& options) {
  const auto write = [&](std::span<const std::uint8_t> bytes) {
    return options.writeChunk ? options.writeChunk(file, bytes) : file.Write(bytes);
  };
  if (!write(header)) return BuildFailure::kPackageWriteError;
  const std::uint64_t total = payload.size();
  while (!payload.empty()) {
    if (options.stop.stop_requested()) return BuildFailure::kStopped;
    const auto chunk = payload.first(std::min(payload.size(), kPackageWriteChunk));
    if (!write(chunk)) return BuildFailure::kPackageWriteError;
    payload = payload.subspan(chunk.size());
    if (options.progress) options.progress(total - payload.size(), total);
  }
  if (options.stop.stop_requested()) return BuildFailure::kStopped;
  return file.Finish() ? BuildFailure::kNone : BuildFailure::kPackageWriteError;
}

// Flushed is not yet stored: worn or counterfeit sticks keep other bytes than
// they were given, while the cache still holds the good ones.
BuildFailure CheckOnDevice(File& file, const std::u16string& path, std::span<const std::uint8_t> header,
                           std::span<const std::uint8_t> payload, const PackageWriteOptions& options) {
  const ReadBackOutcome outcome = ReadBackAndCompare(file, path, header, payload, options.stop, options.readBack);
  if (outcome.failure == BuildFailure::kPackageDiffers && options.differsAt) {
    options.differsAt(outcome.firstDifference);
  }
  return outcome.failure;
}

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

BuildFailure WritePackageExplained(PackageHeader& header, std::uint16_t reservedWord,
                                   std::span<const std::uint8_t> payload, const std::u16string& packagePath,
                                   const PackageWriteOptions& options) {
  if (packagePath.empty()) return BuildFailure::kEmptyPath;
  if (header.payloadLength == 0 || payload.empty() || payload.size() != header.payloadLength) {
    return BuildFailure::kNoPayload;
  }

  header.reservedWord = reservedWord;
  auto headerBytes = EncodeHeader(header);
  header.headerChecksum = Crc16(headerBytes.data(), layout::kHeaderChecksummedSize);
  StoreBigEndian32(headerBytes.data() + layout::kHeaderChecksumOffset, header.headerChecksum);

  if (options.stop.stop_requested()) return BuildFailure::kStopped;
  OutputFileOptions outputOptions;
  if (options.heldFile) outputOptions.untouchable.push_back(*options.heldFile);
  // An old package must not survive a failed build: it would look current.
  outputOptions.removeReplacedFile = true;
  FileError cause = FileError::kNone;
  auto output = OutputFile::Open(packagePath, outputOptions, cause);
  if (!output && cause == FileError::kSameFile) return BuildFailure::kSameFile;
  if (!output) {
    if (options.cause) *options.cause = cause;
    return BuildFailure::kPackageNotOpenable;
  }
  BuildFailure result = WriteContents(*output, headerBytes, payload, options);
  if (result == BuildFailure::kNone) {
    result = CheckOnDevice(output->held(), packagePath, headerBytes, payload, options);
  }
  if (result != BuildFailure::kNone) {
    if (options.cause) *options.cause = output->lastError();
    output->Discard();
    return result;
  }
  output->Keep();
  return BuildFailure::kNone;
}

int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath, const PackageWriteOptions& options) {
  return WritePackageExplained(header, reservedWord, payload, packagePath, options) == BuildFailure::kNone ? 1 : 0;
}

}  // namespace tessam
