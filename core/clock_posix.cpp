#include <ctime>

#include "core/clock.h"

namespace tessam {

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace tessam
