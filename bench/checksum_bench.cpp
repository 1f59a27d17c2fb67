// Checksum throughput: the bit-by-bit definition against the table-driven loop,
// and the fused scramble-and-checksum pass the builder runs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/crc16.h"

namespace {

std::vector<std::uint8_t> RandomBuffer(std::size_t size) {
  std::mt19937 generator(42);
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

void BM_Crc16Bitwise(benchmark::State& state) {
  const auto bytes = RandomBuffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(tessam::Crc16UpdateBitwise(tessam::kCrc16Initial, bytes.data(), bytes.size()));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Crc16(benchmark::State& state) {
  const auto bytes = RandomBuffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(tessam::Crc16(bytes.data(), bytes.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ScrambleAndChecksum(benchmark::State& state) {
  auto bytes = RandomBuffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(tessam::ScrambleAndChecksum(tessam::kCrc16Initial, 0x5A, bytes));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// 1 MiB stays in the caches; 128 MiB is the largest payload, from memory.
BENCHMARK(BM_Crc16Bitwise)->Arg(1 << 20);
BENCHMARK(BM_Crc16)->Arg(1 << 20)->Arg(128 << 20);
BENCHMARK(BM_ScrambleAndChecksum)->Arg(1 << 20)->Arg(128 << 20);

}  // namespace

BENCHMARK_MAIN();
