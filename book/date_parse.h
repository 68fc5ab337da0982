// placeholder until the date pictures land: reading a typed date by the user's date
// picture and a typed time with an optional AM/PM marker.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace ossen {

// The text before the first `delimiter`, trimmed; `source` loses it and the delimiter.
std::string NextToken(std::string& source, std::string_view delimiter);
// NextToken read as a decimal integer (0 without digits).
int NextNumber(std::string& source, std::string_view delimiter);
// 0 and year, month, day stored when valid; 1 and nothing stored when not.
int ParseDate(std::string_view text, std::string_view dateFormat, char dateSeparator, int currentYear,
              SYSTEMTIME& moment);
// Always 0; stores hour and minute (seconds 0). Upper-cases `text` in place.
int ParseTime(std::string& text, SYSTEMTIME& moment);

}  // namespace ossen
