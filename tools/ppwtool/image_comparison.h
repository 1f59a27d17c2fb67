#pragma once
// verify's question, whether a package holds the build of a project: its
// unscrambled image against the project's bytes from offset 256, both
// streamed, so the largest package costs a few megabytes.
#include <cstdint>
#include <optional>

#include "core/build_request.h"
#include "core/package_reader.h"

namespace ppwtool {

using tessam::BuildRequest;
using tessam::PackageReport;
using tessam::PackageSource;
namespace project = tessam::project;

struct ImageComparison {
  std::uint64_t projectLength = 0;
  // The project's own block count (bytes 256 and 257); none when it is too short.
  std::optional<std::uint16_t> projectBlockCount;
  std::uint64_t imageLength = 0;
  // Image bytes that differ from the project's, plus image bytes the project
  // is too short to hold; the password bytes count only when a password is given.
  std::uint64_t differingBytes = 0;
  std::optional<std::uint64_t> firstDifference;  // a project file offset
  // Whether image bytes 8..15 differ from the password when one is given
  // (counted above), or else from the project's (a password was planted).
  bool passwordBytesDiffer = false;

  bool same() const { return differingBytes == 0; }
  bool projectTooShort() const { return projectLength < project::kImageOffset + imageLength; }
};

// With `password`, image bytes 8..15 must hold its low bytes, as the builder
// plants them; without, they are left out. None on a read error of either file.
std::optional<ImageComparison> CompareImage(const PackageSource& package, const PackageReport& report,
                                            const PackageSource& project,
                                            const std::optional<BuildRequest::Password>& password);

}  // namespace ppwtool
