// Number conversions and Format.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/WinBase.h"

void Abort() { throw EAbort("Operation aborted"); }

// ---- Integers -------------------------------------------------------------------------------------

AnsiString IntToStr(int64_t value) { return std::to_string(value); }

namespace {

AnsiString Hex(uint64_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  AnsiString out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value);
  if (digits > 32) digits = 32;
  if (static_cast<int>(out.size()) < digits) out.insert(0, static_cast<size_t>(digits) - out.size(), '0');
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Optional sign; decimal within the 32-bit signed range, or '$'/"0x"/"0X" hex of up to 32 bits that
// wraps into the signed range.
bool ParseInt(const AnsiString& s, int& value) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
  for (; i < s.size(); ++i) {
    const int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (magnitude > limit) return false;
  }
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<int32_t>(bits);
  return true;
}

}  // namespace

AnsiString IntToHex(int64_t value, int digits) { return Hex(static_cast<uint64_t>(value), digits); }

bool TryStrToInt(const AnsiString& s, int& value) { return ParseInt(s, value); }

int StrToInt(const AnsiString& s) {
  int value = 0;
  if (!ParseInt(s, value)) throw EConvertError("'" + s + "' is not a valid integer value");
  return value;
}

int StrToIntDef(const AnsiString& s, int defaultValue) {
  int value = 0;
  return ParseInt(s, value) ? value : defaultValue;
}

// ---- Floating point ---------------------------------------------------------------------------------

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool ParseFloat(const AnsiString& s, Extended& value) {
  size_t i = 0, end = s.size();
  while (i < end && IsBlank(s[i])) ++i;
  while (end > i && IsBlank(s[end - 1])) --end;
  std::string text;  // the number in the C form from_chars reads
  if (i < end && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') text += '-';
    ++i;
  }
  size_t digits = 0;
  for (; i < end && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) text += s[i];
  if (i < end && s[i] == DecimalSeparator) {
    text += '.';
    for (++i; i < end && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) text += s[i];
  }
  if (digits == 0) return false;
  if (i < end && (s[i] == 'e' || s[i] == 'E')) {
    text += 'e';
    ++i;
    if (i < end && (s[i] == '+' || s[i] == '-')) text += s[i++];
    size_t expDigits = 0;
    for (; i < end && s[i] >= '0' && s[i] <= '9'; ++i, ++expDigits) text += s[i];
    if (expDigits == 0) return false;
  }
  if (i != end) return false;
  Extended parsed = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

// A finite value as significant decimal digits: value = 0.<digits> x 10^exp, no trailing zeros;
// zero has no digits.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exp = 0;
};

void StripTrailingZeros(DecimalDigits& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exp = 0;
}

DecimalDigits ToDigits(Extended value, int precision) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", precision - 1, std::fabs(value));
  for (const char* p = buffer; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  const char* e = std::strchr(buffer, 'e');
  d.exp = (e ? std::atoi(e + 1) : 0) + 1;
  StripTrailingZeros(d);
  if (d.digits.empty()) d.negative = false;
  return d;
}

// Keeps `keep` digits, rounding half up on the decimal digits.
void RoundDigits(DecimalDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
  } else {
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
      int k = keep - 1;
      while (k >= 0 && d.digits[static_cast<size_t>(k)] == '9') d.digits[static_cast<size_t>(k--)] = '0';
      if (k < 0) {
        d.digits.insert(d.digits.begin(), '1');
        ++d.exp;
      } else {
        ++d.digits[static_cast<size_t>(k)];
      }
    }
  }
  StripTrailingZeros(d);
  if (d.digits.empty()) d.negative = false;
}

char DigitAt(const DecimalDigits& d, int i) {
  return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
}

