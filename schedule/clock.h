// Where the schedule takes the current time from; tests put in a clock they set.
#pragma once

#include <cstdint>

namespace ossen {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00 UTC.
  virtual std::int64_t Now() const = 0;
};

// The host's real-time clock.
class SystemClock final : public Clock {
 public:
  std::int64_t Now() const override;
};

}  // namespace ossen
