#pragma once
// Shared by the device tests: a manual clock, a box that runs on it, and a scratch directory.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/Scratch.h"
#include "device/KaldoSim.h"

namespace kaldo::test {

// Time only moves when a test says so. Atomic: the control thread reads it too.
struct ManualClock {
  std::atomic<uint64_t> ms { 1000 };
  static uint64_t Read(void* self) { return static_cast<ManualClock*>(self)->ms.load(); }
  void Advance(uint64_t d) { ms += d; }
};

// A directory of its own under the system's temporary directory, removed at the end.
class ScratchDir : public xj::test::ScratchDir {
 public:
  ScratchDir() : xj::test::ScratchDir("kaldo-test") {}
};

// A quiet box on a manual clock, with the messages it reports collected.
class BoxTest : public ::testing::Test {
 protected:
  BoxTest() {
    box.SetClock(&ManualClock::Read, &clock);
    box.SetMessageSink([this](std::string_view m) { messages.emplace_back(m); });
  }

  void Run(std::string_view command) {
    std::string error;
    ASSERT_TRUE(box.Command(command, &error)) << command << ": " << error;
  }
  void Open(int lines = 4) {
    Run("lines " + std::to_string(lines));
    ASSERT_EQ(box.DevOpen(), 0);
  }
  void Advance(uint64_t ms) { clock.Advance(ms); }

  // Declared in this order so that the box, whose destructor may still report, goes first.
  ManualClock clock;
  std::vector<std::string> messages;
  Box box;
};

}  // namespace kaldo::test
