#include "core/package_header.h"

#include <cstring>

namespace tessam {

void PackageHeader::Reset() {
  std::memset(this, 0, sizeof(*this));
  std::memcpy(magic, kMagic, sizeof(magic));
  formatVersion = kFormatVersion;
  std::memcpy(webAddress, kWebAddress, sizeof(webAddress));
}

std::uint8_t ScrambleKey(const std::uint8_t (&seeds)[layout::kSeedCount]) {
  // Products of bytes up to 254 fit easily in 32 bits (2*254*254 = 129032).
  const std::uint32_t sum = std::uint32_t{seeds[3]} * seeds[2] + std::uint32_t{seeds[1]} * seeds[0];
  return static_cast<std::uint8_t>(sum % 255u);
}

}  // namespace tessam
