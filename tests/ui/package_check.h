#pragma once
// Project files for the dialog to build, and a byte-for-byte check of the
// package it wrote, read through the header's own fields and checksums.
#include <cstdint>
#include <optional>
#include <string>

namespace tessam::test {

// A project file: 256 bytes of preamble, the block count at 256 (little
// endian), a recognisable program image, and `extra` bytes after it.
std::string MakeProject(std::uint16_t blockCount, std::size_t extra = 0);

// Adds a failure for every byte of `package` that is not what a package
// built from `project` (with `password` planted, or none) must hold.
void ExpectPackageOf(const std::string& package, const std::string& project,
                     const std::optional<std::string>& password);

}  // namespace tessam::test
