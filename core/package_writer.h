#pragma once
// Writing a package file: the header record and a payload, brought to the
// device and read back from it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>

#include "core/build_result.h"
#include "core/file.h"
#include "core/package_format.h"

namespace tessam {

// The payload is read, written and read back in pieces of this size, with a
// look at the stop request before each: a stop is seen within milliseconds
// even on a slow stick. A multiple of File::kUncachedAlignment.
inline constexpr std::size_t kPackageChunk = std::size_t{1} << 20;

// Reading (and scrambling) the image, writing, reading back from the device.
enum class BuildPhase { kReading, kWriting, kReadingBack };

// Told, between pieces and on the building thread, the bytes done of `total`:
// payload bytes read or written, or package bytes read back.
using ProgressObserver = std::function<void(BuildPhase phase, std::uint64_t done, std::uint64_t total)>;

// What a build adds to a write.
struct WriteContext {
  // Asked between pieces; a stopped write removes what it had written.
  std::stop_token stop;
  // The project the build holds: a package path leading to it fails uncut.
  std::optional<FileIdentity> heldFile;
  ProgressObserver progress;  // may be empty
};

// Writes `header` and `payload` (exactly the header's payload length) to
// `packagePath`: 1 written, 0 not. Stores `reservedWord` and the header
// checksum in the record first (kept even when the file cannot be opened).
//
// A failure before the file is cut (see OutputFile) leaves an existing one as
// it was; after, any failure, stop or end of the process removes it, the old
// package too: on a stick about to be carried to a machine, no package is
// safer than an old one that looks current. On success the bytes are on the
// device, read back from it past the cache as written, at the path.
int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath);
BuildResult WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                         const std::u16string& packagePath, const WriteContext& context);

}  // namespace tessam
