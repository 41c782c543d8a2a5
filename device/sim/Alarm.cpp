#include "device/sim/Alarm.h"

#include "device/sim/BoxImpl.h"

namespace kaldo {

Alarm::~Alarm() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FWake.notify_one();
  if (FThread.joinable()) FThread.join();
}

void Alarm::Arm(uint64_t deadlineMs) {
  // Lowered with nothing to wait for, and to stay so: the thread has nothing to learn.
  if (deadlineMs == kNever && !Raised() && FNothingDue.load(std::memory_order_relaxed)) return;
  std::lock_guard lock(FMutex);
  FNothingDue.store(deadlineMs == kNever, std::memory_order_relaxed);
  if (deadlineMs != kNever && deadlineMs <= MonotonicMs()) {
    FDeadline = kNever;
    Raise();
    return;
  }
  // A later deadline needs no wake-up: the thread finds it when the earlier one passes.
  const bool sooner = deadlineMs < FDeadline;
  FDeadline = deadlineMs;
  FRaised.store(false, std::memory_order_release);
  if (deadlineMs == kNever) return;
  if (!FThread.joinable())
    FThread = std::thread([this] { Run(); });
  else if (sooner)
    FWake.notify_one();
}

void Alarm::Run() {
  std::unique_lock lock(FMutex);
  while (!FStop) {
    if (FDeadline == kNever) {
      FWake.wait(lock);
      continue;
    }
    if (MonotonicMs() >= FDeadline) {
      FDeadline = kNever;
      Raise();
      continue;
    }
    // steady_clock is the monotonic clock MonotonicMs reads.
    FWake.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::milliseconds(FDeadline)));
  }
}

}  // namespace kaldo
