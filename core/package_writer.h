#pragma once
// Serialises a header record plus a payload into a package file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <utility>

#include "core/build_failure.h"
#include "core/device_readback.h"
#include "core/file.h"
#include "core/output_file.h"
#include "core/package_header.h"
#include "core/package_layout.h"

namespace tessam {

// The payload goes out in pieces of this size with a look at the stop request
// between two: small enough to stop within a few milliseconds, large enough
// that the per-call cost vanishes.
inline constexpr std::size_t kPackageWriteChunk = std::size_t{4} << 20;

// What a build is doing: reading (and scrambling) the image, writing it, or
// reading the flushed package back from the device. Reading and writing
// alternate chunk by chunk.
enum class BuildPhase { kReading, kWriting, kReadingBack };

struct PackageWriteOptions {
  // Asked between chunks; a stopped write removes what it had written.
  std::stop_token stop;
  // The project file the build holds open. A package path that leads to it
  // (in any spelling, through links) fails before anything is truncated.
  std::optional<FileIdentity> heldFile;
  // Told after each chunk the payload bytes written so far (kWriting), then
  // the package bytes read back so far (kReadingBack); on the calling thread.
  std::function<void(BuildPhase phase, std::uint64_t done, std::uint64_t total)> progress;
  // Test seam: writes one piece of the package to the open file; empty means
  // OutputFile::Write. Tests put a failing one here to prove a partial package is removed.
  std::function<bool(OutputFile&, std::span<const std::uint8_t>)> writeChunk;
  // Told the cause of a failure to open or write the package, if any.
  FileError* cause = nullptr;
  // Test seam: stands in for the device when the flushed package is read back.
  ReadBackSeam readBack;
  // Told the file offset of the first byte the device stores differently, when
  // the read-back finds one (kPackageDiffers).
  std::function<void(std::uint64_t offset)> differsAt;
};

// The 64 header bytes as the file holds them: big-endian integers, single bytes
// and texts as they lie in the record, the header checksum as the record has it.
std::array<std::uint8_t, layout::kHeaderSize> EncodeHeader(const PackageHeader& header);

// Copies `reservedWord` into the record, then computes the header checksum,
// stores it in the record and returns the 64 bytes the file begins with.
std::array<std::uint8_t, layout::kHeaderSize> SealHeader(PackageHeader& header, std::uint16_t reservedWord);

// A package file whose payload goes out while it is still being produced, so
// the device is busy while the image is read: Open checks and cuts the file
// and leaves room for the header; Append adds payload bytes; Complete puts the
// header in front, brings everything to the device and reads it back. Any
// failure, or dropping it before Complete succeeded, removes the file through
// the open handle (see OutputFile), and names the cause in `options.cause`.
class PackageOutput {
 public:
  // `options` must outlive the PackageOutput. None, with the reason in `why`,
  // when the file cannot be opened (kPackageNotOpenable, kSameFile).
  static std::optional<PackageOutput> Open(const std::u16string& path, std::uint64_t payloadLength,
                                           const PackageWriteOptions& options, BuildFailure& why);

  BuildFailure Append(std::span<const std::uint8_t> payload);

  // `header` is the sealed header; `payload` all that was appended, compared
  // with what the device gives back.
  BuildFailure Complete(std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload);

 private:
  PackageOutput(OutputFile file, std::u16string path, std::uint64_t payloadLength, const PackageWriteOptions& options)
      : file_(std::move(file)), path_(std::move(path)), payloadLength_(payloadLength), options_(&options) {}
  bool WriteNext(std::span<const std::uint8_t> bytes);
  BuildFailure Fail(BuildFailure failure);

  OutputFile file_;
  std::u16string path_;
  std::uint64_t payloadLength_;
  std::uint64_t appended_ = 0;
  const PackageWriteOptions* options_;
};

// Writes `header` and `payload` to `packagePath`: 1 written, 0 not. First copies
// `reservedWord` into the record and stores the header checksum in it (kept
// even when the file cannot be opened). `payload` must be exactly the header's
// payload length. The file is opened without truncation, held exclusively and
// checked against `options.heldFile` before it is cut; once cut, any failure
// removes it through the open file (see OutputFile), so a failed build leaves
// no package behind, not even the previous one. On success the bytes have
// reached the device, reading them back from it, past the system's cache, gave
// exactly what was written, and the path still leads to them.
int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath, const PackageWriteOptions& options = {});

// The same, naming the reason for a failure (BuildFailure::kNone when written).
BuildFailure WritePackageExplained(PackageHeader& header, std::uint16_t reservedWord,
                                   std::span<const std::uint8_t> payload, const std::u16string& packagePath,
                                   const PackageWriteOptions& options = {});

}  // namespace tessam
