// placeholder until the date pictures land.
#include "platform/date_format.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/registry_helpers.h"

namespace ossen {
namespace {

std::string Number(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", digits, value);
  return text;
}

std::string Format(const SYSTEMTIME& t, const char* picture) {
  std::string out;
  for (const char* p = picture; *p != '\0';) {
    const char c = *p;
    if (c == '\'') {
      ++p;
      while (*p != '\0' && *p != '\'') out += *p++;
      if (*p == '\'') ++p;
      continue;
    }
    int run = 0;
    while (p[run] == c) ++run;
    p += run;
    switch (c) {
      case 'd': out += Number(t.wDay, run >= 2 ? 2 : 1); break;
      case 'M': out += Number(t.wMonth, run >= 2 ? 2 : 1); break;
      case 'y': out += run >= 3 ? Number(t.wYear, 4) : Number(t.wYear % 100, run == 2 ? 2 : 1); break;
      case 'h': out += Number(t.wHour % 12 == 0 ? 12 : t.wHour % 12, run >= 2 ? 2 : 1); break;
      case 'H': out += Number(t.wHour, run >= 2 ? 2 : 1); break;
      case 'm': out += Number(t.wMinute, run >= 2 ? 2 : 1); break;
      case 's': out += Number(t.wSecond, run >= 2 ? 2 : 1); break;
      case 't': out += run >= 2 ? (t.wHour < 12 ? "AM" : "PM") : (t.wHour < 12 ? "A" : "P"); break;
      default: out.append(static_cast<std::size_t>(run), c); break;
    }
  }
  return out;
}

int Deliver(const std::string& text, char* out, int outSize) {
  const int needed = static_cast<int>(text.size()) + 1;
  if (outSize == 0) return needed;
  if (out == nullptr || outSize < needed) return 0;
  std::memcpy(out, text.c_str(), static_cast<std::size_t>(needed));
  return needed;
}

}  // namespace

int GetDateFormat(LCID, DWORD, const SYSTEMTIME* moment, const char* picture, char* out, int outSize) {
  if (moment == nullptr || picture == nullptr) return 0;
  return Deliver(Format(*moment, picture), out, outSize);
}

int GetTimeFormat(LCID, DWORD, const SYSTEMTIME* moment, const char* picture, char* out, int outSize) {
  if (moment == nullptr || picture == nullptr) return 0;
  return Deliver(Format(*moment, picture), out, outSize);
}

BOOL EnumDateFormats(DATEFMT_ENUMPROC callback, LCID, DWORD) {
  if (callback == nullptr) return 0;
  char picture[80] = "";
  RegReadString(HKEY_CURRENT_USER, "Control Panel\\International", "sShortDate", picture, sizeof picture);
  if (picture[0] == '\0') std::strcpy(picture, "M/d/yy");
  callback(picture);
  return 1;
}

}  // namespace ossen
