#pragma once
// A few values built lately, found again by what they were built from. Every cache in the libraries is
// one of these: a fixed number of entries (or a limit on their total cost, such as their bytes), the one
// used least lately let go when a new one comes, and keys compared by value. A key holds everything the value depends
// on (the content itself, or an owner's identity together with a change counter the owner bumps), never the address of
// an object that may change or be freed and made again at the same place: such a key finds what no longer holds. Not
// locked: a cache belongs to one thread, or its owner locks around it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <list>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace xj {

// Hashes of the keys the caches use: numbers and handles, strings, pairs, and arrays or vectors of
// plain values (hashed over their bytes).
template <class T>
struct CacheHash {
  size_t operator()(const T& v) const noexcept {
    if constexpr (std::is_trivially_copyable_v<T> && std::has_unique_object_representations_v<T>)
      return Bytes(&v, sizeof v);
    else
      return std::hash<T> {}(v);
  }
  // Eight bytes at a step, then the rest one by one.
  static size_t Bytes(const void* p, size_t n) noexcept {
    const auto* b = static_cast<const unsigned char*>(p);
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    for (; n >= 8; n -= 8, b += 8) {
      uint64_t w;
      std::memcpy(&w, b, 8);
      h = (h ^ w) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 29;
    }
    for (; n > 0; --n, ++b) h = (h ^ *b) * 1099511628211ull;
    return size_t(h ^ (h >> 32));
  }
};

template <class T>
struct CacheHash<std::vector<T>> {
  static_assert(std::has_unique_object_representations_v<T>, "a vector key's values are hashed by their bytes");
  size_t operator()(const std::vector<T>& v) const noexcept {
    return CacheHash<int>::Bytes(v.data(), v.size() * sizeof(T));
  }
};

template <class A, class B>
struct CacheHash<std::pair<A, B>> {
  size_t operator()(const std::pair<A, B>& v) const noexcept {
    return CacheHash<A> {}(v.first) * 31 + CacheHash<B> {}(v.second);
  }
};

template <class Key, class Value, class Hash = CacheHash<Key>, class Equal = std::equal_to<Key>>
class BoundedCache {
 public:
  explicit BoundedCache(size_t capacity) : capacity_(capacity ? capacity : 1) {}
  // Bounded by the entries' total cost, each given as it is kept, rather than by their number.
  struct ByCost {};
  BoundedCache(ByCost, size_t costLimit) : capacity_(std::numeric_limits<size_t>::max()), costLimit_(costLimit) {}
  BoundedCache(const BoundedCache&) = delete;
  BoundedCache& operator=(const BoundedCache&) = delete;

  // The value kept under `key`, now the one used last; null when none is.
  Value* Find(const Key& key) { return Find(key, Hash {}(key)); }
  // Keeps `value` under `key`, in place of what was kept under it; while the cache is over its capacity
  // or its cost limit, the entries used least lately go to make room, never the one just kept.
  Value& Keep(Key key, Value value, size_t cost = 0) {
    const size_t hash = Hash {}(key);
    if (Value* kept = Find(key, hash)) {
      cost_ = cost_ - order_.front().cost + cost;
      order_.front().cost = cost;
      *kept = std::move(value);
    } else {
      order_.push_front(Entry { std::move(key), std::move(value), hash, cost });
      index_.emplace(Ref { &order_.front().key, hash }, order_.begin());
      cost_ += cost;
    }
    Trim();
    return order_.front().value;
  }
  // A new limit on the total cost, entries let go at once down to it.
  void SetCostLimit(size_t limit) {
    costLimit_ = limit;
    Trim();
  }
  void Clear() {
    index_.clear();
    order_.clear();
    cost_ = 0;
  }
  size_t Size() const { return order_.size(); }
  size_t Cost() const { return cost_; }
  // How many entries were let go to make room, since the cache was made.
  uint64_t LetGo() const { return letGo_; }

 private:
  struct Entry {
    Key key;
    Value value;
    size_t hash;  // of key, worked out once
    size_t cost;
  };
  using Order = std::list<Entry>;  // used last first; a node never moves in memory
  struct Ref {
    const Key* key;
    size_t hash;
  };
  struct RefHash {
    size_t operator()(const Ref& r) const noexcept { return r.hash; }
  };
  struct RefEqual {
    bool operator()(const Ref& a, const Ref& b) const { return a.hash == b.hash && Equal {}(*a.key, *b.key); }
  };

  Value* Find(const Key& key, size_t hash) {
    const auto it = index_.find(Ref { &key, hash });
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return &it->second->value;
  }

  void Trim() {
    while (order_.size() > 1 && (order_.size() > capacity_ || cost_ > costLimit_)) {
      cost_ -= order_.back().cost;
      index_.erase(Ref { &order_.back().key, order_.back().hash });
      order_.pop_back();
      ++letGo_;
    }
  }

  size_t capacity_;
  size_t costLimit_ { std::numeric_limits<size_t>::max() };
  size_t cost_ { 0 };
  uint64_t letGo_ { 0 };
  Order order_;
  std::unordered_map<Ref, typename Order::iterator, RefHash, RefEqual> index_;
};

}  // namespace xj
