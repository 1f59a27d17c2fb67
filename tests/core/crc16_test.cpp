// The checksum against its bit-by-bit definition: known answers, any split into
// pieces, and the fused scramble-and-checksum pass.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/crc16.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
using test::Pattern;

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

struct Implementation {
  const char* name;
  std::uint16_t (*update)(std::uint16_t, const std::uint8_t*, std::size_t);
};

class Crc16Suite : public testing::TestWithParam<Implementation> {};

TEST_P(Crc16Suite, KnownAnswersWholeAndInPieces) {
  // 0x4B37 is the check value of CRC-16/MODBUS in the CRC RevEng catalogue. The
  // others were computed apart from this code, as the remainder of polynomial
  // division by x^16 + x^15 + x^2 + 1 with reflected bits and 0xFFFF preset.
  const struct { Bytes bytes; std::uint16_t crc; } vectors[] = {
      {{}, 0xFFFF},
      {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
      {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
      {{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x8776},
      {Pattern(100), 0x059E},
      {Pattern(4099), 0xCA67},  // many 16-byte steps and a tail
  };
  for (const auto& v : vectors) {
    EXPECT_EQ(GetParam().update(kCrc16Initial, v.bytes.data(), v.bytes.size()), v.crc) << v.bytes.size() << " bytes";
  }
  // Split anywhere in 100 bytes (every head and tail length, with and without
  // 16-byte steps), it is the one-shot checksum.
  const Bytes bytes = Pattern(100);
  const std::uint16_t whole = Crc16UpdateBitwise(kCrc16Initial, bytes.data(), bytes.size());
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    const std::uint16_t first = GetParam().update(kCrc16Initial, bytes.data(), split);
    ASSERT_EQ(GetParam().update(first, bytes.data() + split, bytes.size() - split), whole) << "split " << split;
  }
}

INSTANTIATE_TEST_SUITE_P(Every, Crc16Suite,
                         testing::Values(Implementation{"bitwise", Crc16UpdateBitwise},
                                         Implementation{"tables", Crc16Update},
                                         Implementation{"fused", Fused<0x5A>},
                                         Implementation{"fused_key_0", Fused<0>}),
                         [](const testing::TestParamInfo<Implementation>& param) { return param.param.name; });

}  // namespace
}  // namespace tessam
