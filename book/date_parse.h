// The date editor's parsers: what a person typed into the date and time fields of the
// current slot's row, read back into calendar fields.
//
// Plain C++ without Qt, so the rules can be tested on their own. Numbers are read the way
// the fields have always read them: leading white space, an optional sign, then decimal
// digits up to the first other character; no digits read as 0. A number too large for an
// int reads as the nearest int.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace ossen {

// The accepted years of a typed date.
inline constexpr int kFirstEditableYear = 1970;
inline constexpr int kLastEditableYear = 2038;

// Takes the next token from the front of `source`: the text before the first occurrence of
// `delimiter` (as a whole), or all of `source` when it does not occur. The token and the
// one character at the delimiter's place are removed from `source`; an exhausted source
// gives empty tokens. The token comes back without blanks at its ends.
std::string NextToken(std::string& source, std::string_view delimiter);

// NextToken read as a number (see above).
int NextNumber(std::string& source, std::string_view delimiter);

// Reads a typed date by the short date picture `dateFormat`, whose order of the first 'd',
// 'M' and 'y' (any case) gives the order of the numbers, split at `dateSeparator` (or at
// the picture's first character when the separator is not in the picture). A year below
// 100 (two digits typed, or none) falls in the century of `currentYear` (the local year
// now), or in the next one when that would be before 1970. Returns 0 and stores wYear, wMonth and wDay when day is 1..31,
// month 1..12 and year 1970..2038; else 1 and `moment` is untouched. Day and month are not
// checked against each other: 30 February is carried into March when the moment is made.
int ParseDate(std::string_view text, std::string_view dateFormat, char dateSeparator, int currentYear,
              SYSTEMTIME& moment);

// Reads a typed time "h:m" with an optional AM or PM marker (upper-cases `text` in place)
// into wHour and wMinute, and sets wSecond and wMilliseconds to 0. Never refuses: missing
// parts read as 0, the hour is reduced modulo 24 (modulo 12 with a marker, PM adding 12),
// the minute modulo 60. Without a colon the whole text is the hour and a marker is ignored.
// The remainders keep the sign of a negative number typed; such a field holds the 16-bit
// two's complement (read it as std::int16_t). Always returns 0.
int ParseTime(std::string& text, SYSTEMTIME& moment);

}  // namespace ossen
