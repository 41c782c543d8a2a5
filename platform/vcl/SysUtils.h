#pragma once
// Exceptions and the utility routines of the runtime: conversions, formatting, text, file names, dates
// and the one settings object. Text is GBK; case rules touch ASCII letters only and never a byte inside
// a double-byte character.

#include <concepts>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <type_traits>

#include "platform/vcl/System.h"
#include "platform/win32/WinDef.h"

// ---- Format arguments ----------------------------------------------------------------------------

// One argument of Format, like the class library's array-of-const element.
struct TVarRec {
  enum Kind { vtInteger, vtInt64, vtExtended, vtString, vtPointer };

  template <std::integral T>
  TVarRec(T v) {
    if constexpr (sizeof(T) <= 4 && (std::is_signed_v<T> || sizeof(T) < 4)) {
      VType = vtInteger;
      VInt64 = static_cast<int32_t>(v);
    } else {
      VType = vtInt64;
      VInt64 = static_cast<int64_t>(v);
    }
  }
  TVarRec(double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(long double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(const char* s) : VType(vtString), VString(s ? s : "") {}
  TVarRec(const AnsiString& s) : VType(vtString), VString(s) {}
  TVarRec(const void* p) : VType(vtPointer), VPointer(p) {}

  Kind VType = vtInteger;
  int64_t VInt64 = 0;
  Extended VExtended = 0;
  AnsiString VString;
  const void* VPointer = nullptr;
};

// Conversions: %d, %u, %x (upper-case hex), %s, %f, %e, %g, %n, %p, %%, each as
// %[index:][-][width][.precision]type with '*' for width or precision taken from the arguments.
// %d/%u/%x: precision = minimum digits, zero-padded; %s: precision = maximum characters; width pads
// with blanks on the left ('-': on the right). A missing or mismatched argument raises EConvertError.
AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args);
AnsiString FormatV(const AnsiString& format, const TVarRec* args, int count);
template <class... A>
AnsiString Format(const AnsiString& format, const A&... args) {
  const TVarRec list[sizeof...(A) + 1] = { TVarRec(args)..., TVarRec(0) };
  return FormatV(format, list, static_cast<int>(sizeof...(A)));
}

// ---- Exceptions ------------------------------------------------------------------------------------

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString msg) : FMessage(std::move(msg)) {}
  template <class... A>
  static Exception CreateFmt(const AnsiString& format, const A&... args) {
    return Exception(Format(format, args...));
  }
  const AnsiString& Message() const { return FMessage; }
  void SetMessage(const AnsiString& m) { FMessage = m; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  AnsiString FMessage;
};

#define XJ_EXCEPTION(E, Base)                                        \
  class E : public Base {                                            \
   public:                                                           \
    using Base::Base;                                                \
    template <class... A>                                            \
    static E CreateFmt(const AnsiString& format, const A&... args) { \
      return E(Format(format, args...));                             \
    }                                                                \
  }

XJ_EXCEPTION(EAbort, Exception);
XJ_EXCEPTION(EConvertError, Exception);
XJ_EXCEPTION(EOutOfMemory, Exception);
XJ_EXCEPTION(EInvalidCast, Exception);
XJ_EXCEPTION(EInvalidOperation, Exception);
XJ_EXCEPTION(EZeroDivide, Exception);
XJ_EXCEPTION(EInOutError, Exception);
XJ_EXCEPTION(EInvalidOp, Exception);

// Raises the silent exception (EAbort, "Operation aborted").
[[noreturn]] void Abort();

// ---- Integer conversions ---------------------------------------------------------------------------

AnsiString IntToStr(int64_t value);
template <std::integral T>
AnsiString IntToStr(T value) {
  if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8) {
    return std::to_string(value);
  } else {
    return IntToStr(static_cast<int64_t>(value));
  }
}
// Upper-case hex with at least `digits` digits. A negative 32-bit value shows its 32-bit pattern.
AnsiString IntToHex(int64_t value, int digits);
template <std::integral T>
AnsiString IntToHex(T value, int digits) {
  if constexpr (sizeof(T) <= 4) {
    return IntToHex(static_cast<int64_t>(static_cast<uint32_t>(value)), digits);
  } else {
    return IntToHex(static_cast<int64_t>(value), digits);
  }
}

// Optional sign, then decimal digits, or '$' / "0x" / "0X" and hex digits (up to 32 bits, wrapping into
// the signed range: "$FFFFFFFF" is -1). No blanks. Anything else raises EConvertError
// "'%s' is not a valid integer value".
int StrToInt(const AnsiString& s);
int StrToIntDef(const AnsiString& s, int defaultValue);
bool TryStrToInt(const AnsiString& s, int& value);

// ---- Floating-point conversions ------------------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };

// Optional blanks, sign, digits with the settings' decimal separator, optional exponent. Anything
// else raises EConvertError "'%s' is not a valid floating point value".
Extended StrToFloat(const AnsiString& s);
bool TryStrToFloat(const AnsiString& s, Extended& value);
bool TryStrToFloat(const AnsiString& s, double& value);
// General format, 15 significant digits.
AnsiString FloatToStr(Extended value);
// precision = significant digits (at most 18); digits = decimals (ffFixed, ffNumber) or minimum
// exponent digits (ffGeneral, ffExponent). ffFixed falls back to ffExponent when the integer part
// has more than `precision` digits.
AnsiString FloatToStrF(Extended value, TFloatFormat format, int precision, int digits);

// ---- Text ------------------------------------------------------------------------------------------

