#pragma once
// Reads a package back: parses the header, recomputes both checksums and lists
// every way the file departs from what the builder writes. It never trusts a
// length field to index the input, and streams: any file is judged in a few MB.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "core/file.h"
#include "core/package_format.h"

namespace tessam {

// Where the reader takes its bytes from (a file, memory, a test's making):
// `readAt` reads up to into.size() bytes at `offset`: the count (0 at the end),
// or none on a read error.
struct PackageSource {
  std::uint64_t length = 0;
  std::function<std::optional<std::size_t>(std::uint64_t offset, std::span<std::uint8_t> into)> readAt;
};

// The bytes or the file must outlive what is read through the source; `length`
// is the file's, as File::Size gave it.
PackageSource SourceOf(std::span<const std::uint8_t> bytes);
PackageSource SourceOf(File& file, std::uint64_t length);

// Fills `into` from `offset`; false on a read error or an early end.
bool ReadExactly(const PackageSource& source, std::uint64_t offset, std::span<std::uint8_t> into);

// One kind of damage each; a package can show several at once.
enum class PackageProblem {
  kHeaderTruncated,         // fewer than 64 bytes: nothing else can be judged
  kWrongMagic,              // bytes 0..3 are not "QVTH"
  kWrongFormatVersion,      // not 0x0133EE16
  kFileLength,              // file length is not 64 + payload length
  kFileTooLong,             // longer than the largest package the builder can write
  kProgramLength,           // payload length is not program length + the image trailer
  kBlockCount,              // program length is not the image's block count x bytes per block
  kPayloadChecksum,         // stored payload checksum differs from the computed one
  kHeaderChecksum,          // stored header checksum differs from the computed one
  kSeedByte255,             // a key seed (bytes 20..23) is 255, which no draw gives
  kFillerByte255,           // a filler byte (26..31) is 255
  kReservedBytes,           // bytes 32..46 are not all kReservedByte
  kReservedWord,            // bytes 24..25 are not 0
  kBadWebAddress,           // bytes 47..59 are not 13 printable ASCII characters
};

// Stable short name, e.g. "payload-checksum"; used in JSON and messages.
const char* ProblemName(PackageProblem problem);

struct PackageReport {
  std::uint64_t fileLength = 0;

  // Everything below is meaningful only when the input held a whole header.
  bool hasHeader = false;
  HeaderBytes headerBytes{};      // as read, for fields shown byte by byte
  PackageHeader header{};         // fields as stored, numbers converted to native
  std::uint8_t scrambleKey = 0;   // derived from the seeds; never stored
  std::uint16_t computedHeaderChecksum = 0;   // over bytes 0..59
  // Over the payload bytes present: from 64 to 64 + L or the input's end, and
  // never past the largest payload (beyond, the package is damaged anyway).
  std::uint16_t computedPayloadChecksum = 0;
  std::uint64_t payloadBytesPresent = 0;
  // The block count the image starts with (payload bytes 0 and 1, unscrambled).
  std::optional<std::uint16_t> imageBlockCount;

  std::vector<PackageProblem> problems;  // in the order of the enum, each once

  bool sound() const { return problems.empty(); }
  bool has(PackageProblem problem) const;
};

// None on a read error, or when the input ends before its length (it changed
// while it was read).
std::optional<PackageReport> InspectPackage(const PackageSource& source);
PackageReport InspectPackage(std::span<const std::uint8_t> package);

// Receives the image in order, chunk by chunk; `offset` is the image offset of
// the chunk's first byte. Returning false stops the stream.
using ImageSink = std::function<bool(std::uint64_t offset, std::span<const std::uint8_t> chunk)>;

// The program image: the payload bytes present, each XOR-ed with the scramble
// key. Nothing when the input holds no whole header. Works on a damaged
// package too; whether to trust the result is the caller's decision. False on
// a read error, an early end of the input, or when the sink stops.
bool StreamImage(const PackageSource& source, const PackageReport& report, const ImageSink& sink);
std::vector<std::uint8_t> UnscrambleImage(std::span<const std::uint8_t> package,
                                          const PackageReport& report);

}  // namespace tessam
