#pragma once
// Pictures several controls build alike, by everything they are built from: the controls of one kind and
// size on a new skin build one between them. Per thread; an entry lives as long as a control keeps it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace xj::skin {

template <class T>
class TSharedByKey {
 public:
  static TSharedByKey& OfThread() {
    thread_local TSharedByKey table;
    return table;
  }
  std::shared_ptr<T> Find(const std::vector<int64_t>& Key) const {
    const auto it = FItems.find(Key);
    return it == FItems.end() ? nullptr : it->second.lock();
  }
  // What is shared is never changed afterwards: a rebuilt picture is added in its place.
  void Add(const std::vector<int64_t>& Key, const std::shared_ptr<T>& Value) {
    // Entries no control keeps any more go once the table has doubled since it was last swept.
    if (FItems.size() >= FSweepAt) {
      std::erase_if(FItems, [](const auto& entry) { return entry.second.expired(); });
      FSweepAt = 2 * FItems.size() + 64;
    }
    FItems[Key] = Value;
  }
  // Value, rebuilt for NewKey, under NewKey instead of OldKey (where it is no longer found). The old entry is
  // taken over where it is still Value's: a skin switch rebuilds every face, and the entry's memory and its
  // key's serve again rather than being freed and made anew.
  void Rekey(const std::vector<int64_t>& OldKey, const std::vector<int64_t>& NewKey, const std::shared_ptr<T>& Value) {
    const auto it = FItems.find(OldKey);
    if (it == FItems.end() || it->second.owner_before(Value) || Value.owner_before(it->second)) {
      Add(NewKey, Value);
      return;
    }
    auto node = FItems.extract(it);
    node.key() = NewKey;
    node.mapped() = Value;
    if (auto placed = FItems.insert(std::move(node)); !placed.inserted) placed.position->second = Value;
  }

 private:
  struct THash {
    size_t operator()(const std::vector<int64_t>& Key) const {
      uint64_t h = 1469598103934665603ull;
      for (int64_t v : Key) h = (h ^ uint64_t(v)) * 1099511628211ull;
      return size_t(h ^ (h >> 32));
    }
  };
  std::unordered_map<std::vector<int64_t>, std::weak_ptr<T>, THash> FItems;
  size_t FSweepAt { 64 };
};

}  // namespace xj::skin
