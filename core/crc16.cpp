#include "core/crc16.h"

#include "core/byte_order.h"
#include "core/crc16_kernels.h"
#include "core/crc16_tables.h"

namespace tessam {

std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  return detail::FoldingAvailable() ? detail::Crc16UpdateFolded(crc, data, length)
                                    : detail::Crc16UpdateSliced(crc, data, length);
}

namespace detail {

std::uint16_t Crc16UpdateSliced(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  const std::uint8_t* const end = data + length;
  while (end - data >= static_cast<std::ptrdiff_t>(kCrc16Slices)) {
    crc = Crc16Block(crc, LoadLittleEndian64(data), LoadLittleEndian64(data + 8));
    data += kCrc16Slices;
  }
  while (data != end) crc = Crc16Byte(crc, *data++);
  return crc;
}

}  // namespace detail
}  // namespace tessam
