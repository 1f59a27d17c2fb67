#pragma once
// The exit status of every subcommand; scripts rely on these three values.
namespace ppwtool {

inline constexpr int kExitOk = 0;
// build: the package was not written. inspect: the package is damaged.
// extract: the package is damaged (and --force not given) or holds no header.
inline constexpr int kExitFailed = 1;
// Bad command line, a file that cannot be read, or an image that cannot be written.
inline constexpr int kExitUsage = 2;

}  // namespace ppwtool
