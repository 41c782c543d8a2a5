#pragma once
// The port's own input buffer: a byte ring whose capacity SetupComm chooses. A few bytes of slack
// beyond the capacity let the input filter finish a byte sequence it already started.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace xj {

class CommRing {
 public:
  explicit CommRing(size_t capacity) { Resize(capacity); }

  size_t Count() const { return FCount; }
  size_t Capacity() const { return FCapacity; }
  size_t Free() const { return FCount >= FCapacity ? 0 : FCapacity - FCount; }
  bool Full() const { return Free() == 0; }

  // Never drops a byte: the new capacity is at least what is buffered.
  void Resize(size_t capacity) {
    capacity = std::max(capacity, FCount);
    std::vector<uint8_t> bytes(capacity + kSlack);
    const size_t count = FCount;
    Take(bytes.data(), count);
    FBytes.swap(bytes);
    FCapacity = capacity;
    FHead = 0;
    FCount = count;
  }

  // Appends one byte; false only when even the slack is used up.
  bool Push(uint8_t byte) {
    if (FCount >= FBytes.size()) return false;
    FBytes[(FHead + FCount) % FBytes.size()] = byte;
    ++FCount;
    return true;
  }

  size_t Take(uint8_t* out, size_t count) {
    count = std::min(count, FCount);
    if (count == 0) return 0;
    const size_t first = std::min(count, FBytes.size() - FHead);
    std::memcpy(out, FBytes.data() + FHead, first);
    std::memcpy(out + first, FBytes.data(), count - first);
    FHead = (FHead + count) % FBytes.size();
    FCount -= count;
    return count;
  }

  void Clear() {
    FHead = 0;
    FCount = 0;
  }

 private:
  static constexpr size_t kSlack = 4;

  std::vector<uint8_t> FBytes;
  size_t FCapacity = 0;
  size_t FHead = 0;
  size_t FCount = 0;
};

}  // namespace xj
