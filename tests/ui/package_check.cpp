#include "tests/ui/package_check.h"

#include <gtest/gtest.h>

#include "core/crc16.h"
#include "core/package_layout.h"

namespace tessam::test {

namespace {

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::uint16_t Crc(const std::string& bytes, std::size_t at, std::size_t length) {
  return Crc16(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), length);
}

}  // namespace

std::string MakeProject(std::uint16_t blockCount, std::size_t extra) {
  const std::size_t imageLength = std::size_t{blockCount} * 2000 + 92;
  std::string project(256 + imageLength + extra, '\0');
  for (std::size_t i = 0; i < project.size(); ++i) project[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  project[256] = static_cast<char>(blockCount & 0xFF);
  project[257] = static_cast<char>(blockCount >> 8);
  return project;
}

void ExpectPackageOf(const std::string& package, const std::string& project,
                     const std::optional<std::string>& password) {
  ASSERT_GT(project.size(), 257u);
  const std::uint32_t blocks = static_cast<std::uint8_t>(project[256]) | (static_cast<std::uint8_t>(project[257]) << 8);
  const std::uint32_t payloadLength = blocks * 2000 + 92;
  ASSERT_EQ(package.size(), 64u + payloadLength);

  EXPECT_EQ(package.substr(0, 4), "QVTH");
  EXPECT_EQ(BigEndian32(package, 4), kFormatVersion);
  EXPECT_EQ(BigEndian32(package, 8), payloadLength);
  EXPECT_EQ(BigEndian32(package, 12), Crc(package, 64, payloadLength)) << "payload checksum";
  EXPECT_EQ(BigEndian32(package, 16), blocks * 2000);
  for (std::size_t i = 20; i < 32; ++i) {
    if (i == 24 || i == 25) {
      EXPECT_EQ(package[i], '\0') << "reserved word";
    } else {
      EXPECT_NE(static_cast<std::uint8_t>(package[i]), 0xFF) << "seed or filler " << i;
    }
  }
  EXPECT_EQ(package.substr(32, 15), std::string(15, '\xFF'));
  EXPECT_EQ(package.substr(47, 13), kWebAddress);
  EXPECT_EQ(BigEndian32(package, 60), Crc(package, 0, 60)) << "header checksum";

  const auto seed = [&](std::size_t i) { return static_cast<unsigned>(static_cast<std::uint8_t>(package[20 + i])); };
  const auto key = static_cast<std::uint8_t>((seed(3) * seed(2) + seed(1) * seed(0)) % 255);
  std::string image = project.substr(256, payloadLength);
  if (password) image.replace(8, 8, *password);
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < payloadLength; ++i) {
    if ((static_cast<std::uint8_t>(package[64 + i]) ^ key) != static_cast<std::uint8_t>(image[i])) ++wrong;
  }
  EXPECT_EQ(wrong, 0u) << "payload bytes that do not unscramble to the project image";
}

}  // namespace tessam::test