AnsiString Fixed(DecimalDigits d, int decimals, bool thousands) {
  RoundDigits(d, d.exp + decimals);
  AnsiString out = d.negative ? "-" : "";
  const int intDigits = d.exp > 0 ? d.exp : 1;
  for (int i = 0; i < intDigits; ++i) {
    const int index = d.exp > 0 ? i : d.exp - 1;  // before the point: the value's first exp digits
    out += DigitAt(d, index);
    const int left = intDigits - 1 - i;
    if (thousands && left > 0 && left % 3 == 0) out += ThousandSeparator;
  }
  if (decimals > 0) {
    out += DecimalSeparator;
    for (int i = 0; i < decimals; ++i) out += DigitAt(d, d.exp + i);
  }
  return out;
}

AnsiString ExponentPart(int exponent, int minDigits, bool plusSign) {
  AnsiString digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(digits.size()) < minDigits)
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  return AnsiString("E") + (exponent < 0 ? "-" : plusSign ? "+" : "") + digits;
}

AnsiString Scientific(const DecimalDigits& d, int shownDigits, int expDigits, bool plusSign) {
  AnsiString out = d.negative ? "-" : "";
  out += DigitAt(d, 0);
  if (shownDigits > 1) {
    out += DecimalSeparator;
    for (int i = 1; i < shownDigits; ++i) out += DigitAt(d, i);
  }
  return out + ExponentPart(d.digits.empty() ? 0 : d.exp - 1, expDigits, plusSign);
}

}  // namespace

bool TryStrToFloat(const AnsiString& s, Extended& value) { return ParseFloat(s, value); }

bool TryStrToFloat(const AnsiString& s, double& value) {
  Extended v = 0;
  if (!ParseFloat(s, v) || std::fabs(v) > 1.7976931348623157e308L) return false;
  value = static_cast<double>(v);
  return true;
}

