#pragma once
// Small helpers shared by the core suites.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessam::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with its contents.
struct TempDir {
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path / name; }

  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tessam-core-" + std::to_string(std::random_device{}()));
};

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A project file: 256 bytes of preamble, the block count little-endian at 256,
// a recognisable image of blockCount * 2000 + 92 bytes in all, then `extra`
// bytes the builder must ignore.
inline Bytes MakeProject(std::uint16_t blockCount, std::size_t extra = 0) {
  Bytes bytes(256 + std::size_t{blockCount} * 2000 + 92 + extra);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  bytes[256] = static_cast<std::uint8_t>(blockCount);
  bytes[257] = static_cast<std::uint8_t>(blockCount >> 8);
  return bytes;
}

inline Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

}  // namespace tessam::test
