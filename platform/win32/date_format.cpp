#include "platform/win32/date_format.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/base/trace.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {
namespace {

constexpr char kFallbackShortDate[] = "M/d/yyyy";
constexpr char kPosixShortDate[] = "M/d/yy";
constexpr DWORD kMaxStoredValueBytes = 4096;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 = Sunday, for the Gregorian calendar (Sakamoto's method).
int DayOfWeek(int year, int month, int day) {
  static constexpr int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

bool ValidDate(const SYSTEMTIME& time) {
  return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 &&
         time.wDay <= DaysInMonth(time.wYear, time.wMonth);
}

bool ValidTime(const SYSTEMTIME& time) {
  return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

SYSTEMTIME LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(local.tm_year + 1900);
  time.wMonth = static_cast<WORD>(local.tm_mon + 1);
  time.wDay = static_cast<WORD>(local.tm_mday);
  time.wHour = static_cast<WORD>(local.tm_hour);
  time.wMinute = static_cast<WORD>(local.tm_min);
  time.wSecond = static_cast<WORD>(local.tm_sec);
  return time;
}

void AppendNumber(std::string& out, int value, int minDigits) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < minDigits) out.append(minDigits - digits.size(), '0');
  out += digits;
}

// The expansion of a run of `count` equal picture letters, or false when the letter is not
// one of this kind's.
bool ExpandLetter(PictureKind kind, char letter, int count, const SYSTEMTIME& time, const PictureTexts& texts,
                  std::string& out) {
  const bool wide = count >= 2;
  if (kind == PictureKind::kDate) {
    switch (letter) {
      case 'd':
        if (count <= 2) {
          AppendNumber(out, time.wDay, count);
        } else {
          const int weekday = DayOfWeek(time.wYear, time.wMonth, time.wDay);
          out += count == 3 ? texts.shortDayNames[weekday] : texts.dayNames[weekday];
        }
        return true;
      case 'M':
        if (count <= 2) AppendNumber(out, time.wMonth, count);
        else out += count == 3 ? texts.shortMonthNames[time.wMonth - 1] : texts.monthNames[time.wMonth - 1];
        return true;
      case 'y':
        if (count <= 2) AppendNumber(out, time.wYear % 100, count);
        else AppendNumber(out, time.wYear, 4);
        return true;
      default:
        return false;
    }
  }
  switch (letter) {
    case 'h': {
      const int hour = time.wHour % 12;
      AppendNumber(out, hour == 0 ? 12 : hour, wide ? 2 : 1);
      return true;
    }
    case 'H':
      AppendNumber(out, time.wHour, wide ? 2 : 1);
      return true;
    case 'm':
      AppendNumber(out, time.wMinute, wide ? 2 : 1);
      return true;
    case 's':
      AppendNumber(out, time.wSecond, wide ? 2 : 1);
      return true;
    case 't': {
      const std::string& marker = time.wHour < 12 ? texts.am : texts.pm;
      out += wide ? marker : marker.substr(0, 1);
      return true;
    }
    default:
      return false;
  }
}

int CopyResult(const std::string& text, char* out, int outSize) {
  if (outSize < 0) return 0;
  const std::size_t needed = text.size() + 1;
  if (needed > static_cast<std::size_t>(INT32_MAX)) return 0;
  if (outSize == 0) return static_cast<int>(needed);
  if (out == nullptr || needed > static_cast<std::size_t>(outSize)) return 0;
  std::memcpy(out, text.c_str(), needed);
  return static_cast<int>(needed);
}

// A single-byte form of a locale text, or empty when it has characters beyond Latin-1.
std::string Latin1(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() > 0xFF) return {};
  }
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

PictureTexts NamesOf(const QLocale& locale) {
  PictureTexts texts;
  for (int day = 0; day < 7; ++day) {
    const int qtDay = day == 0 ? 7 : day;  // Qt counts Monday 1 .. Sunday 7
    texts.dayNames[day] = Latin1(locale.dayName(qtDay, QLocale::LongFormat));
    texts.shortDayNames[day] = Latin1(locale.dayName(qtDay, QLocale::ShortFormat));
  }
  for (int month = 0; month < 12; ++month) {
    texts.monthNames[month] = Latin1(locale.monthName(month + 1, QLocale::LongFormat));
    texts.shortMonthNames[month] = Latin1(locale.monthName(month + 1, QLocale::ShortFormat));
  }
  return texts;
}

bool AllNamesPresent(const PictureTexts& texts) {
  for (const auto* names : {&texts.dayNames, &texts.shortDayNames}) {
    for (const std::string& name : *names) {
      if (name.empty()) return false;
    }
  }
  for (const auto* names : {&texts.monthNames, &texts.shortMonthNames}) {
    for (const std::string& name : *names) {
      if (name.empty()) return false;
    }
  }
  return true;
}

