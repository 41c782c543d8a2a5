#pragma once
// A few values built lately, found again by what they were built from. Every cache in the libraries is
// one of these: a fixed number of entries, the one used least lately let go when a new one comes, and
// keys compared by value. A key holds everything the value depends on (the content itself, or an
// owner's identity together with a change counter the owner bumps), never the address of an object
// that may change or be freed and made again at the same place: such a key finds what no longer holds.
// Not locked: a cache belongs to one thread, or its owner locks around it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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
  static size_t Bytes(const void* p, size_t n) noexcept {
    uint64_t h = 1469598103934665603ull;
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
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
  BoundedCache(const BoundedCache&) = delete;
  BoundedCache& operator=(const BoundedCache&) = delete;

  // The value kept under `key`, now the one used last; null when none is.
  Value* Find(const Key& key) {
    const auto it = index_.find(std::cref(key));
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return &it->second->second;
  }
  // Keeps `value` under `key`, in place of what was kept under it; when the cache is full, the entry used
  // least lately goes to make room.
  Value& Keep(Key key, Value value) {
    if (Value* kept = Find(key)) return *kept = std::move(value);
    if (order_.size() == capacity_) {
      index_.erase(std::cref(order_.back().first));
      order_.pop_back();
    }
    order_.emplace_front(std::move(key), std::move(value));
    index_.emplace(std::cref(order_.front().first), order_.begin());
    return order_.front().second;
  }
  void Clear() {
    index_.clear();
    order_.clear();
  }
  size_t Size() const { return order_.size(); }

 private:
  using Order = std::list<std::pair<Key, Value>>;  // used last first; a node never moves in memory
  struct RefHash {
    size_t operator()(std::reference_wrapper<const Key> k) const { return Hash {}(k.get()); }
  };
  struct RefEqual {
    bool operator()(std::reference_wrapper<const Key> a, std::reference_wrapper<const Key> b) const {
      return Equal {}(a.get(), b.get());
    }
  };
  size_t capacity_;
  Order order_;
  std::unordered_map<std::reference_wrapper<const Key>, typename Order::iterator, RefHash, RefEqual> index_;
};

}  // namespace xj
