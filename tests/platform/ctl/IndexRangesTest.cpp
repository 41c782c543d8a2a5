// The index ranges beneath large selections: runs added and taken out, single indexes, indexes moved
// by an insert or a delete and a truncated count, checked after every step against a plain set for
// membership, the next index, the size, and that the ranges stay joined (one per run, none adjacent).

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/win32/ctl/IndexRanges.h"

using xj::ctl::IndexRanges;

namespace {

constexpr int kSpan = 120;

// The number of maximal runs of consecutive indexes.
size_t Runs(const std::set<int>& s) {
  size_t runs = 0;
  int last = -2;
  for (int k : s) runs += k != last + 1, last = k;
  return runs;
}

void ExpectSame(const IndexRanges& r, const std::set<int>& s) {
  ASSERT_EQ(r.Size(), s.size());
  ASSERT_EQ(r.RangeCount(), Runs(s));
  for (int i = -1; i <= kSpan + 10; ++i) {
    ASSERT_EQ(r.Contains(i), s.count(i) == 1) << i;
    auto next = s.upper_bound(i);
    ASSERT_EQ(r.NextAfter(i), next == s.end() ? -1 : *next) << i;
  }
}

TEST(IndexRangesTest, EveryOperationAgreesWithAPlainSetAndKeepsTheRangesJoined) {
  IndexRanges r;
  std::set<int> s;
  std::mt19937 random(7);
  auto pick = [&](int n) { return (int)(random() % (unsigned)n); };
  for (int step = 0; step < 3000; ++step) {
    const int a = pick(kSpan), b = std::min(kSpan, a + pick(12));
    switch (pick(6)) {
      case 0:
        r.Add(a, b);
        for (int k = a; k <= b; ++k) s.insert(k);
        break;
      case 1:
        r.Remove(a, b);
        for (int k = a; k <= b; ++k) s.erase(k);
        break;
      case 2: {  // an item inserted at a: everything from it moves up one
        r.Shift(a, 1);
        std::set<int> moved;
        for (int k : s) moved.insert(k >= a ? k + 1 : k);
        s.swap(moved);
        break;
      }
      case 3: {  // the item at a deleted: it goes, everything after it moves down one
        r.Erase(a);
        r.Shift(a + 1, -1);
        std::set<int> moved;
        for (int k : s)
          if (k != a) moved.insert(k > a ? k - 1 : k);
        s.swap(moved);
        break;
      }
      case 4:
        r.Insert(a);
        s.insert(a);
        break;
      default:
        if (pick(8) == 0) {
          r.TruncateFrom(a);
          s.erase(s.lower_bound(a), s.end());
        }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSame(r, s)) << "step " << step;
  }
  // Ten million indexes are one range, and splitting it in the middle makes two.
  r.Clear();
  r.Add(0, 9999999);
  r.Erase(5000000);
  EXPECT_EQ(r.Size(), 9999999u);
  EXPECT_EQ(r.RangeCount(), 2u);
  EXPECT_EQ(r.NextAfter(4999999), 5000001);
}

}  // namespace
