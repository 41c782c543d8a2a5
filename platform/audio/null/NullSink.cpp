// The silent output, timed by the platform's clock.

#include "platform/audio/null/NullSink.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/win32/Clock.h"

namespace xj::audio {
namespace {

uint64_t ClockMs() { return CurrentClock().Milliseconds(); }
bool ClockIsManual() { return CurrentClock().IsManual(); }

class NullSink final : public AudioSink {
 public:
  const char* Name() const override { return "null"; }

  bool Open(const AudioFormat& format) override {
    if (format.Rate <= 0 || format.Channels <= 0) {
      FErrorText = "unsupported audio format";
      return false;
    }
    std::lock_guard lock(FLock);
    FRate = format.Rate;
    RestartLocked();
    return true;
  }

  int64_t Write(const void*, int64_t count) override {
    std::unique_lock lock(FLock);
    // A whole chunk goes in once the queue is less than the allowance ahead of the clock.
    while (!FInterrupted && FQueued - PlayedLocked() >= Allowance()) Wait(lock, FQueued - Allowance());
    if (FInterrupted) return 0;
    FQueued += count;
    return count;
  }

  bool Drain() override {
    std::unique_lock lock(FLock);
    while (!FInterrupted && PlayedLocked() < FQueued) Wait(lock, FQueued);
    return !FInterrupted;
  }

  int64_t FramesPlayed() override {
    std::lock_guard lock(FLock);
    return PlayedLocked();
  }

  bool Pause() override {
    std::lock_guard lock(FLock);
    if (!FHeld) {
      FHeld = true;
      FHoldStartMs = NowLocked();
    }
    return true;
  }

  void Resume() override {
    std::lock_guard lock(FLock);
    ReleaseLocked();
    FWake.notify_all();
  }

  void Interrupt() override {
    std::lock_guard lock(FLock);
    FInterrupted = true;
    FWake.notify_all();
  }

  void Reset() override {
    std::lock_guard lock(FLock);
    RestartLocked();
  }

  void Close() override { Interrupt(); }

  bool Failed() const override { return false; }

 private:
  int64_t Allowance() const { return FRate / 5 + 1; }

  // The clock never runs backwards, but a test may install a new one: time before the start is none.
  uint64_t NowLocked() const {
    const uint64_t now = ClockMs();
    return now < FStartMs ? FStartMs : now;
  }

  int64_t PlayedLocked() const {
    const uint64_t end = FHeld ? FHoldStartMs : NowLocked();
    const uint64_t ms = end - FStartMs - FHeldMs;
    // Counted from the whole time played, never summed per stretch, so nothing is lost to rounding.
    return static_cast<int64_t>(ms * static_cast<uint64_t>(FRate) / 1000);
  }

  void ReleaseLocked() {
    if (!FHeld) return;
    FHeldMs += NowLocked() - FHoldStartMs;
    FHeld = false;
  }

  void RestartLocked() {
    FStartMs = ClockMs();
    FHeldMs = 0;
    FHeld = false;
    FInterrupted = false;
    FQueued = 0;
  }

  // Sleeps until about when `frames` will have been played. Nothing tells us when a manual clock
  // moves, so under one the wait is a short poll.
  void Wait(std::unique_lock<std::mutex>& lock, int64_t frames) {
    int64_t ms = 1;
    if (!ClockIsManual()) {
      const int64_t ahead = frames - PlayedLocked();
      ms = FHeld ? 50 : std::clamp<int64_t>((ahead * 1000 + FRate - 1) / FRate, 1, 50);
    }
    FWake.wait_for(lock, std::chrono::milliseconds(ms));
  }

  std::mutex FLock;
  std::condition_variable FWake;
  int FRate = 8000;
  uint64_t FStartMs = 0;      // the clock at Open or Reset
  uint64_t FHeldMs = 0;       // time spent held since then
  uint64_t FHoldStartMs = 0;  // the clock when the current hold began
  bool FHeld = false;
  bool FInterrupted = false;
  int64_t FQueued = 0;
};

}  // namespace

std::unique_ptr<AudioSink> CreateNullSink() { return std::make_unique<NullSink>(); }

}  // namespace xj::audio
