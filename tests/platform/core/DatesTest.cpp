// Serial dates, their text forms and the settings object.

#include <gtest/gtest.h>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/Clock.h"
#include "platform/win32/WinBase.h"

namespace {
struct Ymd {
  WORD y, m, d;
};
// Restores the default settings after a test that changed them.
struct SettingsGuard {
  ~SettingsGuard() { FormatSettings = TFormatSettings(); }
};
}  // namespace

TEST(Dates, SerialDayZeroIs18991230) {
  struct Case {
    Ymd date;
    double serial;
  } cases[] = { { { 1899, 12, 30 }, 0 },  { { 1899, 12, 31 }, 1 },      { { 1900, 1, 1 }, 2 },
                { { 1899, 12, 29 }, -1 }, { { 2000, 1, 1 }, 36526 },    { { 2024, 2, 29 }, 45351 },
                { { 1, 1, 1 }, -693593 }, { { 9999, 12, 31 }, 2958465 } };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.date.y, c.date.m, c.date.d), c.serial) << c.date.y << "-" << c.date.m << "-" << c.date.d;
    WORD y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y, c.date.y);
    EXPECT_EQ(m, c.date.m);
    EXPECT_EQ(d, c.date.d);
  }
}

TEST(Dates, InvalidDatesRaise) {
  const Ymd bad[] = { { 2023, 2, 29 }, { 1900, 2, 29 }, { 2100, 2, 29 }, { 0, 1, 1 },    { 10000, 1, 1 },
                      { 2000, 13, 1 }, { 2000, 0, 1 },  { 2000, 1, 0 },  { 2000, 4, 31 } };
  for (const Ymd& d : bad) {
    EXPECT_THROW(EncodeDate(d.y, d.m, d.d), EConvertError) << d.y << "-" << d.m << "-" << d.d;
    TDateTime out = 123;
    EXPECT_FALSE(TryEncodeDate(d.y, d.m, d.d, out));
  }
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(Dates, LeapYearsAndMonthDays) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(MonthDays[IsLeapYear(2024)][2], 29);
  EXPECT_EQ(MonthDays[IsLeapYear(2023)][2], 28);
  int total = 0;
  for (int m = 1; m <= 12; ++m) total += MonthDays[0][m];
  EXPECT_EQ(total, 365);
}

TEST(Dates, TimesAndDatesBeforeDayZero) {
  const TDateTime t = EncodeTime(12, 34, 56, 789);
  WORD h, n, s, ms;
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(n, 34);
  EXPECT_EQ(s, 56);
  EXPECT_EQ(ms, 789);
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(ms, 999);
  EXPECT_EQ(h, 23);

  // -1.25: the day before day 0, a quarter into the day.
  WORD y, m, d;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(y, 1899);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
}

TEST(Dates, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(0), 7);                             // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfWeek(1), 1);                             // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);        // Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5) + 0.9), 3);  // Tuesday, late in the day
  EXPECT_EQ(DayOfWeek(-1), 6);                            // Friday
}

TEST(Dates, FormatDateTimeTokens) {
  const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 12);
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
    { "yyyy", "2024" },
    { "yy", "24" },
    { "m", "3" },
    { "mm", "03" },
    { "mmm", "三月" },
    { "mmmm", "三月" },
    { "d", "5" },
    { "dd", "05" },
    { "ddd", "星期二" },
    { "dddd", "星期二" },
    { "h", "7" },
    { "hh", "07" },
    { "n", "8" },
    { "nn", "08" },
    { "s", "9" },
    { "ss", "09" },
    { "zzz", "012" },
    { "hh:mm", "07:08" },
    { "h:m", "7:8" },
    { "HH:NN:SS", "07:08:09" },
    { "yyyy/mm/dd", "2024-03-05" },
    { "'mm' mm", "mm 03" },
    { "\"d\"d", "d5" },
    { "yyyy年m月d日", "2024年3月5日" },
    { "\xB0\x6D", "\xB0\x6D" },
    { "ddddd", "2024-03-05" },
    { "x-y", "x-24" },
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, dt), c.expected) << c.format;
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", 0), "1899-12-30 00:00:00");
}

TEST(Dates, SettingsObjectDrivesTheTextForms) {
  SettingsGuard guard;
  const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0);
  EXPECT_EQ(DateToStr(dt), "2024-03-05");
  EXPECT_EQ(TimeToStr(dt), "7:08:09");
  // Tests may swap in an English table.
  const char* months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
  for (int i = 0; i < 12; ++i) ShortMonthNames[i] = months[i];
  ShortDateFormat = "dd/mm/yyyy";
  DateSeparator = '.';
  EXPECT_EQ(FormatDateTime("d mmm yyyy", dt), "5 Mar 2024");
  EXPECT_EQ(DateToStr(dt), "05.03.2024");
  EXPECT_EQ(StrToDate("05.03.2024"), EncodeDate(2024, 3, 5));
}

TEST(Dates, StrToDateFollowsTheShortDateFormat) {
  EXPECT_EQ(StrToDate("2024-03-05"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate(" 2024-3-5 "), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("24-03-05"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("99-1-1"), EncodeDate(1999, 1, 1));
  for (const char* bad :
       { "2024-02-30", "2024/03/05", "", "abc", "2024-03-05-01", "2024--05", "2024-03-", "12345-1-1" }) {
    try {
      StrToDate(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), AnsiString("'") + bad + "' is not a valid date");
    }
  }
  // Two numbers: month and day of the current year (the clock's).
  xj::ManualClock clock;
  xj::ScopedClock use(clock);
  EXPECT_EQ(StrToDate("3-5"), EncodeDate(2000, 3, 5));
}

TEST(Dates, NowDateAndTimeComeFromTheClock) {
  xj::ManualClock clock;
  xj::ScopedClock use(clock);
  SYSTEMTIME st { 2024, 2, 0, 28, 23, 59, 59, 500 };
  clock.SetLocalTime(st);
  clock.Jump(1000);
  EXPECT_EQ(Now(), EncodeDate(2024, 2, 29) + EncodeTime(0, 0, 0, 500));
  EXPECT_EQ(Date(), EncodeDate(2024, 2, 29));
  EXPECT_EQ(Time(), EncodeTime(0, 0, 0, 500));
}

TEST(GetTimeFormatA, UsesTheSettingsPictureAndWin32BufferRules) {
  SettingsGuard guard;
  const SYSTEMTIME st { 2024, 3, 2, 5, 7, 8, 9, 0 };
  char buffer[64];
  EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer), 8);
  EXPECT_STREQ(buffer, "7:08:09");
  EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, nullptr, 0), 8);
  EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  const SYSTEMTIME afternoon { 2024, 3, 2, 5, 13, 5, 0, 0 };
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &afternoon, "hh':'mm tt 'o''clock'", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "01:05 下午 o'clock");
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, "h t", buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "7 上");  // one 't' is the marker's first character, whole

  LongTimeFormat = "HH:mm";
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "07:08");

  const SYSTEMTIME bad { 2024, 3, 2, 5, 24, 0, 0, 0 };
  EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &bad, nullptr, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 1, &st, nullptr, buffer, sizeof buffer), 0);
}

TEST(GetTimeFormatA, WithoutATimeReadsTheClock) {
  xj::ManualClock clock;
  xj::ScopedClock use(clock);
  clock.SetLocalTime(SYSTEMTIME { 2024, 3, 2, 5, 21, 30, 15, 0 });
  char buffer[64];
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "21:30:15");
}
