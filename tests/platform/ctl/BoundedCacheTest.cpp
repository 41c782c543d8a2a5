// The libraries' one cache: found by a key of equal content however it was made, never more than its
// capacity or its cost limit, and the entry used least lately the one to go.

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

TEST(BoundedCacheTest, ACacheBoundedByCostLetsGoUntilTheRestFitAndKeepsTheLastKeptAlone) {
  using Cache = xj::BoundedCache<int, std::string>;
  Cache cache(Cache::ByCost {}, 100);
  cache.Keep(1, "a", 40);
  cache.Keep(2, "b", 30);
  cache.Keep(3, "c", 30);  // exactly the limit: all stay
  EXPECT_EQ(cache.Size(), 3u);
  EXPECT_EQ(cache.Cost(), 100u);
  EXPECT_EQ(cache.LetGo(), 0u);
  ASSERT_NE(cache.Find(1), nullptr);  // 2 is now the one used least lately
  cache.Keep(4, "d", 1);
  EXPECT_EQ(cache.Find(2), nullptr);
  EXPECT_EQ(cache.Cost(), 71u);
  EXPECT_EQ(cache.LetGo(), 1u);
  // Kept again at a new cost: the total follows, and 1, used least lately, goes.
  cache.Keep(3, "C", 60);
  EXPECT_EQ(cache.Find(1), nullptr);
  ASSERT_NE(cache.Find(3), nullptr);
  EXPECT_EQ(*cache.Find(3), "C");
  EXPECT_EQ(cache.Cost(), 61u);
  // One entry over the whole limit stays alone rather than none.
  cache.Keep(5, "big", 500);
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_EQ(cache.Cost(), 500u);
  ASSERT_NE(cache.Find(5), nullptr);
  cache.SetCostLimit(1000);
  cache.Keep(6, "f", 10);
  EXPECT_EQ(cache.Size(), 2u);
  cache.SetCostLimit(10);
  EXPECT_EQ(cache.Find(5), nullptr);
  ASSERT_NE(cache.Find(6), nullptr);
  EXPECT_EQ(cache.Cost(), 10u);
  EXPECT_EQ(cache.LetGo(), 5u);
}

}  // namespace
