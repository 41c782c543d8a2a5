// The runs of formats against a plain model of one value per byte, through thousands of random edits:
// insertions take the value before them (or, sticking right, the one after), deletions take theirs
// away, and the runs stay as few as the values allow.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32/ctl/RichText.h"

using xj::ctl::RunList;

namespace {

struct Model {
  std::vector<uint32_t> bytes;
  uint32_t first;  // the value an insertion into nothing takes

  void Follow(size_t from, size_t removed, size_t inserted, bool stickRight) {
    const uint32_t before = from > 0 ? bytes[from - 1] : bytes.empty() ? first : bytes[0];
    bytes.erase(bytes.begin() + (long)from, bytes.begin() + (long)(from + removed));
    bytes.insert(bytes.begin() + (long)from, inserted, before);
    if (stickRight && from + inserted < bytes.size())
      std::fill(bytes.begin() + (long)from, bytes.begin() + (long)(from + inserted), bytes[from + inserted]);
    if (!bytes.empty()) first = bytes[0];
  }
  size_t Changes() const {
    size_t n = 0;
    for (size_t i = 1; i < bytes.size(); ++i) n += bytes[i] != bytes[i - 1];
    return n;
  }
};

TEST(RichTextTest, RunsFollowEditsAsAValuePerByteWould) {
  uint32_t seed = 2024;
  const auto next = [&seed](uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % bound;
  };
  for (bool stickRight : { false, true }) {
    RunList runs(7);
    Model model { {}, 7 };
    for (int step = 0; step < 10000; ++step) {
      const size_t length = model.bytes.size();
      if (next(3) == 0) {  // a value over a span
        const size_t from = next((uint32_t)length + 1), to = from + next(20);
        const uint32_t value = next(4);
        runs.Set(from, to, value);
        for (size_t i = from; i < std::min(to, length); ++i) model.bytes[i] = value;
        if (from == 0 && (to > 0 || length == 0)) model.first = value;
      } else {
        const size_t from = next((uint32_t)length + 1), removed = std::min<size_t>(next(15), length - from);
        const size_t inserted = next(3) == 0 ? 0 : next(12);
        runs.Follow(from, removed, inserted, stickRight);
        model.Follow(from, removed, inserted, stickRight);
      }
      ASSERT_EQ(runs.Length(), model.bytes.size()) << "step " << step;
      for (size_t i = 0; i < model.bytes.size(); ++i)
        ASSERT_EQ(runs.At(i), model.bytes[i]) << "step " << step << " byte " << i;
      // As few runs as the values allow (beside the one of no bytes an empty last paragraph may have).
      size_t holding = 0;
      for (const RunList::Run& r : runs.Runs()) holding += r.start < runs.Length();
      if (!model.bytes.empty()) {
        ASSERT_EQ(holding, model.Changes() + 1) << "step " << step;
      }
    }
  }
}

}  // namespace
