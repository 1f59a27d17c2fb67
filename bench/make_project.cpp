// Writes a project file for the benchmarks: 256 bytes of preamble, the block
// count at 256 (little-endian), then the rest of a block count * 2000 + 92
// byte image. Usage: make_project PATH [BLOCK_COUNT], default 65535 (the
// largest legal project, 131,070,348 bytes).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_project PATH [BLOCK_COUNT]\n");
    return 2;
  }
  const unsigned long blocks = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 65535;
  if (blocks > 65535) {
    std::fprintf(stderr, "block count must be at most 65535\n");
    return 2;
  }
  std::vector<std::uint8_t> bytes(256 + blocks * 2000 + 92);
  std::mt19937 generator(2018);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  bytes[256] = static_cast<std::uint8_t>(blocks);
  bytes[257] = static_cast<std::uint8_t>(blocks >> 8);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
