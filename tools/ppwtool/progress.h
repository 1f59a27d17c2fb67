#pragma once
// How far a long step has come, for a person at a terminal (a console on
// Windows): one line on standard error, "writing 42%", rewritten in place and
// gone when the ProgressLine dies. Elsewhere nothing is shown, so scripts and
// logs see only what they always saw.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/package_reader.h"

namespace ppwtool {

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // `done` of `total` bytes of `phase`; shown at most about ten times a second.
  void Show(const char* phase, std::uint64_t done, std::uint64_t total);

  // `bytes` more of `phase` done, counted here: for work that reports pieces.
  void Add(const char* phase, std::uint64_t bytes, std::uint64_t total) { Show(phase, added_ += bytes, total); }

 private:
  static constexpr std::chrono::milliseconds kInterval{100};

  bool enabled_;
  std::size_t width_ = 0;  // of the text on the line now, to blank it out
  std::uint64_t added_ = 0;
  std::optional<std::chrono::steady_clock::time_point> lastShown_;
};

// `source`, telling `progress` of every byte read through it as done of `phase`.
tessam::PackageSource CountedSource(const tessam::PackageSource& source, ProgressLine& progress, const char* phase,
                                    std::uint64_t total);

}  // namespace ppwtool
