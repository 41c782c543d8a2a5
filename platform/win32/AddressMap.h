#pragma once
// Values by address (a handle, an object's pointer): open addressing with linear probing, so that a
// lookup reads one or two adjacent slots instead of chasing a node. Lists that hold 100,000 items ask
// whether a handle is alive on every message; a node-based set costs two cache misses per question
// there. Addresses handed out in sequence sit in runs, so the slot comes from a multiplicative hash:
// taken as they are, a new address landing on such a run would probe its whole length. Key 0 is never
// stored (it marks a free slot).

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace xj {

template <class Value>
class AddressMap {
 public:
  static uintptr_t Key(const void* p) { return reinterpret_cast<uintptr_t>(p); }

  const Value* Find(uintptr_t key) const {
    if (!key) return nullptr;
    for (size_t i = Home(key);; i = Next(i)) {
      if (FSlots[i].key == key) return &FSlots[i].value;
      if (!FSlots[i].key) return nullptr;
    }
  }
  Value* Find(uintptr_t key) { return const_cast<Value*>(std::as_const(*this).Find(key)); }
  bool Contains(uintptr_t key) const { return Find(key) != nullptr; }
  bool Contains(const void* p) const { return Contains(Key(p)); }

  // Stores a value under a key that is not there yet.
  void Insert(uintptr_t key, Value value) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    Place(key, std::move(value));
    ++FCount;
  }

  // Takes a key's value out into *out (when given); false when the key is not there.
  bool Erase(uintptr_t key, Value* out = nullptr) {
    if (!key) return false;
    size_t i = Home(key);
    for (; FSlots[i].key != key; i = Next(i))
      if (!FSlots[i].key) return false;
    if (out) *out = std::move(FSlots[i].value);
    // Close the gap: a later entry of the run moves back unless its home lies after the gap.
    for (size_t j = Next(i); FSlots[j].key; j = Next(j)) {
      const size_t home = Home(FSlots[j].key);
      const bool homeInGap = i <= j ? (home > i && home <= j) : (home > i || home <= j);
      if (homeInGap) continue;
      FSlots[i] = std::move(FSlots[j]);
      i = j;
    }
    FSlots[i] = Slot {};
    --FCount;
    return true;
  }
  bool Erase(const void* p) { return Erase(Key(p)); }

  size_t Size() const { return FCount; }

  void Clear() { *this = AddressMap(); }

  // Calls f(key, value) for every entry, in no particular order; f must not change the map.
  template <class F>
  void ForEach(F f) const {
    for (const Slot& s : FSlots)
      if (s.key) f(s.key, s.value);
  }

 private:
  struct Slot {
    uintptr_t key = 0;
    [[no_unique_address]] Value value {};  // a set's slot is its key alone
  };
  size_t Home(uintptr_t key) const { return size_t((uint64_t(key >> 4) * 0x9E3779B97F4A7C15ull) >> (64 - FBits)); }
  size_t Next(size_t i) const { return (i + 1) & (FSlots.size() - 1); }
  void Place(uintptr_t key, Value value) {
    size_t i = Home(key);
    while (FSlots[i].key) i = Next(i);
    FSlots[i] = Slot { key, std::move(value) };
  }
  void Grow() {
    std::vector<Slot> old(FSlots.size() * 2);
    old.swap(FSlots);
    ++FBits;
    for (Slot& s : old)
      if (s.key) Place(s.key, std::move(s.value));
  }

  int FBits = 4;
  std::vector<Slot> FSlots = std::vector<Slot>(size_t(1) << FBits);
  size_t FCount = 0;
};

// Addresses alone: a set of live objects.
struct Present {};
struct AddressSet : AddressMap<Present> {
  void Insert(const void* p) { AddressMap<Present>::Insert(Key(p), Present {}); }
  using AddressMap<Present>::Erase;
};

}  // namespace xj
