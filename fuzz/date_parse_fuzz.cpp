// Typed dates and times into the date editor's parsers, with any picture and separator.
//
// Input: byte 0 the separator, byte 1 the picture's length, the picture, then the typed
// text. Checks: an accepted date lies in the editable range with day 1..31 and month
// 1..12, a refused one leaves the moment alone; a time is always read, its hour and minute
// are remainders, and the text comes back upper-cased; the tokenizer only ever shortens
// its source and gives tokens without blanks at the ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "book/date_parse.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  if (size < 2) return 0;
  const char separator = static_cast<char>(data[0]);
  const std::size_t pictureLength = data[1] <= size - 2 ? data[1] : size - 2;
  const std::string_view picture(reinterpret_cast<const char*>(data + 2), pictureLength);
  const std::string_view text(reinterpret_cast<const char*>(data + 2 + pictureLength), size - 2 - pictureLength);

  for (int currentYear : {1999, 2026, 0, -2147483647 - 1, 2147483647}) {
    SYSTEMTIME moment{};
    moment.wYear = 1;
    if (ParseDate(text, picture, separator, currentYear, moment) == 0) {
      if (moment.wYear < kFirstEditableYear || moment.wYear > kLastEditableYear) std::abort();
      if (moment.wMonth < 1 || moment.wMonth > 12 || moment.wDay < 1 || moment.wDay > 31) std::abort();
    } else if (moment.wYear != 1 || moment.wMonth != 0 || moment.wDay != 0) {
      std::abort();
    }
  }

  std::string typed(text);
  SYSTEMTIME moment{};
  if (ParseTime(typed, moment) != 0) std::abort();
  const int hour = static_cast<std::int16_t>(moment.wHour);
  const int minute = static_cast<std::int16_t>(moment.wMinute);
  if (hour < -23 || hour > 23 || minute < -59 || minute > 59 || moment.wSecond != 0) std::abort();
  for (char c : typed) {
    if (c >= 'a' && c <= 'z') std::abort();
  }

  std::string source(text);
  for (int i = 0; i < 8; ++i) {
    const std::size_t before = source.size();
    const std::string token = NextToken(source, picture.substr(0, 2));
    if (!token.empty() && (IsBlank(token.front()) || IsBlank(token.back()))) std::abort();
    if (source.size() > before || (before > 0 && source.size() == before)) std::abort();
  }
  return 0;
}
