// AnsiString helpers, the process-wide random generator and the floating-point guard.

#include "platform/vcl/System.h"

#include "platform/vcl/SysUtils.h"
#include "platform/win32/Clock.h"
#include "platform/win32/WinBase.h"

AnsiString Copy(const AnsiString& s, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > Length(s)) return AnsiString();
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

int Pos(const AnsiString& sub, const AnsiString& s) {
  if (sub.empty()) return 0;
  const size_t at = s.find(sub);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

void Delete(AnsiString& s, int index, int count) {
  if (index < 1 || index > Length(s) || count <= 0) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const AnsiString& source, AnsiString& s, int index) {
  if (index < 1) index = 1;
  if (index > Length(s)) index = Length(s) + 1;
  s.insert(static_cast<size_t>(index - 1), source);
}

void SetLength(AnsiString& s, int newLength) { s.resize(newLength < 0 ? 0 : static_cast<size_t>(newLength), '\0'); }

AnsiString StringOfChar(char ch, int count) {
  return count > 0 ? AnsiString(static_cast<size_t>(count), ch) : AnsiString();
}

namespace xj {
void RaiseInvalidOp(const char* what) { throw EInvalidOp(AnsiString("Invalid floating point operation in ") + what); }
}  // namespace xj

uint32_t RandSeed = 0;

namespace {
uint32_t NextRandSeed() {
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}
}  // namespace

int Random(int range) {
  const uint64_t state = NextRandSeed();
  return static_cast<int>(static_cast<uint32_t>((state * static_cast<uint32_t>(range)) >> 32));
}

Extended Random() { return static_cast<Extended>(NextRandSeed()) / 4294967296.0L; }

void Randomize() {
  SYSTEMTIME st;
  xj::CurrentClock().SystemTime(st);
  RandSeed = static_cast<uint32_t>(xj::CurrentClock().Milliseconds() * 1000003u) ^
             ((st.wHour * 3600u + st.wMinute * 60u + st.wSecond) * 1000u + st.wMilliseconds);
}
