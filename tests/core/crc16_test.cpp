// The checksum's fast paths against its definition. The oracle below is the
// bit-by-bit procedure written out once more, independent of the core's copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "core/crc16.h"
#include "core/scramble.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;

std::uint16_t Oracle(const std::uint8_t* data, std::size_t length) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

// The fused pass over bytes XOR-ed with the key beforehand: scrambling restores
// them, so it must checksum and give back exactly the input.
template <std::uint8_t key>
std::uint16_t Fused(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  Bytes bytes(data, data + length);
  for (auto& byte : bytes) byte ^= key;
  crc = ScrambleAndChecksum(crc, key, bytes);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), data)) << "key " << int{key} << ", length " << length;
  return crc;
}

using Update = std::uint16_t (*)(std::uint16_t, const std::uint8_t*, std::size_t);
const std::pair<const char*, Update> kImplementations[] = {{"table", Crc16Update},      {"bitwise", Crc16UpdateBitwise},
                                                           {"fused, key 0", Fused<0>}, {"fused, key 0x5A", Fused<0x5A>},
                                                           {"fused, key 254", Fused<254>}};

TEST(Crc16, EveryImplementationMatchesTheDefinition) {
  const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  const Bytes large = test::RandomBytes((1 << 20) + 37, 99);
  std::uint16_t largeOracle[16];  // at every alignment of a 16-byte step
  for (std::size_t skip = 0; skip < 16; ++skip) largeOracle[skip] = Oracle(large.data() + skip, large.size() - skip);
  const Bytes pieces = test::RandomBytes(150, 7);

  for (const auto& [name, update] : kImplementations) {
    SCOPED_TRACE(name);
    EXPECT_EQ(update(kCrc16Initial, digits.data(), digits.size()), 0x4B37);  // the catalogue's check value
    for (std::size_t length = 0; length <= 300; ++length) {
      const Bytes bytes = test::RandomBytes(length, static_cast<std::uint32_t>(length));
      ASSERT_EQ(update(kCrc16Initial, bytes.data(), length), Oracle(bytes.data(), length)) << "length " << length;
    }
    for (std::size_t skip = 0; skip < 16; ++skip) {
      ASSERT_EQ(update(kCrc16Initial, large.data() + skip, large.size() - skip), largeOracle[skip]) << "skip " << skip;
    }
    for (std::size_t split = 0; split <= pieces.size(); ++split) {  // continued over a second piece
      const std::uint16_t first = update(kCrc16Initial, pieces.data(), split);
      ASSERT_EQ(update(first, pieces.data() + split, pieces.size() - split), Oracle(pieces.data(), pieces.size()))
          << "split " << split;
    }
  }
}

TEST(Crc16Combine, JoinsChecksumsOfAdjacentRangesComputedApart) {
  const Bytes bytes = test::RandomBytes(5000, 3);
  for (const std::size_t split : {0u, 1u, 17u, 2500u, 5000u}) {
    const std::uint16_t first = Crc16Update(kCrc16Initial, bytes.data(), split);
    const std::uint16_t second = Crc16Update(0, bytes.data() + split, bytes.size() - split);
    EXPECT_EQ(Crc16Combine(first, second, bytes.size() - split), Oracle(bytes.data(), bytes.size())) << split;
  }
}

}  // namespace
}  // namespace tessam
