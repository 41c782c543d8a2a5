#pragma once
// Pascal sets: a bit set over an enumeration whose values run from 0 (at most 64 of them).
//   TFontStyles s { fsBold };  s << fsItalic;  if (s.Contains(fsBold)) ...;  s = s - TFontStyles { fsBold };

#include <cstdint>
#include <initializer_list>

template <class E>
class Set {
 public:
  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> elements) {
    for (E e : elements) FBits |= Bit(e);
  }

  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Clear() { FBits = 0; }
  constexpr Set& operator<<(E e) {
    FBits |= Bit(e);
    return *this;
  }
  constexpr Set& operator>>(E e) {
    FBits &= ~Bit(e);
    return *this;
  }

  constexpr Set operator+(Set o) const { return FromBits(FBits | o.FBits); }   // union
  constexpr Set operator-(Set o) const { return FromBits(FBits & ~o.FBits); }  // difference
  constexpr Set operator*(Set o) const { return FromBits(FBits & o.FBits); }   // intersection
  constexpr Set& operator+=(Set o) { return *this = *this + o; }
  constexpr Set& operator-=(Set o) { return *this = *this - o; }
  constexpr Set& operator*=(Set o) { return *this = *this * o; }
  constexpr bool operator==(const Set&) const = default;
  // Subset test, as Pascal's <=.
  constexpr bool operator<=(Set o) const { return (FBits & ~o.FBits) == 0; }

  // Bit i stands for the element with ordinal value i (the layout of a Pascal set).
  constexpr uint64_t ToBits() const { return FBits; }
  static constexpr Set FromBits(uint64_t bits) {
    Set s;
    s.FBits = bits;
    return s;
  }

 private:
  static constexpr uint64_t Bit(E e) { return uint64_t { 1 } << static_cast<unsigned>(e); }

  uint64_t FBits { 0 };
};
