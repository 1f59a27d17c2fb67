#pragma once
// The in-memory mirror of a package's 64-byte header. Fields lie at the file's
// offsets; multi-byte integers are native numbers here and big-endian in the file.
#include <cstddef>
#include <cstdint>

#include "core/package_layout.h"

namespace tessam {

#pragma pack(push, 1)
struct PackageHeader {
  char magic[layout::kMagicSize];
  std::uint32_t formatVersion;
  std::uint32_t payloadLength;
  std::uint32_t payloadChecksum;
  std::uint32_t programLength;
  std::uint8_t seeds[layout::kSeedCount];
  std::uint16_t reservedWord;
  std::uint8_t filler[layout::kFillerCount];
  std::uint32_t reserved32[3];
  std::uint16_t reserved16;
  std::uint8_t reserved8;
  char webAddress[layout::kWebAddressSize];
  std::uint32_t headerChecksum;

  // Magic, version and web address set; every other byte 0.
  void Reset();
};
#pragma pack(pop)

static_assert(sizeof(PackageHeader) == layout::kHeaderSize);
static_assert(offsetof(PackageHeader, formatVersion) == layout::kFormatVersionOffset);
static_assert(offsetof(PackageHeader, payloadLength) == layout::kPayloadLengthOffset);
static_assert(offsetof(PackageHeader, payloadChecksum) == layout::kPayloadChecksumOffset);
static_assert(offsetof(PackageHeader, programLength) == layout::kProgramLengthOffset);
static_assert(offsetof(PackageHeader, seeds) == layout::kSeedsOffset);
static_assert(offsetof(PackageHeader, reservedWord) == layout::kReservedWordOffset);
static_assert(offsetof(PackageHeader, filler) == layout::kFillerOffset);
static_assert(offsetof(PackageHeader, reserved32) == layout::kReservedOffset);
static_assert(offsetof(PackageHeader, reserved16) == layout::kReservedOffset + sizeof(PackageHeader::reserved32));
static_assert(offsetof(PackageHeader, reserved8) == offsetof(PackageHeader, reserved16) + 2);
static_assert(offsetof(PackageHeader, webAddress) == layout::kWebAddressOffset);
static_assert(layout::kWebAddressOffset - layout::kReservedOffset == layout::kReservedSize);
static_assert(offsetof(PackageHeader, headerChecksum) == layout::kHeaderChecksumOffset);

// Scramble key from the four seeds: (s3*s2 + s1*s0) mod 255.
std::uint8_t ScrambleKey(const std::uint8_t (&seeds)[layout::kSeedCount]);

}  // namespace tessam
