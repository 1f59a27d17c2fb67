#pragma once
// Small helpers shared by the core suites: a scratch folder, whole-file reads
// and writes, project files made to measure, and a scripted random source.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/random.h"

namespace tessam::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes `dir` the current folder for the object's lifetime.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& dir);
  ~CurrentDirectory();

 private:
  std::filesystem::path previous_;
};

std::u16string Text(const std::filesystem::path& path);  // the path as the builder takes it
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

// A project file: 256 bytes of preamble, the block count little-endian at 256,
// then a recognisable image of blockCount * 2000 + 92 bytes in all, then `extra`
// bytes the builder must ignore.
Bytes MakeProject(std::uint16_t blockCount, std::size_t extra = 0);

// Bytes of random values for oracle comparisons.
Bytes RandomBytes(std::size_t size, std::uint32_t seed);

// Hands out the given values in turn (cycling) and remembers each seed.
class ScriptedRandom final : public RandomGenerator {
 public:
  explicit ScriptedRandom(std::vector<std::uint32_t> draws, std::vector<std::uint32_t>* seeds = nullptr)
      : draws_(std::move(draws)), seeds_(seeds) {}
  void Seed(std::uint32_t seed) override {
    if (seeds_) seeds_->push_back(seed);
    next_ = 0;
  }
  std::uint32_t Draw() override { return draws_[next_++ % draws_.size()]; }

 private:
  std::vector<std::uint32_t> draws_;
  std::vector<std::uint32_t>* seeds_;
  std::size_t next_ = 0;
};

}  // namespace tessam::test
