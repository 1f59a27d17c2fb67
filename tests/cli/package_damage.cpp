#include "tests/cli/package_damage.h"

#include <algorithm>

#include "core/crc16.h"
#include "core/package_layout.h"

namespace tessam::test {

namespace {

constexpr std::uint8_t kSeeds[] = {1, 2, 3, 4};  // key (4*3 + 2*1) mod 255 = 14
constexpr std::uint8_t kKey = 14;

std::uint32_t LoadBigEndian32At(const Bytes& package, std::size_t offset) {
  return (std::uint32_t{package[offset]} << 24) | (std::uint32_t{package[offset + 1]} << 16) |
         (std::uint32_t{package[offset + 2]} << 8) | std::uint32_t{package[offset + 3]};
}

std::uint8_t KeyOf(const Bytes& package) {
  const std::uint8_t* s = package.data() + layout::kSeedsOffset;
  return static_cast<std::uint8_t>((std::uint32_t{s[3]} * s[2] + std::uint32_t{s[1]} * s[0]) % 255u);
}

// Sets one byte of the image, scrambled with the package's own key.
void ChangeImageByte(Bytes& package, std::size_t imageOffset, std::uint8_t value) {
  package[layout::kHeaderSize + imageOffset] = static_cast<std::uint8_t>(value ^ KeyOf(package));
}

std::uint8_t ImageByte(const Bytes& package, std::size_t imageOffset) {
  return static_cast<std::uint8_t>(package[layout::kHeaderSize + imageOffset] ^ KeyOf(package));
}

// The damage, then both checksums repaired so only the intended problem shows.
std::function<void(Bytes&)> Repaired(std::function<void(Bytes&)> damage) {
  return [damage](Bytes& package) {
    damage(package);
    FixPayloadChecksum(package);
    FixHeaderChecksum(package);
  };
}

}  // namespace

Bytes ImageOf(std::uint16_t blockCount) {
  const std::size_t length = std::size_t{blockCount} * project::kBytesPerBlock + project::kImageTrailer;
  Bytes image(length);
  for (std::size_t i = 0; i < length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  image[0] = static_cast<std::uint8_t>(blockCount & 0xFF);
  image[1] = static_cast<std::uint8_t>(blockCount >> 8);
  return image;
}

Bytes MakeSoundPackage(std::uint16_t blockCount) {
  const Bytes image = ImageOf(blockCount);
  const std::uint32_t programLength = std::uint32_t{blockCount} * project::kBytesPerBlock;
  Bytes package(layout::kHeaderSize + image.size(), 0);
  std::copy(std::begin(kMagic), std::end(kMagic), package.begin());
  SetBigEndian32(package, layout::kFormatVersionOffset, kFormatVersion);
  SetBigEndian32(package, layout::kPayloadLengthOffset, programLength + project::kImageTrailer);
  SetBigEndian32(package, layout::kProgramLengthOffset, programLength);
  std::copy(std::begin(kSeeds), std::end(kSeeds), package.begin() + layout::kSeedsOffset);
  for (std::size_t i = 0; i < layout::kFillerCount; ++i) package[layout::kFillerOffset + i] = static_cast<std::uint8_t>(10 + i);
  std::fill_n(package.begin() + layout::kReservedOffset, layout::kReservedSize, kReservedByte);
  std::copy_n(kWebAddress, layout::kWebAddressSize, package.begin() + layout::kWebAddressOffset);
  for (std::size_t i = 0; i < image.size(); ++i) package[layout::kHeaderSize + i] = static_cast<std::uint8_t>(image[i] ^ kKey);
  FixPayloadChecksum(package);
  FixHeaderChecksum(package);
  return package;
}

void SetByte(Bytes& package, std::size_t offset, std::uint8_t value) { package.at(offset) = value; }

void SetBigEndian32(Bytes& package, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) package.at(offset + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void FixPayloadChecksum(Bytes& package) {
  const std::size_t declared = LoadBigEndian32At(package, layout::kPayloadLengthOffset);
  const std::size_t present = std::min(declared, package.size() - layout::kHeaderSize);
  SetBigEndian32(package, layout::kPayloadChecksumOffset, Crc16(package.data() + layout::kHeaderSize, present));
}

void FixHeaderChecksum(Bytes& package) {
  SetBigEndian32(package, layout::kHeaderChecksumOffset, Crc16(package.data(), layout::kHeaderChecksummedSize));
}

void ChangeSeed(Bytes& package, std::size_t seedIndex, std::uint8_t value) {
  const std::uint8_t oldKey = KeyOf(package);
  package.at(layout::kSeedsOffset + seedIndex) = value;
  const std::uint8_t newKey = KeyOf(package);
  for (std::size_t i = layout::kHeaderSize; i < package.size(); ++i) package[i] ^= oldKey ^ newKey;
}

const std::vector<Damage>& AllDamages() {
  using P = PackageProblem;
  static const std::vector<Damage> damages = {
      {"magic", Repaired([](Bytes& p) { SetByte(p, 3, 'X'); }), {P::kWrongMagic}},
      {"magic-lowercase", Repaired([](Bytes& p) { SetByte(p, 0, 'q'); }), {P::kWrongMagic}},
      {"format-version", Repaired([](Bytes& p) { SetByte(p, 7, 0x17); }), {P::kWrongFormatVersion}},
      {"trailing-byte", [](Bytes& p) { p.push_back(0); }, {P::kFileLength}},
      // The missing byte also changes the checksum over the bytes present.
      {"missing-byte", [](Bytes& p) { p.pop_back(); }, {P::kFileLength, P::kPayloadChecksum}},
      {"missing-byte-checksum-repaired", Repaired([](Bytes& p) { p.pop_back(); }), {P::kFileLength}},
      // Program length and the image's block count agree with each other but
      // not with the payload length.
      {"program-length",
       Repaired([](Bytes& p) {
         const std::uint8_t blocks = ImageByte(p, 0);
         ChangeImageByte(p, 0, static_cast<std::uint8_t>(blocks + 1));
         SetBigEndian32(p, layout::kProgramLengthOffset, (blocks + 1u) * project::kBytesPerBlock);
       }),
       {P::kProgramLength}},
      {"block-count",
       Repaired([](Bytes& p) { ChangeImageByte(p, 1, static_cast<std::uint8_t>(ImageByte(p, 1) + 1)); }),
       {P::kBlockCount}},
      {"payload-byte", [](Bytes& p) { p[layout::kHeaderSize + 100] ^= 0x01; }, {P::kPayloadChecksum}},
      {"payload-last-byte", [](Bytes& p) { p.back() ^= 0x80; }, {P::kPayloadChecksum}},
      // Checksums are 16-bit values widened to 32: nonzero high bytes are damage.
      {"payload-checksum-high-bits",
       [](Bytes& p) {
         SetByte(p, 12, 0x01);
         FixHeaderChecksum(p);
       },
       {P::kPayloadChecksum}},
      {"header-checksum", [](Bytes& p) { p[62] ^= 0x40; }, {P::kHeaderChecksum}},
      {"header-checksum-high-bits", [](Bytes& p) { SetByte(p, 60, 0x80); }, {P::kHeaderChecksum}},
      {"header-byte-unrepaired", [](Bytes& p) { SetByte(p, 29, 99); }, {P::kHeaderChecksum}},
      {"seed-255", Repaired([](Bytes& p) { ChangeSeed(p, 2, 255); }), {P::kSeedByte255}},
      {"filler-255", Repaired([](Bytes& p) { SetByte(p, 31, 255); }), {P::kFillerByte255}},
      {"reserved-byte", Repaired([](Bytes& p) { SetByte(p, 46, 0xFE); }), {P::kReservedBytes}},
      {"reserved-byte-first", Repaired([](Bytes& p) { SetByte(p, 32, 0x00); }), {P::kReservedBytes}},
      {"reserved-word", Repaired([](Bytes& p) { SetByte(p, 25, 1); }), {P::kReservedWord}},
      {"web-address-nul", Repaired([](Bytes& p) { SetByte(p, 59, 0x00); }), {P::kBadWebAddress}},
      {"web-address-high-byte", Repaired([](Bytes& p) { SetByte(p, 47, 0xE4); }), {P::kBadWebAddress}},
      {"web-address-delete", Repaired([](Bytes& p) { SetByte(p, 50, 0x7F); }), {P::kBadWebAddress}},
  };
  return damages;
}

}  // namespace tessam::test
