// The date editor's parsers: the dates and times a person may type, with the pictures
// M/d/yy, d.M.yyyy and dd.MM.yyyy, two-digit years read in the 1900s and in the 2000s, and
// the tokenizer underneath.
#include "book/date_parse.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/win32/date_format.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

struct Date {
  int year, month, day;
  bool operator==(const Date&) const = default;
};

// The date read, or {0, 0, 0} when refused; a refused date must leave the moment alone.
Date Read(const char* text, const char* picture, char separator, int currentYear = 2026) {
  SYSTEMTIME moment{};
  moment.wYear = 7;
  moment.wMonth = 7;
  moment.wDay = 7;
  if (ParseDate(text, picture, separator, currentYear, moment) != 0) {
    EXPECT_TRUE(moment.wYear == 7 && moment.wMonth == 7 && moment.wDay == 7) << text;
    return {0, 0, 0};
  }
  return {moment.wYear, moment.wMonth, moment.wDay};
}

constexpr Date kRefused{0, 0, 0};

TEST(NextToken, TakesTokensAndOneDelimiterCharacterEach) {
  std::string source = " 12 / 25/99 ";
  EXPECT_EQ(NextToken(source, "/"), "12");
  EXPECT_EQ(source, " 25/99 ");
  EXPECT_EQ(NextToken(source, "/"), "25");
  EXPECT_EQ(NextToken(source, "/"), "99");
  EXPECT_EQ(source, "");
  // An exhausted source goes on giving empty tokens.
  EXPECT_EQ(NextToken(source, "/"), "");
  EXPECT_EQ(NextToken(source, "/"), "");

  std::string empties = "//5";
  EXPECT_EQ(NextToken(empties, "/"), "");
  EXPECT_EQ(NextToken(empties, "/"), "");
  EXPECT_EQ(NextToken(empties, "/"), "5");

  // A longer delimiter is found as a whole, but only its first character is removed.
  std::string wide = "1--2";
  EXPECT_EQ(NextToken(wide, "--"), "1");
  EXPECT_EQ(wide, "-2");

  // Without a delimiter in the text the whole text is the token.
  std::string whole = "\t31\n";
  EXPECT_EQ(NextToken(whole, "."), "31");
  EXPECT_EQ(whole, "");

  // An empty delimiter is found at the front: each token is empty and eats one character.
  std::string nothing = "ab";
  EXPECT_EQ(NextToken(nothing, ""), "");
  EXPECT_EQ(nothing, "b");
}

TEST(NextNumber, ReadsLeadingDigitsWithSignAndSaturates) {
  std::string source = "  -12abc/+7/x9/ 0012 /99999999999999999999/-99999999999";
  EXPECT_EQ(NextNumber(source, "/"), -12);
  EXPECT_EQ(NextNumber(source, "/"), 7);
  EXPECT_EQ(NextNumber(source, "/"), 0);
  EXPECT_EQ(NextNumber(source, "/"), 12);
  EXPECT_EQ(NextNumber(source, "/"), INT_MAX);
  EXPECT_EQ(NextNumber(source, "/"), INT_MIN);
  EXPECT_EQ(NextNumber(source, "/"), 0);
}

TEST(ParseDate, MonthDayYearPicture) {
  // The clock in 1999, so that 99 is a year that can be typed.
  EXPECT_EQ(Read("12/25/99", "M/d/yy", '/', 1999), (Date{1999, 12, 25}));
  // 30 February passes here; making the moment carries it into March.
  EXPECT_EQ(Read("2/30/99", "M/d/yy", '/', 1999), (Date{1999, 2, 30}));
  EXPECT_EQ(Read("13/1/99", "M/d/yy", '/', 1999), kRefused);
  EXPECT_EQ(Read("0/5/99", "M/d/yy", '/', 1999), kRefused);
  EXPECT_EQ(Read("1/32/99", "M/d/yy", '/', 1999), kRefused);
  EXPECT_EQ(Read("1/0/99", "M/d/yy", '/', 1999), kRefused);
  // A missing year reads as 0, the two-digit year 00.
  EXPECT_EQ(Read("12/25", "M/d/yy", '/'), (Date{2000, 12, 25}));
  EXPECT_EQ(Read("12", "M/d/yy", '/'), kRefused);
  EXPECT_EQ(Read("", "M/d/yy", '/'), kRefused);
  EXPECT_EQ(Read(" 1 / 2 / 2003 ", "M/d/yy", '/'), (Date{2003, 1, 2}));
  // The first-found picture of the window before discovery has doubled slashes.
  EXPECT_EQ(Read("7/4/21", "M//d//yy", '/'), (Date{2021, 7, 4}));
}

