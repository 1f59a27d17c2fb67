#pragma once
#include <cstdint>

namespace tessam {

// The calendar time in seconds since 1970, in 64 bits on every platform: it
// seeds a build's random draws. One implementation per platform.
std::int64_t CalendarSeconds();

}  // namespace tessam
