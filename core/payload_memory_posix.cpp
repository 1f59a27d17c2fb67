// An anonymous mapping advised for huge pages. A 128 MB payload read into
// 4 KiB pages takes over 30,000 page faults, which cost as much as the read
// itself; in 2 MiB pages it takes about 60.
#include <sys/mman.h>

#include "core/payload_memory.h"

namespace tessam {

void PayloadRelease::operator()(std::uint8_t* bytes) const { ::munmap(bytes, size); }

PayloadBuffer AllocatePayload(std::size_t size) {
  void* const bytes = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (bytes == MAP_FAILED) return PayloadBuffer(nullptr, PayloadRelease{});
  ::madvise(bytes, size, MADV_HUGEPAGE);  // advice only
  return PayloadBuffer(static_cast<std::uint8_t*>(bytes), PayloadRelease{size});
}

}  // namespace tessam
