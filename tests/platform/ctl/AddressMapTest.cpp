// The table of values by address beneath handle checks: keys going in and out in runs that share home
// slots and wrap around the table's end, checked after every step against a standard map.

#include <gtest/gtest.h>

#include <unordered_map>
#include <vector>

#include "platform/win32/AddressMap.h"

namespace {

TEST(AddressMapTest, EveryKeyIsFoundUntilErasedThroughCollisionsGrowthAndWrapping) {
  xj::AddressMap<int> map;
  std::unordered_map<uintptr_t, int> model;
  std::vector<uintptr_t> keys;
  unsigned seed = 3;
  auto next = [&](unsigned n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  // Addresses as allocators hand them out (steps of 16, in runs), and a few that differ only below 16,
  // which share a home slot.
  auto fresh = [&] {
    const uintptr_t base = 0x10000 + 16 * uintptr_t(next(5000));
    return next(4) == 0 ? base + 1 + next(15) : base;
  };
  auto check = [&](int step) {
    ASSERT_EQ(map.Size(), model.size()) << "step " << step;
    for (const auto& [key, value] : model) {
      const int* found = map.Find(key);
      ASSERT_TRUE(found) << "step " << step << " key " << key;
      ASSERT_EQ(*found, value) << "step " << step;
    }
    size_t seen = 0;
    map.ForEach([&](uintptr_t key, int value) {
      ++seen;
      ASSERT_TRUE(model.count(key) && model[key] == value) << "step " << step;
    });
    ASSERT_EQ(seen, model.size());
  };
  for (int step = 0; step < 4000; ++step) {
    if (next(3) != 0 || keys.empty()) {
      const uintptr_t key = fresh();
      if (model.count(key)) {
        ASSERT_TRUE(map.Contains(key));
        continue;
      }
      ASSERT_FALSE(map.Contains(key));
      map.Insert(key, step);
      model[key] = step;
      keys.push_back(key);
    } else {
      const size_t k = next(unsigned(keys.size()));
      int out = -1;
      ASSERT_TRUE(map.Erase(keys[k], &out));
      EXPECT_EQ(out, model[keys[k]]);
      model.erase(keys[k]);
      EXPECT_FALSE(map.Contains(keys[k]));
      EXPECT_FALSE(map.Erase(keys[k]));  // gone already
      keys[k] = keys.back();
      keys.pop_back();
    }
    if (step % 97 == 0) check(step);
  }
  check(-1);
  EXPECT_FALSE(map.Contains(uintptr_t(0)));  // the free slot's mark is never a key
  map.Clear();
  EXPECT_EQ(map.Size(), 0u);
  EXPECT_FALSE(map.Contains(keys.front()));
}

}  // namespace
