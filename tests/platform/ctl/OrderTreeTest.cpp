// The ordered tree beneath the growing lists: values going in and out one at a time and in runs,
// anywhere, checked after every step against a plain array for the order, each node's index, the sums
// before an index, the value holding a running sum, and the two searches down the tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/win32/ctl/OrderTree.h"

using xj::ctl::IndexedList;
using xj::ctl::OrderTree;

namespace {

struct Entry {
  int key = 0;
  int id = -1;  // its node, as placed told it
};

// Each entry counts one and weighs its key; the smallest key marks the subtree.
struct Weights {
  long long count = 0, weight = 0, least = 1 << 30;
  static Weights Of(const Entry& e) { return Weights { 1, e.key, e.key }; }
  void Add(const Weights& s) {
    count += s.count;
    weight += s.weight;
    least = std::min(least, s.least);
  }
};

TEST(OrderTreeTest, ValuesGoInAndOutAnywhereAndEveryIndexAndSumFollows) {
  OrderTree<Entry, Weights> tree;
  std::vector<Entry> model;
  auto placed = [&](Entry& e, int id) { e.id = id; };
  unsigned seed = 7;
  auto next = [&](unsigned n) {
    seed = seed * 1664525u + 1013904223u;
    return n ? (seed >> 8) % n : 0u;
  };
  for (int step = 0; step < 3000; ++step) {
    const unsigned op = next(10);
    if (op < 5 || model.size() < 3) {  // one value, or a run of them
      const size_t at = next(unsigned(model.size()) + 1), n = op == 0 ? 1 + next(40) : 1;
      std::vector<Entry> run;
      for (size_t k = 0; k < n; ++k) run.push_back(Entry { int(1 + next(1000)) });
      tree.Insert(at, run, placed);
      model.insert(model.begin() + long(at), run.begin(), run.end());
    } else if (op < 8) {
      const size_t at = next(unsigned(model.size())), n = op == 7 ? 1 + next(unsigned(model.size() - at)) : 1;
      if (op == 6)  // by its node
        tree.EraseId(tree.At(at).id);
      else
        tree.Erase(at, n);
      model.erase(model.begin() + long(at), model.begin() + long(at + n));
    } else if (op == 8) {
      const size_t at = next(unsigned(model.size()));
      const int key = int(1 + next(1000));
      tree.Modify(at, [&](Entry& e) { e.key = key; });
      model[at].key = key;
    } else if (step % 50 == 0) {
      tree.Assign(model, placed);
    }
    ASSERT_EQ(tree.Size(), model.size()) << step;
    long long sum = 0;
    for (size_t i = 0; i < model.size(); ++i) {
      const Entry& e = tree.At(i);
      ASSERT_EQ(e.key, model[i].key) << step << " at " << i;
      ASSERT_EQ(tree.IndexOf(e.id), i) << step;
      ASSERT_EQ((tree.Before<&Weights::weight>(i)), sum);
      ASSERT_EQ((tree.Find<&Weights::weight>(sum + e.key - 1)), i);  // the last unit of its span
      sum += e.key;
    }
    ASSERT_EQ(tree.Total().weight, sum);
    if (model.empty()) continue;
    const int bound = int(next(1000));
    const auto last = std::find_if(model.rbegin(), model.rend(), [&](const Entry& e) { return e.key <= bound; });
    const size_t expected = last == model.rend() ? model.size() : size_t(model.rend() - last) - 1;
    ASSERT_EQ(tree.LastWhere([&](const Weights& s) { return s.least <= bound; },
                             [&](const Entry& e) { return e.key <= bound; }),
              expected)
        << step;
  }
}

TEST(OrderTreeTest, AnIndexedListFindsTheSortedPlaceAfterItsEquals) {
  IndexedList<int> list;
  std::vector<int> model;
  for (int k : { 5, 1, 9, 5, 3, 5, 9, 0, 7 }) {
    const size_t at = list.UpperBound(k, [](int a, int b) { return a < b; });
    ASSERT_EQ(at, size_t(std::upper_bound(model.begin(), model.end(), k) - model.begin()));
    list.Insert(at, k);
    model.insert(model.begin() + long(at), k);
  }
  EXPECT_EQ(list.Copy(), model);
  list[2] = 4;
  model[2] = 4;
  list.Erase(0, 3);
  model.erase(model.begin(), model.begin() + 3);
  EXPECT_EQ(list[list.Size() - 1], 9);
  EXPECT_EQ(list.Copy(), model);
  list.Clear();
  EXPECT_TRUE(list.Empty());
}

// Room made ahead (a list view's AllocBy) is used by the values put in after, without growing again.
TEST(OrderTreeTest, ReservedRoomTakesTheValuesPutInAfterwards) {
  OrderTree<Entry, Weights> tree;
  tree.Reserve(1000);
  const size_t room = tree.Capacity();
  ASSERT_GE(room, 1000u);
  for (int i = 0; i < (int)room; ++i) tree.Insert((size_t)(i / 2), { Entry { i } }, [](Entry&, int) {});
  EXPECT_EQ(tree.Size(), room);
  EXPECT_EQ(tree.Capacity(), room);
  tree.Insert(0, { Entry { -1 } }, [](Entry&, int) {});
  EXPECT_GT(tree.Capacity(), room);  // one more than the room needs more
}
}  // namespace
