#include "book/date_parse.h"

#include <climits>
#include <cstdint>

namespace ossen {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Blanks, an optional sign, decimal digits; stops at the first other character. Saturates
// instead of overflowing, so a long run of digits is just a large number.
int ReadInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int IndexOf(std::string_view text, std::string_view what) {
  const std::size_t at = text.find(what);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

enum class Part { kDay, kMonth, kYear };

// The order in which the numbers of a typed date come, from the places of the picture's
// first 'D', 'M' and 'Y' (-1 for a missing one). Ties read month, day, year.
void ReadingOrder(int pD, int pM, int pY, Part (&order)[3]) {
  auto set = [&order](Part a, Part b, Part c) {
    order[0] = a;
    order[1] = b;
    order[2] = c;
  };
  if (pD < pM && pM < pY) set(Part::kDay, Part::kMonth, Part::kYear);
  else if (pD < pY && pY < pM) set(Part::kDay, Part::kYear, Part::kMonth);
  else if (pY < pM && pM < pD) set(Part::kYear, Part::kMonth, Part::kDay);
  else if (pY < pD && pD < pM) set(Part::kYear, Part::kDay, Part::kMonth);
  else if (pM < pY && pY < pD) set(Part::kMonth, Part::kYear, Part::kDay);
  else set(Part::kMonth, Part::kDay, Part::kYear);
}

}  // namespace

std::string NextToken(std::string& source, std::string_view delimiter) {
  const std::size_t at = source.find(delimiter);
  std::string token;
  if (at == std::string::npos) {
    token = TrimBlanks(source);
    source.clear();
  } else {
    token = TrimBlanks(std::string_view(source).substr(0, at));
    // One character goes at the delimiter's place, whatever the delimiter's length (an
    // empty delimiter is found at 0 and so eats one character per token).
    source.erase(0, at + 1 <= source.size() ? at + 1 : source.size());
  }
  return token;
}

int NextNumber(std::string& source, std::string_view delimiter) { return ReadInteger(NextToken(source, delimiter)); }

int ParseDate(std::string_view text, std::string_view dateFormat, char dateSeparator, int currentYear,
              SYSTEMTIME& moment) {
  std::string picture(dateFormat);
  for (char& c : picture) c = AsciiUpper(c);
  const int pM = IndexOf(picture, "M");
  const int pD = IndexOf(picture, "D");
  const int pY = IndexOf(picture, "Y");

  // The delimiter is one character of the picture: the separator where the picture has it,
  // else its first character (none at all for an empty picture).
  const std::size_t separatorAt = picture.find(dateSeparator);
  const std::string delimiter = separatorAt != std::string::npos ? picture.substr(separatorAt, 1)
                                                                  : picture.substr(0, 1);

  Part order[3];
  ReadingOrder(pD, pM, pY, order);
  std::string work(text);
  long long day = 0, month = 0, year = 0;
  for (Part part : order) {
    const int number = NextNumber(work, delimiter);
    if (part == Part::kDay) day = number;
    else if (part == Part::kMonth) month = number;
    else year = number;
  }

  if (day < 1 || day > 31 || month < 1 || month > 12) return 1;
  if (year < 100) {
    const long long century = currentYear / 100;
    const long long typed = year;
    year = 100 * century + typed;
    if (year < kFirstEditableYear) year = 100 * (century + 1) + typed;
  }
  if (year < kFirstEditableYear || year > kLastEditableYear) return 1;

  moment.wYear = static_cast<WORD>(year);
  moment.wMonth = static_cast<WORD>(month);
  moment.wDay = static_cast<WORD>(day);
  return 0;
}

int ParseTime(std::string& text, SYSTEMTIME& moment) {
  for (char& c : text) c = AsciiUpper(c);
  const int colon = IndexOf(text, ":");
  const int am = IndexOf(text, "AM");
  const int pm = IndexOf(text, "PM");

  int hour = 0;
  int minute = 0;
  if (colon < 0) {
    hour = ReadInteger(text) % 24;
  } else {
    const int h = ReadInteger(std::string_view(text).substr(0, static_cast<std::size_t>(colon)));
    if (pm >= 0) hour = h % 12 + 12;
    else if (am >= 0) hour = h % 12;
    else hour = h % 24;

    std::string_view minuteText;
    if (am >= 0 || pm >= 0) {
      const int marker = am >= 0 ? am : pm;
      const int length = marker - colon - 1;
      if (length > 0) minuteText = std::string_view(text).substr(static_cast<std::size_t>(colon) + 1, length);
    } else {
      minuteText = std::string_view(text).substr(static_cast<std::size_t>(colon) + 1);
    }
    minute = ReadInteger(minuteText) % 60;
  }

  // Negative remainders are kept as the field's two's complement (see the header).
  moment.wHour = static_cast<WORD>(static_cast<std::int16_t>(hour));
  moment.wMinute = static_cast<WORD>(static_cast<std::int16_t>(minute));
  moment.wSecond = 0;
  moment.wMilliseconds = 0;
  return 0;
}

}  // namespace ossen
