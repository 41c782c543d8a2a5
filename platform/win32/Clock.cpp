// The real and the manual clock, and the switch between them.

#include "platform/win32/Clock.h"
#include "platform/win32/CivilDate.h"

#include <algorithm>
// <chrono> itself cannot be compiled with a GBK execution character set (it holds a "µs" literal);
// <thread> and <condition_variable> bring the clocks and durations.
#include <ctime>
#include <thread>

namespace xj {
namespace {

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

using xj::DaysFromCivil;

void CivilFromMs(int64_t ms, SYSTEMTIME& st) {
  int64_t days = ms / 86400000, inDay = ms % 86400000;
  if (inDay < 0) {
    inDay += 86400000;
    --days;
  }
  int64_t y;
  unsigned m, d;
  xj::CivilFromDays(days, y, m, d);
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  st.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
  st.wHour = static_cast<WORD>(inDay / 3600000);
  st.wMinute = static_cast<WORD>(inDay / 60000 % 60);
  st.wSecond = static_cast<WORD>(inDay / 1000 % 60);
  st.wMilliseconds = static_cast<WORD>(inDay % 1000);
}

void FromTm(const std::tm& tm, long ns, SYSTEMTIME& st) {
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // a leap second shows as :59
  st.wMilliseconds = static_cast<WORD>(ns / 1000000);
}

std::atomic<Clock*> gInstalled { nullptr };
std::mutex gPumpLock;
ClockPump gPump;

ClockPump CopyPump() {
  std::lock_guard<std::mutex> lock(gPumpLock);
  return gPump;
}

RealClock& TheRealClock() {
  static RealClock clock;
  return clock;
}
// Start counting when the program starts, not at the first question.
[[maybe_unused]] const bool gRealClockStarted = (TheRealClock(), true);

}  // namespace

// ---- Real clock -----------------------------------------------------------------------------------

RealClock::RealClock() : FStartNs(SteadyNs()) {}

uint64_t RealClock::Milliseconds() { return static_cast<uint64_t>((SteadyNs() - FStartNs) / 1000000); }

void RealClock::LocalTime(SYSTEMTIME& st) {
  timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm {};
  localtime_r(&ts.tv_sec, &tm);
  FromTm(tm, ts.tv_nsec, st);
}

void RealClock::SystemTime(SYSTEMTIME& st) {
  timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm {};
  gmtime_r(&ts.tv_sec, &tm);
  FromTm(tm, ts.tv_nsec, st);
}

void RealClock::Sleep(DWORD ms) {
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// ---- Manual clock -----------------------------------------------------------------------------------

ManualClock::ManualClock(uint64_t ticks)
    : FNow(ticks), FStartTicks(ticks), FStartMs(DaysFromCivil(2000, 1, 1) * 86400000) {}

void ManualClock::LocalTime(SYSTEMTIME& st) {
  std::lock_guard<std::mutex> lock(FStartLock);
  CivilFromMs(FStartMs + static_cast<int64_t>(FNow.load() - FStartTicks), st);
}

void ManualClock::SetLocalTime(const SYSTEMTIME& st) {
  std::lock_guard<std::mutex> lock(FStartLock);
  FStartTicks = FNow.load();
  FStartMs = DaysFromCivil(st.wYear, st.wMonth, st.wDay) * 86400000 + st.wHour * 3600000LL + st.wMinute * 60000LL +
             st.wSecond * 1000LL + st.wMilliseconds;
}

void ManualClock::Set(uint64_t ticks) { FNow.store(ticks); }

void ManualClock::Jump(uint64_t ms) {
  FNow.fetch_add(ms);
  std::this_thread::yield();  // a thread sleeping in a loop lets the others run
}

void ManualClock::Advance(uint64_t ms) {
  const ClockPump pump = CopyPump();
  const uint64_t target = FNow.load() + ms;
  if (!pump.Pump) {
    FNow.store(target);
    return;
  }
  // Pump at each due time in order. A timer that is still due right after a pump at the same instant
  // is taken 1 ms later, so time always moves on.
  bool pumpedNow = false;
  for (;;) {
    const std::optional<uint64_t> due = pump.NextDue ? pump.NextDue() : std::nullopt;
    if (!due) break;
    const uint64_t now = FNow.load();
    const uint64_t step = std::max(*due, now + (pumpedNow ? 1 : 0));
    if (step > target) break;
    if (step != now) FNow.store(step);
    pump.Pump();
    pumpedNow = true;
  }
  FNow.store(target);
  pump.Pump();
}

// ---- The switch -------------------------------------------------------------------------------------

void SetClockPump(ClockPump pump) {
  std::lock_guard<std::mutex> lock(gPumpLock);
  gPump = std::move(pump);
}

Clock& CurrentClock() {
  Clock* installed = gInstalled.load();
  return installed ? *installed : TheRealClock();
}

Clock* SetClock(Clock* clock) { return gInstalled.exchange(clock); }

}  // namespace xj
