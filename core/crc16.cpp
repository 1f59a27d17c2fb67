#include "core/crc16.h"

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

}  // namespace tessam
