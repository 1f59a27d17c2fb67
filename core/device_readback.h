#pragma once
// The check after the flush: the package as the device stores it, read back
// and compared byte for byte with what was written.
#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>

#include "core/build_failure.h"

namespace tessam {

class File;

// Test seam, never set by the program: stands in for the device. Sees each
// piece read back (its file offset and bytes) and may change the bytes, or
// return false for a read error.
using ReadBackSeam = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> bytes)>;

struct ReadBackOutcome {
  BuildFailure failure = BuildFailure::kNone;  // kPackageDiffers, kPackageReadBackError, kStopped
  std::uint64_t firstDifference = 0;           // file offset, for kPackageDiffers
};

// Reads the flushed file that `file` holds (named by `path`) back from the
// device, past the system's cache, in pieces of at most 1 MiB, and compares
// it with `header` followed by `payload`; a file longer or shorter than those
// differs where the two part. Looks at `stop` before each piece and tells
// `progress` (may be empty) the bytes read back so far after each.
ReadBackOutcome ReadBackAndCompare(File& file, const std::u16string& path, std::span<const std::uint8_t> header,
                                   std::span<const std::uint8_t> payload, const std::stop_token& stop,
                                   const std::function<void(std::uint64_t done, std::uint64_t total)>& progress,
                                   const ReadBackSeam& seam = {});

}  // namespace tessam
