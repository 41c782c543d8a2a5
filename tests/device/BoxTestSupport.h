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

#include "device/KaldoSim.h"

namespace kaldo::test {

// Time only moves when a test says so. Atomic: the control thread reads it too.
struct ManualClock {
  std::atomic<uint64_t> ms{1000};
  static uint64_t Read(void* self) { return static_cast<ManualClock*>(self)->ms.load(); }
  void Advance(uint64_t d) { ms += d; }
};

// A directory of its own under the system's temporary directory, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kaldo-test-XXXXXX").string();
    FPath = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
    if (FPath.empty()) ADD_FAILURE() << "cannot create a scratch directory";
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  std::string operator/(std::string_view name) const { return FPath + "/" + std::string(name); }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
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
