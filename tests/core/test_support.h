#pragma once
// Small helpers shared by every suite, and the test framework they all use.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tessam::test {

using Bytes = std::vector<std::uint8_t>;

using namespace std::chrono_literals;

// Polls `condition` until it holds (true) or `deadline` passes (false).
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 10s) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// A fresh folder under the system's temporary folder, removed with its contents.
struct TempDir {
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
  TempDir(const TempDir&) = delete;  // one owner removes it
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path / name; }

  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tessam-test-" + std::to_string(std::random_device{}()));
};

// Paths handed to ppwtool are UTF-8 text.
inline std::filesystem::path Utf8Path(const std::string& text) { return std::u8string(text.begin(), text.end()); }

template <class Container = Bytes>
void WriteFile(const std::filesystem::path& path, const Container& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Nothing for a missing file or a folder, so that "left as it was" compares alike.
template <class Container = Bytes>
Container ReadFile(const std::filesystem::path& path) {
  if (!std::filesystem::is_regular_file(path)) return {};
  Container bytes(std::filesystem::file_size(path), 0);
  std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), std::ssize(bytes));
  return bytes;
}

// Bytes i * 7 + i / 251: recognisable, and regenerable anywhere for known answers.
inline Bytes Pattern(std::size_t length) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

// An image of blockCount * 2000 + 92 bytes that starts with its block count.
inline Bytes MakeImage(std::uint16_t blockCount) {
  Bytes image = Pattern(std::size_t{blockCount} * 2000 + 92);
  image[0] = static_cast<std::uint8_t>(blockCount);
  image[1] = static_cast<std::uint8_t>(blockCount >> 8);
  return image;
}

// A project: 256 bytes of preamble, the image, `extra` bytes to be ignored.
inline Bytes MakeProject(std::uint16_t blockCount, std::size_t extra = 0) {
  Bytes bytes = Pattern(256);
  const Bytes image = MakeImage(blockCount);
  bytes.insert(bytes.end(), image.begin(), image.end());
  bytes.resize(bytes.size() + extra, 0x5A);
  return bytes;
}

}  // namespace tessam::test
