#pragma once
// Pictures several controls build alike, by everything they are built from: the controls of one kind and
// size on a new skin build one between them. A picture lives as long as a control keeps it; the table
// holds the last few hundred keys, each with a weak hold on its picture.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/BoundedCache.h"

namespace xj::skin {

template <class T>
class TSharedByKey {
 public:
  using TKey = std::vector<int64_t>;
  static TSharedByKey& OfThread() {
    thread_local TSharedByKey table;  // a picture is drawn and shared on the thread of its controls
    return table;
  }
  // The picture kept under Key while a control still holds it; null otherwise.
  std::shared_ptr<T> Find(const TKey& Key) {
    const std::weak_ptr<T>* kept = FItems.Find(Key);
    return kept ? kept->lock() : nullptr;
  }
  // What is shared is never changed afterwards: a rebuilt picture is added in its place.
  void Add(TKey Key, const std::shared_ptr<T>& Value) { FItems.Keep(std::move(Key), Value); }

 private:
  xj::BoundedCache<TKey, std::weak_ptr<T>> FItems { 512 };
};

}  // namespace xj::skin
