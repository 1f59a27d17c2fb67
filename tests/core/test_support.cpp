#include "tests/core/test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tessam::test {

TempDir::TempDir() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() / ("tessam-core-" + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

CurrentDirectory::CurrentDirectory(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

CurrentDirectory::~CurrentDirectory() { std::filesystem::current_path(previous_); }

std::u16string Text(const std::filesystem::path& path) { return path.u16string(); }

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes MakeProject(std::uint16_t blockCount, std::size_t extra) {
  const std::size_t imageSize = std::size_t{blockCount} * 2000 + 92;
  Bytes bytes(256 + imageSize + extra);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  bytes[256] = static_cast<std::uint8_t>(blockCount);
  bytes[257] = static_cast<std::uint8_t>(blockCount >> 8);
  return bytes;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

}  // namespace tessam::test
