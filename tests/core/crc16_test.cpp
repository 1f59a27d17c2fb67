// One suite run against every implementation of the checksum: the bit-by-bit
// definition, the table-driven and the folding loop, the entry point choosing
// between them, and the fused scramble-and-checksum pass of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "core/crc16.h"
#include "core/crc16_kernels.h"
#include "core/scramble.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
using test::Pattern;
using Update = std::uint16_t (*)(std::uint16_t, const std::uint8_t*, std::size_t);

using Fuse = std::uint16_t (*)(std::uint16_t, std::uint8_t, std::uint8_t*, std::size_t);
std::uint16_t ScrambleAndChecksumEntry(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length) {
  return ScrambleAndChecksum(crc, key, {data, length});
}

// A fused pass over bytes XOR-ed with the key beforehand: scrambling restores
// them, so it must checksum and give back exactly the input.
template <Fuse fuse, std::uint8_t key>
std::uint16_t Fused(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  Bytes bytes(data, data + length);
  for (auto& byte : bytes) byte ^= key;
  crc = fuse(crc, key, bytes.data(), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), data)) << "key " << int{key} << ", length " << length;
  return crc;
}

struct Implementation { const char* name; Update update; };

class Crc16Suite : public testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override {
    if (std::string_view(GetParam().name).find("folded") != std::string_view::npos && !detail::FoldingAvailable()) {
      GTEST_SKIP() << "no carry-less multiplication on this processor";
    }
  }
};

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
      {Pattern(4099), 0xCA67},  // many 64-byte steps and a tail
  };
  for (const auto& v : vectors) {
    EXPECT_EQ(GetParam().update(kCrc16Initial, v.bytes.data(), v.bytes.size()), v.crc) << v.bytes.size() << " bytes";
  }
  // In pieces, split anywhere in 600 bytes (every head and tail length, below and above
  // the 64 bytes the folding needs, with and without its 16-byte steps), it is the one-shot checksum.
  const Bytes bytes = Pattern(600);
  const std::uint16_t whole = Crc16UpdateBitwise(kCrc16Initial, bytes.data(), bytes.size());
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    const std::uint16_t first = GetParam().update(kCrc16Initial, bytes.data(), split);
    ASSERT_EQ(GetParam().update(first, bytes.data() + split, bytes.size() - split), whole) << "split " << split;
  }
}

INSTANTIATE_TEST_SUITE_P(Every, Crc16Suite,
                         testing::Values(Implementation{"bitwise", Crc16UpdateBitwise},
                                         Implementation{"sliced", detail::Crc16UpdateSliced},
                                         Implementation{"folded", detail::Crc16UpdateFolded},
                                         Implementation{"entry", Crc16Update},
                                         Implementation{"fused_sliced", Fused<detail::ScrambleAndChecksumSliced, 0x5A>},
                                         Implementation{"fused_folded", Fused<detail::ScrambleAndChecksumFolded, 0xA5>},
                                         Implementation{"fused_entry_key_0", Fused<ScrambleAndChecksumEntry, 0>}),
                         [](const testing::TestParamInfo<Implementation>& param) { return param.param.name; });

}  // namespace
}  // namespace tessam
