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
  using TKey = std::vector<int64_t>;
  static TSharedByKey& OfThread() {
    thread_local TSharedByKey table;
    return table;
  }
  // A key's hash, for the calls below that take it: a caller that keeps a key keeps its hash beside it, so
  // that a key of some fifty values is hashed once however often it is looked up or moved.
  static size_t HashOf(const TKey& Key) {
    uint64_t h = 1469598103934665603ull;
    for (int64_t v : Key) h = (h ^ uint64_t(v)) * 1099511628211ull;
    return size_t(h ^ (h >> 32));
  }

  std::shared_ptr<T> Find(const TKey& Key) const { return Find(Key, HashOf(Key)); }
  std::shared_ptr<T> Find(const TKey& Key, size_t Hash) const {
    const auto it = FItems.find(TView { Hash, &Key });
    return it == FItems.end() ? nullptr : it->second.lock();
  }
  // What is shared is never changed afterwards: a rebuilt picture is added in its place.
  void Add(const TKey& Key, const std::shared_ptr<T>& Value) { Add(Key, HashOf(Key), Value); }
  void Add(const TKey& Key, size_t Hash, const std::shared_ptr<T>& Value) {
    // Entries no control keeps any more go once the table has doubled since it was last swept.
    if (FItems.size() >= FSweepAt) {
      std::erase_if(FItems, [](const auto& entry) { return entry.second.expired(); });
      FSweepAt = 2 * FItems.size() + 64;
    }
    if (const auto it = FItems.find(TView { Hash, &Key }); it != FItems.end())
      it->second = Value;
    else
      FItems.emplace(TEntry { Hash, Key }, Value);
  }
  // Value, rebuilt for NewKey, under NewKey instead of OldKey (where it is no longer found). The old entry is
  // taken over where it is still Value's: a skin switch rebuilds every face, and the entry's memory and its
  // key's serve again rather than being freed and made anew.
  void Rekey(const TKey& OldKey, const TKey& NewKey, const std::shared_ptr<T>& Value) {
    Rekey(OldKey, HashOf(OldKey), NewKey, HashOf(NewKey), Value);
  }
  void Rekey(const TKey& OldKey, size_t OldHash, const TKey& NewKey, size_t NewHash, const std::shared_ptr<T>& Value) {
    const auto it = FItems.find(TView { OldHash, &OldKey });
    if (it == FItems.end() || it->second.owner_before(Value) || Value.owner_before(it->second)) {
      Add(NewKey, NewHash, Value);
      return;
    }
    auto node = FItems.extract(it);
    node.key().Hash = NewHash;
    node.key().Values = NewKey;
    node.mapped() = Value;
    if (auto placed = FItems.insert(std::move(node)); !placed.inserted) placed.position->second = Value;
  }

 private:
  // An entry's key holds its hash, so that neither a look-up nor the table's growth hashes a stored key.
  // Two keys are the same only when all their values are: a hash given wrongly can make a key not found,
  // never find another one's picture.
  struct TEntry {
    size_t Hash;
    TKey Values;
  };
  struct TView {
    size_t Hash;
    const TKey* Values;
  };
  struct THash {
    using is_transparent = void;
    size_t operator()(const TEntry& Key) const noexcept { return Key.Hash; }
    size_t operator()(const TView& Key) const noexcept { return Key.Hash; }
  };
  struct TEqual {
    using is_transparent = void;
    bool operator()(const TEntry& A, const TEntry& B) const { return A.Hash == B.Hash && A.Values == B.Values; }
    bool operator()(const TView& A, const TEntry& B) const { return A.Hash == B.Hash && *A.Values == B.Values; }
    bool operator()(const TEntry& A, const TView& B) const { return (*this)(B, A); }
  };
  std::unordered_map<TEntry, std::weak_ptr<T>, THash, TEqual> FItems;
  size_t FSweepAt { 64 };
};

}  // namespace xj::skin
