#pragma once
// Memory for a payload of up to 128 MB that a build fills once, front to back.
// One implementation per platform (payload_memory_posix.cpp, _win32.cpp).
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessam {

// Gives the memory back to the system; knows how much was taken for it.
struct PayloadRelease {
  std::size_t reserved = 0;
  void operator()(std::uint8_t* bytes) const;
};

using PayloadBuffer = std::unique_ptr<std::uint8_t[], PayloadRelease>;

// `size` bytes, not zero-filled as far as the caller may tell; empty when the
// system has not that much to give.
PayloadBuffer AllocatePayload(std::size_t size);

}  // namespace tessam
