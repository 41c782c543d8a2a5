// Serial dates (day 0 = 1899-12-30), their text forms, and the one settings object.

#include <cmath>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/CivilDate.h"
#include "platform/win32/Clock.h"
#include "platform/win32/WinBase.h"

TFormatSettings FormatSettings;

namespace {

xj::LocaleTimeFormat ProvideTimeFormat() {
  return { FormatSettings.LongTimeFormat, FormatSettings.TimeAMString, FormatSettings.TimePMString };
}
// GetTimeFormatA reads its picture and markers from the settings object.
[[maybe_unused]] const bool gTimeFormatProvided = (xj::SetLocaleTimeFormatProvider(&ProvideTimeFormat), true);

using xj::CivilFromDays;
using xj::DaysFromCivil;

constexpr int64_t kDay0 = DaysFromCivil(1899, 12, 30);

// A serial date-time as whole days (toward zero) and milliseconds into the day: before day 0 the
// day counts back while the fraction still gives the time of day.
struct Stamp {
  int64_t day = 0;
  int64_t ms = 0;
  bool valid = false;
};

Stamp ToStamp(TDateTime dt) {
  Stamp s;
  const long double total = std::nearbyint(static_cast<long double>(dt) * MSecsPerDay);
  if (!(std::fabs(total) < 1e17L)) return s;  // NaN, infinite or far outside the calendar
  const auto t = static_cast<int64_t>(total);
  s.day = t / MSecsPerDay;
  s.ms = (t < 0 ? -t : t) % MSecsPerDay;
  s.valid = true;
  return s;
}

void AppendPadded(AnsiString& out, int value, int width) {
  AnsiString digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) out.append(static_cast<size_t>(width) - digits.size(), '0');
  out += digits;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct DateParts {
  WORD year, month, day, hour, minute, second, msec;
  int dayOfWeek;  // 1 = Sunday
};

void FormatInto(AnsiString& out, const AnsiString& format, const DateParts& p, int depth);

// Quoted text, copied without its quotes; `q` is at the opening quote. Returns where the text after the
// closing quote starts (an unclosed quote runs to the end).
const char* AppendQuoted(AnsiString& out, const char* q, const char* end) {
  const char quote = *q++;
  while (q < end && *q != quote) {
    const int k = xj::GbkCharLength(q, end);
    out.append(q, static_cast<size_t>(k));
    q += k;
  }
  if (q < end) ++q;
  return q;
}

// "m" and "mm" right after an hour are the minutes; otherwise the month as a number, or its short or
// long name.
void AppendMonth(AnsiString& out, size_t run, const DateParts& p, bool afterHour) {
  if (afterHour && run <= 2)
    AppendPadded(out, p.minute, static_cast<int>(run));
  else if (run <= 2)
    AppendPadded(out, p.month, static_cast<int>(run));
  else
    out += (run == 3 ? FormatSettings.ShortMonthNames : FormatSettings.LongMonthNames)[p.month - 1];
}

// The day, the weekday's short or long name, or the short or long date format (not inside another).
void AppendDay(AnsiString& out, size_t run, const DateParts& p, int depth) {
  if (run <= 2)
    AppendPadded(out, p.day, static_cast<int>(run));
  else if (run == 3)
    out += FormatSettings.ShortDayNames[p.dayOfWeek - 1];
  else if (run == 4)
    out += FormatSettings.LongDayNames[p.dayOfWeek - 1];
  else if (depth == 0)
    FormatInto(out, run == 5 ? FormatSettings.ShortDateFormat : FormatSettings.LongDateFormat, p, 1);
}

// Appends a run of one character; true when the run was a date or time field.
bool AppendRun(AnsiString& out, const char* q, size_t run, const DateParts& p, bool afterHour, int depth) {
  switch (Lower(*q)) {
    case 'y':
      if (run <= 2)
        AppendPadded(out, p.year % 100, 2);
      else
        AppendPadded(out, p.year, 4);
      return true;
    case 'm':
      AppendMonth(out, run, p, afterHour);
      return true;
    case 'd':
      AppendDay(out, run, p, depth);
      return true;
    case 'h':
      AppendPadded(out, p.hour, run >= 2 ? 2 : 1);
      return true;
    case 'n':
      AppendPadded(out, p.minute, run >= 2 ? 2 : 1);
      return true;
    case 's':
      AppendPadded(out, p.second, run >= 2 ? 2 : 1);
      return true;
    case 'z':
      AppendPadded(out, p.msec, run >= 3 ? 3 : 1);
      return true;
    case '/':
      out.append(run, FormatSettings.DateSeparator);
      return false;
    case ':':
      out.append(run, FormatSettings.TimeSeparator);
      return false;
    default:
      out.append(q, run);
      return false;
  }
}

void FormatInto(AnsiString& out, const AnsiString& format, const DateParts& p, int depth) {
  const char* const begin = format.data();
  const char* const end = begin + format.size();
  bool afterHour = false;
  for (const char* q = begin; q < end;) {
    const int n = xj::GbkCharLength(q, end);
    if (n == 2) {  // a double-byte character is text, even when its trail byte looks like a token
      out.append(q, 2);
      q += 2;
      continue;
    }
    if (*q == '"' || *q == '\'') {
      q = AppendQuoted(out, q, end);
      continue;
    }
    const char c = Lower(*q);
    size_t run = 1;
    while (q + run < end && Lower(q[run]) == c) ++run;
    if (AppendRun(out, q, run, p, afterHour, depth)) afterHour = c == 'h';
    q += run;
  }
}

// The order of year, month and day in a date format, e.g. "ymd".
AnsiString FieldOrder(const AnsiString& format) {
  AnsiString order;
  bool quoted = false;
  char quote = 0;
  const char* const end = format.data() + format.size();
  for (const char* q = format.data(); q < end; q += xj::GbkCharLength(q, end)) {
    if (xj::GbkCharLength(q, end) == 2) continue;
    if (quoted) {
      quoted = *q != quote;
      continue;
    }
    if (*q == '"' || *q == '\'') {
      quoted = true;
      quote = *q;
      continue;
    }
    const char c = Lower(*q);
    if ((c == 'y' || c == 'm' || c == 'd') && order.find(c) == AnsiString::npos) order += c;
  }
  return order.size() == 3 ? order : AnsiString("ymd");
}

bool ParseDate(const AnsiString& text, TDateTime& date) {
  const AnsiString s = Trim(text);
  int numbers[3] = { 0, 0, 0 };
  int digitsOf[3] = { 0, 0, 0 };
  int count = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (count == 3) return false;
    if (count > 0) {
      if (s[i] != FormatSettings.DateSeparator) return false;
      ++i;
    }
    int digits = 0, value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 5) value = value * 10 + (s[i++] - '0'), ++digits;
    if (digits == 0 || digits > 4) return false;
    numbers[count] = value;
    digitsOf[count++] = digits;
  }
  AnsiString order = FieldOrder(FormatSettings.ShortDateFormat);
  int year = 0, month = 0, day = 0, yearDigits = 4;
  if (count == 2) {  // month and day of the current year
    order.erase(order.find('y'), 1);
    SYSTEMTIME now;
    xj::CurrentClock().LocalTime(now);
    year = now.wYear;
  } else if (count != 3) {
    return false;
  }
  for (int k = 0; k < count; ++k) {
    switch (order[static_cast<size_t>(k)]) {
      case 'y':
        year = numbers[k], yearDigits = digitsOf[k];
        break;
      case 'm':
        month = numbers[k];
        break;
      default:
        day = numbers[k];
        break;
    }
  }
  if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  return TryEncodeDate(static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(day), date);
}

