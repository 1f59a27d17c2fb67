#pragma once
// Memory for a payload of up to 128 MB, zero-filled, that a build fills once
// front to back. One implementation per platform (payload_memory_*.cpp).
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessam {

struct PayloadRelease {
  std::size_t size = 0;
  void operator()(std::uint8_t* bytes) const;
};
using PayloadBuffer = std::unique_ptr<std::uint8_t[], PayloadRelease>;

// Empty when the system has not that much to give.
PayloadBuffer AllocatePayload(std::size_t size);

}  // namespace tessam
