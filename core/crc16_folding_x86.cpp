// CRC-16/MODBUS by carry-less multiplication (PCLMULQDQ), x86 only.
//
// Bits are taken least significant first, so a 16-byte block read into a
// register is a polynomial of degree < 128 whose highest term is bit 0 of
// byte 0. Such a block followed by F more bits of message leaves the same
// remainder as block(x) * x^F, so a block can be carried forward ("folded")
// over F bits: its first and last 64 bits are each multiplied by x^(F+63) and
// x^(F-1) reduced modulo the polynomial, constants of 16 bits, and the two
// products (at most 80 bits) are added to the block F bits further on. Four
// blocks are carried 512 bits at a time, then merged into one, whose 16 bytes
// and the short tail the tables finish.
#include <immintrin.h>

#include <cstring>
#include <type_traits>

#include "core/crc16_kernels.h"

namespace tessam::detail {
namespace {

constexpr std::uint32_t kPolynomial = 0x18005;  // x^16 + x^15 + x^2 + 1

// x^n modulo the polynomial, placed as a multiplier in the bit order above:
// the coefficient of x^d in bit 63 - d. (One more x comes from the multiply,
// whose product in this order lands one bit to the left.)
constexpr std::uint64_t PowerOfX(unsigned n) {
  std::uint32_t remainder = 1;
  for (unsigned i = 0; i < n; ++i) {
    remainder <<= 1;
    if (remainder & 0x10000u) remainder ^= kPolynomial;
  }
  std::uint64_t multiplier = 0;
  for (unsigned degree = 0; degree < 16; ++degree) {
    if ((remainder >> degree) & 1u) multiplier |= std::uint64_t{1} << (63 - degree);
  }
  return multiplier;
}

// Both halves of a block carried over `bits`: low half first, high half second.
struct FoldConstants {
  std::uint64_t low, high;
};
constexpr FoldConstants Over(unsigned bits) { return {PowerOfX(bits + 63), PowerOfX(bits - 1)}; }

__attribute__((target("pclmul"))) __m128i Fold(__m128i block, __m128i constants) {
  return _mm_xor_si128(_mm_clmulepi64_si128(block, constants, 0x00), _mm_clmulepi64_si128(block, constants, 0x11));
}

__m128i Constants(FoldConstants c) {
  return _mm_set_epi64x(static_cast<long long>(c.high), static_cast<long long>(c.low));
}

// Reads the next 16 bytes; when they may be written, scrambles them in place first.
template <typename Byte>
__m128i Take(Byte* data, __m128i key) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
  if constexpr (std::is_const_v<Byte>) {
    return block;
  } else {
    const __m128i scrambled = _mm_xor_si128(block, key);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(data), scrambled);
    return scrambled;
  }
}

// Folds the whole 16-byte blocks of `length` (at least 64) bytes into one, put
// in `folded`: its checksum from a zero register is that of those blocks from
// `crc`. Returns the bytes consumed; fewer than 16 are left.
template <typename Byte>
__attribute__((target("pclmul"))) std::size_t FoldBlocks(std::uint16_t crc, std::uint8_t key, Byte* data,
                                                         std::size_t length, std::uint8_t (&folded)[16]) {
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  const __m128i over512 = Constants(Over(512));
  const __m128i over128 = Constants(Over(128));
  // The running register enters as the first two message bytes.
  __m128i a0 = _mm_xor_si128(Take(data, keys), _mm_cvtsi32_si128(crc));
  __m128i a1 = Take(data + 16, keys), a2 = Take(data + 32, keys), a3 = Take(data + 48, keys);
  std::size_t done = 64;
  for (; length - done >= 64; done += 64) {
    a0 = _mm_xor_si128(Fold(a0, over512), Take(data + done, keys));
    a1 = _mm_xor_si128(Fold(a1, over512), Take(data + done + 16, keys));
    a2 = _mm_xor_si128(Fold(a2, over512), Take(data + done + 32, keys));
    a3 = _mm_xor_si128(Fold(a3, over512), Take(data + done + 48, keys));
  }
  a1 = _mm_xor_si128(a1, Fold(a0, over128));
  a2 = _mm_xor_si128(a2, Fold(a1, over128));
  a3 = _mm_xor_si128(a3, Fold(a2, over128));
  for (; length - done >= 16; done += 16) a3 = _mm_xor_si128(Fold(a3, over128), Take(data + done, keys));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), a3);
  return done;
}

}  // namespace

bool FoldingAvailable() {
  static const bool available = __builtin_cpu_supports("pclmul");
  return available;
}

std::uint16_t Crc16UpdateFolded(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  if (length < 64) return Crc16UpdateSliced(crc, data, length);
  std::uint8_t folded[16];
  const std::size_t done = FoldBlocks(crc, 0, data, length, folded);
  return Crc16UpdateSliced(Crc16UpdateSliced(0, folded, sizeof folded), data + done, length - done);
}

std::uint16_t ScrambleAndChecksumFolded(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length) {
  if (length < 64) return ScrambleAndChecksumSliced(crc, key, data, length);
  std::uint8_t folded[16];
  const std::size_t done = FoldBlocks(crc, key, data, length, folded);
  return ScrambleAndChecksumSliced(Crc16UpdateSliced(0, folded, sizeof folded), key, data + done, length - done);
}

}  // namespace tessam::detail
