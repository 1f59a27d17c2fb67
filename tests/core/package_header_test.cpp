// The header record, the key derivation and the header bytes as written.
#include <gtest/gtest.h>

#include <cstring>

#include "core/package_header.h"
#include "core/package_writer.h"

namespace tessam {
namespace {

std::array<std::uint8_t, 64> RecordBytes(const PackageHeader& header) {
  std::array<std::uint8_t, 64> bytes;
  std::memcpy(bytes.data(), &header, bytes.size());
  return bytes;
}

TEST(PackageHeader, ResetLeavesOnlyMagicVersionAndWebAddress) {
  PackageHeader header;
  std::memset(&header, 0xAB, sizeof(header));
  header.Reset();
  EXPECT_EQ(std::memcmp(header.magic, "QVTH", 4), 0);
  EXPECT_EQ(header.formatVersion, 0x0133EE16u);
  EXPECT_EQ(std::memcmp(header.webAddress, "www.halvor.cn", 13), 0);
  const auto bytes = RecordBytes(header);
  for (std::size_t i = 8; i < 47; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
  for (std::size_t i = 60; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(ScrambleKey, IsProductSumModulo255WithoutOverflow) {
  const std::uint8_t small[4] = {1, 2, 3, 4};
  EXPECT_EQ(ScrambleKey(small), 14);  // 4*3 + 2*1
  const std::uint8_t largest[4] = {254, 254, 254, 254};
  EXPECT_EQ(ScrambleKey(largest), 2);  // 2*254*254 = 129032 = 506*255 + 2
  const std::uint8_t zeroKey[4] = {0, 200, 0, 100};
  EXPECT_EQ(ScrambleKey(zeroKey), 0);
  const std::uint8_t wraps[4] = {15, 17, 0, 0};
  EXPECT_EQ(ScrambleKey(wraps), 0);  // 255 mod 255
}

TEST(EncodeHeader, PutsEveryFieldAtItsOffsetBigEndian) {
  PackageHeader header;
  header.Reset();
  header.payloadLength = 0x00012345;
  header.payloadChecksum = 0xBEEF;
  header.programLength = 0x000122B9;
  const std::uint8_t seeds[4] = {1, 2, 3, 4};
  std::memcpy(header.seeds, seeds, 4);
  header.reservedWord = 0x1234;
  const std::uint8_t filler[6] = {10, 20, 30, 40, 50, 60};
  std::memcpy(header.filler, filler, 6);
  std::memset(header.reserved32, 0xFF, 15);
  header.headerChecksum = 0xCAFE;

  const std::array<std::uint8_t, 64> expected = {
      'Q',  'V',  'T',  'H',  0x01, 0x33, 0xEE, 0x16,  // magic, version
      0x00, 0x01, 0x23, 0x45, 0x00, 0x00, 0xBE, 0xEF,  // payload length, payload checksum
      0x00, 0x01, 0x22, 0xB9, 1,    2,    3,    4,     // program length, seeds
      0x12, 0x34, 10,   20,   30,   40,   50,   60,    // reserved word, filler
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
      'w',  'w',  'w',  '.',  'h',  'a',  'l',  'v',  'o',  'r',  '.',  'c',  'n',
      0x00, 0x00, 0xCA, 0xFE};  // header checksum
  EXPECT_EQ(EncodeHeader(header), expected);
}

}  // namespace
}  // namespace tessam
