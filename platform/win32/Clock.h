#pragma once
// The replaceable clock behind GetTickCount, GetTickCount64, GetLocalTime, GetSystemTime, Now, Sleep
// and the timer queue. The real clock counts milliseconds from program start on a monotonic source;
// the manual clock moves only when a test moves it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/win32/WinBase.h"

namespace xj {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds, 64-bit, never going backwards.
  virtual uint64_t Milliseconds() = 0;
  virtual void LocalTime(SYSTEMTIME& st) = 0;
  virtual void SystemTime(SYSTEMTIME& st) = 0;
  virtual void Sleep(DWORD ms) = 0;
  virtual bool IsManual() const { return false; }
};

class RealClock final : public Clock {
 public:
  RealClock();
  uint64_t Milliseconds() override;
  void LocalTime(SYSTEMTIME& st) override;
  void SystemTime(SYSTEMTIME& st) override;
  void Sleep(DWORD ms) override;

 private:
  int64_t FStartNs = 0;
};

// Time for tests. Its local time is the start date/time plus the milliseconds elapsed since Start
// was set; system time equals local time. Sleep jumps (no pumping), from any thread.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(uint64_t ticks = 0);

  uint64_t Milliseconds() override { return FNow.load(); }
  void LocalTime(SYSTEMTIME& st) override;
  void SystemTime(SYSTEMTIME& st) override { LocalTime(st); }
  void Sleep(DWORD ms) override { Jump(ms); }
  bool IsManual() const override { return true; }

  // Sets the tick count (no pumping); local time moves with it.
  void Set(uint64_t ticks);
  // Moves time forward without pumping, as a loop that stalled would see it.
  void Jump(uint64_t ms);
  // Moves time forward step by step: to each due time reported by the pump hook, pumping there, then
  // to the end, pumping once more. Without a pump hook it is Jump.
  void Advance(uint64_t ms);
  // The local time at the current tick count (default 2000-01-01 00:00:00.000).
  void SetLocalTime(const SYSTEMTIME& st);

 private:
  std::atomic<uint64_t> FNow;
  std::mutex FStartLock;
  uint64_t FStartTicks = 0;
  int64_t FStartMs = 0;  // local time at FStartTicks, in ms since 1970-01-01 (as UTC)
};

// How the message layer lets the manual clock drive it: the next due time of any timer (none: no
// timer), and "pump until idle now".
struct ClockPump {
  std::function<std::optional<uint64_t>()> NextDue;
  std::function<void()> Pump;
};
void SetClockPump(ClockPump pump);

// The clock in use (the real one unless a test installed another). The installed clock must outlive
// its installation; SetClock(nullptr) returns to the real clock. Returns the clock installed before
// (null for the real one).
Clock& CurrentClock();
Clock* SetClock(Clock* clock);

// Installs a clock for a scope and puts the previous one back.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock) : FPrevious(SetClock(&clock)) {}
  ~ScopedClock() { SetClock(FPrevious); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* FPrevious;
};

}  // namespace xj
