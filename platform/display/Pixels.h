#pragma once
// Plain 32-bit pixel buffers, the only picture type the display back-ends and the PNG code know.
// A pixel is 0x00RRGGBB in a uint32_t: B, G, R, X bytes in memory, the layout of a 32-bit top-down DIB.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xj::display {

// Someone else's pixels, borrowed for the duration of a call. Rows are `stride` bytes apart.
struct SurfaceView {
  const uint32_t* pixels { nullptr };
  int width { 0 };
  int height { 0 };
  int stride { 0 };

  const uint32_t* Row(int y) const {
    return reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * stride);
  }
};

// Owned pixels, rows packed (stride = 4 × width).
struct Image {
  int width { 0 };
  int height { 0 };
  std::vector<uint32_t> pixels;

  Image() = default;
  Image(int w, int h, uint32_t fill = 0)
      : width(w > 0 && h > 0 ? w : 0), height(w > 0 && h > 0 ? h : 0), pixels(size_t(width) * height, fill) {}

  bool Empty() const { return pixels.empty(); }
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
  uint32_t& At(int x, int y) { return pixels[size_t(y) * width + x]; }
  uint32_t* Row(int y) { return pixels.data() + size_t(y) * width; }
  const uint32_t* Row(int y) const { return pixels.data() + size_t(y) * width; }
  SurfaceView View() const { return { pixels.data(), width, height, width * 4 }; }
};

// a·src + (255 − a)·dst per channel, rounded to nearest: how layered windows and icons are mixed.
inline uint32_t BlendPixel(uint32_t src, uint32_t dst, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace xj::display