DateParts PartsOf(TDateTime dt) {
  DateParts p {};
  DecodeDate(dt, p.year, p.month, p.day);
  DecodeTime(dt, p.hour, p.minute, p.second, p.msec);
  p.dayOfWeek = DayOfWeek(dt);
  if (p.month < 1) p.month = 1;  // a date outside the calendar still formats
  return p;
}

}  // namespace

const WORD MonthDays[2][13] = { { 0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 },
                                { 0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 } };

bool IsLeapYear(WORD year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > MonthDays[IsLeapYear(year)][month])
    return false;
  date = static_cast<TDateTime>(DaysFromCivil(year, month, day) - kDay0);
  return true;
}

bool TryEncodeTime(WORD hour, WORD min, WORD sec, WORD msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(WORD year, WORD month, WORD day) {
  TDateTime date = 0;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
  return date;
}

TDateTime EncodeTime(WORD hour, WORD min, WORD sec, WORD msec) {
  TDateTime time = 0;
  if (!TryEncodeTime(hour, min, sec, msec, time)) throw EConvertError("Invalid argument to time encode");
  return time;
}

void DecodeDate(TDateTime date, WORD& year, WORD& month, WORD& day) {
  const Stamp s = ToStamp(date);
  int64_t y = 0;
  unsigned m = 0, d = 0;
  if (s.valid) CivilFromDays(kDay0 + s.day, y, m, d);
  if (!s.valid || y < 1 || y > 9999) {
    year = month = day = 0;
    return;
  }
  year = static_cast<WORD>(y);
  month = static_cast<WORD>(m);
  day = static_cast<WORD>(d);
}

void DecodeTime(TDateTime time, WORD& hour, WORD& min, WORD& sec, WORD& msec) {
  const Stamp s = ToStamp(time);
  hour = static_cast<WORD>(s.ms / 3600000);
  min = static_cast<WORD>(s.ms / 60000 % 60);
  sec = static_cast<WORD>(s.ms / 1000 % 60);
  msec = static_cast<WORD>(s.ms % 1000);
}

int DayOfWeek(TDateTime date) {
  const Stamp s = ToStamp(date);
  // Day 0 (1899-12-30) was a Saturday.
  const int64_t k = ((s.day + 6) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(k) + 1;
}

namespace {
// The clock's local date and time of day, each exact (no subtraction of a whole date-time).
void ClockDateAndTime(TDateTime& date, TDateTime& time) {
  SYSTEMTIME st;
  xj::CurrentClock().LocalTime(st);
  date = time = 0;
  TryEncodeDate(st.wYear, st.wMonth, st.wDay, date);
  TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, time);
}
}  // namespace

TDateTime Now() {
  TDateTime date, time;
  ClockDateAndTime(date, time);
  return date + time;
}

TDateTime Date() {
  TDateTime date, time;
  ClockDateAndTime(date, time);
  return date;
}

TDateTime Time() {
  TDateTime date, time;
  ClockDateAndTime(date, time);
  return time;
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime dateTime) {
  AnsiString out;
  FormatInto(out, format, PartsOf(dateTime), 0);
  return out;
}

AnsiString DateToStr(TDateTime date) { return FormatDateTime(FormatSettings.ShortDateFormat, date); }

AnsiString TimeToStr(TDateTime time) { return FormatDateTime(FormatSettings.LongTimeFormat, time); }

bool TryStrToDate(const AnsiString& s, TDateTime& date) { return ParseDate(s, date); }

TDateTime StrToDate(const AnsiString& s) {
  TDateTime date = 0;
  if (!ParseDate(s, date)) throw EConvertError("'" + s + "' is not a valid date");
  return date;
}
