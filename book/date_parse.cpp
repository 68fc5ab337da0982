// placeholder until the date pictures land.
#include "book/date_parse.h"

#include <cstdlib>

namespace ossen {
namespace {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

int ReadInt(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

void Upper(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

}  // namespace

std::string NextToken(std::string& source, std::string_view delimiter) {
  const auto at = delimiter.empty() ? std::string::npos : source.find(delimiter);
  std::string token;
  if (at == std::string::npos) {
    token = source;
    source.clear();
  } else {
    token = source.substr(0, at);
    source.erase(0, at + 1);
  }
  return Trim(token);
}

int NextNumber(std::string& source, std::string_view delimiter) { return ReadInt(NextToken(source, delimiter)); }

int ParseDate(std::string_view text, std::string_view dateFormat, char dateSeparator, int currentYear,
              SYSTEMTIME& moment) {
  std::string picture(dateFormat);
  Upper(picture);
  const auto position = [&](char letter) {
    const auto at = picture.find(letter);
    return at == std::string::npos ? -1 : static_cast<int>(at);
  };
  const int pM = position('M'), pD = position('D'), pY = position('Y');
  std::string delimiter(1, dateSeparator);
  if (picture.find(dateSeparator) == std::string::npos) delimiter = picture.substr(0, 1);

  std::string copy(text);
  int day = 0, month = 0, year = 0;
  int* order[3] = {&month, &day, &year};
  if (pD < pM && pM < pY) {
    order[0] = &day, order[1] = &month, order[2] = &year;
  } else if (pD < pY && pY < pM) {
    order[0] = &day, order[1] = &year, order[2] = &month;
  } else if (pY < pM && pM < pD) {
    order[0] = &year, order[1] = &month, order[2] = &day;
  } else if (pY < pD && pD < pM) {
    order[0] = &year, order[1] = &day, order[2] = &month;
  } else if (pM < pY && pY < pD) {
    order[0] = &month, order[1] = &year, order[2] = &day;
  }
  for (int* field : order) *field = NextNumber(copy, delimiter);

  if (day < 1 || day > 31 || month < 1 || month > 12) return 1;
  if (year < 100) {
    const int century = currentYear / 100;
    const int typed = year;
    year = 100 * century + typed;
    if (year < 1970) year = 100 * (century + 1) + typed;
  }
  if (year < 1970 || year > 2038) return 1;
  moment.wYear = static_cast<WORD>(year);
  moment.wMonth = static_cast<WORD>(month);
  moment.wDay = static_cast<WORD>(day);
  return 0;
}

int ParseTime(std::string& text, SYSTEMTIME& moment) {
  Upper(text);
  const auto colon = text.find(':');
  const auto am = text.find("AM");
  const auto pm = text.find("PM");
  int hour = 0, minute = 0;
  if (colon == std::string::npos) {
    hour = ReadInt(text) % 24;
  } else {
    const int h = ReadInt(text.substr(0, colon));
    if (pm != std::string::npos) {
      hour = h % 12 + 12;
    } else if (am != std::string::npos) {
      hour = h % 12;
    } else {
      hour = h % 24;
    }
    std::string minuteText;
    const auto marker = am != std::string::npos ? am : pm;
    if (marker == std::string::npos) {
      minuteText = text.substr(colon + 1);
    } else if (static_cast<long>(marker) - static_cast<long>(colon) - 1 > 0) {
      minuteText = text.substr(colon + 1, marker - colon - 1);
    }
    minute = ReadInt(minuteText) % 60;
  }
  moment.wHour = static_cast<WORD>(hour);
  moment.wMinute = static_cast<WORD>(minute);
  moment.wSecond = 0;
  moment.wMilliseconds = 0;
  return 0;
}

}  // namespace ossen
