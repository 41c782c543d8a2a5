#pragma once
// A sequence kept as a treap ordered by position, each node holding sums over its subtree, so that a
// value is found by index or by a running sum, values go in or out anywhere, and the index of a value
// is found from its node, all in logarithmic time. Lists that grow all day (memo lines, the rows of a
// tree view) keep their order here instead of in an array that moves on every change.
//
// `Sums` is a plain struct whose default value adds nothing, with a `long long count` field,
// `static Sums Of(const Value&)` (the sums of one value, count 1) and `void Add(const Sums&)`.
// A node's id stays its own while the value is in the tree.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace xj::ctl {

template <class Value, class Sums>
class OrderTree {
 public:
  using Id = int;

  size_t Size() const { return Count(FRoot); }
  const Sums& Total() const { return Sum(FRoot); }
  const Value& At(size_t i) const { return FNodes[(size_t)Nth(i)].value; }
  // The value at i, for a change that leaves its sums as they were.
  Value& Ref(size_t i) { return FNodes[(size_t)Nth(i)].value; }

  // The index of a node's value.
  size_t IndexOf(Id id) const {
    size_t index = Count(FNodes[(size_t)id].left);
    for (int t = id, p = FNodes[(size_t)id].parent; p >= 0; t = p, p = FNodes[(size_t)p].parent)
      if (FNodes[(size_t)p].right == t) index += Count(FNodes[(size_t)p].left) + 1;
    return index;
  }

  // Changes a value through f, keeping the sums above it right.
  template <class F>
  void ModifyId(Id id, F f) {
    f(FNodes[(size_t)id].value);
    for (int t = id; t >= 0; t = FNodes[(size_t)t].parent) Pull(t);
  }
  template <class F>
  void Modify(size_t i, F f) {
    ModifyId(Nth(i), f);
  }

  // Inserts values before index `at`; placed(value, id) learns each one's node.
  template <class F>
  void Insert(size_t at, std::vector<Value> values, F placed) {
    if (values.size() == 1) {  // the common case, in one walk down
      const int n = NewNode(std::move(values.front()));
      placed(FNodes[(size_t)n].value, n);
      Pull(n);  // its sums as placed left it
      FRoot = InsertNode(FRoot, at, n);
      SetRoot();
      return;
    }
    int left, right;
    Split(FRoot, at, left, right);
    FRoot = Merge(Merge(left, Build(values, placed)), right);
    SetRoot();
  }
  void Insert(size_t at, std::vector<Value> values) {
    Insert(at, std::move(values), [](Value&, Id) {});
  }

  void Erase(size_t at, size_t count) {
    if (count == 1) {
      FRoot = EraseNode(FRoot, at);
      SetRoot();
      return;
    }
    int left, middle, right;
    Split(FRoot, at, left, right);
    Split(right, count, middle, right);
    Release(middle);
    FRoot = Merge(left, right);
    SetRoot();
  }

  // Takes out the value of a node, found from the node: its children merged in its place and the sums
  // taken again on one walk up, with no index to find first.
  void EraseId(Id id) {
    const int parent = FNodes[(size_t)id].parent;
    const int joined = Merge(FNodes[(size_t)id].left, FNodes[(size_t)id].right);
    if (parent < 0)
      FRoot = joined;
    else if (FNodes[(size_t)parent].left == id)
      FNodes[(size_t)parent].left = joined;
    else
      FNodes[(size_t)parent].right = joined;
    if (joined >= 0) FNodes[(size_t)joined].parent = parent;
    FNodes[(size_t)id].value = Value {};
    FFree.push_back(id);
    for (int t = parent; t >= 0; t = FNodes[(size_t)t].parent) Pull(t);
  }

  template <class F>
  void Assign(std::vector<Value> values, F placed) {
    FNodes.clear();
    FFree.clear();
    FNodes.reserve(values.size());
    FRoot = Build(values, placed);
    SetRoot();
  }
  // Room for n values in all, so that inserting up to n allocates nothing more.
  void Reserve(size_t n) { FNodes.reserve(n); }
  size_t Capacity() const { return FNodes.capacity(); }
  void Assign(std::vector<Value> values) {
    Assign(std::move(values), [](Value&, Id) {});
  }