bool IsPosixName(const std::string& name) {
  const std::string base = name.substr(0, name.find_first_of(".@"));
  return base.empty() || base == "C" || base == "POSIX";
}

// The locale's short date picture in this picture language when it is plainly numeric
// (day, month and year as numbers, split by characters that are neither letters nor quotes),
// with the year widened to four digits; empty otherwise.
std::string NumericShortDate(const QString& qtPicture) {
  const std::string picture = Latin1(qtPicture);
  std::string result;
  bool day = false, month = false, year = false;
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (c == 'd' || c == 'M') {
      if (run > 2) return {};
      (c == 'd' ? day : month) = true;
      result.append(run, c);
    } else if (c == 'y') {
      year = true;
      result += "yyyy";
    } else if (IsAsciiLetter(c) || c == '\'' || IsControl(c)) {
      return {};
    } else {
      result.append(run, c);
    }
    i += run;
  }
  return day && month && year ? result : std::string();
}

struct StoredText {
  bool present = false;
  bool readable = false;
  std::string text;
};

// A value of the International key: absent, present but not a text that can be read, or
// its text.
StoredText ReadStored(const char* name) {
  StoredText stored;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kInternationalKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    stored.present = true;
    if (type == REG_SZ && size <= kMaxStoredValueBytes) {
      std::string bytes(size, '\0');
      if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
              ERROR_SUCCESS &&
          size <= bytes.size()) {
        bytes.resize(size);
        stored.text = bytes.substr(0, bytes.find('\0'));
        stored.readable = true;
      }
    }
  }
  RegCloseKey(key);
  return stored;
}

// The derived settings of the current host locale, made again only when its name changes.
LocaleDateSettings CurrentLocaleSettings() {
  static std::mutex mutex;
  static std::string cachedName;
  static LocaleDateSettings cached;
  static bool haveCached = false;
  const std::string name = HostTimeLocaleName();
  std::lock_guard<std::mutex> lock(mutex);
  if (!haveCached || name != cachedName) {
    cached = DeriveLocaleDateSettings(name);
    cachedName = name;
    haveCached = true;
  }
  return cached;
}

PictureTexts UserPictureTexts(UserDateSettings* settingsOut = nullptr) {
  PictureTexts texts = CurrentLocaleSettings().texts;
  const UserDateSettings user = ReadUserDateSettings();
  texts.am = user.am;
  texts.pm = user.pm;
  if (settingsOut != nullptr) *settingsOut = user;
  return texts;
}

}  // namespace

int FormatPicture(PictureKind kind, std::string_view picture, const SYSTEMTIME& time, const PictureTexts& texts,
                  char* out, int outSize) {
  if (kind == PictureKind::kDate ? !ValidDate(time) : !ValidTime(time)) return 0;
  std::string text;
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '\'') {
      // Quoted text up to the next lone quote; '' is one quote, inside quotes or out.
      ++i;
      if (i < picture.size() && picture[i] == '\'') {
        text += '\'';
        ++i;
        continue;
      }
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            text += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += picture[i++];
      }
      continue;
    }
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (!ExpandLetter(kind, c, static_cast<int>(run), time, texts, text)) text.append(run, c);
    i += run;
  }
  return CopyResult(text, out, outSize);
}

std::string HostTimeLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

LocaleDateSettings DeriveLocaleDateSettings(const std::string& localeName) {
  const bool posix = IsPosixName(localeName);
  const QLocale locale = posix ? QLocale::c() : QLocale(QString::fromLatin1(localeName.c_str()));
  LocaleDateSettings settings;
  settings.shortDate = posix ? kPosixShortDate : NumericShortDate(locale.dateFormat(QLocale::ShortFormat));
  if (settings.shortDate.empty()) settings.shortDate = kFallbackShortDate;

  settings.texts = NamesOf(locale);
  if (!AllNamesPresent(settings.texts)) settings.texts = NamesOf(QLocale::c());
  const std::string am = Latin1(locale.amText());
  const std::string pm = Latin1(locale.pmText());
  const QString timePicture = locale.timeFormat(QLocale::ShortFormat);
  settings.twelveHourClock = timePicture.contains(QLatin1Char('a')) || timePicture.contains(QLatin1Char('A'));
  if (UsableTimeMarkers(am, pm)) {
    settings.texts.am = am;
    settings.texts.pm = pm;
  }
  return settings;
}

