#include "core/image_loader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>

#include "core/crc16.h"
#include "core/file.h"
#include "core/package_layout.h"
#include "core/scramble.h"

namespace tessam {
namespace {

// Small enough to stay in a core's cache between being read and scrambled, and
// to notice a stop request within a millisecond or two.
constexpr std::size_t kChunk = std::size_t{2} << 20;
constexpr std::size_t kLargestImage = std::size_t{65535} * project::kBytesPerBlock + project::kImageTrailer;
constexpr std::size_t kMostChunks = (kLargestImage + kChunk - 1) / kChunk;

constexpr std::size_t kPasswordAt = project::kPasswordOffset - project::kImageOffset;
static_assert(kChunk >= kPasswordAt + project::kPasswordLength, "the first chunk holds the password bytes");

// The state both workers share. Each chunk belongs to exactly one worker, which
// alone writes its bytes and its checksum slot.
class ChunkedLoad {
 public:
  ChunkedLoad(File& project, std::uint64_t offset, std::span<std::uint8_t> image,
              const std::optional<BuildRequest::Password>& password, std::uint8_t key, const std::stop_token& stop)
      : project_(project), offset_(offset), image_(image), password_(password), key_(key), stop_(stop),
        chunkCount_((image.size() + kChunk - 1) / kChunk) {}

  std::size_t chunkCount() const { return chunkCount_; }
  BuildFailure failure() const { return failure_.load(); }

  // Loads chunks first, first + step, first + 2 * step, ...
  void LoadEvery(std::size_t first, std::size_t step,
                 const std::function<void(std::uint64_t, std::uint64_t)>* progress) {
    for (std::size_t index = first; index < chunkCount_; index += step) {
      if (failure_.load() != BuildFailure::kNone) return;
      if (stop_.stop_requested()) return Fail(BuildFailure::kStopped);
      const auto chunk = Chunk(index);
      if (!ReadExactlyAt(project_, offset_ + index * kChunk, chunk)) return Fail(BuildFailure::kProjectReadError);
      if (index == 0 && password_) {
        for (std::size_t i = 0; i < password_->size(); ++i) {
          chunk[kPasswordAt + i] = static_cast<std::uint8_t>((*password_)[i] & 0xFFu);
        }
      }
      checksums_[index] = ScrambleAndChecksum(0, key_, chunk);
      const std::uint64_t loaded = loaded_.fetch_add(chunk.size()) + chunk.size();
      if (progress && *progress) (*progress)(loaded, image_.size());
    }
  }

  // The checksum of the whole image from the chunks' checksums, in order.
  std::uint16_t Checksum() const {
    std::uint16_t crc = kCrc16Initial;
    for (std::size_t index = 0; index < chunkCount_; ++index) {
      crc = Crc16Combine(crc, checksums_[index], Chunk(index).size());
    }
    return crc;
  }

 private:
  std::span<std::uint8_t> Chunk(std::size_t index) const {
    const std::size_t start = index * kChunk;
    return image_.subspan(start, std::min(kChunk, image_.size() - start));
  }

  void Fail(BuildFailure why) {
    BuildFailure none = BuildFailure::kNone;
    failure_.compare_exchange_strong(none, why);  // the first reason wins
  }

  File& project_;
  const std::uint64_t offset_;
  const std::span<std::uint8_t> image_;
  const std::optional<BuildRequest::Password>& password_;
  const std::uint8_t key_;
  const std::stop_token& stop_;
  const std::size_t chunkCount_;
  std::array<std::uint16_t, kMostChunks> checksums_{};
  std::atomic<BuildFailure> failure_{BuildFailure::kNone};
  std::atomic<std::uint64_t> loaded_{0};
};

}  // namespace

LoadedImage LoadScrambledImage(File& project, std::uint64_t offset, std::span<std::uint8_t> image,
                               const std::optional<BuildRequest::Password>& password, std::uint8_t key,
                               const std::stop_token& stop,
                               const std::function<void(std::uint64_t done, std::uint64_t total)>& progress) {
  // No block count asks for more; the checksum slots are sized for this much.
  if (image.size() > kLargestImage) return {BuildFailure::kOutOfMemory, 0};
  ChunkedLoad load(project, offset, image, password, key, stop);
  {
    std::jthread helper;
    if (load.chunkCount() > 1) {
      try {
        helper = std::jthread([&load] { load.LoadEvery(1, 2, nullptr); });
      } catch (const std::system_error&) {
        // No thread to be had: this thread loads every chunk itself.
      }
    }
    load.LoadEvery(0, helper.joinable() ? 2 : 1, &progress);
  }  // the helper is joined here, before anyone looks at its results
  if (load.failure() != BuildFailure::kNone) return {load.failure(), 0};
  return {BuildFailure::kNone, load.Checksum()};
}

}  // namespace tessam