// Remove bytes <= 32 from the ends (a GBK trail byte is never <= 32, so characters stay whole).
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

// ASCII letters only, never a byte inside a double-byte character.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);

// < 0, 0, > 0. The *Text forms fold ASCII letters (outside double-byte characters) and compare
// everything else by its GBK code; the *Str forms compare bytes.
int CompareStr(const AnsiString& a, const AnsiString& b);
int CompareText(const AnsiString& a, const AnsiString& b);
bool SameText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
typedef unsigned TReplaceFlags;
// Matches start only at character boundaries, so a pattern never matches across a double-byte
// character's bytes.
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags);

// ---- File names ------------------------------------------------------------------------------------

// Separators are '\', '/' and (after a drive) ':'; a '\' byte inside a double-byte character is not one.
// New separators are written as '/', the host's.
constexpr char PathDelim = '/';
AnsiString ExtractFilePath(const AnsiString& fileName);  // up to and with the last separator
AnsiString ExtractFileDir(const AnsiString& fileName);   // the same without the last separator
AnsiString ExtractFileName(const AnsiString& fileName);  // after the last separator
AnsiString ExtractFileExt(const AnsiString& fileName);   // from the last '.' of the name, with it
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& s);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s);
// Absolute, with "." and ".." resolved, relative names taken from the current directory, '/' only.
AnsiString ExpandFileName(const AnsiString& fileName);

bool FileExists(const AnsiString& fileName);  // a file, not a directory
bool DirectoryExists(const AnsiString& name);
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& dir);
// false (and the last error set) on failure.
bool DeleteFile(const AnsiString& fileName);
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);

// ---- Dates -----------------------------------------------------------------------------------------

// The one settings object, in GBK. Tests may assign another (an English table, say) and restore
// the defaults with `FormatSettings = TFormatSettings()`.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  AnsiString ShortDateFormat = "yyyy-mm-dd";
  AnsiString LongDateFormat = "yyyy'年'm'月'd'日'";
  AnsiString ShortTimeFormat = "H:mm";
  AnsiString LongTimeFormat = "H:mm:ss";
  AnsiString TimeAMString = "上午";
  AnsiString TimePMString = "下午";
  AnsiString ShortMonthNames[12] = { "一月", "二月", "三月", "四月", "五月",   "六月",
                                     "七月", "八月", "九月", "十月", "十一月", "十二月" };
  AnsiString LongMonthNames[12] = { "一月", "二月", "三月", "四月", "五月",   "六月",
                                    "七月", "八月", "九月", "十月", "十一月", "十二月" };
  AnsiString ShortDayNames[7] = { "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六" };
  AnsiString LongDayNames[7] = { "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六" };
};
extern TFormatSettings FormatSettings;
// The class library's names for the settings, bound to the one object.
inline char& DecimalSeparator = FormatSettings.DecimalSeparator;
inline char& ThousandSeparator = FormatSettings.ThousandSeparator;
inline char& DateSeparator = FormatSettings.DateSeparator;
inline char& TimeSeparator = FormatSettings.TimeSeparator;
inline AnsiString& ShortDateFormat = FormatSettings.ShortDateFormat;
inline AnsiString& LongDateFormat = FormatSettings.LongDateFormat;
inline AnsiString& ShortTimeFormat = FormatSettings.ShortTimeFormat;
inline AnsiString& LongTimeFormat = FormatSettings.LongTimeFormat;
inline AnsiString (&ShortMonthNames)[12] = FormatSettings.ShortMonthNames;
inline AnsiString (&LongMonthNames)[12] = FormatSettings.LongMonthNames;
inline AnsiString (&ShortDayNames)[7] = FormatSettings.ShortDayNames;
inline AnsiString (&LongDayNames)[7] = FormatSettings.LongDayNames;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

// Days per month, indexed [IsLeapYear(year)][month] with month 1..12 (index 0 unused).
extern const WORD MonthDays[2][13];
bool IsLeapYear(WORD year);

// Years 1..9999. EncodeDate/EncodeTime raise EConvertError on an invalid date or time.
TDateTime EncodeDate(WORD year, WORD month, WORD day);
TDateTime EncodeTime(WORD hour, WORD min, WORD sec, WORD msec);
bool TryEncodeDate(WORD year, WORD month, WORD day, TDateTime& date);
bool TryEncodeTime(WORD hour, WORD min, WORD sec, WORD msec, TDateTime& time);
void DecodeDate(TDateTime date, WORD& year, WORD& month, WORD& day);
void DecodeTime(TDateTime time, WORD& hour, WORD& min, WORD& sec, WORD& msec);
// Sunday = 1 .. Saturday = 7.
int DayOfWeek(TDateTime date);

// From the current clock's local time.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Tokens (any case): yyyy yy m mm mmm mmmm d dd ddd dddd h hh n nn s ss zzz; m/mm right after h/hh
// mean minutes; '/' and ':' become the settings' separators; "..." and '...' are literal text.
AnsiString FormatDateTime(const AnsiString& format, TDateTime dateTime);
AnsiString DateToStr(TDateTime date);  // ShortDateFormat
AnsiString TimeToStr(TDateTime time);  // LongTimeFormat
// Three numbers separated by the date separator, in the order of ShortDateFormat (y, m, d); a
// two-digit year means 2000-2099 (00-49) or 1950-1999. Raises EConvertError "'%s' is not a valid date".
TDateTime StrToDate(const AnsiString& s);
bool TryStrToDate(const AnsiString& s, TDateTime& date);