  // The sum of a field over the values before index i.
  template <long long Sums::*Field>
  long long Before(size_t i) const {
    long long sum = 0;
    for (int t = FRoot; t >= 0;) {
      const Node& n = FNodes[(size_t)t];
      const size_t left = Count(n.left);
      if (i <= left) {
        t = n.left;
      } else {
        sum += Sum(n.left).*Field + Sums::Of(n.value).*Field;
        i -= left + 1;
        t = n.right;
      }
    }
    return sum;
  }

  // The index of the value whose span of a field holds `sum`; the last value past the end.
  template <long long Sums::*Field>
  size_t Find(long long sum) const {
    size_t index = 0;
    for (int t = FRoot; t >= 0;) {
      const Node& n = FNodes[(size_t)t];
      const long long left = Sum(n.left).*Field;
      if (sum < left) {
        t = n.left;
        continue;
      }
      sum -= left;
      index += Count(n.left);
      const long long own = Sums::Of(n.value).*Field;
      if (sum < own) return index;
      sum -= own;
      ++index;
      t = n.right;
    }
    return Size() == 0 ? 0 : Size() - 1;
  }

  // The first index whose value passes `pred`, the values failing it all coming first: one walk down.
  template <class Pred>
  size_t PartitionPoint(Pred pred) const {
    size_t index = 0, found = Size();
    for (int t = FRoot; t >= 0;) {
      const Node& n = FNodes[(size_t)t];
      if (pred(n.value)) {
        found = index + Count(n.left);
        t = n.left;
      } else {
        index += Count(n.left) + 1;
        t = n.right;
      }
    }
    return found;
  }

  // The index of the last value passing `pred`, or Size() when none does; `has(sums)` tells whether a
  // subtree holds one. One walk down.
  template <class Has, class Pred>
  size_t LastWhere(Has has, Pred pred) const {
    if (FRoot < 0 || !has(Sum(FRoot))) return Size();
    size_t base = 0;
    for (int t = FRoot;;) {
      const Node& n = FNodes[(size_t)t];
      if (n.right >= 0 && has(Sum(n.right))) {
        base += Count(n.left) + 1;
        t = n.right;
      } else if (pred(n.value)) {
        return base + Count(n.left);
      } else {
        t = n.left;
      }
    }
  }

  // Calls f on the values from index i on, in order, while it returns true: an in-order walk kept on a
  // stack of the nodes still to visit, each followed by its right subtree.
  template <class F>
  void ForEachFrom(size_t i, F f) const {
    std::vector<int> pending;
    for (int t = FRoot; t >= 0;) {
      const Node& n = FNodes[(size_t)t];
      const size_t left = Count(n.left);
      if (i <= left) {
        pending.push_back(t);
        t = n.left;
      } else {
        i -= left + 1;
        t = n.right;
      }
    }
    while (!pending.empty()) {
      const int t = pending.back();
      pending.pop_back();
      if (!f(FNodes[(size_t)t].value)) return;
      for (int c = FNodes[(size_t)t].right; c >= 0; c = FNodes[(size_t)c].left) pending.push_back(c);
    }
  }

  // Calls f on the values in order, passing over every subtree whose sums skip(sums) declines, and
  // takes the sums again on the way back.
  template <class Skip, class F>
  void Visit(Skip skip, F f) {
    Visit(FRoot, skip, f);
  }
  // The same, telling f(before, value) the sums of the values before each one.
  template <class Skip, class F>
  void VisitAfter(Skip skip, F f) {
    Sums before;
    VisitAfter(FRoot, skip, f, before);
  }

 private:
  struct Node {
    Value value {};
    int left = -1, right = -1, parent = -1;
    uint32_t priority = 0;
    Sums sums;
  };

  size_t Count(int t) const { return (size_t)Sum(t).count; }
  const Sums& Sum(int t) const {
    static const Sums none {};
    return t < 0 ? none : FNodes[(size_t)t].sums;
  }
  void SetRoot() {
    if (FRoot >= 0) FNodes[(size_t)FRoot].parent = -1;
  }

