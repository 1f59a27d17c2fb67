#pragma once
// Reads a whole package file for inspect and extract, naming on stderr why it
// could not be read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ppwtool {

std::optional<std::vector<std::uint8_t>> ReadPackageOrComplain(const std::string& fileName);

}  // namespace ppwtool
