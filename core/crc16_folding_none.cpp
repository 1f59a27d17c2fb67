// Processors without carry-less multiplication: the tables do all the work.
#include "core/crc16_kernels.h"

namespace tessam::detail {

bool FoldingAvailable() { return false; }

std::uint16_t Crc16UpdateFolded(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  return Crc16UpdateSliced(crc, data, length);
}

std::uint16_t ScrambleAndChecksumFolded(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length) {
  return ScrambleAndChecksumSliced(crc, key, data, length);
}

}  // namespace tessam::detail