bool UsableShortDatePicture(std::string_view picture) {
  if (picture.empty() || picture.size() > static_cast<std::size_t>(kMaxDatePictureChars)) return false;
  bool quoted = false;
  bool namesPart = false;
  for (const char c : picture) {
    if (IsControl(c)) return false;
    if (c == '\'') quoted = !quoted;
    else if (!quoted && (c == 'd' || c == 'M' || c == 'y')) namesPart = true;
  }
  return namesPart;
}

bool UsableTimeMarkers(std::string_view am, std::string_view pm) {
  for (const std::string_view marker : {am, pm}) {
    if (marker.empty() || marker.size() > static_cast<std::size_t>(kMaxTimeMarkerChars)) return false;
    for (const char c : marker) {
      if (IsControl(c) || c == ':') return false;
    }
  }
  const std::string upperAm = Upper(am);
  return upperAm.find("AM") != std::string::npos && upperAm.find("PM") == std::string::npos &&
         Upper(pm).find("PM") != std::string::npos;
}

UserDateSettings ReadUserDateSettings() {
  const LocaleDateSettings derived = CurrentLocaleSettings();
  const StoredText shortDate = ReadStored(kShortDateValue);
  const StoredText am = ReadStored(kAmMarkerValue);
  const StoredText pm = ReadStored(kPmMarkerValue);

  // What is missing is derived once and stored; what a person stored is never overwritten.
  const auto storeDerived = [](const char* name, const std::string& text) {
    RegWriteString(HKEY_CURRENT_USER, kInternationalKeyPath, name, text.c_str());
  };
  if (!shortDate.present) storeDerived(kShortDateValue, derived.shortDate);
  if (!am.present) storeDerived(kAmMarkerValue, derived.texts.am);
  if (!pm.present) storeDerived(kPmMarkerValue, derived.texts.pm);

  UserDateSettings user{derived.shortDate, derived.texts.am, derived.texts.pm};
  if (shortDate.present) {
    if (shortDate.readable && UsableShortDatePicture(shortDate.text)) {
      user.shortDate = shortDate.text;
    } else {
      Trace("%s cannot serve as a date picture; %s is used", kShortDateValue, derived.shortDate.c_str());
    }
  }
  const std::string storedAm = am.present ? am.text : derived.texts.am;
  const std::string storedPm = pm.present ? pm.text : derived.texts.pm;
  const bool readable = (!am.present || am.readable) && (!pm.present || pm.readable);
  if (readable && UsableTimeMarkers(storedAm, storedPm)) {
    user.am = storedAm;
    user.pm = storedPm;
  } else {
    Trace("%s and %s cannot serve as time markers; %s and %s are used", kAmMarkerValue, kPmMarkerValue,
          derived.texts.am.c_str(), derived.texts.pm.c_str());
  }
  return user;
}

int GetDateFormat(LCID /*locale*/, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out,
                  int outSize) {
  if (picture != nullptr ? flags != 0 : (flags != 0 && flags != DATE_SHORTDATE)) return 0;
  const SYSTEMTIME moment = time != nullptr ? *time : LocalNow();
  if (!ValidDate(moment)) return 0;
  UserDateSettings user;
  const PictureTexts texts = UserPictureTexts(&user);
  const std::string_view chosen = picture != nullptr ? std::string_view(picture) : std::string_view(user.shortDate);
  return FormatPicture(PictureKind::kDate, chosen, moment, texts, out, outSize);
}

int GetTimeFormat(LCID /*locale*/, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out,
                  int outSize) {
  if (flags != 0) return 0;
  const SYSTEMTIME moment = time != nullptr ? *time : LocalNow();
  if (!ValidTime(moment)) return 0;
  const PictureTexts texts = UserPictureTexts();
  std::string_view chosen;
  if (picture != nullptr) chosen = picture;
  else chosen = CurrentLocaleSettings().twelveHourClock ? "h:mm:ss tt" : "HH:mm:ss";
  return FormatPicture(PictureKind::kTime, chosen, moment, texts, out, outSize);
}

BOOL EnumDateFormats(DATEFMT_ENUMPROC callback, LCID /*locale*/, DWORD flags) {
  if (callback == nullptr || flags != DATE_SHORTDATE) return 0;
  const std::string user = ReadUserDateSettings().shortDate;
  const std::string derived = CurrentLocaleSettings().shortDate;
  for (const std::string* picture : {&user, &derived}) {
    if (picture == &derived && derived == user) break;
    char buffer[MAX_PATH] = {};
    std::strncpy(buffer, picture->c_str(), MAX_PATH - 1);
    if (!callback(buffer)) break;
  }
  return 1;
}

}  // namespace ossen
