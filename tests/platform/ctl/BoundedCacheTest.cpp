// The libraries' one cache: found by a key of equal content however it was made, never more than its
// capacity, and the entry used least lately the one to go.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/BoundedCache.h"

namespace {

TEST(BoundedCacheTest, AKeyOfTheSameContentFindsTheValueAndTheLeastUsedLatelyGoes) {
  xj::BoundedCache<std::vector<int64_t>, std::string> cache(3);
  cache.Keep({ 1, 2, 3 }, "a");
  cache.Keep({ 1, 2 }, "b");
  cache.Keep({ 3, 2, 1 }, "c");
  // Made anew, elsewhere in memory: only the values count.
  const std::vector<int64_t> again { 1, 2, 3 };
  ASSERT_NE(cache.Find(again), nullptr);
  EXPECT_EQ(*cache.Find(again), "a");
  EXPECT_EQ(cache.Find({ 1, 2, 3, 0 }), nullptr);
  EXPECT_EQ(cache.Find({ 2, 1 }), nullptr);
  // {1,2} was used least lately ({1,2,3} was just found): it goes for the fourth.
  cache.Keep({ 7 }, "d");
  EXPECT_EQ(cache.Size(), 3u);
  EXPECT_EQ(cache.Find({ 1, 2 }), nullptr);
  for (auto [key, value] :
       { std::pair { std::vector<int64_t> { 1, 2, 3 }, "a" }, { { 3, 2, 1 }, "c" }, { { 7 }, "d" } }) {
    ASSERT_NE(cache.Find(key), nullptr) << value;
    EXPECT_EQ(*cache.Find(key), value);
  }
  // Keeping under a kept key replaces its value and lets nothing else go.
  cache.Keep({ 3, 2, 1 }, "e");
  EXPECT_EQ(cache.Size(), 3u);
  EXPECT_EQ(*cache.Find({ 3, 2, 1 }), "e");
  EXPECT_NE(cache.Find({ 1, 2, 3 }), nullptr);
  EXPECT_NE(cache.Find({ 7 }), nullptr);
  cache.Clear();
  EXPECT_EQ(cache.Find({ 7 }), nullptr);
}

TEST(BoundedCacheTest, AThousandKeysThroughACacheOfOneKeepOnlyTheLast) {
  xj::BoundedCache<std::string, int> cache(1);
  for (int i = 0; i < 1000; ++i) cache.Keep(std::to_string(i), i);
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_EQ(cache.Find("998"), nullptr);
  ASSERT_NE(cache.Find("999"), nullptr);
  EXPECT_EQ(*cache.Find("999"), 999);
}

}  // namespace
