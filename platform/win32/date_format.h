// Date and time pictures: the Win32 national-language calls that turn a calendar moment
// into text, and the user's short date picture.
//
// Picture language: d dd ddd dddd (day, two digits, short and long day name), M MM MMM MMMM
// (month likewise), y yy yyyy (year without century, two digits, whole), h hh (12-hour
// clock), H HH (24-hour clock), m mm, s ss, t tt (first character or whole of the time
// marker). Text in single quotes is copied as it is, '' is one quote; every other
// character is copied. Date pictures take only the date letters, time pictures only the
// time letters; the other letters are copied.
//
// The user's settings live in HKEY_CURRENT_USER\Control Panel\International: "sShortDate"
// (the short date picture), "s1159" and "s2359" (the morning and afternoon markers). What
// is missing there is derived once from the host's locale (LC_ALL, else LC_TIME, else
// LANG) and stored, so a person can change it in user.reg. The stored texts are taken only
// when they can serve (see UsableShortDatePicture and UsableTimeMarkers); otherwise the
// derived ones are used and the stored ones are left as they are. Day and month names come
// from the host's locale (English where its names are not single-byte Latin-1 text).
//
// There is one locale on this host: every locale id names the user's settings.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace ossen {

using LCID = DWORD;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr DWORD DATE_SHORTDATE = 1;

inline constexpr char kInternationalKeyPath[] = "Control Panel\\International";
inline constexpr char kShortDateValue[] = "sShortDate";
inline constexpr char kAmMarkerValue[] = "s1159";
inline constexpr char kPmMarkerValue[] = "s2359";

// A stored picture longer than this is not taken.
inline constexpr int kMaxDatePictureChars = 79;
// Nor a time marker longer than this.
inline constexpr int kMaxTimeMarkerChars = 15;

// Writes `time` (null: the local time now) by `picture` (null: the user's short date
// picture; `flags` must then be 0 or DATE_SHORTDATE, and 0 with a picture). Returns the
// number of characters written with the terminator; with outSize 0, the number needed and
// nothing written; 0 when the buffer is too small, the date is not a real one (month 1..12,
// day within the month, year 1601..30827) or the flags are not understood. The day of the
// week is worked out from the date.
int GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out, int outSize);

// The same for the time of day (hour 0..23, minute and second 0..59, milliseconds 0..999;
// the date fields are not looked at). A null picture is "h:mm:ss tt" where the host's
// locale reads a 12-hour clock, else "HH:mm:ss". `flags` must be 0.
int GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char* picture, char* out, int outSize);

// Hands each short date picture to `callback` (a buffer of MAX_PATH characters it may
// change), the user's own first, then the one derived from the locale when it differs,
// until the callback returns FALSE. FALSE for a null callback or flags other than
// DATE_SHORTDATE.
using DATEFMT_ENUMPROC = BOOL (*)(char* format);
BOOL EnumDateFormats(DATEFMT_ENUMPROC callback, LCID locale, DWORD flags);

// ---- The pieces underneath, for tests and the fuzz targets ----

// What a picture may name besides numbers. Texts are single-byte.
struct PictureTexts {
  std::array<std::string, 7> dayNames;  // Sunday first
  std::array<std::string, 7> shortDayNames;
  std::array<std::string, 12> monthNames;  // January first
  std::array<std::string, 12> shortMonthNames;
  std::string am = "AM";
  std::string pm = "PM";
};

// Writes the picture for a moment; the Win32 result rules and moment checks above.
enum class PictureKind { kDate, kTime };
int FormatPicture(PictureKind kind, std::string_view picture, const SYSTEMTIME& time, const PictureTexts& texts,
                  char* out, int outSize);

// The host's locale name for dates: LC_ALL, else LC_TIME, else LANG, else "C".
std::string HostTimeLocaleName();

// The settings a locale name gives: its numeric short date picture (a four-digit year; "M/d/yy"
// for C and POSIX; "M/d/yyyy" for a locale whose own picture is not plainly numeric), its
// names and its markers (AM and PM where it has none that fit).
struct LocaleDateSettings {
  std::string shortDate;
  PictureTexts texts;
  bool twelveHourClock = false;  // its own time picture has a marker
};
LocaleDateSettings DeriveLocaleDateSettings(const std::string& localeName);

// A stored short date picture serves when it is 1..79 characters without control
// characters and names at least one of d, M or y outside quotes.
bool UsableShortDatePicture(std::string_view picture);
// Markers serve when neither is empty, longer than 15 characters or holds a control
// character or a colon, and a time written "hh:mm tt" with them reads back the same:
// the morning marker holds "AM" but not "PM", the afternoon one "PM" (any case).
bool UsableTimeMarkers(std::string_view am, std::string_view pm);

// The user's short date picture and markers, deriving and storing what is missing.
struct UserDateSettings {
  std::string shortDate;
  std::string am;
  std::string pm;
};
UserDateSettings ReadUserDateSettings();

}  // namespace ossen
