#pragma once
// Byte order, spelled out. Package header integers are big-endian; the project
// file's block count is little-endian; the checksum loops read 64-bit words in
// file order. memcpy keeps every access aligned-safe and compiles to one move.
#include <bit>
#include <cstdint>
#include <cstring>

namespace tessam {

inline void StoreBigEndian16(std::uint8_t* out, std::uint16_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 8);
  out[1] = static_cast<std::uint8_t>(value);
}

inline void StoreBigEndian32(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

inline std::uint16_t LoadBigEndian16(const std::uint8_t* in) {
  return static_cast<std::uint16_t>((in[0] << 8) | in[1]);
}

inline std::uint32_t LoadBigEndian32(const std::uint8_t* in) {
  return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) | (std::uint32_t{in[2]} << 8) |
         std::uint32_t{in[3]};
}

inline std::uint16_t LoadLittleEndian16(const std::uint8_t* in) {
  return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

// Byte 0 of `in` lands in the lowest 8 bits.
inline std::uint64_t LoadLittleEndian64(const std::uint8_t* in) {
  std::uint64_t value;
  std::memcpy(&value, in, sizeof(value));
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
  return value;
}

inline void StoreLittleEndian64(std::uint8_t* out, std::uint64_t value) {
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
  std::memcpy(out, &value, sizeof(value));
}

}  // namespace tessam
