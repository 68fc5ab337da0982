// Date and time pictures: the picture language on fixed moments, the Win32 result rules
// (sizes, full buffers, impossible dates), the short date picture derived from the host's
// locale and kept in user.reg, and stored settings that cannot serve.
#include "platform/win32/date_format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

SYSTEMTIME Moment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  return time;
}

PictureTexts EnglishTexts() { return DeriveLocaleDateSettings("C").texts; }

std::string Format(PictureKind kind, std::string_view picture, const SYSTEMTIME& time,
                   const PictureTexts& texts = EnglishTexts()) {
  char out[1024];
  const int written = FormatPicture(kind, picture, time, texts, out, sizeof out);
  if (written == 0) return "<failed>";
  EXPECT_EQ(static_cast<std::size_t>(written), std::strlen(out) + 1);
  return out;
}

// Sets the locale variables for one test and puts the old ones back.
class LocaleEnvironment {
 public:
  LocaleEnvironment(const char* all, const char* time, const char* lang) {
    Set("LC_ALL", all);
    Set("LC_TIME", time);
    Set("LANG", lang);
  }
  ~LocaleEnvironment() {
    for (const Saved& saved : saved_) {
      if (saved.value) setenv(saved.name, saved.value->c_str(), 1);
      else unsetenv(saved.name);
    }
  }

 private:
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  };
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  std::vector<Saved> saved_;
};

std::string Stored(const char* name) {
  char buffer[MAX_PATH];
  return RegReadString(HKEY_CURRENT_USER, kInternationalKeyPath, name, buffer, sizeof buffer) ? buffer : "<absent>";
}

void Store(const char* name, const std::string& text) {
  ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kInternationalKeyPath, name, text.c_str()), 1);
}

std::string UserDate(const SYSTEMTIME& time) {
  char out[MAX_PATH];
  return GetDateFormat(LOCALE_USER_DEFAULT, 0, &time, nullptr, out, sizeof out) ? out : "<failed>";
}

std::string Time(const SYSTEMTIME& time, const char* picture = "hh:mm tt") {
  char out[MAX_PATH];
  return GetTimeFormat(LOCALE_USER_DEFAULT, 0, &time, picture, out, sizeof out) ? out : "<failed>";
}

TEST(FormatPicture, EveryDateAndTimeLetter) {
  const SYSTEMTIME friday = Moment(2027, 5, 7, 19, 5, 9);
  EXPECT_EQ(Format(PictureKind::kDate, "d dd ddd dddd M MM MMM MMMM y yy yyyy", friday),
            "7 07 Fri Friday 5 05 May May 27 27 2027");
  EXPECT_EQ(Format(PictureKind::kDate, "dddddd/MMMMM/yyy", friday), "Friday/May/2027");
  EXPECT_EQ(Format(PictureKind::kTime, "h hh H HH m mm s ss t tt", friday), "7 07 19 19 5 05 9 09 P PM");
  // Noon and midnight on the 12-hour clock.
  EXPECT_EQ(Format(PictureKind::kTime, "hh:mm tt", Moment(2027, 5, 7, 0, 15)), "12:15 AM");
  EXPECT_EQ(Format(PictureKind::kTime, "hh:mm tt", Moment(2027, 5, 7, 12, 15)), "12:15 PM");
  // The other kind's letters are copied as they are.
  EXPECT_EQ(Format(PictureKind::kTime, "HH d M y", friday), "19 d M y");
  EXPECT_EQ(Format(PictureKind::kDate, "d h m s t", friday), "7 h m s t");
  // Leap days and the year 2000's day of the week.
  EXPECT_EQ(Format(PictureKind::kDate, "dddd d MMMM yyyy", Moment(2000, 2, 29)), "Tuesday 29 February 2000");
  EXPECT_EQ(Format(PictureKind::kDate, "ddd yy", Moment(1601, 1, 1)), "Mon 01");
}

TEST(FormatPicture, QuotedText) {
  const SYSTEMTIME time = Moment(2027, 5, 7, 19, 5);
  EXPECT_EQ(Format(PictureKind::kDate, "'day' d, ''yy", time), "day 7, '27");
  EXPECT_EQ(Format(PictureKind::kTime, "HH 'o''clock'", time), "19 o'clock");
  EXPECT_EQ(Format(PictureKind::kDate, "d 'unclosed M", time), "7 unclosed M");
  EXPECT_EQ(Format(PictureKind::kDate, "''''", time), "''");
  EXPECT_EQ(Format(PictureKind::kDate, std::string(259, '\''), time), std::string(129, '\''));
  EXPECT_EQ(Format(PictureKind::kDate, "", time), "");
}

