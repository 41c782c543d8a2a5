#pragma once
// A flag that goes up when the monotonic clock reaches a deadline. A box on the real clock uses it so
// that its queries learn that time-driven work is due without reading the clock on every call: a
// clock read costs several times what a quiet query does.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kaldo {

class Alarm {
 public:
  Alarm() = default;
  Alarm(const Alarm&) = delete;
  Alarm& operator=(const Alarm&) = delete;
  ~Alarm();  // stops the thread

  // Lowers the flag until the monotonic clock reaches deadlineMs (UINT64_MAX: never); raises it at
  // once when that time has come. Starts the waiting thread the first time it has something to wait for.
  void Arm(uint64_t deadlineMs);
  void Raise() { FRaised.store(true, std::memory_order_release); }
  bool Raised() const { return FRaised.load(std::memory_order_acquire); }

 private:
  void Run();

  std::atomic<bool> FRaised { true };
  std::atomic<bool> FNothingDue { false };  // the last Arm was for no deadline and nothing raised since
  std::mutex FMutex;
  std::condition_variable FWake;
  uint64_t FDeadline { UINT64_MAX };
  bool FStop { false };
  std::thread FThread;
};

}  // namespace kaldo
