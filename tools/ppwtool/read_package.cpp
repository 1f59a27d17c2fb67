#include "tools/ppwtool/read_package.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "core/package_reader.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

std::optional<std::vector<std::uint8_t>> ReadPackageOrComplain(const std::string& fileName) {
  const std::filesystem::path path = PathFromUtf8(fileName);
  auto bytes = tessam::ReadWholeFile(path);
  if (bytes) return bytes;

  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  const char* reason = "read error";
  if (status.type() == std::filesystem::file_type::not_found) {
    reason = "no such file";
  } else if (status.type() == std::filesystem::file_type::directory) {
    reason = "it is a folder";
  } else if (error) {
    reason = "cannot be accessed";
  }
  std::cerr << "ppwtool: cannot read " << fileName << ": " << reason << "\n";
  return std::nullopt;
}

}  // namespace ppwtool
