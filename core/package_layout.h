#pragma once
// Byte layout of a package file ("VANTU.PPW"), shared by the writer and the reader.
//
//   offset size  field                encoding
//        0    4  magic                "QVTH", copied as is
//        4    4  format version       u32 big-endian, 0x0133EE16
//        8    4  payload length L     u32 big-endian, program length + 92
//       12    4  payload checksum     u32 big-endian, CRC-16/MODBUS of the stored payload
//       16    4  program length       u32 big-endian, block count * 2000
//       20    4  key seeds s0..s3     single bytes, each 0..254
//       24    2  reserved word        u16 big-endian, always 0
//       26    6  filler               single bytes, each 0..254
//       32   15  reserved             all 0xFF
//       47   13  maker web address    13 printable ASCII characters
//       60    4  header checksum      u32 big-endian, CRC-16/MODBUS of bytes 0..59
//       64    L  payload              program image XOR key, key = (s3*s2 + s1*s0) mod 255
#include <cstddef>
#include <cstdint>

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

// Project file (.pmw) as far as the builder reads it; integers little-endian.
namespace project {
inline constexpr std::size_t kImageOffset = 256;        // program image starts here
inline constexpr std::size_t kBlockCountOffset = 256;   // u16 little-endian
inline constexpr std::size_t kPasswordOffset = 264;     // 8 bytes, image offsets 8..15
inline constexpr std::size_t kPasswordLength = 8;
inline constexpr std::uint32_t kBytesPerBlock = 2000;
inline constexpr std::uint32_t kImageTrailer = 92;      // payload = program + 92
}  // namespace project

}  // namespace tessam
