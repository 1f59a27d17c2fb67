// Payload memory on POSIX systems: an anonymous mapping, on Linux aligned to
// and advised for huge pages. A 128 MB payload read into 4 KiB pages takes
// over 30,000 page faults, a cost the size of the whole read from the page
// cache; in 2 MiB pages it takes about 60.
#include <sys/mman.h>

#include <cstdint>

#include "core/payload_memory.h"

namespace tessam {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t size, std::size_t unit) { return (size + unit - 1) / unit * unit; }

}  // namespace

void PayloadRelease::operator()(std::uint8_t* bytes) const { ::munmap(bytes, reserved); }

PayloadBuffer AllocatePayload(std::size_t size) {
  if (size == 0) return PayloadBuffer(nullptr, PayloadRelease{});
  // Below one huge page the ordinary pages cost nothing worth saving.
  const std::size_t unit = size >= kHugePage ? kHugePage : 1;
  const std::size_t reserved = RoundUp(size, unit == 1 ? 4096 : unit);
  // Mapped with room to spare so that an aligned start can be cut out of it.
  const std::size_t spare = unit == 1 ? 0 : unit;
  void* const mapped = ::mmap(nullptr, reserved + spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return PayloadBuffer(nullptr, PayloadRelease{});
  auto* const first = static_cast<std::uint8_t*>(mapped);
  auto* const start = reinterpret_cast<std::uint8_t*>(RoundUp(reinterpret_cast<std::uintptr_t>(first), unit));
  if (start != first) ::munmap(first, static_cast<std::size_t>(start - first));
  if (const std::size_t tail = spare - static_cast<std::size_t>(start - first); tail != 0) {
    ::munmap(start + reserved, tail);
  }
#if defined(MADV_HUGEPAGE)
  // Not populated up front: the pages come as the read reaches them, so a stop
  // request is never stuck behind a 128 MB fill; advice only, so not checked.
  if (unit != 1) ::madvise(start, reserved, MADV_HUGEPAGE);
#endif
  return PayloadBuffer(start, PayloadRelease{reserved});
}

}  // namespace tessam
