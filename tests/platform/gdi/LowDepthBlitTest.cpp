// Bitmaps of fewer than 32 bits a pixel as blit sources and drawing targets: what a blit of a small piece of a
// large one holds in memory, and the pixels of pieces that reach the bitmap's last column and row.

#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/platform/gdi/GdiTestUtil.h"

// This program's operator new counts what is live and the most that was, so that a test sees what a call held
// at its peak, even when it let go of it before returning.
namespace {

std::atomic<size_t> gLive { 0 };
std::atomic<size_t> gPeak { 0 };

void* Allocate(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) return nullptr;
  const size_t now = gLive += malloc_usable_size(p);
  size_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void Release(void* p) {
  if (!p) return;
  gLive -= malloc_usable_size(p);
  std::free(p);
}

void* AllocateOrThrow(size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t n) { return AllocateOrThrow(n); }
void* operator new[](size_t n) { return AllocateOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

using gditest::Canvas;

// The most the heap held during f beyond what it held before.
template <class F>
size_t PeakGrowth(F f) {
  const size_t before = gLive.load();
  gPeak = before;
  f();
  return gPeak.load() - before;
}

uint32_t Noise(uint32_t i, uint32_t seed) {
  uint32_t v = i * 2654435761u ^ seed;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  return v ^ (v >> 15);
}

// A DIB section of 1, 4, 8 or 16 bits (5-5-5) in a memory DC, its bytes and palette noise; a 1-bit one has the
// black and white palette. Ref decodes a pixel from the bytes, independently of the GDI.
class LowDepth {
 public:
  LowDepth(int bpp, int w, int h, bool topDown, bool noise = true)
      : bpp_(bpp),
        h_(h),
        topDown_(topDown),
        stride_((w * bpp + 31) / 32 * 4),
        header_(bpp, w, topDown ? -h : h),
        section_(header_.Info()),
        bits_(static_cast<uint8_t*>(section_.bits())) {
    if (noise)
      for (size_t i = 0; i < size_t(stride_) * size_t(h); ++i) bits_[i] = uint8_t(Noise(uint32_t(i), uint32_t(bpp)));
  }

  HDC dc() const { return section_.dc(); }
  HBITMAP bitmap() const { return section_.bitmap(); }
  uint32_t Ref(int x, int y) const {
    const uint8_t* row = bits_ + size_t(topDown_ ? y : h_ - 1 - y) * size_t(stride_);
    switch (bpp_) {
      case 1:
        return Colour(bpp_, (row[x / 8] >> (7 - x % 8)) & 1);
      case 4:
        return Colour(bpp_, (row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
      case 8:
        return Colour(bpp_, row[x]);
    }
    const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
    auto five = [](unsigned c) { return (c * 255 + 15) / 31; };
    return five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 | five(v & 31);
  }

 private:
  static uint32_t Colour(int bpp, int index) {
    return bpp == 1 ? (index ? 0xFFFFFFu : 0u) : Noise(uint32_t(index), 77) & 0xFFFFFF;
  }
  struct Header {
    BITMAPINFOHEADER hd {};
    RGBQUAD colours[256] {};
    Header(int bpp, int w, int h) {
      hd.biSize = sizeof(BITMAPINFOHEADER);
      hd.biWidth = w;
      hd.biHeight = h;
      hd.biPlanes = 1;
      hd.biBitCount = WORD(bpp);
      for (int i = 0; i < 256; ++i) {
        const uint32_t c = Colour(bpp, i);
        colours[i] = RGBQUAD { BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0 };
      }
    }
    const BITMAPINFO& Info() const { return *reinterpret_cast<const BITMAPINFO*>(this); }
  };
  int bpp_, h_;
  bool topDown_;
  int stride_;
  Header header_;
  gditest::Section section_;
  uint8_t* bits_;
};

constexpr COLORREF kText = RGB(0xC0, 0x10, 0x20);
constexpr COLORREF kBack = RGB(0x05, 0x60, 0xF0);
constexpr uint32_t kFill = 0x0A0B0C;

// Every pixel of the canvas: where `source` gives a source pixel the operation's result on it, elsewhere the fill.
template <class Source, class Result>
void ExpectCanvas(const Canvas& c, Source source, Result result, const char* what) {
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) {
      int sx = 0, sy = 0;
      const uint32_t want = source(x, y, sx, sy) ? result(sx, sy) : kFill;
      ASSERT_EQ(c.Raw(x, y) & 0xFFFFFF, want) << what << " at " << x << "," << y;
    }
}

// Pieces ending exactly at a 45 x 13 bitmap's last column and row (the last byte of a 1-bit or 4-bit row only
// partly used), one hanging past them, and one mirrored and doubled: copied, inverted onto the destination and,
// from one bit, drawn in the destination's text and background colours.
TEST(GdiLowDepthSource, PiecesAtTheFarEdgesReadExactlyTheirPixels) {
  constexpr int kW = 45, kH = 13;
  for (int bpp : { 1, 4, 8, 16 })
    for (bool topDown : { true, false }) {
      SCOPED_TRACE(testing::Message() << bpp << " bits, " << (topDown ? "top-down" : "bottom-up"));
      LowDepth src(bpp, kW, kH, topDown);
      auto colour = [&](int sx, int sy) {
        const uint32_t v = src.Ref(sx, sy);
        return bpp > 1 ? v : Canvas::Px(v ? kBack : kText);
      };
      auto inverted = [&](int sx, int sy) { return colour(sx, sy) ^ kFill; };
      Canvas dst(30, 14);
      SetTextColor(dst.dc(), kText);
      SetBkColor(dst.dc(), kBack);
      auto exact = [](int x, int y, int& sx, int& sy) {
        sx = x - 2 + 34, sy = y - 3 + 8;
        return x >= 2 && x < 13 && y >= 3 && y < 8;
      };
      for (DWORD rop : { SRCCOPY, SRCINVERT }) {
        dst.Fill(Canvas::Cr(kFill));
        BitBlt(dst.dc(), 2, 3, 11, 5, src.dc(), 34, 8, rop);
        if (rop == SRCCOPY)
          ExpectCanvas(dst, exact, colour, "exact fit, copied");
        else
          ExpectCanvas(dst, exact, inverted, "exact fit, inverted");
      }
      dst.Fill(Canvas::Cr(kFill));
      BitBlt(dst.dc(), 2, 3, 11, 5, src.dc(), 40, 10, SRCCOPY);
      ExpectCanvas(
          dst,
          [](int x, int y, int& sx, int& sy) {
            sx = x - 2 + 40, sy = y - 3 + 10;
            return x >= 2 && x < 7 && y >= 3 && y < 6;
          },
          colour, "hanging past the edges");
      dst.Fill(Canvas::Cr(kFill));
      StretchBlt(dst.dc(), 24, 1, -22, 10, src.dc(), 34, 8, 11, 5, SRCCOPY);
      ExpectCanvas(
          dst,
          [](int x, int y, int& sx, int& sy) {
            sx = 34 + (21 - (x - 2)) / 2, sy = 8 + (y - 1) / 2;
            return x >= 2 && x < 24 && y >= 1 && y < 11;
          },
          colour, "mirrored and doubled");
    }
}

// A piece a few dozen pixels wide of a 2048 x 2048 bitmap, copied, stretched, used as a mask, or drawn into
// and clipped: the heap holds a few rows of the piece at most, never the bitmap as 32-bit colour (16 MB). Each
// operation meets a fresh bitmap, so none finds what another left behind.
TEST(GdiLowDepthSource, APieceOfALargeBitmapHoldsAboutThePiece) {
  constexpr int kSide = 2048;
  constexpr size_t kLimit = 64 << 10;
  Canvas dst(64, 48);
  struct Operation {
    const char* what;
    void (*run)(HDC dst, HDC src, HBITMAP srcBitmap);
  };
  const Operation operations[] = {
    { "copied from the far corner",
      [](HDC d, HDC s, HBITMAP) { BitBlt(d, 1, 2, 40, 30, s, kSide - 40, kSide - 30, SRCCOPY); } },
    { "combined with the destination", [](HDC d, HDC s, HBITMAP) { BitBlt(d, 1, 2, 40, 30, s, 700, 900, SRCAND); } },
    { "mirrored and stretched",
      [](HDC d, HDC s, HBITMAP) { StretchBlt(d, 60, 0, -60, 45, s, kSide - 20, kSide - 15, 20, 15, SRCCOPY); } },
    { "shrunk from a strip",
      [](HDC d, HDC s, HBITMAP) { StretchBlt(d, 0, 0, 64, 2, s, 0, kSide - 3, kSide, 3, SRCCOPY); } },
    { "as a mask",
      [](HDC d, HDC, HBITMAP m) {
        MaskBlt(d, 0, 0, 40, 30, d, 9, 9, m, kSide - 40, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
      } },
    { "drawn into and clipped",
      [](HDC d, HDC s, HBITMAP) {
        RECT clip {}, box { 9, 1000, 40, 1030 };
        IntersectClipRect(s, 0, 0, kSide, kSide - 1);
        GetClipBox(s, &clip);
        FillRect(s, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        BitBlt(s, kSide - 40, 5, 40, 30, d, 0, 0, SRCCOPY);
      } },
  };
  for (int bpp : { 1, 4, 8, 16 })
    for (const Operation& op : operations) {
      if (bpp != 1 && std::string(op.what) == "as a mask") continue;
      LowDepth src(bpp, kSide, kSide, bpp % 8 == 0, false);
      EXPECT_LE(PeakGrowth([&] { op.run(dst.dc(), src.dc(), src.bitmap()); }), kLimit) << bpp << " bits, " << op.what;
    }
}

}  // namespace
