#include "core/scramble.h"

#include "core/byte_order.h"
#include "core/crc16_kernels.h"
#include "core/crc16_tables.h"

namespace tessam {

std::uint16_t ScrambleAndChecksum(std::uint16_t crc, std::uint8_t key, std::span<std::uint8_t> bytes) {
  return detail::FoldingAvailable() ? detail::ScrambleAndChecksumFolded(crc, key, bytes.data(), bytes.size())
                                    : detail::ScrambleAndChecksumSliced(crc, key, bytes.data(), bytes.size());
}

namespace detail {

std::uint16_t ScrambleAndChecksumSliced(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length) {
  // The key repeated in every byte: XOR-ing a word with it scrambles eight bytes.
  const std::uint64_t keyWord = std::uint64_t{key} * 0x0101010101010101u;
  std::uint8_t* const end = data + length;
  while (end - data >= static_cast<std::ptrdiff_t>(kCrc16Slices)) {
    const std::uint64_t low = LoadLittleEndian64(data) ^ keyWord;
    const std::uint64_t high = LoadLittleEndian64(data + 8) ^ keyWord;
    StoreLittleEndian64(data, low);
    StoreLittleEndian64(data + 8, high);
    crc = Crc16Block(crc, low, high);
    data += kCrc16Slices;
  }
  for (; data != end; ++data) {
    *data = static_cast<std::uint8_t>(*data ^ key);
    crc = Crc16Byte(crc, *data);
  }
  return crc;
}

}  // namespace detail
}  // namespace tessam
