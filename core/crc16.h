#pragma once
// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final
// inversion. The check value of "123456789" is 0x4B37.
#include <cstddef>
#include <cstdint>

namespace tessam {

inline constexpr std::uint16_t kCrc16Initial = 0xFFFF;

// Continues a checksum over more bytes; Crc16Update(kCrc16Initial, ...) over a
// buffer in any number of pieces equals Crc16 of the whole buffer.
std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t length);

inline std::uint16_t Crc16(const std::uint8_t* data, std::size_t length) {
  return Crc16Update(kCrc16Initial, data, length);
}

}  // namespace tessam
