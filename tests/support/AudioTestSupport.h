#pragma once
// Shared by the audio tests: a scratch directory, sound files made by sox, an environment variable
// set for one test, and a player on the null sink under a manual clock.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/audio/Player.h"
#include "tests/support/Scratch.h"
#include "tests/support/Wait.h"
#include "platform/win32/Clock.h"

namespace xj::audio::test {

using xj::test::ScopedEnv;
using xj::test::u8s;

// A scratch directory named for the audio tests.
class ScratchDir : public xj::test::ScratchDir {
 public:
  ScratchDir() : xj::test::ScratchDir("xj-audio") {}
};

inline bool HaveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

// A WAV file of exactly `frames` (> 0) frames of a tone, written by sox. The rate goes before -n:
// it is the rate the tone is made at, so that "Ns" counts output frames.
inline bool WriteToneWav(const std::string& path, int rate, int bits, int channels, int64_t frames) {
  const std::string cmd = "sox -q -r " + std::to_string(rate) + " -n -b " + std::to_string(bits) + " -c " +
                          std::to_string(channels) + " '" + path + "' synth " + std::to_string(frames) +
                          "s sine 440 vol 0.5 2>/dev/null";
  return frames > 0 && std::system(cmd.c_str()) == 0;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Counts the end callbacks and lets a test wait for the next one.
class EndCounter {
 public:
  Player::EndCallback Callback() {
    return [this](PlaybackEnd end) {
      std::lock_guard lock(FLock);
      ++FCount;
      FLast = end;
      FChanged.notify_all();
    };
  }
  int Count() {
    std::lock_guard lock(FLock);
    return FCount;
  }
  PlaybackEnd Last() {
    std::lock_guard lock(FLock);
    return FLast;
  }
  // Waits (generously) until the count reaches n; the audio thread polls a manual clock, so the
  // callback follows a clock move by a few real milliseconds.
  bool WaitFor(int n) {
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(xj::test::kPatienceMs), [&] { return FCount >= n; });
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  int FCount = 0;
  PlaybackEnd FLast = PlaybackEnd::Failed;
};

// A player on the null sink under a manual clock, with sox at hand.
class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
    player.SetEndCallback(ends.Callback());
  }

  // A mono 16-bit 8000 Hz tone of `ms` milliseconds.
  std::string Tone(const std::string& name, int64_t ms) {
    const std::string path = dir / name;
    EXPECT_TRUE(WriteToneWav(path, 8000, 16, 1, ms * 8));
    return path;
  }

  void OpenOk(const std::string& path) { ASSERT_EQ(player.Open(path), PlayerError::None) << player.ErrorText(); }

  void Advance(uint64_t ms) { clock.Jump(ms); }

  ScopedEnv audio { "XJ_AUDIO", "null" };
  ManualClock clock { 5000 };
  ScopedClock scoped { clock };
  ScratchDir dir;
  EndCounter ends;
  Player player;  // last: closed (its thread joined) before the clock and the counter go
};

}  // namespace xj::audio::test
