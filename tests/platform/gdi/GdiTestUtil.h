#pragma once
// A small 32-bit drawing target for pixel tests, and helpers to read it as text.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/PixelRows.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinGdi_user.h"

namespace gditest {

// A memory DC with a DIB section selected, made from a BITMAPINFO (with its colours or masks after it).
class Section {
 public:
  explicit Section(const BITMAPINFO& bi) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
  }
  ~Section() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bmp_; }
  void* bits() const { return bits_; }

 private:
  HDC dc_ {};
  HBITMAP bmp_ {};
  HGDIOBJ old_ {};
  void* bits_ { nullptr };
};

// A memory DC with a top-down 32-bit DIB section selected.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255))
      : w_(w), h_(h), section_(Info(w, h)), bits_(static_cast<uint32_t*>(section_.bits())) {
    Fill(fill);
  }

  HDC dc() const { return section_.dc(); }
  HBITMAP bitmap() const { return section_.bitmap(); }
  int w() const { return w_; }
  int h() const { return h_; }
  void Fill(COLORREF c) {
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = Px(c);
  }
  // The pixel as a COLORREF.
  COLORREF At(int x, int y) const { return Cr(bits_[y * w_ + x]); }
  uint32_t Raw(int x, int y) const { return bits_[y * w_ + x]; }
  void SetRaw(int x, int y, uint32_t v) { bits_[y * w_ + x] = v; }
  // One line per row: '#' where the pixel is `ink`, '.' elsewhere.
  std::string Map(COLORREF ink) const {
    std::string s;
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) s += At(x, y) == ink ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int i = 0; i < w_ * h_; ++i) n += Cr(bits_[i]) == c;
    return n;
  }
  static uint32_t Px(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
  static COLORREF Cr(uint32_t p) { return Px(p & 0xFFFFFF); }

 private:
  static BITMAPINFO Info(int w, int h) {
    BITMAPINFO bi {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
  }
  int w_, h_;
  Section section_;
  uint32_t* bits_ { nullptr };
};

using xj::test::Rows;

// The ternary raster operation computed bit by bit from its code, independently of the GDI.
inline uint32_t RefRop(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t out = 0;
  for (int b = 0; b < 24; ++b) {
    int idx = int(((p >> b) & 1) << 2 | ((s >> b) & 1) << 1 | ((d >> b) & 1));
    out |= uint32_t((code >> idx) & 1) << b;
  }
  return out;
}

// A font by face and height (negative: em size), with the styles a test asks for.
inline HFONT MakeFont(const char* face, LONG height, LONG weight = FW_NORMAL, LONG escapement = 0,
                      bool underline = false, bool strike = false, bool italic = false) {
  return CreateFontA(height, 0, escapement, 0, weight, italic, underline, strike, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

}  // namespace gditest
