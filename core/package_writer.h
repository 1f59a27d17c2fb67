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

struct PackageWriteOptions {
  // Asked between chunks; a stopped write removes what it had written.
  std::stop_token stop;
  // The project file the build holds open. A package path that leads to it
  // (in any spelling, through links) fails before anything is truncated.
  std::optional<FileIdentity> heldFile;
  // Told the payload bytes written so far after each chunk (on the writing thread).
  std::function<void(std::uint64_t written, std::uint64_t total)> progress;
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