TEST(ParseDate, DayMonthYearPictures) {
  EXPECT_EQ(Read("05.11.2001", "d.M.yyyy", '.'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("05.11.2001", "dd.MM.yyyy", '.'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("31.12.2038", "dd.MM.yyyy", '.'), (Date{2038, 12, 31}));
  EXPECT_EQ(Read("1.13.2001", "d.M.yyyy", '.'), kRefused);
  // Typed with the wrong separator, the whole text is the day.
  EXPECT_EQ(Read("5/11/2001", "d.M.yyyy", '.'), kRefused);
}

TEST(ParseDate, FourDigitYearsOutsideTheRangeAreRefused) {
  EXPECT_EQ(Read("1/1/1969", "M/d/yy", '/'), kRefused);
  EXPECT_EQ(Read("1/1/1970", "M/d/yy", '/'), (Date{1970, 1, 1}));
  EXPECT_EQ(Read("12/31/2038", "M/d/yy", '/'), (Date{2038, 12, 31}));
  EXPECT_EQ(Read("1/1/2039", "M/d/yy", '/'), kRefused);
  EXPECT_EQ(Read("1.1.99999", "d.M.yyyy", '.'), kRefused);
}

TEST(ParseDate, TwoDigitYearsFollowTheCurrentCentury) {
  for (int typed = 0; typed <= 99; ++typed) {
    const std::string text = "1/1/" + std::to_string(typed);
    const Date in1900s = Read(text.c_str(), "M/d/yy", '/', 1998);
    const Date in2000s = Read(text.c_str(), "M/d/yy", '/', 2026);
    if (typed >= 70) {
      EXPECT_EQ(in1900s.year, 1900 + typed) << typed;
    } else if (typed <= 38) {
      EXPECT_EQ(in1900s.year, 2000 + typed) << typed;
    } else {
      EXPECT_EQ(in1900s, kRefused) << typed;
    }
    if (typed <= 38) {
      EXPECT_EQ(in2000s.year, 2000 + typed) << typed;
    } else {
      EXPECT_EQ(in2000s, kRefused) << typed;
    }
  }
  // The same rule with the year read from a day.month.year picture.
  EXPECT_EQ(Read("24.12.85", "dd.MM.yyyy", '.', 1990), (Date{1985, 12, 24}));
  EXPECT_EQ(Read("24.12.85", "dd.MM.yyyy", '.', 2026), kRefused);
}

TEST(ParseDate, ReadingOrderFollowsThePicture) {
  EXPECT_EQ(Read("2001-11-05", "yyyy-MM-dd", '-'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("2001-05-11", "yyyy-dd-MM", '-'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("05-2001-11", "dd-yyyy-MM", '-'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("11-2001-05", "MM-yyyy-dd", '-'), (Date{2001, 11, 5}));
  // Letters in any case; a missing letter counts as standing first, so a picture without
  // a year reads year, day, month.
  EXPECT_EQ(Read("01.5.11", "DD.mm", '.'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("5.11", "DD.mm", '.'), kRefused);
  // A picture of letters only is split at its first character, upper-cased.
  EXPECT_EQ(Read("5D11D01", "dMy", '/'), (Date{2001, 11, 5}));
  EXPECT_EQ(Read("5d11d01", "dMy", '/'), kRefused);
  // Ties (two letters missing) read month, day, year.
  EXPECT_EQ(Read("3/4/05", "yyyy/", '/'), (Date{2005, 3, 4}));
  // An empty picture: every number is empty, so the date is refused without harm.
  EXPECT_EQ(Read("11/5/01", "", '/'), kRefused);
}

struct Time {
  int hour, minute;
  bool operator==(const Time&) const = default;
};

Time ReadTime(std::string text) {
  SYSTEMTIME moment{};
  moment.wSecond = 30;
  moment.wMilliseconds = 500;
  EXPECT_EQ(ParseTime(text, moment), 0);
  EXPECT_EQ(moment.wSecond, 0);
  EXPECT_EQ(moment.wMilliseconds, 0);
  return {static_cast<std::int16_t>(moment.wHour), static_cast<std::int16_t>(moment.wMinute)};
}

TEST(ParseTime, MarkersRemaindersAndMissingParts) {
  EXPECT_EQ(ReadTime("12:15 AM"), (Time{0, 15}));
  EXPECT_EQ(ReadTime("12:15 PM"), (Time{12, 15}));
  EXPECT_EQ(ReadTime("7:05 pm"), (Time{19, 5}));
  EXPECT_EQ(ReadTime("07:05 PM"), (Time{19, 5}));
  EXPECT_EQ(ReadTime("19:05"), (Time{19, 5}));
  EXPECT_EQ(ReadTime("7"), (Time{7, 0}));
  EXPECT_EQ(ReadTime("25:75"), (Time{1, 15}));
  // Without a colon a marker is ignored.
  EXPECT_EQ(ReadTime("7 PM"), (Time{7, 0}));
  EXPECT_EQ(ReadTime("30"), (Time{6, 0}));
  EXPECT_EQ(ReadTime(""), (Time{0, 0}));
  EXPECT_EQ(ReadTime(":"), (Time{0, 0}));
  // A marker before the colon leaves no minute text.
  EXPECT_EQ(ReadTime("PM 7:05"), (Time{12, 0}));
  // Negative numbers keep their sign through the remainders.
  EXPECT_EQ(ReadTime("-5:-70"), (Time{-5, -10}));
  EXPECT_EQ(ReadTime("-25"), (Time{-1, 0}));
}

TEST(ParseTime, UpperCasesTheTextInPlace) {
  std::string text = "7:05 pm";
  SYSTEMTIME moment{};
  ParseTime(text, moment);
  EXPECT_EQ(text, "7:05 PM");
}

// What the fields show reads back as the same moment: the time with "hh:mm tt" whatever
// markers user.reg holds, the date with each numeric picture.
TEST(DateFields, ShownTextReadsBackAsTheSameMoment) {
  testing::TempPrefix prefix;
  for (const auto& [am, pm] : {std::pair<const char*, const char*>{"", ""}, {"vorm.", "nachm."}, {"am", "pm"}}) {
    RegWriteString(HKEY_CURRENT_USER, kInternationalKeyPath, kAmMarkerValue, am);
    RegWriteString(HKEY_CURRENT_USER, kInternationalKeyPath, kPmMarkerValue, pm);
    for (int hour = 0; hour < 24; ++hour) {
      for (int minute : {0, 5, 59}) {
        SYSTEMTIME shown{};
        shown.wHour = static_cast<WORD>(hour);
        shown.wMinute = static_cast<WORD>(minute);
        char text[MAX_PATH];
        ASSERT_GT(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &shown, "hh:mm tt", text, sizeof text), 0);
        EXPECT_EQ(ReadTime(text), (Time{hour, minute})) << text << " with " << am << "/" << pm;
      }
    }
  }
  for (const char* picture : {"M/d/yy", "d.M.yyyy", "dd.MM.yyyy", "yyyy-MM-dd"}) {
    const char separator = picture[std::string_view(picture).find_first_of("/.-")];
    for (int year = 2000; year <= 2038; year += 7) {
      for (int month = 1; month <= 12; month += 5) {
        SYSTEMTIME shown{};
        shown.wYear = static_cast<WORD>(year);
        shown.wMonth = static_cast<WORD>(month);
        shown.wDay = static_cast<WORD>(month * 2);
        char text[MAX_PATH];
        ASSERT_GT(GetDateFormat(LOCALE_USER_DEFAULT, 0, &shown, picture, text, sizeof text), 0);
        EXPECT_EQ(Read(text, picture, separator), (Date{year, month, month * 2})) << text;
      }
    }
  }
}

}  // namespace
}  // namespace ossen
