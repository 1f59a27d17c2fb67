#include "core/package_format.h"

#include <algorithm>
#include <cstring>

#include "core/crc16.h"

namespace tessam {
namespace {

// How a field lies in the file: its bytes as the record holds them, or a
// native integer of `size` bytes turned big-endian.
enum class Encoding { kAsIs, kBigEndian };

struct Field {
  std::size_t offset;
  std::size_t size;
  Encoding encoding;
};

// The header, field by field. The record keeps every field at its file offset,
// so one table serves both directions.
constexpr Field kFields[] = {
    {layout::kMagicOffset, layout::kMagicSize, Encoding::kAsIs},
    {layout::kFormatVersionOffset, 4, Encoding::kBigEndian},
    {layout::kPayloadLengthOffset, 4, Encoding::kBigEndian},
    {layout::kPayloadChecksumOffset, 4, Encoding::kBigEndian},
    {layout::kProgramLengthOffset, 4, Encoding::kBigEndian},
    {layout::kSeedsOffset, layout::kSeedCount, Encoding::kAsIs},
    {layout::kReservedWordOffset, 2, Encoding::kBigEndian},
    {layout::kFillerOffset, layout::kFillerCount, Encoding::kAsIs},
    {layout::kReservedOffset, layout::kReservedSize, Encoding::kAsIs},  // raw bytes, not numbers
    {layout::kWebAddressOffset, layout::kWebAddressSize, Encoding::kAsIs},
    {layout::kHeaderChecksumOffset, 4, Encoding::kBigEndian},
};

// A native integer at `in` written big-endian at `out` (toFile), or back.
template <typename Integer>
void ConvertInteger(const std::uint8_t* in, std::uint8_t* out, bool toFile) {
  constexpr std::size_t kSize = sizeof(Integer);
  Integer value = 0;
  if (toFile) {
    std::memcpy(&value, in, kSize);
    for (std::size_t i = 0; i < kSize; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * (kSize - 1 - i)));
  } else {
    for (std::size_t i = 0; i < kSize; ++i) value = static_cast<Integer>((value << 8) | in[i]);
    std::memcpy(out, &value, kSize);
  }
}

// Copies one field from `from` to `to` (both 64 bytes), turning an integer
// from native to big-endian (`toFile`) or back.
void Convert(const Field& field, const std::uint8_t* from, std::uint8_t* to, bool toFile) {
  const std::uint8_t* in = from + field.offset;
  std::uint8_t* out = to + field.offset;
  if (field.encoding == Encoding::kAsIs) {
    std::memcpy(out, in, field.size);
  } else if (field.size == sizeof(std::uint32_t)) {
    ConvertInteger<std::uint32_t>(in, out, toFile);
  } else {
    ConvertInteger<std::uint16_t>(in, out, toFile);
  }
}

}  // namespace

void PackageHeader::Reset() {
  std::memset(this, 0, sizeof(*this));
  std::memcpy(magic, kMagic, sizeof(magic));
  formatVersion = kFormatVersion;
  std::memcpy(webAddress, kWebAddress, sizeof(webAddress));
}

void PackageHeader::FillReserved() {
  std::memset(reinterpret_cast<std::uint8_t*>(this) + layout::kReservedOffset, kReservedByte, layout::kReservedSize);
}

HeaderBytes EncodeHeader(const PackageHeader& header) {
  HeaderBytes bytes{};
  for (const Field& field : kFields) {
    Convert(field, reinterpret_cast<const std::uint8_t*>(&header), bytes.data(), true);
  }
  return bytes;
}

PackageHeader DecodeHeader(std::span<const std::uint8_t, layout::kHeaderSize> bytes) {
  PackageHeader header{};
  for (const Field& field : kFields) Convert(field, bytes.data(), reinterpret_cast<std::uint8_t*>(&header), false);
  return header;
}

HeaderBytes SealHeader(PackageHeader& header, std::uint16_t reservedWord) {
  header.reservedWord = reservedWord;
  header.headerChecksum = Crc16(EncodeHeader(header).data(), layout::kHeaderChecksummedSize);
  return EncodeHeader(header);
}

std::uint8_t ScrambleKey(const std::uint8_t (&seeds)[layout::kSeedCount]) {
  // 2*254*254 = 129032 fits easily in 32 bits.
  const std::uint32_t sum = std::uint32_t{seeds[3]} * seeds[2] + std::uint32_t{seeds[1]} * seeds[0];
  return static_cast<std::uint8_t>(sum % kDrawModulus);
}

std::array<std::uint8_t, project::kPasswordLength> PasswordBytes(const Password& password) {
  std::array<std::uint8_t, project::kPasswordLength> bytes{};
  // Only the low 8 bits of each UTF-16 unit are kept.
  std::transform(password.begin(), password.end(), bytes.begin(),
                 [](char16_t unit) { return static_cast<std::uint8_t>(unit & 0xFFu); });
  return bytes;
}

void PlantPassword(std::span<std::uint8_t> image, const Password& password) {
  const auto bytes = PasswordBytes(password);
  std::copy(bytes.begin(), bytes.end(), image.subspan(kPasswordImageOffset, bytes.size()).begin());
}

}  // namespace tessam