TEST(FormatPicture, ResultSizesAndFullBuffers) {
  const SYSTEMTIME time = Moment(2027, 12, 25);
  const PictureTexts texts = EnglishTexts();
  EXPECT_EQ(FormatPicture(PictureKind::kDate, "M/d/yyyy", time, texts, nullptr, 0), 11);
  char out[16];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(FormatPicture(PictureKind::kDate, "M/d/yyyy", time, texts, out, 11), 11);
  EXPECT_STREQ(out, "12/25/2027");
  EXPECT_EQ(out[11], 'x');
  // One character short: nothing is written past the buffer and the call fails.
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(FormatPicture(PictureKind::kDate, "M/d/yyyy", time, texts, out, 10), 0);
  EXPECT_EQ(out[10], 'x');
  EXPECT_EQ(FormatPicture(PictureKind::kDate, "M/d/yyyy", time, texts, nullptr, 11), 0);
  EXPECT_EQ(FormatPicture(PictureKind::kDate, "M/d/yyyy", time, texts, out, -1), 0);
}

TEST(GetDateFormat, RefusesImpossibleMomentsAndFlags) {
  testing::TempPrefix prefix;
  char out[64];
  SYSTEMTIME leap = Moment(2028, 2, 29);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0, &leap, "d.M.yyyy", out, sizeof out), 10);
  EXPECT_STREQ(out, "29.2.2028");
  for (const SYSTEMTIME& bad : {Moment(2027, 2, 29), Moment(2027, 13, 1), Moment(2027, 0, 1), Moment(2027, 4, 31),
                                Moment(2027, 4, 0), Moment(1600, 12, 31)}) {
    EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0, &bad, "d.M.yyyy", out, sizeof out), 0);
  }
  // The day of the week given is not trusted.
  leap.wDayOfWeek = 6;
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0, &leap, "ddd", out, sizeof out), 4);
  EXPECT_STREQ(out, "Tue");
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &leap, "d", out, sizeof out), 0);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0x40, &leap, nullptr, out, sizeof out), 0);
  // Without a moment: today, in the user's picture.
  EXPECT_GT(GetDateFormat(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, out, sizeof out), 6);

  SYSTEMTIME late = Moment(2027, 1, 1, 24, 0);
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &late, "HH:mm", out, sizeof out), 0);
  late = Moment(2027, 1, 1, 23, 60);
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &late, "HH:mm", out, sizeof out), 0);
  // The date fields do not matter to a time.
  late = Moment(0, 0, 0, 23, 59, 59);
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &late, "HH:mm:ss", out, sizeof out), 9);
  EXPECT_STREQ(out, "23:59:59");
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 1, &late, "HH:mm", out, sizeof out), 0);
}

TEST(ShortDatePicture, DerivedOnceFromTheHostLocaleAndStored) {
  const SYSTEMTIME time = Moment(2027, 3, 4, 19, 5);
  {
    testing::TempPrefix prefix;
    LocaleEnvironment locale("de_DE.UTF-8", nullptr, nullptr);
    EXPECT_EQ(UserDate(time), "04.03.2027");
    EXPECT_EQ(Stored(kShortDateValue), "dd.MM.yyyy");
    EXPECT_EQ(Stored(kAmMarkerValue), "AM");
    EXPECT_EQ(Stored(kPmMarkerValue), "PM");
    char out[64];
    ASSERT_GT(GetDateFormat(LOCALE_USER_DEFAULT, 0, &time, "dddd, d. MMMM", out, sizeof out), 0);
    EXPECT_STREQ(out, "Donnerstag, 4. M\xE4rz");
    // Once stored, the picture stays when the locale changes.
    LocaleEnvironment other("en_US.UTF-8", nullptr, nullptr);
    EXPECT_EQ(UserDate(time), "04.03.2027");
  }
  {
    testing::TempPrefix prefix;
    LocaleEnvironment locale(nullptr, "en_US.UTF-8", "de_DE.UTF-8");
    EXPECT_EQ(UserDate(time), "3/4/2027");
  }
  {
    testing::TempPrefix prefix;
    LocaleEnvironment locale("", "", "de_AT.UTF-8");
    EXPECT_EQ(Stored(kShortDateValue), "<absent>");
    EXPECT_EQ(UserDate(time), "04.03.2027");
  }
  for (const char* posix : {"C", "POSIX", "C.UTF-8"}) {
    testing::TempPrefix prefix;
    LocaleEnvironment locale(posix, nullptr, nullptr);
    EXPECT_EQ(UserDate(time), "3/4/27") << posix;
  }
  {
    // A locale whose names are not Latin-1 text: English names, numeric picture, AM and PM.
    testing::TempPrefix prefix;
    LocaleEnvironment locale("ru_RU.UTF-8", nullptr, nullptr);
    char out[64];
    ASSERT_GT(GetDateFormat(LOCALE_USER_DEFAULT, 0, &time, "MMMM", out, sizeof out), 0);
    EXPECT_STREQ(out, "March");
    EXPECT_EQ(Time(time), "07:05 PM");
    EXPECT_TRUE(UsableShortDatePicture(Stored(kShortDateValue)));
  }
}

