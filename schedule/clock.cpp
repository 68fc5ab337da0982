#include "schedule/clock.h"

#include <ctime>

namespace ossen {

std::int64_t SystemClock::Now() const { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace ossen
