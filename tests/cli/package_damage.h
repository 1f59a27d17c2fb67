#pragma once
// Packages made by hand and damaged on purpose, shared by the reader's unit
// tests and the command-line tests. Each damage changes chosen bytes of a sound
// package and, where needed, repairs what it did not mean to break (checksums,
// the scramble), so that exactly the intended problems remain.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/package_reader.h"

namespace tessam::test {

using Bytes = std::vector<std::uint8_t>;

// A sound package written here byte by byte from the layout, independently of
// the package writer: seeds 1, 2, 3, 4 (key 14), filler 10..15, and an image
// of blockCount * 2000 + 92 bytes that starts with its block count.
Bytes MakeSoundPackage(std::uint16_t blockCount);

// The image MakeSoundPackage scrambles, for comparisons after unscrambling.
Bytes ImageOf(std::uint16_t blockCount);

// Leveldb-style helpers over a package in memory.
void SetByte(Bytes& package, std::size_t offset, std::uint8_t value);
void SetBigEndian32(Bytes& package, std::size_t offset, std::uint32_t value);
void FixPayloadChecksum(Bytes& package);  // over the L payload bytes present
void FixHeaderChecksum(Bytes& package);   // over bytes 0..59
// Changes one seed and scrambles the payload anew with the key it gives.
void ChangeSeed(Bytes& package, std::size_t seedIndex, std::uint8_t value);

struct Damage {
  std::string name;
  std::function<void(Bytes&)> apply;
  std::vector<PackageProblem> expected;  // in the reader's order
};

// One damage per problem the reader knows, plus a few variants. Each expects a
// sound package of at least one block.
const std::vector<Damage>& AllDamages();

}  // namespace tessam::test