TEST(ShortDatePicture, StoredPictureIsUsedWhenItCanServe) {
  testing::TempPrefix prefix;
  LocaleEnvironment locale("en_US.UTF-8", nullptr, nullptr);
  const SYSTEMTIME time = Moment(2027, 3, 4);
  Store(kShortDateValue, "yyyy-MM-dd");
  EXPECT_EQ(UserDate(time), "2027-03-04");

  static std::vector<std::string> seen;
  static bool goOn = true;
  seen.clear();
  goOn = true;
  const DATEFMT_ENUMPROC keep = [](char* format) -> BOOL {
    seen.push_back(format);
    return goOn;
  };
  EXPECT_TRUE(EnumDateFormats(keep, LOCALE_USER_DEFAULT, DATE_SHORTDATE));
  EXPECT_EQ(seen, (std::vector<std::string>{"yyyy-MM-dd", "M/d/yyyy"}));
  seen.clear();
  goOn = false;
  EXPECT_TRUE(EnumDateFormats(keep, LOCALE_USER_DEFAULT, DATE_SHORTDATE));
  EXPECT_EQ(seen, (std::vector<std::string>{"yyyy-MM-dd"}));
  EXPECT_FALSE(EnumDateFormats(keep, LOCALE_USER_DEFAULT, 2));
  EXPECT_FALSE(EnumDateFormats(nullptr, LOCALE_USER_DEFAULT, DATE_SHORTDATE));

  // Pictures that cannot serve fall back to the derived one and stay as stored.
  for (const std::string& bad : {std::string(), std::string(300, 'd'), std::string("'dMy' text"),
                                 std::string("ab/c"), std::string("d\x01M")}) {
    Store(kShortDateValue, bad);
    EXPECT_EQ(UserDate(time), "3/4/2027") << bad;
    EXPECT_EQ(Stored(kShortDateValue), bad.size() < MAX_PATH ? bad : "<absent>");
  }
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kInternationalKeyPath, kShortDateValue, 7), 1);
  EXPECT_EQ(UserDate(time), "3/4/2027");
}

TEST(TimeMarkers, NeverEmptyAndAlwaysReadBack) {
  testing::TempPrefix prefix;
  LocaleEnvironment locale("de_DE.UTF-8", nullptr, nullptr);
  const SYSTEMTIME evening = Moment(2027, 3, 4, 19, 5);
  EXPECT_EQ(Time(evening), "07:05 PM");
  Store(kAmMarkerValue, "");
  Store(kPmMarkerValue, "");
  EXPECT_EQ(Time(evening), "07:05 PM");
  Store(kAmMarkerValue, "vorm.");
  Store(kPmMarkerValue, "nachm.");
  EXPECT_EQ(Time(evening), "07:05 PM");
  Store(kAmMarkerValue, "am");
  Store(kPmMarkerValue, "pm");
  EXPECT_EQ(Time(evening), "07:05 pm");
  EXPECT_EQ(Time(Moment(2027, 3, 4, 7, 5), "h:mm t"), "7:05 a");

  EXPECT_FALSE(UsableTimeMarkers("AM", ""));
  EXPECT_FALSE(UsableTimeMarkers("AMPM", "PM"));
  EXPECT_FALSE(UsableTimeMarkers("AM", "P.M."));
  EXPECT_FALSE(UsableTimeMarkers("A:M", "PM"));
  EXPECT_FALSE(UsableTimeMarkers(std::string(16, 'A') + "M", "PM"));
  EXPECT_TRUE(UsableTimeMarkers("a.m. AM", "Pm"));
}

}  // namespace
}  // namespace ossen
