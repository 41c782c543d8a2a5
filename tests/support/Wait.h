#pragma once
// Waiting for a condition, never for a length of time. A wait ends as soon as its condition holds; its
// limit only turns a program that never gets there into a failure instead of a hang, so it is generous:
// a loaded machine (the whole suite in parallel, a CPU hog, a cold font cache, an X server starting)
// is slow, not wrong.

#include <time.h>

#include <cstdint>
#include <functional>

namespace xj::test {

// Long enough for any condition that will ever hold, short of ctest's time-out for one test.
constexpr int kPatienceMs = 60000;

// Milliseconds on the monotonic clock: for measuring how long something took.
inline int64_t NowMs() {
  timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Calls `step` (a message loop's pump, say) and then checks `done`, again and again, until `done` holds
// or `limitMs` of wall-clock time have passed. True when it held.
inline bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& step = {},
                      int limitMs = kPatienceMs) {
  const int64_t end = NowMs() + limitMs;
  for (;;) {
    if (step) step();
    if (done()) return true;
    if (NowMs() >= end) return false;
    // Leaves the CPU to whoever must make the condition true; how long changes only how often we look.
    const timespec pause { 0, 2000000 };
    nanosleep(&pause, nullptr);
  }
}

}  // namespace xj::test
