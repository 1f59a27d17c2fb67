#include "core/package_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/output_file.h"

namespace tessam {
namespace {

struct AlignedRelease {
  void operator()(std::uint8_t* bytes) const {
    ::operator delete[](bytes, std::align_val_t{File::kUncachedAlignment});
  }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t[], AlignedRelease>;

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
      return offset + static_cast<std::uint64_t>(std::mismatch(got.begin(), end, expected.begin()).first - got.begin());
    }
    offset += length;
    got = got.subspan(length);
  }
  if (!got.empty()) return offset;  // the file goes on past what was written
  return std::nullopt;
}

// Flushed is not yet stored: worn or counterfeit sticks keep other bytes than
// they were given, while the cache still holds the good ones. So the file is
// read back from the device and compared byte for byte; a file longer or
// shorter than what was written differs where the two part.
BuildResult ReadBack(File& file, std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload,
                     const WriteContext& context) {
  const AlignedBuffer buffer(static_cast<std::uint8_t*>(
      ::operator new[](kPackageChunk, std::align_val_t{File::kUncachedAlignment}, std::nothrow)));
  if (!buffer) return {BuildFailure::kOutOfMemory};
  const std::uint64_t total = header.size() + payload.size();
  for (std::uint64_t offset = 0;;) {
    if (context.stop.stop_requested()) return {BuildFailure::kStopped};
    const auto got = file.ReadUncachedAt(offset, {buffer.get(), kPackageChunk});
    if (!got) return {BuildFailure::kPackageReadBackError, file.lastError()};
    if (const auto at = FirstDifference(header, payload, offset, {buffer.get(), *got})) {
      return {BuildFailure::kPackageDiffers, FileError::kNone, *at};
    }
    offset += *got;
    if (context.progress) context.progress(BuildPhase::kReadingBack, std::min(offset, total), total);
    // Reads come back short only at the end of the file.
    if (*got < kPackageChunk) {
      if (offset == total) return {};
      return {BuildFailure::kPackageDiffers, FileError::kNone, offset};
    }
  }
}

}  // namespace

BuildResult WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                         const std::u16string& packagePath, const WriteContext& context) {
  if (packagePath.empty()) return {BuildFailure::kEmptyPath};
  if (payload.empty() || payload.size() != header.payloadLength) return {BuildFailure::kNoPayload};
  const HeaderBytes headerBytes = SealHeader(header, reservedWord);
  if (context.stop.stop_requested()) return {BuildFailure::kStopped};

  OutputFileOptions options;
  if (context.heldFile) options.untouchable.push_back(*context.heldFile);
  FileError why = FileError::kNone;
  auto file = OutputFile::Open(packagePath, options, why);
  if (!file) {
    if (why == FileError::kSameFile) return {BuildFailure::kSameFile};
    return {BuildFailure::kPackageNotOpenable, why};
  }
  // From here every early return drops `file`, which removes it.
  const auto writeFailed = [&] { return BuildResult{BuildFailure::kPackageWriteError, file->lastError()}; };
  if (!file->Write(headerBytes)) return writeFailed();
  for (std::size_t done = 0; done < payload.size();) {
    if (context.stop.stop_requested()) return {BuildFailure::kStopped};
    const auto chunk = payload.subspan(done, std::min(kPackageChunk, payload.size() - done));
    if (!file->Write(chunk)) return writeFailed();
    done += chunk.size();
    if (context.progress) context.progress(BuildPhase::kWriting, done, payload.size());
  }
  if (!file->Finish()) return writeFailed();
  if (BuildResult checked = ReadBack(file->held(), headerBytes, payload, context); !checked.ok()) return checked;
  if (!file->Keep()) return writeFailed();
  return {};
}

int WritePackage(PackageHeader& header, std::uint16_t reservedWord, std::span<const std::uint8_t> payload,
                 const std::u16string& packagePath) {
  return WritePackage(header, reservedWord, payload, packagePath, WriteContext{}).ok() ? 1 : 0;
}

}  // namespace tessam
