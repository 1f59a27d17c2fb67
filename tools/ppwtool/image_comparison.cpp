#include "tools/ppwtool/image_comparison.h"

#include <algorithm>
#include <vector>

#include "core/byte_order.h"

namespace ppwtool {

using tessam::kPasswordImageOffset;
using tessam::LoadLittleEndian16;
using tessam::PasswordBytes;
using tessam::ReadExactly;
using tessam::StreamImage;

std::optional<ImageComparison> CompareImage(const PackageSource& package, const PackageReport& report,
                                            const PackageSource& project,
                                            const std::optional<BuildRequest::Password>& password) {
  constexpr std::uint64_t kPasswordStart = kPasswordImageOffset;
  constexpr std::uint64_t kPasswordEnd = kPasswordStart + project::kPasswordLength;
  const auto planted = password ? std::optional(PasswordBytes(*password)) : std::nullopt;
  ImageComparison result;
  result.projectLength = project.length;
  if (project.length >= project::kBlockCountOffset + 2) {
    std::uint8_t count[2];
    if (!ReadExactly(project, project::kBlockCountOffset, count)) return std::nullopt;
    result.projectBlockCount = LoadLittleEndian16(count);
  }
  const std::uint64_t projectImage =
      project.length > project::kImageOffset ? project.length - project::kImageOffset : 0;

  auto differs = [&result](std::uint64_t imageOffset) {
    if (result.differingBytes++ == 0) result.firstDifference = project::kImageOffset + imageOffset;
  };
  result.imageLength = report.payloadBytesPresent;
  std::vector<std::uint8_t> expected;  // the project's bytes beside each image chunk
  auto compare = [&](std::uint64_t offset, std::span<const std::uint8_t> image) {
    const std::uint64_t present =
        offset < projectImage ? std::min<std::uint64_t>(image.size(), projectImage - offset) : 0;
    expected.resize(static_cast<std::size_t>(present));
    if (!ReadExactly(project, project::kImageOffset + offset, expected)) return false;
    // Most chunks of a matching image are equal and away from the password.
    const bool awayFromPassword = offset >= kPasswordEnd || offset + image.size() <= kPasswordStart;
    if (awayFromPassword && expected.size() == image.size() &&
        std::equal(image.begin(), image.end(), expected.begin())) {
      return true;
    }
    for (std::size_t i = 0; i < image.size(); ++i) {
      const std::uint64_t at = offset + i;
      if (i >= expected.size()) {
        differs(at);
      } else if (at < kPasswordStart || at >= kPasswordEnd) {
        if (image[i] != expected[i]) differs(at);
      } else if (planted) {
        if (image[i] != (*planted)[at - kPasswordStart]) {
          result.passwordBytesDiffer = true;
          differs(at);
        }
      } else if (image[i] != expected[i]) {
        result.passwordBytesDiffer = true;
      }
    }
    return true;
  };
  if (!StreamImage(package, report, compare)) return std::nullopt;
  return result;
}

}  // namespace ppwtool
