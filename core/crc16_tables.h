#pragma once
// Slicing-by-16 lookup tables for CRC-16/MODBUS, built at compile time from the
// bitwise definition. Internal to the checksum and scramble loops.
//
// kCrc16Tables[0][b] is the register after feeding byte b into a zero register;
// kCrc16Tables[k][b] is the same followed by k zero bytes. XOR-ing
// kCrc16Tables[15 - j][byte j] over a 16-byte block (with the running register
// folded into bytes 0 and 1) advances the register by the whole block.
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/crc16.h"

namespace tessam::detail {

inline constexpr std::size_t kCrc16Slices = 16;
using Crc16Tables = std::array<std::array<std::uint16_t, 256>, kCrc16Slices>;

constexpr Crc16Tables MakeCrc16Tables() {
  Crc16Tables tables{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    const std::uint8_t value = static_cast<std::uint8_t>(byte);
    tables[0][byte] = Crc16UpdateBitwise(0, &value, 1);
  }
  for (std::size_t slice = 1; slice < kCrc16Slices; ++slice) {
    for (std::size_t byte = 0; byte < 256; ++byte) {
      const std::uint16_t previous = tables[slice - 1][byte];
      tables[slice][byte] = static_cast<std::uint16_t>((previous >> 8) ^ tables[0][previous & 0xFFu]);
    }
  }
  return tables;
}

inline constexpr Crc16Tables kCrc16Tables = MakeCrc16Tables();

inline std::uint16_t Crc16Byte(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kCrc16Tables[0][(crc ^ byte) & 0xFFu]);
}

// Advances the register over one 16-byte block given as two words in file order
// (byte 0 of the block in the lowest bits of `low`).
inline std::uint16_t Crc16Block(std::uint16_t crc, std::uint64_t low, std::uint64_t high) {
  low ^= crc;
  const auto& t = kCrc16Tables;
  return static_cast<std::uint16_t>(
      t[15][low & 0xFF] ^ t[14][(low >> 8) & 0xFF] ^ t[13][(low >> 16) & 0xFF] ^ t[12][(low >> 24) & 0xFF] ^
      t[11][(low >> 32) & 0xFF] ^ t[10][(low >> 40) & 0xFF] ^ t[9][(low >> 48) & 0xFF] ^ t[8][low >> 56] ^
      t[7][high & 0xFF] ^ t[6][(high >> 8) & 0xFF] ^ t[5][(high >> 16) & 0xFF] ^ t[4][(high >> 24) & 0xFF] ^
      t[3][(high >> 32) & 0xFF] ^ t[2][(high >> 40) & 0xFF] ^ t[1][(high >> 48) & 0xFF] ^ t[0][high >> 56]);
}

}  // namespace tessam::detail
