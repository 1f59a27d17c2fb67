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
// even on a slow stick, and the per-call cost vanishes. A multiple of
// File::kUncachedAlignment.
inline constexpr std::size_t kPackageChunk = std::size_t{1} << 20;

// What a build is doing: reading (and scrambling) the image, writing the
// package, or reading the flushed package back from the device.
enum class BuildPhase { kReading, kWriting, kReadingBack };

// Told, between pieces and on the building thread, the bytes done of `total`:
// payload bytes read or written, or package bytes read back.
using ProgressObserver = std::function<void(BuildPhase phase, std::uint64_t done, std::uint64_t total)>;

// What a build adds to a write.
struct WriteContext {
  // Asked between pieces; a stopped write removes what it had written.
  std::stop_token stop;
  // The project file the build holds open. A package path that leads to it
  // (in any spelling, through links) fails before anything is cut.
  std::optional<FileIdentity> heldFile;
  ProgressObserver progress;  // may be empty
};

// Writes `header` and `payload` to `packagePath`: 1 written, 0 not. First
// copies `reservedWord` into the record and stores the header checksum in it
// (kept even when the file cannot be opened). `payload` must be exactly the
// header's payload length.
//
// The file is opened without truncation, held exclusively and checked against
// `context.heldFile` before it is cut; a failure before the cut leaves an
// existing file as it was. Once cut, any failure or stop removes it through
// the open file (on Windows so does any end of the process), so a failed
// write leaves no package behind, not even the previous one: on a stick about to be carried to a machine, no package is
// safer than an old one that looks current. On success the bytes have reached
// the device, reading them back from it, past the system's cache, gave
// exactly what was written, and the path still leads to them.
int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath);
BuildResult WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                         const std::u16string& packagePath, const WriteContext& context);

}  // namespace tessam
