#include "core/device_readback.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "core/device_reader.h"
#include "core/file.h"

namespace tessam {
namespace {

// Small enough that even a slow stick delivers a piece well within the 100 ms
// a stop request may wait; as large as the blocks of a direct dd read.
constexpr std::size_t kPiece = std::size_t{1} << 20;
constexpr std::size_t kLeastBufferAlignment = 4096;

struct AlignedRelease {
  std::size_t alignment;
  void operator()(std::uint8_t* bytes) const { ::operator delete[](bytes, std::align_val_t{alignment}); }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t[], AlignedRelease>;

AlignedBuffer AllocateAligned(std::size_t size, std::size_t alignment) {
  void* const bytes = ::operator new[](size, std::align_val_t{alignment}, std::nothrow);
  return AlignedBuffer(static_cast<std::uint8_t*>(bytes), AlignedRelease{alignment});
}

// The first file offset in [offset, offset + got.size()) at which `got` is not
// what was written (the header, then the payload); none where it all matches.
std::optional<std::uint64_t> FirstDifference(std::span<const std::uint8_t> header,
                                             std::span<const std::uint8_t> payload, std::uint64_t offset,
                                             std::span<const std::uint8_t> got) {
  const std::pair<std::uint64_t, std::span<const std::uint8_t>> parts[] = {{0, header}, {header.size(), payload}};
  for (const auto& [start, part] : parts) {
    if (got.empty() || offset >= start + part.size()) continue;
    const auto expected = part.subspan(static_cast<std::size_t>(offset - start));
    const std::size_t length = std::min(expected.size(), got.size());
    // memcmp runs in wide words; the byte-wise search only once it found a difference.
    if (std::memcmp(got.data(), expected.data(), length) != 0) {
      const auto end = got.begin() + static_cast<std::ptrdiff_t>(length);
      const auto mismatch = std::mismatch(got.begin(), end, expected.begin()).first;
      return offset + static_cast<std::uint64_t>(mismatch - got.begin());
    }
    offset += length;
    got = got.subspan(length);
  }
  if (!got.empty()) return offset;  // the file goes on past what was written
  return std::nullopt;
}

}  // namespace

ReadBackOutcome ReadBackAndCompare(File& file, const std::u16string& path, std::span<const std::uint8_t> header,
                                   std::span<const std::uint8_t> payload, const std::stop_token& stop,
                                   const std::function<void(std::uint64_t done, std::uint64_t total)>& progress,
                                   const ReadBackSeam& seam) {
  auto reader = DeviceReader::Open(file, path);
  if (!reader) return {BuildFailure::kPackageReadBackError};
  const std::size_t alignment = std::max(kLeastBufferAlignment, reader->alignment());
  const std::size_t piece = std::max(kPiece, alignment);
  const AlignedBuffer buffer = AllocateAligned(piece, alignment);
  if (!buffer) return {BuildFailure::kOutOfMemory};

  const std::uint64_t total = header.size() + payload.size();
  for (std::uint64_t offset = 0;;) {
    if (stop.stop_requested()) return {BuildFailure::kStopped};
    auto got = reader->ReadAt(offset, {buffer.get(), piece});
    if (got && seam && !seam(offset, {buffer.get(), *got})) got.reset();
    if (!got) return {BuildFailure::kPackageReadBackError};
    if (const auto at = FirstDifference(header, payload, offset, {buffer.get(), *got})) {
      return {BuildFailure::kPackageDiffers, *at};
    }
    offset += *got;
    if (progress) progress(std::min(offset, total), total);
    // Reads come back short only at the end of the file.
    if (*got < piece) {
      return offset == total ? ReadBackOutcome{} : ReadBackOutcome{BuildFailure::kPackageDiffers, offset};
    }
  }
}

}  // namespace tessam