  int Nth(size_t i) const {
    int t = FRoot;
    for (;;) {
      const Node& n = FNodes[(size_t)t];
      const size_t left = Count(n.left);
      if (i == left) return t;
      if (i < left) {
        t = n.left;
      } else {
        i -= left + 1;
        t = n.right;
      }
    }
  }

  void Pull(int t) {
    Node& n = FNodes[(size_t)t];
    Sums s = Sums::Of(n.value);
    if (n.left >= 0) {
      s.Add(FNodes[(size_t)n.left].sums);
      FNodes[(size_t)n.left].parent = t;
    }
    if (n.right >= 0) {
      s.Add(FNodes[(size_t)n.right].sums);
      FNodes[(size_t)n.right].parent = t;
    }
    n.sums = s;
  }

  void Split(int t, size_t k, int& left, int& right) {
    if (t < 0) {
      left = right = -1;
      return;
    }
    if (Count(FNodes[(size_t)t].left) >= k) {
      Split(FNodes[(size_t)t].left, k, left, FNodes[(size_t)t].left);
      right = t;
    } else {
      Split(FNodes[(size_t)t].right, k - Count(FNodes[(size_t)t].left) - 1, FNodes[(size_t)t].right, right);
      left = t;
    }
    Pull(t);
  }

  int Merge(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    if (FNodes[(size_t)a].priority > FNodes[(size_t)b].priority) {
      FNodes[(size_t)a].right = Merge(FNodes[(size_t)a].right, b);
      Pull(a);
      return a;
    }
    FNodes[(size_t)b].left = Merge(a, FNodes[(size_t)b].left);
    Pull(b);
    return b;
  }

  int NewNode(Value value) {
    int t;
    if (!FFree.empty()) {
      t = FFree.back();
      FFree.pop_back();
    } else {
      t = (int)FNodes.size();
      FNodes.emplace_back();
    }
    Node& n = FNodes[(size_t)t];
    n.value = std::move(value);
    n.left = n.right = n.parent = -1;
    FSeed ^= FSeed << 13, FSeed ^= FSeed >> 17, FSeed ^= FSeed << 5;
    n.priority = FSeed;
    return t;
  }

  // Puts node n in at index k of subtree t: down to where its priority ranks it, then the subtree
  // there split around it. Answers the subtree's new root.
  int InsertNode(int t, size_t k, int n) {
    if (t < 0) return n;
    if (FNodes[(size_t)n].priority > FNodes[(size_t)t].priority) {
      int left, right;
      Split(t, k, left, right);
      FNodes[(size_t)n].left = left;
      FNodes[(size_t)n].right = right;
      Pull(n);
      return n;
    }
    const size_t own = Count(FNodes[(size_t)t].left);
    if (k <= own) {
      const int l = InsertNode(FNodes[(size_t)t].left, k, n);
      FNodes[(size_t)t].left = l;
    } else {
      const int r = InsertNode(FNodes[(size_t)t].right, k - own - 1, n);
      FNodes[(size_t)t].right = r;
    }
    Pull(t);
    return t;
  }

  // Takes out the value at index k of subtree t, its children merged in its place.
  int EraseNode(int t, size_t k) {
    const size_t own = Count(FNodes[(size_t)t].left);
    if (k == own) {
      const int joined = Merge(FNodes[(size_t)t].left, FNodes[(size_t)t].right);
      FNodes[(size_t)t].value = Value {};
      FFree.push_back(t);
      return joined;
    }
    if (k < own) {
      const int l = EraseNode(FNodes[(size_t)t].left, k);
      FNodes[(size_t)t].left = l;
    } else {
      const int r = EraseNode(FNodes[(size_t)t].right, k - own - 1);
      FNodes[(size_t)t].right = r;
    }
    Pull(t);
    return t;
  }

  // The values as a treap of their own, built in linear time: each node goes on the right spine, under
  // the last node of higher priority.
  template <class F>
  int Build(std::vector<Value>& values, F& placed) {
    std::vector<int> spine;
    for (Value& value : values) {
      const int t = NewNode(std::move(value));
      Node& n = FNodes[(size_t)t];
      placed(n.value, t);
      int last = -1;
      while (!spine.empty() && FNodes[(size_t)spine.back()].priority < n.priority) {
        last = spine.back();
        spine.pop_back();
        Pull(last);
      }
      FNodes[(size_t)t].left = last;
      if (!spine.empty()) FNodes[(size_t)spine.back()].right = t;
      spine.push_back(t);
    }
    for (size_t i = spine.size(); i-- > 0;) Pull(spine[i]);
    return spine.empty() ? -1 : spine.front();
  }

