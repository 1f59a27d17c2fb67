#include "core/package_reader.h"

#include <algorithm>
#include <cstring>

#include "core/crc16.h"

namespace tessam {

namespace {

// No draw gives 255: every seed and filler byte is taken modulo it.
bool AnyIs255(const std::uint8_t* bytes, std::size_t count) {
  return std::find(bytes, bytes + count, std::uint8_t{kDrawModulus}) != bytes + count;
}

// Large enough that reading costs few calls, small enough to stay a rounding
// error beside the process itself.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// Reads payload bytes [0, length) in chunks and hands each to `use`.
template <typename Use>
bool ForEachPayloadChunk(const PackageSource& source, std::uint64_t length, Use use) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunkSize)));
  for (std::uint64_t done = 0; done < length;) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
    const std::span<std::uint8_t> chunk(buffer.data(), size);
    if (!ReadExactly(source, layout::kHeaderSize + done, chunk) || !use(done, chunk)) return false;
    done += size;
  }
  return true;
}

}  // namespace

bool ReadExactly(const PackageSource& source, std::uint64_t offset, std::span<std::uint8_t> into) {
  while (!into.empty()) {
    const auto got = source.readAt(offset, into);
    if (!got || *got == 0 || *got > into.size()) return false;
    offset += *got;
    into = into.subspan(*got);
  }
  return true;
}

PackageSource SourceOf(std::span<const std::uint8_t> bytes) {
  return {bytes.size(),
          [bytes](std::uint64_t offset, std::span<std::uint8_t> into) -> std::optional<std::size_t> {
            if (offset >= bytes.size()) return 0;
            const auto count =
                static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), bytes.size() - offset));
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, into.begin());
            return count;
          }};
}

PackageSource SourceOf(File& file, std::uint64_t length) {
  return {length, [&file](std::uint64_t offset, std::span<std::uint8_t> into) { return file.ReadAt(offset, into); }};
}

const char* ProblemName(PackageProblem problem) {
  switch (problem) {
    case PackageProblem::kHeaderTruncated: return "header-truncated";
    case PackageProblem::kWrongMagic: return "magic";
    case PackageProblem::kWrongFormatVersion: return "format-version";
    case PackageProblem::kFileLength: return "file-length";
    case PackageProblem::kFileTooLong: return "file-too-long";
    case PackageProblem::kProgramLength: return "program-length";
    case PackageProblem::kBlockCount: return "block-count";
    case PackageProblem::kPayloadChecksum: return "payload-checksum";
    case PackageProblem::kHeaderChecksum: return "header-checksum";
    case PackageProblem::kSeedByte255: return "seed-255";
    case PackageProblem::kFillerByte255: return "filler-255";
    case PackageProblem::kReservedBytes: return "reserved-bytes";
    case PackageProblem::kReservedWord: return "reserved-word";
    case PackageProblem::kBadWebAddress: return "web-address";
  }
  return "unknown";
}

bool PackageReport::has(PackageProblem problem) const {
  return std::find(problems.begin(), problems.end(), problem) != problems.end();
}

