#pragma once
// Writes what a window shows to build/tests/gallery/<name>.png, for a person to look at.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "platform/testing/TestHooks.h"

namespace xj::test {

// `frame`: the whole window, else its client area. `area` (window or client coordinates) crops.
inline void GalleryPng(HWND hwnd, const std::string& name, bool frame, RECT area = { 0, 0, 0, 0 }) {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = WindowPixels(hwnd, frame, &w, &h);
  if (area.right <= area.left || area.bottom <= area.top) area = RECT { 0, 0, w, h };
  const int cw = area.right - area.left, ch = area.bottom - area.top;
  std::vector<uint32_t> px;
  px.reserve(static_cast<size_t>(cw) * static_cast<size_t>(ch));
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF v = x >= 0 && y >= 0 && x < w && y < h ? all[static_cast<size_t>(y) * w + x] : 0;
      px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
    }
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
  std::filesystem::create_directories(dir);
  const xj::display::SurfaceView view { px.data(), cw, ch, cw * 4 };
  ASSERT_TRUE(xj::display::WritePng((dir / (name + ".png")).string(), view)) << name;
}

}  // namespace xj::test
