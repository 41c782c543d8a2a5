// Window timers, driven by the replaceable clock. A timer is never queued as a message: WM_TIMER is
// made when the queue has nothing else to give and the timer is due, so at most one tick is pending,
// a stalled loop sees one coalesced tick, and KillTimer drops whatever was due.

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/win32/WmInternal.h"

namespace xj::wm {

namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT interval;
  uint64_t due;
  TIMERPROC fn;
  uint64_t serial;  // order of (re)arming: among equally due timers the older fires first
};

struct TimerState : StatePart {
  std::vector<Timer> timers;
  uint64_t serial { 0 };
  UINT_PTR nextThreadTimer { 0x7FFF0000 };
};

TimerState& TS() { return Part<TimerState>(PartId::Timers); }

std::vector<Timer>& Timers() { return TS().timers; }

}  // namespace

bool NextTimer(HWND filter, MSG& out, bool remove) {
  auto& ts = Timers();
  if (ts.empty()) return false;  // an idle queue without timers does not read the clock
  uint64_t now = Now();
  Timer* best = nullptr;
  for (Timer& t : ts) {
    if (t.due > now) continue;
    if (t.hwnd && !FromHandle(t.hwnd)) continue;
    if (filter && t.hwnd != filter && !IsChild(filter, t.hwnd)) continue;
    if (!best || t.due < best->due || (t.due == best->due && t.serial < best->serial)) best = &t;
  }
  if (!best) return false;
  out = MSG {};
  out.hwnd = best->hwnd;
  out.message = WM_TIMER;
  out.wParam = best->id;
  out.lParam = (LPARAM)best->fn;
  if (remove) {
    best->due = now + best->interval;
    best->serial = ++TS().serial;
  }
  return true;
}

int64_t MsUntilNextTimer() {
  if (Timers().empty()) return -1;
  uint64_t now = Now();
  int64_t best = -1;
  for (const Timer& t : Timers()) {
    if (t.hwnd && !FromHandle(t.hwnd)) continue;
    int64_t d = t.due <= now ? 0 : (int64_t)(t.due - now);
    if (best < 0 || d < best) best = d;
  }
  return best;
}

// The earliest due time of any live timer, for the harness's stepping clock; false when none.
bool NextTimerDue(uint64_t& due) {
  bool any = false;
  for (const Timer& t : Timers()) {
    if (t.hwnd && !FromHandle(t.hwnd)) continue;
    if (!any || t.due < due) due = t.due;
    any = true;
  }
  return any;
}

void KillTimersOf(HWND h) {
  auto& ts = Timers();
  ts.erase(std::remove_if(ts.begin(), ts.end(), [&](const Timer& t) { return t.hwnd == h; }), ts.end());
}

bool TimerProcFor(HWND h, UINT_PTR id, TIMERPROC fn) {
  for (const Timer& t : Timers())
    if (t.hwnd == h && t.id == id) return t.fn == fn;
  return false;
}

}  // namespace xj::wm

using namespace xj::wm;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC fn) {
  if (hwnd && !Checked(hwnd)) return 0;
  // Any interval from 1 ms is kept; 0 behaves as 1.
  UINT interval = std::max<UINT>(elapse, 1);
  if (!hwnd) {
    if (id == 0) id = ++TS().nextThreadTimer;
  }
  auto& ts = Timers();
  for (Timer& t : ts)
    if (t.hwnd == hwnd && t.id == id) {
      // Re-setting restarts the period.
      t.interval = interval;
      t.due = Now() + interval;
      t.fn = fn;
      t.serial = ++TS().serial;
      return hwnd ? (id ? id : 1) : id;
    }
  ts.push_back(Timer { hwnd, id, interval, Now() + interval, fn, ++TS().serial });
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& ts = Timers();
  auto it = std::find_if(ts.begin(), ts.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == ts.end()) {
    Fail(EINVAL);
    return FALSE;
  }
  ts.erase(it);
  return TRUE;
}
