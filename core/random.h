#pragma once
#include <cstdint>

namespace tessam {

// The pseudo-random source of a build: seeded once per build from the clock,
// then drawn ten times (four key seeds, six filler bytes).
class RandomGenerator {
 public:
  virtual ~RandomGenerator() = default;
  virtual void Seed(std::uint32_t seed) = 0;
  virtual std::uint32_t Draw() = 0;
};

// The Windows runtime's rand(): a linear congruential generator giving 15-bit
// values, so packages built in the same second match on every platform.
class RuntimeRandom final : public RandomGenerator {
 public:
  void Seed(std::uint32_t seed) override { state_ = seed; }
  std::uint32_t Draw() override {
    state_ = state_ * 214013u + 2531011u;
    return (state_ >> 16) & 0x7FFFu;
  }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace tessam
