#pragma once
// Where the 800 x 600 form of 100 controls puts each control: shared by the skinned form
// (bench/SkinForm.h) and the toolkits' copies of it (bench/toolkits/), which see no class-library header.

namespace xj::bench {

inline constexpr int kFormWidth = 800, kFormHeight = 600;
// Ten kinds, ten of each in a row; list boxes and combo boxes hold kListLines lines, memos kMemoLines.
inline constexpr int kFormKinds = 10, kFormPerKind = 10, kListLines = 8, kMemoLines = 6;

// The i-th control of the k-th kind: no two of the hundred of one size, as on a real form, so that no face
// drawn for one control serves another.
struct FormPlace {
  int x, y, width, height;
};
inline FormPlace PlaceOf(int k, int i) { return { i * 78 + 2, k * 54 + 2, 74 - i, 50 - (k + i) % 10 }; }

}  // namespace xj::bench