  // Frees a subtree's nodes, without recursion: a subtree may be long on one side.
  void Release(int t) {
    std::vector<int> pending;
    if (t >= 0) pending.push_back(t);
    while (!pending.empty()) {
      const int n = pending.back();
      pending.pop_back();
      if (FNodes[(size_t)n].left >= 0) pending.push_back(FNodes[(size_t)n].left);
      if (FNodes[(size_t)n].right >= 0) pending.push_back(FNodes[(size_t)n].right);
      FNodes[(size_t)n].value = Value {};
      FFree.push_back(n);
    }
  }

  template <class Skip, class F>
  void Visit(int t, Skip& skip, F& f) {
    if (t < 0 || skip(FNodes[(size_t)t].sums)) return;
    Visit(FNodes[(size_t)t].left, skip, f);
    f(FNodes[(size_t)t].value);
    Visit(FNodes[(size_t)t].right, skip, f);
    Pull(t);
  }

  template <class Skip, class F>
  void VisitAfter(int t, Skip& skip, F& f, Sums& before) {
    if (t < 0) return;
    if (skip(FNodes[(size_t)t].sums)) {
      before.Add(FNodes[(size_t)t].sums);
      return;
    }
    VisitAfter(FNodes[(size_t)t].left, skip, f, before);
    f(static_cast<const Sums&>(before), FNodes[(size_t)t].value);
    before.Add(Sums::Of(FNodes[(size_t)t].value));
    VisitAfter(FNodes[(size_t)t].right, skip, f, before);
    Pull(t);
  }

  std::vector<Node> FNodes;
  std::vector<int> FFree;
  int FRoot { -1 };
  uint32_t FSeed { 0x9E3779B9u };
};

// The sums of a sequence that only counts.
struct CountSums {
  long long count = 0;
  template <class Value>
  static CountSums Of(const Value&) {
    return CountSums { 1 };
  }
  void Add(const CountSums& s) { count += s.count; }
};

// A sequence read and written by index like an array, whose values go in or out anywhere in
// logarithmic time.
template <class Value>
class IndexedList {
 public:
  size_t Size() const { return FTree.Size(); }
  bool Empty() const { return FTree.Size() == 0; }
  const Value& operator[](size_t i) const { return FTree.At(i); }
  Value& operator[](size_t i) { return FTree.Ref(i); }

  void Insert(size_t at, Value value) {
    std::vector<Value> one;
    one.push_back(std::move(value));
    FTree.Insert(at, std::move(one));
  }
  void Insert(size_t at, std::vector<Value> values) { FTree.Insert(at, std::move(values)); }
  void Reserve(size_t n) { FTree.Reserve(n); }
  void Erase(size_t at, size_t count = 1) { FTree.Erase(at, count); }
  void Clear() { FTree.Assign({}); }
  void Assign(std::vector<Value> values) { FTree.Assign(std::move(values)); }

  // The values in order, as an array.
  std::vector<Value> Copy() const {
    std::vector<Value> out;
    out.reserve(Size());
    ForEachFrom(0, [&](const Value& v) {
      out.push_back(v);
      return true;
    });
    return out;
  }
  // Calls f on the values from index i on, in order, while it returns true.
  template <class F>
  void ForEachFrom(size_t i, F f) const {
    FTree.ForEachFrom(i, f);
  }
  // Calls f on every value, in order, allowed to change it.
  template <class F>
  void ForEach(F f) {
    FTree.Visit([](const CountSums&) { return false; }, f);
  }
  // The first index whose value x sorts before by `less(x, value)`, the values being in that order.
  template <class T, class Less>
  size_t UpperBound(const T& x, Less less) const {
    return FTree.PartitionPoint([&](const Value& v) { return less(x, v); });
  }

 private:
  OrderTree<Value, CountSums> FTree;
};

}  // namespace xj::ctl
