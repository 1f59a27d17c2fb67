// Table-driven CRC-16/MODBUS, 16 bytes a step ("slicing by 16"): about 3 GB/s,
// far more than any disk or stick delivers.
#include "core/crc16.h"

#include <array>

#include "core/byte_order.h"

namespace tessam {
namespace {

constexpr std::size_t kSlices = 16;
using Tables = std::array<std::array<std::uint16_t, 256>, kSlices>;

// tables[k][b]: the register after byte b and then k zero bytes, from zero.
// XOR-ing tables[15 - j][byte j] over a 16-byte block (the register folded
// into bytes 0 and 1) advances the register over the whole block.
constexpr Tables MakeTables() {
  Tables tables{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    const auto value = static_cast<std::uint8_t>(byte);
    tables[0][byte] = Crc16UpdateBitwise(0, &value, 1);
  }
  for (std::size_t slice = 1; slice < kSlices; ++slice) {
    for (std::size_t byte = 0; byte < 256; ++byte) {
      const std::uint16_t previous = tables[slice - 1][byte];
      tables[slice][byte] = static_cast<std::uint16_t>((previous >> 8) ^ tables[0][previous & 0xFFu]);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

std::uint16_t UpdateByte(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kTables[0][(crc ^ byte) & 0xFFu]);
}

// One 16-byte block given as two words in file order (byte 0 lowest in `low`).
std::uint16_t UpdateBlock(std::uint16_t crc, std::uint64_t low, std::uint64_t high) {
  low ^= crc;
  const auto& t = kTables;
  return static_cast<std::uint16_t>(
      t[15][low & 0xFF] ^ t[14][(low >> 8) & 0xFF] ^ t[13][(low >> 16) & 0xFF] ^ t[12][(low >> 24) & 0xFF] ^
      t[11][(low >> 32) & 0xFF] ^ t[10][(low >> 40) & 0xFF] ^ t[9][(low >> 48) & 0xFF] ^ t[8][low >> 56] ^
      t[7][high & 0xFF] ^ t[6][(high >> 8) & 0xFF] ^ t[5][(high >> 16) & 0xFF] ^ t[4][(high >> 24) & 0xFF] ^
      t[3][(high >> 32) & 0xFF] ^ t[2][(high >> 40) & 0xFF] ^ t[1][(high >> 48) & 0xFF] ^ t[0][high >> 56]);
}

}  // namespace

std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  for (; length >= kSlices; data += kSlices, length -= kSlices) {
    crc = UpdateBlock(crc, LoadLittleEndian64(data), LoadLittleEndian64(data + 8));
  }
  for (; length > 0; --length) crc = UpdateByte(crc, *data++);
  return crc;
}

std::uint16_t ScrambleAndChecksum(std::uint16_t crc, std::uint8_t key, std::span<std::uint8_t> bytes) {
  // The key in every byte of a word: XOR-ing a word with it scrambles eight bytes.
  const std::uint64_t keyWord = std::uint64_t{key} * 0x0101010101010101u;
  std::uint8_t* data = bytes.data();
  std::size_t length = bytes.size();
  for (; length >= kSlices; data += kSlices, length -= kSlices) {
    const std::uint64_t low = LoadLittleEndian64(data) ^ keyWord;
    const std::uint64_t high = LoadLittleEndian64(data + 8) ^ keyWord;
    StoreLittleEndian64(data, low);
    StoreLittleEndian64(data + 8, high);
    crc = UpdateBlock(crc, low, high);
  }
  for (; length > 0; --length, ++data) {
    *data = static_cast<std::uint8_t>(*data ^ key);
    crc = UpdateByte(crc, *data);
  }
  return crc;
}

}  // namespace tessam
