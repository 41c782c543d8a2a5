// The threaded timer. The worker never gets suspended from outside: it parks on a condition variable
// while the timer is stopped and waits out each interval there, so a stop or the timer's end reaches
// it only at those two safe points, never inside Synchronize or while it holds a lock.

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "components/DUVEnhancedClass.h"
#include "platform/win32/Clock.h"

namespace xj::duv {

// Everything the timer and its worker share, under Lock. The worker holds it too, so a worker whose
// timer went away during a tick still has it to finish with.
struct TimerState {
  std::mutex Lock;
  std::condition_variable Changed;         // the worker waits here
  std::condition_variable Settled;         // WaitWorkerSettled waits here
  TAHMEnhancedTimer32* Timer { nullptr };  // null once destruction began
  bool Run { false };
  bool Stop { false };
  bool InTick { false };  // DoTimer is running the timer's Timer
  uint16_t Interval { 1000 };
  TThreadPriority Priority { tpTimeCritical };
  uint64_t Due { 0 };  // clock time of the next tick while running
  // What the worker last did: waiting with nothing to deliver (Idle), having seen the clock at SeenAt.
  bool Idle { false };
  uint64_t SeenAt { 0 };
};

}  // namespace xj::duv

namespace {

constexpr uint64_t kParked = std::numeric_limits<uint64_t>::max();

uint64_t Ticks() { return GetTickCount64(); }

// Workers whose timer was freed inside one of their own ticks: such a worker cannot be waited for at
// that moment (it waits for that very tick to return), so it is kept here and freed once it has ended —
// at the next timer's start or end, and at the latest when the program exits, before the class
// library's own statics go.
std::mutex gRetiredLock;
std::vector<TAHMEnhancedThread*> gRetired;

void ReapRetired(bool Wait) {
  std::vector<TAHMEnhancedThread*> reap;
  {
    std::lock_guard<std::mutex> lock(gRetiredLock);
    std::vector<TAHMEnhancedThread*> keep;
    for (TAHMEnhancedThread* t : gRetired) (Wait || t->Finished() ? reap : keep).push_back(t);
    gRetired = std::move(keep);
  }
  for (TAHMEnhancedThread* t : reap) delete t;
}

void Retire(TAHMEnhancedThread* Thread) {
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit([] { ReapRetired(true); }); });
  std::lock_guard<std::mutex> lock(gRetiredLock);
  gRetired.push_back(Thread);
}

}  // namespace

// ---- TAHMEnhancedTimer32 ---------------------------------------------------------------------------------

TAHMEnhancedTimer32::TAHMEnhancedTimer32() : FState(std::make_shared<xj::duv::TimerState>()) {
  ReapRetired(false);
  FState->Timer = this;
  FState->Priority = FThreadPriority;
  FThread = new TAHMEnhancedThread(FState);
  FThread->Start();  // it parks at once: nothing to run until OnTimer is set
  UpdateTimer();
}

TAHMEnhancedTimer32::~TAHMEnhancedTimer32() {
  FEnabled = false;
  UpdateTimer();
  bool inTick;
  {
    std::lock_guard<std::mutex> lock(FState->Lock);
    FState->Stop = true;
    FState->Timer = nullptr;
    inTick = FState->InTick;
    FState->Changed.notify_all();
    FState->Settled.notify_all();
  }
  FThread->Terminate();
  if (inTick)
    Retire(FThread);  // it ends right after this tick returns
  else
    delete FThread;  // waits, running any Synchronize call queued meanwhile (it delivers nothing now)
  FThread = nullptr;
  ReapRetired(false);
}

void TAHMEnhancedTimer32::SetEnabled(bool Value) {
  FEnabled = Value;
  UpdateTimer();
}

void TAHMEnhancedTimer32::SetInterval(uint16_t Value) {
  FInterval = Value;
  UpdateTimer();
}

void TAHMEnhancedTimer32::SetThreadPriority(TThreadPriority Value) {
  FThreadPriority = Value;
  UpdateTimer();
}

bool TAHMEnhancedTimer32::Running() const {
  std::lock_guard<std::mutex> lock(FState->Lock);
  return FState->Run;
}

void TAHMEnhancedTimer32::UpdateTimer() {
  const bool run = FInterval != 0 && FEnabled && static_cast<bool>(OnTimer);
  std::lock_guard<std::mutex> lock(FState->Lock);
  if (run && !FState->Run) FState->Due = Ticks() + FInterval;  // a start waits a whole interval
  FState->Run = run;
  FState->Interval = FInterval;
  FState->Priority = FThreadPriority;
  FState->Idle = false;
  FState->Changed.notify_all();
}

void TAHMEnhancedTimer32::Timer() {
  if (OnTimer) OnTimer(this);
}

bool TAHMEnhancedTimer32::WaitWorkerSettled(int TimeoutMs) {
  const uint64_t target = Ticks();
  std::unique_lock<std::mutex> lock(FState->Lock);
  FState->Idle = false;  // make it look at the clock again
  FState->Changed.notify_all();
  return FState->Settled.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                                  [&] { return FState->Stop || (FState->Idle && FState->SeenAt >= target); });
}

// ---- TAHMEnhancedThread ----------------------------------------------------------------------------------

TAHMEnhancedThread::TAHMEnhancedThread(std::shared_ptr<xj::duv::TimerState> State)
    : TThread(true), FState(std::move(State)) {}

void TAHMEnhancedThread::Execute() {
  xj::duv::TimerState& s = *FState;
  std::unique_lock<std::mutex> lock(s.Lock);
  bool started = false;
  auto idle = [&](uint64_t seen) {
    s.Idle = true;
    s.SeenAt = seen;
    s.Settled.notify_all();
  };
  while (!s.Stop) {
    if (!s.Run) {
      idle(kParked);
      s.Changed.wait(lock);
      continue;
    }
    if (!started) {
      // The priority asked for when the timer first runs; later changes do not reach a running worker.
      SetPriority(s.Priority);
      started = true;
    }
    // The interval: by the platform clock, so that a manual clock drives it. That clock cannot wake us,
    // so while it is manual we look at it every millisecond.
    const uint64_t now = Ticks();
    if (now < s.Due) {
      idle(now);
      const uint64_t wait = xj::CurrentClock().IsManual() ? 1 : s.Due - now;
      s.Changed.wait_for(lock, std::chrono::milliseconds(wait));
      continue;
    }
    s.Idle = false;
    lock.unlock();
    Synchronize([this] { DoTimer(); });
    lock.lock();
  }
  s.Idle = true;
  s.Settled.notify_all();
}

void TAHMEnhancedThread::DoTimer() {
  xj::duv::TimerState& s = *FState;
  TAHMEnhancedTimer32* timer;
  {
    std::lock_guard<std::mutex> lock(s.Lock);
    if (s.Stop || !s.Run || !s.Timer) return;
    timer = s.Timer;
    s.InTick = true;
  }
  try {
    timer->Timer();  // may stop, restart or free the timer
  } catch (...) {
    bool alive;
    {
      std::lock_guard<std::mutex> lock(s.Lock);
      alive = s.Timer != nullptr;
    }
    ReportApplicationException(alive ? timer : nullptr);
  }
  std::lock_guard<std::mutex> lock(s.Lock);
  s.InTick = false;
  // The next interval starts when the tick is done, and with the interval in force now.
  if (!s.Stop && s.Run) s.Due = Ticks() + s.Interval;
}