Extended StrToFloat(const AnsiString& s) {
  Extended value = 0;
  if (!ParseFloat(s, value)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return value;
}

AnsiString FloatToStrF(Extended value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  precision = precision < 1 ? 1 : precision > 18 ? 18 : precision;
  const DecimalDigits d = ToDigits(value, precision);
  switch (format) {
    case ffExponent:
      return Scientific(d, precision, digits < 0 ? 0 : digits > 4 ? 4 : digits, true);
    case ffFixed:
    case ffNumber:
      if (d.exp > precision) return Scientific(d, precision, 0, true);
      return Fixed(d, digits < 0 ? 0 : digits > 18 ? 18 : digits, format == ffNumber);
    case ffGeneral:
    default:
      if (d.exp > precision || (!d.digits.empty() && d.exp < -4))
        return Scientific(d, static_cast<int>(d.digits.size()), digits < 0 ? 0 : digits > 4 ? 4 : digits, false);
      return Fixed(d, d.exp < static_cast<int>(d.digits.size()) ? static_cast<int>(d.digits.size()) - d.exp : 0, false);
  }
}

AnsiString FloatToStr(Extended value) { return FloatToStrF(value, ffGeneral, 15, 0); }

// ---- Format -------------------------------------------------------------------------------------

namespace {

class Formatter {
 public:
  Formatter(const AnsiString& format, const TVarRec* args, int count) : FFormat(format), FArgs(args), FCount(count) {}

  AnsiString Run() {
    while (FPos < FFormat.size()) {
      const char c = FFormat[FPos++];
      if (c != '%') {  // '%' is never the trail byte of a double-byte character
        FOut += c;
        continue;
      }
      if (Peek() == '%') {
        FOut += '%';
        ++FPos;
        continue;
      }
      Conversion();
    }
    return FOut;
  }

 private:
  [[noreturn]] void Fail() const {
    throw EConvertError("Format '" + FFormat + "' invalid or incompatible with argument");
  }

  char Peek() const { return FPos < FFormat.size() ? FFormat[FPos] : '\0'; }

  const TVarRec& NextArg() {
    if (FArgIndex < 0 || FArgIndex >= FCount) Fail();
    return FArgs[FArgIndex++];
  }

  // Digits or '*' (an integer argument).
  bool Number(int& value) {
    if (Peek() == '*') {
      ++FPos;
      const TVarRec& arg = NextArg();
      if (arg.VType != TVarRec::vtInteger) Fail();
      value = static_cast<int>(arg.VInt64);
      return true;
    }
    if (Peek() < '0' || Peek() > '9') return false;
    value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (FFormat[FPos++] - '0');
      if (value > 100000) Fail();
    }
    return true;
  }

  void Conversion() {
    int number = 0;
    bool haveNumber = Number(number);
    if (haveNumber && Peek() == ':') {
      ++FPos;
      FArgIndex = number;
      haveNumber = false;
    }
    bool leftAlign = false;
    if (!haveNumber && Peek() == '-') {
      leftAlign = true;
      ++FPos;
    }
    int width = -1, precision = -1;
    if (haveNumber)
      width = number;
    else if (Number(number))
      width = number;
    if (Peek() == '.') {
      ++FPos;
      if (!Number(precision)) precision = 0;
    }
    const char type = Peek();
    if (type == '\0') Fail();
    ++FPos;
    AnsiString text = Convert(static_cast<char>(type | 0x20), NextArg(), precision);
    if (width > static_cast<int>(text.size())) {
      const AnsiString pad(static_cast<size_t>(width) - text.size(), ' ');
      text = leftAlign ? text + pad : pad + text;
    }
    FOut += text;
  }

  static AnsiString Integer(bool negative, AnsiString digits, int precision) {
    if (precision > static_cast<int>(digits.size()))
      digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
    return negative ? "-" + digits : digits;
  }

  AnsiString Convert(char type, const TVarRec& arg, int precision) const {
    const bool integer = arg.VType == TVarRec::vtInteger || arg.VType == TVarRec::vtInt64;
    const uint64_t bits =
        arg.VType == TVarRec::vtInteger ? static_cast<uint32_t>(arg.VInt64) : static_cast<uint64_t>(arg.VInt64);
    switch (type) {
      case 'd': {
        if (!integer) Fail();
        const bool negative = arg.VInt64 < 0;
        const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(arg.VInt64) : static_cast<uint64_t>(arg.VInt64);
        return Integer(negative, std::to_string(magnitude), precision);
      }
      case 'u':
        if (!integer) Fail();
        return Integer(false, std::to_string(bits), precision);
      case 'x':
        if (!integer) Fail();
        return Hex(bits, precision);
      case 's': {
        if (arg.VType != TVarRec::vtString) Fail();
        if (precision < 0 || precision >= static_cast<int>(arg.VString.size())) return arg.VString;
        // Cut at a character boundary, never through a double-byte character.
        const char* p = arg.VString.data();
        const char* const end = p + arg.VString.size();
        const char* const limit = p + precision;
        while (p < limit && p + xj::GbkCharLength(p, end) <= limit) p += xj::GbkCharLength(p, end);
        return AnsiString(arg.VString.data(), p);
      }
      case 'f':
      case 'n':
        if (arg.VType != TVarRec::vtExtended) Fail();
        return FloatToStrF(arg.VExtended, type == 'f' ? ffFixed : ffNumber, 18, precision < 0 ? 2 : precision);
      case 'e':
        if (arg.VType != TVarRec::vtExtended) Fail();
        return FloatToStrF(arg.VExtended, ffExponent, precision < 0 ? 15 : precision, 3);
      case 'g':
        if (arg.VType != TVarRec::vtExtended) Fail();
        return FloatToStrF(arg.VExtended, ffGeneral, precision < 0 ? 15 : precision, 0);
      case 'p':
        if (arg.VType != TVarRec::vtPointer) Fail();
        return Hex(reinterpret_cast<uintptr_t>(arg.VPointer), 2 * static_cast<int>(sizeof(void*)));
      default:
        Fail();
    }
  }

  const AnsiString& FFormat;
  const TVarRec* FArgs;
  int FCount;
  size_t FPos = 0;
  int FArgIndex = 0;
  AnsiString FOut;
};

}  // namespace

AnsiString FormatV(const AnsiString& format, const TVarRec* args, int count) {
  return Formatter(format, args, count).Run();
}

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args) {
  return FormatV(format, args.begin(), static_cast<int>(args.size()));
}
