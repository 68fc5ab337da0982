// Test helpers for the schedule: a clock the test sets, a time zone for one scope, and
// quick records.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "schedule/clock.h"
#include "schedule/slot_record.h"

namespace ossen::testing {

class SettableClock final : public Clock {
 public:
  explicit SettableClock(std::int64_t now = 0) : now_(now) {}
  std::int64_t Now() const override { return now_; }
  void Set(std::int64_t now) { now_ = now; }

 private:
  std::int64_t now_;
};

// Switches TZ for the lifetime of the object and restores the old setting afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (old_)
      ::setenv("TZ", old_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};

// Seconds since 1970 of a UTC date and time.
inline std::int64_t UtcMoment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return static_cast<std::int64_t>(::timegm(&fields));
}

inline std::unique_ptr<SlotRecord> MakeRecord(std::int32_t slotId, std::uint32_t dueTime, const char* artist = "Artist") {
  auto record = std::make_unique<SlotRecord>();
  std::strncpy(record->artist, artist, MAX_PATH - 1);
  std::strncpy(record->title, "Title", MAX_PATH - 1);
  record->dueTime = dueTime;
  record->elements = kAllElements;
  record->slotId = slotId;
  return record;
}

}  // namespace ossen::testing
