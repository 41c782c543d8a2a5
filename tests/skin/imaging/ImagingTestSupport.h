#pragma once
// Coordinate-coded pictures for the imaging tests: pixel (x, y) of a coded source is RGB(x, y, 99), so
// every pixel of a built face says which source pixel it came from.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "platform/vcl/Graphics.h"
#include "skin/data/bsUtils.h"

namespace imaging_test {

constexpr uint8_t kCodeBlue = 99;

inline uint32_t* Row32(TBitmap& B, int y) { return static_cast<uint32_t*>(B.ScanLine(y)); }

// A picture of w x h in the given format (24 or 32 bits) filled by f(x, y) -> 0x00RRGGBB.
template <class F>
std::unique_ptr<TBitmap> Picture(int w, int h, F f, TPixelFormat format = pf32bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(b->ScanLine(y));
    const int bytes = format == pf24bit ? 3 : 4;
    for (int x = 0; x < w; ++x) {
      const uint32_t c = f(x, y);
      row[bytes * x] = uint8_t(c);
      row[bytes * x + 1] = uint8_t(c >> 8);
      row[bytes * x + 2] = uint8_t(c >> 16);
      if (bytes == 4) row[bytes * x + 3] = 0;
    }
  }
  return b;
}

inline uint32_t Code(int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | kCodeBlue; }

inline std::unique_ptr<TBitmap> Coded(int w, int h, TPixelFormat format = pf32bit) {
  return Picture(w, h, Code, format);
}

// The pixel as 0x00RRGGBB, whatever the picture's format.
inline uint32_t Px(TBitmap& B, int x, int y) {
  const TColor c = B.Canvas()->Pixels(x, y);  // 0x00BBGGRR
  const uint32_t v = uint32_t(int32_t(c));
  return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}

constexpr uint32_t kWhite = 0xFFFFFF;

typedef std::set<std::pair<int, int>> PixelSet;

// Every pixel of B that is not the background colour.
inline PixelSet Painted(TBitmap& B, uint32_t Background = kWhite) {
  PixelSet s;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (Px(B, x, y) != Background) s.insert({ x, y });
  return s;
}

}  // namespace imaging_test
