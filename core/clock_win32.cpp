#include <ctime>

#include "core/clock.h"

namespace tessam {

// _time64, as the Windows runtime's own programs seed rand(): time() of the
// 32-bit runtime stops in 2038.
std::int64_t CalendarSeconds() { return _time64(nullptr); }

}  // namespace tessam
