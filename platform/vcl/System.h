#pragma once
// The runtime's basic types: AnsiString (GBK bytes), TObject with its class identity, and the
// Pascal-style helpers the code relies on.

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

typedef std::string AnsiString;

class TObject;

// A class's identity at run time: its name and its parent. The property registry (TypInfo.h)
// hangs its tables off this record.
struct TMetaClass {
  const char* Name;
  const TMetaClass* Parent;

  bool InheritsFrom(const TMetaClass* c) const {
    for (const TMetaClass* p = this; p; p = p->Parent)
      if (p == c) return true;
    return false;
  }
};
typedef const TMetaClass* TClass;

// Place at the top of every class derived from TObject that needs its own class identity.
#define XJ_CLASS(T, Base)                                     \
 public:                                                      \
  static TClass StaticClass() {                               \
    static const TMetaClass meta { #T, Base::StaticClass() }; \
    return &meta;                                             \
  }                                                           \
  TClass ClassType() const override { return StaticClass(); }

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass() {
    static const TMetaClass meta { "TObject", nullptr };
    return &meta;
  }
  virtual TClass ClassType() const { return StaticClass(); }
  AnsiString ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  template <class T>
  bool Is() const {
    return InheritsFrom(T::StaticClass());
  }
};

// Frees the object (null is fine) and clears the reference, so nothing dangles.
template <class T>
void FreeAndNil(T*& p) {
  T* q = p;
  p = nullptr;
  delete q;
}

// ---- AnsiString helpers (1-based, byte-indexed, like the class library's) ------------------------

inline int Length(const AnsiString& s) { return static_cast<int>(s.size()); }
// Index below 1 counts as 1; a count running past the end is cut; a negative count gives "".
AnsiString Copy(const AnsiString& s, int index, int count);
// 1-based position of the first occurrence of sub in s (byte search), 0 when absent or sub is empty.
int Pos(const AnsiString& sub, const AnsiString& s);
// Removes count bytes from index; an index outside 1..Length does nothing.
void Delete(AnsiString& s, int index, int count);
// Inserts source before index (below 1: at the start; past the end: appended).
void Insert(const AnsiString& source, AnsiString& s, int index);
// New bytes are zero; a negative length empties the string.
void SetLength(AnsiString& s, int newLength);
AnsiString StringOfChar(char ch, int count);

// ---- Numbers ------------------------------------------------------------------------------------

// The 80-bit extended type: 64-bit mantissa under x87, which some colour arithmetic depends on.
typedef long double Extended;
static_assert(std::numeric_limits<Extended>::digits == 64, "Extended must have a 64-bit mantissa (x86-64)");

namespace xj {
[[noreturn]] void RaiseInvalidOp(const char* what);
}

// Halves go to even (the default rounding mode); NaN and values outside Int64 raise EInvalidOp.
inline int64_t Round(Extended x) {
  const Extended r = std::nearbyint(x);
  if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) xj::RaiseInvalidOp("Round");
  return static_cast<int64_t>(r);
}
// Toward zero; NaN and values outside Int64 raise EInvalidOp.
inline int64_t Trunc(Extended x) {
  const Extended r = std::trunc(x);
  if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) xj::RaiseInvalidOp("Trunc");
  return static_cast<int64_t>(r);
}
inline Extended Int(Extended x) { return std::trunc(x); }
inline Extended Frac(Extended x) { return x - std::trunc(x); }
inline Extended Sqrt(Extended x) { return std::sqrt(x); }
inline int Abs(int x) { return x < 0 ? -x : x; }
inline int64_t Abs(int64_t x) { return x < 0 ? -x : x; }
inline Extended Abs(Extended x) { return std::fabs(x); }
inline double Abs(double x) { return std::fabs(x); }

// The process-wide generator: RandSeed starts at 0; each draw sets
// RandSeed = RandSeed * 134775813 + 1 (mod 2^32), then Random(n) = (RandSeed * n) >> 32 (unsigned).
// Not synchronised, like the original: draw from one thread.
extern uint32_t RandSeed;
int Random(int range);
// A draw in [0, 1): RandSeed / 2^32.
Extended Random();
// Seeds RandSeed from the clock.
void Randomize();

// ---- Dates ----------------------------------------------------------------------------------------

// Days since 1899-12-30 (day 0) plus the fraction of the day; before day 0 the integer part counts back
// and the fraction is still the time of day.
typedef double TDateTime;
