// The checksum's fast paths against its definition. The oracle below is the
// bit-by-bit procedure written out once more, independent of the core's copy.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "core/crc16.h"
#include "core/scramble.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;

std::uint16_t Oracle(const Bytes& bytes) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

// Every implementation continues a register over a range.
struct Implementation {
  const char* name;
  std::function<std::uint16_t(std::uint16_t, const std::uint8_t*, std::size_t)> update;
};

const Implementation kImplementations[] = {
    {"Table", Crc16Update},
    {"Bitwise", Crc16UpdateBitwise},
    // With key 0 the fused pass leaves the bytes alone and must checksum them.
    {"FusedKeyZero",
     [](std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
       Bytes copy(data, data + length);
       return ScrambleAndChecksum(crc, 0, copy);
     }},
};

class Crc16Suite : public testing::TestWithParam<Implementation> {
 protected:
  std::uint16_t Checksum(const Bytes& bytes) const { return GetParam().update(kCrc16Initial, bytes.data(), bytes.size()); }
};

TEST_P(Crc16Suite, KnownAnswers) {
  // CRC-16/MODBUS check value from the standard catalogue of CRC parameters.
  const std::string_view digits = "123456789";
  EXPECT_EQ(Checksum(Bytes(digits.begin(), digits.end())), 0x4B37);
  EXPECT_EQ(Checksum({}), 0xFFFF);
}

TEST_P(Crc16Suite, MatchesDefinitionForEveryShortLength) {
  for (std::size_t length = 0; length <= 300; ++length) {
    const Bytes bytes = test::RandomBytes(length, static_cast<std::uint32_t>(length));
    ASSERT_EQ(Checksum(bytes), Oracle(bytes)) << "length " << length;
  }
}

TEST_P(Crc16Suite, MatchesDefinitionOnLargeBuffersAtEveryAlignment) {
  const Bytes bytes = test::RandomBytes((1 << 20) + 37, 99);
  for (std::size_t skip = 0; skip < 16; ++skip) {
    const Bytes tail(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end());
    ASSERT_EQ(Checksum(tail), Oracle(tail)) << "skip " << skip;
  }
}

TEST_P(Crc16Suite, PiecesEqualOneShot) {
  const Bytes bytes = test::RandomBytes(150, 7);
  const std::uint16_t whole = Oracle(bytes);
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    const std::uint16_t first = GetParam().update(kCrc16Initial, bytes.data(), split);
    ASSERT_EQ(GetParam().update(first, bytes.data() + split, bytes.size() - split), whole) << "split " << split;
  }
}

INSTANTIATE_TEST_SUITE_P(Core, Crc16Suite, testing::ValuesIn(kImplementations),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Crc16Combine, JoinsChecksumsOfAdjacentRangesComputedApart) {
  const Bytes bytes = test::RandomBytes(5000, 3);
  for (const std::size_t split : {std::size_t{0}, std::size_t{1}, std::size_t{17}, std::size_t{2500}, std::size_t{5000}}) {
    const std::uint16_t first = Crc16Update(kCrc16Initial, bytes.data(), split);
    const std::uint16_t second = Crc16Update(0, bytes.data() + split, bytes.size() - split);
    EXPECT_EQ(Crc16Combine(first, second, bytes.size() - split), Oracle(bytes)) << "split " << split;
  }
}

TEST(ScrambleAndChecksum, XorsEveryByteAndChecksumsTheResult) {
  for (const std::uint8_t key : {std::uint8_t{1}, std::uint8_t{14}, std::uint8_t{0x5A}, std::uint8_t{254}}) {
    for (std::size_t length = 0; length <= 300; length += 13) {
      const Bytes original = test::RandomBytes(length, key + static_cast<std::uint32_t>(length));
      Bytes expected = original;
      for (auto& byte : expected) byte ^= key;
      // Fed in two uneven pieces, as the builder feeds chunks.
      Bytes scrambled = original;
      const std::size_t split = length / 3;
      std::uint16_t crc = ScrambleAndChecksum(kCrc16Initial, key, std::span(scrambled).first(split));
      crc = ScrambleAndChecksum(crc, key, std::span(scrambled).subspan(split));
      ASSERT_EQ(scrambled, expected) << "key " << int{key} << " length " << length;
      ASSERT_EQ(crc, Oracle(expected)) << "key " << int{key} << " length " << length;
    }
  }
}

}  // namespace
}  // namespace tessam