std::optional<PackageReport> InspectPackage(const PackageSource& source) {
  PackageReport report;
  report.fileLength = source.length;
  if (source.length < layout::kHeaderSize) {
    report.problems.push_back(PackageProblem::kHeaderTruncated);
    return report;
  }

  if (!ReadExactly(source, 0, report.headerBytes)) return std::nullopt;
  const std::uint8_t* bytes = report.headerBytes.data();
  const PackageHeader header = DecodeHeader(report.headerBytes);
  report.hasHeader = true;
  report.header = header;
  report.scrambleKey = ScrambleKey(header.seeds);
  report.computedHeaderChecksum = Crc16(bytes, layout::kHeaderChecksummedSize);

  const std::uint64_t declaredLength = header.payloadLength;
  const std::uint64_t available = source.length - layout::kHeaderSize;
  report.payloadBytesPresent = std::min({declaredLength, available, kLargestPayload});
  std::uint16_t crc = kCrc16Initial;
  std::uint8_t payload[2] = {};  // the first two, for the image's block count
  const bool read = ForEachPayloadChunk(source, report.payloadBytesPresent,
                                        [&](std::uint64_t offset, std::span<std::uint8_t> chunk) {
    if (offset == 0) std::copy_n(chunk.begin(), std::min<std::size_t>(chunk.size(), 2), payload);
    crc = Crc16Update(crc, chunk.data(), chunk.size());
    return true;
  });
  if (!read) return std::nullopt;
  report.computedPayloadChecksum = crc;

  auto& problems = report.problems;
  if (std::memcmp(header.magic, kMagic, layout::kMagicSize) != 0) {
    problems.push_back(PackageProblem::kWrongMagic);
  }
  if (header.formatVersion != kFormatVersion) {
    problems.push_back(PackageProblem::kWrongFormatVersion);
  }
  if (report.fileLength != layout::kHeaderSize + declaredLength) {
    problems.push_back(PackageProblem::kFileLength);
  }
  if (report.fileLength > kLargestPackage) {
    problems.push_back(PackageProblem::kFileTooLong);
  }
  if (declaredLength != std::uint64_t{header.programLength} + project::kImageTrailer) {
    problems.push_back(PackageProblem::kProgramLength);
  }
  // The image starts with its own block count, which is where the builder took
  // the program length from; the two must agree.
  if (report.payloadBytesPresent >= 2) {
    const unsigned low = payload[0] ^ report.scrambleKey;
    const unsigned high = payload[1] ^ report.scrambleKey;
    report.imageBlockCount = static_cast<std::uint16_t>(low | (high << 8));
    if (std::uint64_t{*report.imageBlockCount} * project::kBytesPerBlock != header.programLength) {
      problems.push_back(PackageProblem::kBlockCount);
    }
  }
  if (header.payloadChecksum != report.computedPayloadChecksum) {
    problems.push_back(PackageProblem::kPayloadChecksum);
  }
  if (header.headerChecksum != report.computedHeaderChecksum) {
    problems.push_back(PackageProblem::kHeaderChecksum);
  }
  if (AnyIs255(bytes + layout::kSeedsOffset, layout::kSeedCount)) {
    problems.push_back(PackageProblem::kSeedByte255);
  }
  if (AnyIs255(bytes + layout::kFillerOffset, layout::kFillerCount)) {
    problems.push_back(PackageProblem::kFillerByte255);
  }
  const std::uint8_t* reserved = bytes + layout::kReservedOffset;
  if (!std::all_of(reserved, reserved + layout::kReservedSize,
                   [](std::uint8_t b) { return b == kReservedByte; })) {
    problems.push_back(PackageProblem::kReservedBytes);
  }
  if (header.reservedWord != 0) {
    problems.push_back(PackageProblem::kReservedWord);
  }
  const std::uint8_t* web = bytes + layout::kWebAddressOffset;
  if (!std::all_of(web, web + layout::kWebAddressSize, IsPrintableAscii)) {
    problems.push_back(PackageProblem::kBadWebAddress);
  }
  return report;
}

PackageReport InspectPackage(std::span<const std::uint8_t> package) {
  // Memory neither fails to read nor ends early.
  return *InspectPackage(SourceOf(package));
}

bool StreamImage(const PackageSource& source, const PackageReport& report, const ImageSink& sink) {
  if (!report.hasHeader || source.length < layout::kHeaderSize) return true;
  const std::uint64_t length = std::min(report.payloadBytesPresent, source.length - layout::kHeaderSize);
  return ForEachPayloadChunk(source, length, [&](std::uint64_t offset, std::span<std::uint8_t> chunk) {
    for (std::uint8_t& byte : chunk) byte ^= report.scrambleKey;
    return sink(offset, chunk);
  });
}

std::vector<std::uint8_t> UnscrambleImage(std::span<const std::uint8_t> package,
                                          const PackageReport& report) {
  std::vector<std::uint8_t> image;
  StreamImage(SourceOf(package), report, [&image](std::uint64_t, std::span<const std::uint8_t> chunk) {
    image.insert(image.end(), chunk.begin(), chunk.end());
    return true;
  });
  return image;
}

}  // namespace tessam
