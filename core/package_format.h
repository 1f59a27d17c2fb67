#pragma once
// Every rule of the package format in one place: the layout of a package
// ("VANTU.PPW": a 64-byte header, then the L-byte payload, nothing else), the
// part of a project (.pmw) the builder takes, the header record, key, password.
//   offset size  field                encoding
//        0    4  magic                "QVTH", copied as is
//        4    4  format version       u32 big-endian, 0x0133EE16
//        8    4  payload length L     u32 big-endian, program length + kImageTrailer
//       12    4  payload checksum     u32 big-endian, CRC-16/MODBUS of the stored payload
//       16    4  program length       u32 big-endian, block count * kBytesPerBlock
//       20    4  key seeds s0..s3     single bytes, each 0..254
//       24    2  reserved word        u16 big-endian, always 0
//       26    6  filler               single bytes, each 0..254
//       32   15  reserved             every byte kReservedByte
//       47   13  maker web address    kWebAddress, printable ASCII
//       60    4  header checksum      u32 big-endian, CRC-16/MODBUS of bytes 0..59
//       64    L  payload              program image, every byte XOR the scramble key
//
// A project file, as far as the builder reads it (integers little-endian):
//      256    2  block count          u16
//      256    L  program image        becomes the payload
//      264    8  password             image bytes 8..15, overwritten when one is planted
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tessam {

namespace layout {
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kMagicSize = 4;
inline constexpr std::size_t kFormatVersionOffset = 4;
inline constexpr std::size_t kPayloadLengthOffset = 8;
inline constexpr std::size_t kPayloadChecksumOffset = 12;
inline constexpr std::size_t kProgramLengthOffset = 16;
inline constexpr std::size_t kSeedsOffset = 20;
inline constexpr std::size_t kSeedCount = 4;
inline constexpr std::size_t kReservedWordOffset = 24;
inline constexpr std::size_t kFillerOffset = 26;
inline constexpr std::size_t kFillerCount = 6;
inline constexpr std::size_t kReservedOffset = 32;
inline constexpr std::size_t kReservedSize = 15;
inline constexpr std::size_t kWebAddressOffset = 47;
inline constexpr std::size_t kWebAddressSize = 13;
inline constexpr std::size_t kHeaderChecksumOffset = 60;
inline constexpr std::size_t kHeaderChecksummedSize = 60;  // bytes 0..59
inline constexpr std::size_t kHeaderSize = 64;
}  // namespace layout

inline constexpr char kMagic[layout::kMagicSize] = {'Q', 'V', 'T', 'H'};
inline constexpr std::uint32_t kFormatVersion = 0x0133EE16;  // 20180502
inline constexpr char kWebAddress[] = "www.halvor.cn";
static_assert(sizeof(kWebAddress) - 1 == layout::kWebAddressSize);
inline constexpr std::uint8_t kReservedByte = 0xFF;
// Seeds and filler are drawn modulo this, so none of them is ever 0xFF; the key too.
inline constexpr std::uint32_t kDrawModulus = 255;

namespace project {
inline constexpr std::size_t kImageOffset = 256;
inline constexpr std::size_t kBlockCountOffset = 256;
inline constexpr std::size_t kPasswordOffset = 264;
inline constexpr std::size_t kPasswordLength = 8;
inline constexpr std::uint32_t kBytesPerBlock = 2000;
inline constexpr std::uint32_t kImageTrailer = 92;  // payload length = program length + this
}  // namespace project

// The largest package a build can write: 65535 blocks.
inline constexpr std::uint64_t kLargestPayload =
    std::uint64_t{0xFFFF} * project::kBytesPerBlock + project::kImageTrailer;
inline constexpr std::uint64_t kLargestPackage = layout::kHeaderSize + kLargestPayload;

// The in-memory mirror of the 64 header bytes: fields at their file offsets,
// multi-byte integers as native numbers (big-endian only in the file).
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
  // Every one of the 15 reserved bytes (32..46) to kReservedByte.
  void FillReserved();
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
static_assert(offsetof(PackageHeader, webAddress) == layout::kReservedOffset + layout::kReservedSize);
static_assert(offsetof(PackageHeader, webAddress) == layout::kWebAddressOffset);
static_assert(offsetof(PackageHeader, headerChecksum) == layout::kHeaderChecksumOffset);

using HeaderBytes = std::array<std::uint8_t, layout::kHeaderSize>;

// The 64 bytes as the file holds them, and back. Both walk one table of the
// fields, so they cannot disagree.
HeaderBytes EncodeHeader(const PackageHeader& header);
PackageHeader DecodeHeader(std::span<const std::uint8_t, layout::kHeaderSize> bytes);

// Stores `reservedWord` and the header checksum in the record; the 64 bytes.
HeaderBytes SealHeader(PackageHeader& header, std::uint16_t reservedWord);

// (s3*s2 + s1*s0) mod 255; never stored, derived from the seeds by any reader.
std::uint8_t ScrambleKey(const std::uint8_t (&seeds)[layout::kSeedCount]);

// The password: exactly 8 UTF-16 units, of which the image keeps the low 8 bits.
using Password = std::array<char16_t, project::kPasswordLength>;
inline constexpr std::size_t kPasswordImageOffset = project::kPasswordOffset - project::kImageOffset;

// The password as the image holds it once planted.
std::array<std::uint8_t, project::kPasswordLength> PasswordBytes(const Password& password);

// Puts the password's bytes at image offsets 8..15 (`image`: from project offset 256).
void PlantPassword(std::span<std::uint8_t> image, const Password& password);

// What the web address may hold: space to tilde.
inline bool IsPrintableAscii(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

}  // namespace tessam
