#include "core/crc16.h"

#include <array>

#include "core/byte_order.h"
#include "core/crc16_tables.h"

namespace tessam {

std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  const std::uint8_t* const end = data + length;
  while (end - data >= static_cast<std::ptrdiff_t>(detail::kCrc16Slices)) {
    detail::PrefetchAhead(data, end);
    crc = detail::Crc16Block(crc, LoadLittleEndian64(data), LoadLittleEndian64(data + 8));
    data += detail::kCrc16Slices;
  }
  while (data != end) crc = detail::Crc16Byte(crc, *data++);
  return crc;
}

namespace {

// A linear map on the 16-bit register over GF(2), held as the images of its 16
// unit vectors.
using RegisterMap = std::array<std::uint16_t, 16>;

std::uint16_t Apply(const RegisterMap& map, std::uint16_t crc) {
  std::uint16_t result = 0;
  for (std::size_t bit = 0; crc != 0; ++bit, crc >>= 1) {
    if (crc & 1u) result ^= map[bit];
  }
  return result;
}

RegisterMap Compose(const RegisterMap& outer, const RegisterMap& inner) {
  RegisterMap result;
  for (std::size_t bit = 0; bit < 16; ++bit) result[bit] = Apply(outer, inner[bit]);
  return result;
}

}  // namespace

std::uint16_t Crc16Combine(std::uint16_t first, std::uint16_t secondFromZero, std::uint64_t secondLength) {
  // Feeding B into a register holding `first` gives (first advanced over
  // |B| zero bytes) XOR (B's checksum from 0), as the register update is linear.
  // Advancing over n zero bytes is the one-zero-byte map raised to the n-th power.
  RegisterMap zeroByte;
  for (std::size_t bit = 0; bit < 16; ++bit) zeroByte[bit] = detail::Crc16Byte(static_cast<std::uint16_t>(1u << bit), 0);
  std::uint16_t advanced = first;
  for (; secondLength != 0; secondLength >>= 1) {
    if (secondLength & 1u) advanced = Apply(zeroByte, advanced);
    zeroByte = Compose(zeroByte, zeroByte);
  }
  return advanced ^ secondFromZero;
}

}  // namespace tessam
