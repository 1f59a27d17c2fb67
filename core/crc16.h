#pragma once
// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final
// inversion. The check value of "123456789" is 0x4B37.
#include <cstddef>
#include <cstdint>
#include <span>

namespace tessam {

inline constexpr std::uint16_t kCrc16Initial = 0xFFFF;
inline constexpr std::uint16_t kCrc16Polynomial = 0xA001;  // 0x8005 reflected

// The definition, one bit at a time. The lookup tables behind Crc16Update are
// built from it at compile time, and the tests hold both against it.
constexpr std::uint16_t Crc16UpdateBitwise(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    crc = static_cast<std::uint16_t>(crc ^ data[i]);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 1u) ? (crc >> 1) ^ kCrc16Polynomial : crc >> 1);
    }
  }
  return crc;
}

// Continues a checksum over more bytes; Crc16Update(kCrc16Initial, ...) over a
// buffer in any number of pieces equals Crc16 of the whole buffer.
std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t length);

inline std::uint16_t Crc16(const std::uint8_t* data, std::size_t length) {
  return Crc16Update(kCrc16Initial, data, length);
}

// The payload pass: XORs every byte of `bytes` with `key`, then continues the
// checksum `crc` over the scrambled bytes, in one walk over memory, so a
// 128 MB image is touched once, not twice. Pieces may be fed in any split.
std::uint16_t ScrambleAndChecksum(std::uint16_t crc, std::uint8_t key, std::span<std::uint8_t> bytes);

}  // namespace tessam
