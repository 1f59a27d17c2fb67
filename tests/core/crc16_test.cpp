// The checksum against its bit-by-bit definition: known answers, any split, the fused scramble-and-checksum pass.

#include "core/crc16.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;

// The fused pass over `data` XOR-ed with `key` first must give back exactly `data` and its checksum.
std::uint16_t Fused(std::uint16_t crc, std::uint8_t key, const std::uint8_t* data, std::size_t length) {
  Bytes bytes(data, data + length);
  for (auto& byte : bytes) byte ^= key;
  crc = ScrambleAndChecksum(crc, key, bytes);
  EXPECT_EQ(bytes, Bytes(data, data + length)) << "key " << int{key};
  return crc;
}

TEST(Crc16, KnownAnswersWholeInPiecesAndFusedWithTheScramble) {
  // 0x4B37: the check value in the CRC RevEng catalogue. The others were computed apart, as
  // the remainder of division by x^16 + x^15 + x^2 + 1, bits reflected, 0xFFFF preset.
  const struct { Bytes bytes; std::uint16_t crc; } vectors[] = {
      {{}, 0xFFFF},
      {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
      {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
      {{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x8776},
      {test::Pattern(100), 0x059E},
      {test::Pattern(4099), 0xCA67},  // many 16-byte steps and a tail
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.bytes.size());
    EXPECT_EQ(Crc16UpdateBitwise(kCrc16Initial, v.bytes.data(), v.bytes.size()), v.crc);
    EXPECT_EQ(Crc16(v.bytes.data(), v.bytes.size()), v.crc);
    for (const std::uint8_t k : {0, 0x5A}) EXPECT_EQ(Fused(kCrc16Initial, k, v.bytes.data(), v.bytes.size()), v.crc);
  }
  // Split anywhere in 100 bytes (heads and tails with and without 16-byte steps), it is the one-shot checksum.
  const Bytes bytes = test::Pattern(100);
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    const std::uint16_t table = Crc16Update(kCrc16Initial, bytes.data(), split);
    ASSERT_EQ(Crc16Update(table, bytes.data() + split, bytes.size() - split), 0x059E) << "split " << split;
    const std::uint16_t fused = Fused(kCrc16Initial, 0xA5, bytes.data(), split);
    ASSERT_EQ(Fused(fused, 0xA5, bytes.data() + split, bytes.size() - split), 0x059E) << "split " << split;
  }
}

}  // namespace
}  // namespace tessam
