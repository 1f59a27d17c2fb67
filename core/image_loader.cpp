#include "core/image_loader.h"

#include <algorithm>

#include "core/crc16.h"
#include "core/file.h"
#include "core/package_layout.h"

namespace tessam {
namespace {

// Small enough to stay in a core's cache between being read and scrambled, and
// to notice a stop request within a millisecond or two.
constexpr std::size_t kChunk = std::size_t{1} << 20;

constexpr std::size_t kPasswordAt = project::kPasswordOffset - project::kImageOffset;
static_assert(kChunk >= kPasswordAt + project::kPasswordLength, "the first chunk holds the password bytes");

}  // namespace

LoadedImage LoadScrambledImage(File& project, std::uint64_t offset, std::span<std::uint8_t> image,
                               const std::optional<BuildRequest::Password>& password, std::uint8_t key,
                               const std::stop_token& stop, const LoadedChunkSink& onChunk) {
  std::uint16_t crc = kCrc16Initial;
  for (std::size_t done = 0; done < image.size();) {
    if (stop.stop_requested()) return {BuildFailure::kStopped, 0};
    const auto chunk = image.subspan(done, std::min(kChunk, image.size() - done));
    if (!ReadExactlyAt(project, offset + done, chunk)) return {BuildFailure::kProjectReadError, 0};
    if (done == 0 && password) {
      for (std::size_t i = 0; i < password->size(); ++i) {
        chunk[kPasswordAt + i] = static_cast<std::uint8_t>((*password)[i] & 0xFFu);
      }
    }
    crc = ScrambleAndChecksum(crc, key, chunk);
    done += chunk.size();
    if (onChunk) {
      if (const BuildFailure failure = onChunk(chunk, done); failure != BuildFailure::kNone) return {failure, 0};
    }
  }
  return {BuildFailure::kNone, crc};
}

}  // namespace tessam
