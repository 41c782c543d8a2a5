#pragma once
// Integer arithmetic that stops at the ends of the int range instead of overflowing: coordinates that
// come from outside (a skin file, a caller's window size) may lie anywhere in it.
#include <cstdint>
#include <limits>

namespace xj {

constexpr int ClampInt(int64_t V) {
  return V < std::numeric_limits<int>::min()   ? std::numeric_limits<int>::min()
         : V > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                               : static_cast<int>(V);
}
constexpr int SatAdd(int A, int B) { return ClampInt(int64_t { A } + B); }
constexpr int SatSub(int A, int B) { return ClampInt(int64_t { A } - B); }

// Windows are placed within this of the origin and are no larger, whatever a caller asks: the 16-bit
// range the window messages carry sizes and positions in (WM_SIZE, WM_MOVE), so a window's edges and
// the sums of a few of them always fit in an int too.
constexpr int MaxWindowExtent = 32767;
constexpr int ClampPosition(int V) {
  return V < -MaxWindowExtent ? -MaxWindowExtent : V > MaxWindowExtent ? MaxWindowExtent : V;
}
constexpr int ClampExtent(int V) { return V < 0 ? 0 : V > MaxWindowExtent ? MaxWindowExtent : V; }

}  // namespace xj
