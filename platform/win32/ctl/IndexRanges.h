#pragma once
// A set of non-negative indexes kept as disjoint, non-adjacent closed ranges, so that selecting ten
// million rows with one key costs one range and not ten million entries. Every operation costs the
// logarithm of the number of ranges, or (for the ones that walk) the ranges it touches.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <map>

namespace xj::ctl {

class IndexRanges {
 public:
  bool Empty() const { return FRanges.empty(); }
  // How many indexes are in the set.
  size_t Size() const { return FSize; }
  size_t RangeCount() const { return FRanges.size(); }

  bool Contains(int i) const {
    auto it = FRanges.upper_bound(i);
    return it != FRanges.begin() && std::prev(it)->second >= i;
  }

  // The smallest index above i in the set, or -1.
  int NextAfter(int i) const {
    auto it = FRanges.upper_bound(i);
    if (it != FRanges.begin() && std::prev(it)->second > i) return i + 1;
    return it == FRanges.end() ? -1 : it->first;
  }

  void Insert(int i) { Add(i, i); }
  void Erase(int i) { Remove(i, i); }

  // Adds lo..hi (inclusive), joining the ranges it touches.
  void Add(int lo, int hi) {
    if (lo > hi) return;
    Remove(lo, hi);
    FSize += (size_t)(hi - lo) + 1;
    auto next = FRanges.upper_bound(hi);
    if (next != FRanges.end() && next->first == hi + 1) {
      hi = next->second;
      FRanges.erase(next);
    }
    auto after = FRanges.lower_bound(lo);
    if (after != FRanges.begin() && std::prev(after)->second == lo - 1)
      std::prev(after)->second = hi;
    else
      FRanges.emplace(lo, hi);
  }

  // Takes lo..hi (inclusive) out, splitting a range that reaches over either end.
  void Remove(int lo, int hi) {
    if (lo > hi || FRanges.empty()) return;
    auto it = FRanges.upper_bound(lo);
    if (it != FRanges.begin() && std::prev(it)->second >= lo) --it;
    while (it != FRanges.end() && it->first <= hi) {
      const int first = it->first, last = it->second;
      FSize -= (size_t)(std::min(last, hi) - std::max(first, lo)) + 1;
      it = FRanges.erase(it);
      if (first < lo) FRanges.emplace(first, lo - 1);
      if (last > hi) {
        FRanges.emplace(hi + 1, last);
        break;
      }
    }
  }

  // Everything from n on goes.
  void TruncateFrom(int n) {
    if (!FRanges.empty()) Remove(std::max(n, 0), FRanges.rbegin()->second);
  }

  // Indexes at or above `from` move by delta (negative: down, onto a gap the caller emptied first).
  void Shift(int from, int delta) {
    if (delta == 0 || FRanges.empty()) return;
    std::map<int, int> moved;
    auto it = FRanges.lower_bound(from);
    if (it != FRanges.begin() && std::prev(it)->second >= from) {
      auto split = std::prev(it);
      moved.emplace(from + delta, split->second + delta);
      split->second = from - 1;
    }
    for (auto k = it; k != FRanges.end(); ++k) moved.emplace(k->first + delta, k->second + delta);
    FRanges.erase(it, FRanges.end());
    for (const auto& [lo, hi] : moved) AddMerged(lo, hi);
  }

  void Clear() {
    FRanges.clear();
    FSize = 0;
  }

  // Calls f(lo, hi) on each range in order.
  template <class F>
  void ForEachRange(F f) const {
    for (const auto& [lo, hi] : FRanges) f(lo, hi);
  }

 private:
  // Puts lo..hi in after the ranges, all below it, joining the last when they touch.
  void AddMerged(int lo, int hi) {
    if (!FRanges.empty() && FRanges.rbegin()->second >= lo - 1) {
      FRanges.rbegin()->second = std::max(FRanges.rbegin()->second, hi);
      return;
    }
    FRanges.emplace_hint(FRanges.end(), lo, hi);
  }

  std::map<int, int> FRanges;  // first → last
  size_t FSize { 0 };
};

}  // namespace xj::ctl
