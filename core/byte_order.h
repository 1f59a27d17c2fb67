#pragma once
// Byte order, spelled out: the project file's block count is little-endian;
// the checksum loops read 64-bit words in file order. memcpy keeps every
// access aligned-safe and compiles to one move. (The package header's
// big-endian fields are the format's own business: package_format.cpp.)
#include <bit>
#include <cstdint>
#include <cstring>

namespace tessam {

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
