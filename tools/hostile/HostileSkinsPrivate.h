#pragma once
// What the generator's families share across its files: the random numbers, the skin's files as bytes,
// little-endian fields, and the family tables of the files that make pictures and streams.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/hostile/HostileSkins.h"
#include "tools/mkskin/TestSkin.h"

namespace hostile::detail {

using Bytes = std::vector<uint8_t>;

// SplitMix64: small, fast and the same everywhere, unlike the standard library's distributions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : FState(seed) {}
  uint64_t Next() {
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  template <class T>
  const T& Pick(const std::vector<T>& v) {
    return v[static_cast<size_t>(Below(static_cast<int>(v.size())))];
  }

 private:
  uint64_t FState;
};

// Makes input k of a family from a copy of the good skin.
using Maker = void (*)(mkskin::Skin&, Rng&, int, Input&);
struct FamilyDef {
  Family family;
  Maker make;
};

Bytes Text(const std::string& s);
void Put16(Bytes& b, size_t at, uint16_t v);
void Put32(Bytes& b, size_t at, uint32_t v);
void Append16(Bytes& b, uint16_t v);
void Append32(Bytes& b, uint32_t v);

// The skin directory's files: the INI, then each picture once under its file name.
std::vector<std::pair<std::string, Bytes>> Files(const mkskin::Skin& skin);
Bytes* FileBytes(Input& in, const std::string& name);
// Every picture of the skin, the base three first.
std::vector<mkskin::SkinPicture*> Pictures(mkskin::Skin& skin);

// An RLE8 picture of 8192 x 8192 pixels (2^26, the readers' limit) in a few tens of kilobytes.
Bytes LimitRle8();

// The picture, BMP and stream families (HostileBmp.cpp, HostileStreams.cpp), in set order.
std::vector<FamilyDef> BmpFamilies();
std::vector<FamilyDef> StreamFamilies();

}  // namespace hostile::detail
