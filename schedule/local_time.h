// Conversions between a slot's `dueTime` and local calendar fields, through the C
// library's mktime (daylight saving decided by the platform) and localtime_r, in the
// host's time zone (TZ).
#pragma once

#include <cstdint>

namespace ossen {

// A local date and time. Composition normalises fields out of their range as mktime
// does: 29 February of a year without one is 1 March, 31 April is 1 May, minute 75 is
// the next hour's minute 15.
struct LocalMoment {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The moment of these local fields as a `dueTime`. A local time that does not exist
// (skipped when the clocks go forward) comes out as a neighbouring real moment. Returns
// false, leaving `dueTime` alone, for a moment before 1970-01-01 00:00:00 UTC or after
// 2106-02-07 06:28:15 UTC, which an unsigned 32-bit count of seconds since 1970 cannot hold.
bool ComposeDueTime(const LocalMoment& local, std::uint32_t& dueTime);

// The local calendar fields of a moment (a `dueTime` or a clock reading). Returns false
// only when the C library cannot break the moment down.
bool BreakDownMoment(std::int64_t moment, LocalMoment& local);

}  // namespace ossen
