#pragma once
// The few values built lately, by key: the skinning library keeps what one control built from a skin
// picture (a widened area, a mask's black, a shape, a check image) for the next controls of its kind.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "skin/data/bsSkinData.h"

template <class TKey, class TValue, size_t N>
class TbsRecent {
 public:
  // The value kept under Key; null when none is.
  TValue* Find(const TKey& Key) {
    // Newest first: what a control built last is what the next one of its kind asks for.
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
      if (it->first == Key) return &it->second;
    return nullptr;
  }
  // Keeps Value under Key (a new key: the oldest goes when N are kept).
  TValue& Keep(TKey Key, TValue Value) {
    if (TValue* kept = Find(Key)) return *kept = std::move(Value);
    if (FEntries.size() == N) FEntries.erase(FEntries.begin());
    return FEntries.emplace_back(std::move(Key), std::move(Value)).second;
  }
  // Lets everything go when skin pictures changed since the last call: what was built from them is stale.
  void FollowSkinPictures() {
    if (FEpoch == bsSkinPicturesEpoch()) return;
    FEntries.clear();
    FEpoch = bsSkinPicturesEpoch();
  }

 private:
  std::vector<std::pair<TKey, TValue>> FEntries;
  uint64_t FEpoch { 0 };
};
