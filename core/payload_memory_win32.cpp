// Committed virtual memory, zero pages on first touch, given back whole when
// freed. (Large pages would need a privilege ordinary users do not hold.)
#include <windows.h>

#include "core/payload_memory.h"

namespace tessam {

void PayloadRelease::operator()(std::uint8_t* bytes) const { ::VirtualFree(bytes, 0, MEM_RELEASE); }

PayloadBuffer AllocatePayload(std::size_t size) {
  void* const bytes = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  return PayloadBuffer(static_cast<std::uint8_t*>(bytes), PayloadRelease{size});
}

}  // namespace tessam
