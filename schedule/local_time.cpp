#include "schedule/local_time.h"

#include <climits>
#include <ctime>

namespace ossen {

namespace {

bool FitsInInt(std::int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

}  // namespace

bool ComposeDueTime(const LocalMoment& local, std::uint32_t& dueTime) {
  const std::int64_t tmYear = static_cast<std::int64_t>(local.year) - 1900;
  const std::int64_t tmMonth = static_cast<std::int64_t>(local.month) - 1;
  if (!FitsInInt(tmYear) || !FitsInInt(tmMonth)) return false;

  std::tm fields{};
  fields.tm_year = static_cast<int>(tmYear);
  fields.tm_mon = static_cast<int>(tmMonth);
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;
  const std::time_t moment = std::mktime(&fields);
  // mktime's error value -1 lies before 1970 as well, so the range test refuses it too.
  if (moment < 0 || static_cast<std::uint64_t>(moment) > UINT32_MAX) return false;
  dueTime = static_cast<std::uint32_t>(moment);
  return true;
}

bool BreakDownMoment(std::int64_t moment, LocalMoment& local) {
  const std::time_t asTime = static_cast<std::time_t>(moment);
  std::tm fields{};
  if (::localtime_r(&asTime, &fields) == nullptr) return false;
  const std::int64_t year = static_cast<std::int64_t>(fields.tm_year) + 1900;
  if (!FitsInInt(year)) return false;
  local.year = static_cast<int>(year);
  local.month = fields.tm_mon + 1;
  local.day = fields.tm_mday;
  local.hour = fields.tm_hour;
  local.minute = fields.tm_min;
  local.second = fields.tm_sec;
  return true;
}

}  // namespace ossen
