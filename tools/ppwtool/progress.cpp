#include "tools/ppwtool/progress.h"

#include <algorithm>
#include <iostream>
#include <string>

#include "tools/ppwtool/terminal.h"

namespace ppwtool {

ProgressLine::ProgressLine() : enabled_(StandardErrorIsTerminal()) {}

ProgressLine::~ProgressLine() {
  // Blanks rather than an erase sequence: any terminal, and any console, takes them.
  if (width_ > 0) std::cerr << '\r' + std::string(width_, ' ') + '\r' << std::flush;
}

void ProgressLine::Show(const char* phase, std::uint64_t done, std::uint64_t total) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (lastShown_ && now - *lastShown_ < kInterval) return;
  lastShown_ = now;
  const std::uint64_t percent = total == 0 ? 100 : std::min(done, total) * 100 / total;
  std::string text = std::string(phase) + ' ' + std::to_string(percent) + '%';
  const std::size_t width = text.size();
  text.resize(std::max(width, width_), ' ');  // covers a longer line shown before
  width_ = width;
  // One write per update, so the line never shows half of one.
  std::cerr << '\r' + text << std::flush;
}

tessam::PackageSource CountedSource(const tessam::PackageSource& source, ProgressLine& progress, const char* phase,
                                    std::uint64_t total) {
  return {source.length, [&progress, phase, total, readAt = source.readAt](std::uint64_t offset,
                                                                           std::span<std::uint8_t> into) {
            const auto got = readAt(offset, into);
            if (got) progress.Add(phase, *got, total);
            return got;
          }};
}

}  // namespace ppwtool
