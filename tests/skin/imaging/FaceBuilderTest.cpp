// Faces built from coordinate-coded skin pictures, checked pixel by pixel against the nine-slice rule:
// fixed corners, bands tiled from their new start and cut at their end, the client tiled both ways.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "platform/win32/GdiInternal.h"
#include "skin/data/bsSkinData.h"
#include "tests/skin/imaging/ImagingTestSupport.h"

using namespace imaging_test;

namespace {

// A skin object with its nine-slice geometry and the stretched geometry for a new size that keeps the
// borders, as the skinned controls compute it.
struct Skin {
  TRect srcRect;
  TPoint lt, rt, lb, rb;
  TRect cl;

  int SW() const { return RectWidth(srcRect); }
  int SH() const { return RectHeight(srcRect); }
};

struct NewGeometry {
  TPoint lt, rt, lb, rb;
  TRect cl;
};

NewGeometry Stretched(const Skin& s, int w, int h) {
  const int dx = w - s.SW(), dy = h - s.SH();
  return NewGeometry { s.lt, TPoint(s.rt.X + dx, s.rt.Y), TPoint(s.lb.X, s.lb.Y + dy), TPoint(s.rb.X + dx, s.rb.Y + dy),
                       TRect(s.cl.Left, s.cl.Top, s.cl.Right + dx, s.cl.Bottom + dy) };
}

void Build(const Skin& s, const NewGeometry& n, TBitmap* dest, TBitmap* src, int w, int h, bool client = true) {
  CreateSkinImage(s.lt, s.rt, s.lb, s.rb, s.cl, n.lt, n.rt, n.lb, n.rb, n.cl, dest, src, s.srcRect, w, h, client);
}

// Corner points on the client's corners: every corner is a plain rectangle and the rule is separable.
// The object sits at (5, 3) of a 20 x 12 picture: 10 x 8, borders 3 left and right, 2 top and bottom.
const Skin kPlain { TRect(5, 3, 15, 11), TPoint(3, 2), TPoint(7, 2), TPoint(3, 6), TPoint(7, 6), TRect(3, 2, 7, 6) };

// Source coordinate (inside the object) of new coordinate v along one axis: a near border of b1, a
// tiled middle of span s up to the far border that starts at e in the new image.
int Axis(int v, int b1, int s, int e, int farStart) {
  if (v < b1) return v;
  if (v < e) return b1 + (v - b1) % s;
  return farStart + (v - e);
}

// The object at At in a picture coded Code(x, y) ^ Turn.
void ExpectPlainFace(TBitmap& dest, int w, int h, const char* what, TPoint At = TPoint(5, 3), uint32_t Turn = 0) {
  ASSERT_EQ(dest.Width(), w) << what;
  ASSERT_EQ(dest.Height(), h) << what;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = Axis(x, 3, 4, w - 3, 7), sy = Axis(y, 2, 4, h - 2, 6);
      ASSERT_EQ(Px(dest, x, y), Code(At.X + sx, At.Y + sy) ^ Turn)
          << what << " at " << x << "," << y << " (" << w << " x " << h << ")";
    }
}

// A 20 x 12 picture of 8 bits per pixel coded by palette: index x + 20 y. Its pieces cannot go straight
// into the pixel memory, so it exercises the canvas path.
std::unique_ptr<TBitmap> PaletteCoded() {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), 20, -12, 1, 8, BI_RGB, 0, 0, 0, 256, 0 };
  for (int i = 0; i < 256; ++i) bi->bmiColors[i] = RGBQUAD { uint8_t(i), uint8_t(255 - i), uint8_t(i / 3), 0 };
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) static_cast<uint8_t*>(bits)[y * 20 + x] = uint8_t(x + 20 * y);  // stride 20
  auto b = std::make_unique<TBitmap>();
  b->SetHandle(h);
  return b;
}

uint32_t PaletteCode(int x, int y) {
  const int i = x + 20 * y;
  return uint32_t(i / 3) << 16 | uint32_t(255 - i) << 8 | uint32_t(i);
}

}  // namespace

TEST(SkinImage, TilesBandsAndClientAtEverySize) {
  // Identity, larger with remainders, exact multiples (the last tile is empty), one partial tile, and
  // no middle at all.
  const std::pair<int, int> sizes[] = { { 10, 8 }, { 17, 13 }, { 14, 12 }, { 11, 9 }, { 6, 4 }, { 40, 4 } };
  for (TPixelFormat srcFormat : { pf32bit, pf24bit })
    for (TPixelFormat destFormat : { pf32bit, pf24bit })
      for (auto [w, h] : sizes) {
        auto src = Coded(20, 12, srcFormat);
        TBitmap dest;
        dest.SetPixelFormat(destFormat);
        Build(kPlain, Stretched(kPlain, w, h), &dest, src.get(), w, h);
        ExpectPlainFace(dest, w, h, srcFormat == pf24bit ? "24-bit source" : "32-bit source");
      }
}

// Faces of a 24-bit picture widened to 32 bits follow the area asked for and the picture's pixels, however
// and whenever those changed.
TEST(SkinImage, WidenedFacesFollowTheAreaAndThePixels) {
  auto src = Coded(40, 24, pf24bit);
  auto redraw = [&](uint32_t Turn) {
    for (int y = 0; y < src->Height(); ++y) {
      auto* row = static_cast<uint8_t*>(src->ScanLine(y));
      for (int x = 0; x < src->Width(); ++x) {
        const uint32_t c = Code(x, y) ^ Turn;
        row[3 * x] = uint8_t(c);
        row[3 * x + 1] = uint8_t(c >> 8);
        row[3 * x + 2] = uint8_t(c >> 16);
      }
    }
  };
  const Skin moved { TRect(25, 13, 35, 21), kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl };
  struct Step {
    const char* what;
    const Skin& skin;
    uint32_t turn;  // the pixels drawn before the step
    bool announced;
  } const steps[] = {
    { "first area", kPlain, 0, false },
    { "second area of the same picture", moved, 0, false },
    { "pixels drawn again by a skin", kPlain, 0x050505, true },
    { "pixels changed in place", kPlain, 0x0A0A0A, false },
  };
  for (const Step& step : steps) {
    redraw(step.turn);
    if (step.announced) bsSkinPicturesChanged();
    // Three faces: one smaller than the area (its pieces widened one by one), two larger (the area widened
    // whole).
    for (auto [w, h] : { std::pair(6, 4), std::pair(17, 13), std::pair(23, 9) }) {
      TBitmap dest;
      dest.SetPixelFormat(pf32bit);
      Build(step.skin, Stretched(step.skin, w, h), &dest, src.get(), w, h);
      ExpectPlainFace(dest, w, h, step.what, step.skin.srcRect.TopLeft(), step.turn);
    }
  }
}

TEST(SkinImage, PalettePictureGoesThroughTheCanvasAlike) {
  auto src = PaletteCoded();
  TBitmap dest;
  Build(kPlain, Stretched(kPlain, 17, 13), &dest, src.get(), 17, 13);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 17; ++x)
      ASSERT_EQ(Px(dest, x, y), PaletteCode(5 + Axis(x, 3, 4, 14, 7), 3 + Axis(y, 2, 4, 11, 6))) << x << "," << y;
  // A monochrome picture takes the destination canvas's text and background colours, as each piece
  // drawn through the canvas would.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(20, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) mono.Canvas()->SetPixels(x, y, (x * 7 + y * 3) % 5 < 2 ? clBlack : clWhite);
  TBitmap face;
  face.Canvas()->Font()->SetColor(TColor(RGB(200, 10, 20)));
  face.Canvas()->Brush()->SetColor(TColor(RGB(5, 60, 250)));
  Build(kPlain, Stretched(kPlain, 17, 13), &face, &mono, 17, 13);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 17; ++x) {
      const int sx = 5 + Axis(x, 3, 4, 14, 7), sy = 3 + Axis(y, 2, 4, 11, 6);
      const bool black = (sx * 7 + sy * 3) % 5 < 2;
      ASSERT_EQ(Px(face, x, y), black ? 0x14 | 0x0A << 8 | 0xC8 << 16 : 0xFA | 0x3C << 8 | 0x05 << 16) << x << "," << y;
    }
}

// Palette and monochrome pictures are read by index: a face built from one must be the face built from
// its copy converted through the canvas, for every depth, both destination depths and pieces that start
// and end inside a byte of the picture's rows (the middle tile is 33 pixels from x = 5). So must one of
// 32 bits whose channel masks put red and blue the other way round (pf32bit all the same).
TEST(SkinImage, PalettePicturesBuildAsTheirCanvasCopiesDo) {
  auto swapped = [](TBitmap& b) {
    struct {
      BITMAPINFOHEADER Header;
      DWORD Masks[3];
    } info { { sizeof(BITMAPINFOHEADER), 45, -9, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0 }, { 0xFF, 0xFF00, 0xFF0000 } };
    void* bits = nullptr;
    b.SetHandle(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  };
  for (TPixelFormat depth : { pf1bit, pf4bit, pf8bit, pf32bit })
    for (TPixelFormat destDepth : { pf24bit, pf32bit }) {
      TBitmap pic;
      if (depth == pf32bit) {
        swapped(pic);
      } else {
        pic.SetPixelFormat(depth);
        pic.SetSize(45, 9);
      }
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 45; ++x)
          pic.Canvas()->SetPixels(x, y, TColor(RGB((x * 37 + y * 11) % 256, (x * 5 + y * 71) % 256, x * y % 256)));
      auto face = [&](TBitmap* src) {
        auto dest = std::make_unique<TBitmap>();
        dest->SetPixelFormat(destDepth);
        dest->Canvas()->Font()->SetColor(TColor(RGB(200, 10, 20)));
        dest->Canvas()->Brush()->SetColor(TColor(RGB(5, 60, 250)));
        CreateHSkinImage(3, 5, dest.get(), src, TRect(2, 1, 43, 8), 131, 7);
        return dest;
      };
      auto direct = face(&pic);
      TBitmap copy;
      copy.SetPixelFormat(pf32bit);
      copy.SetSize(45, 9);
      copy.Canvas()->Font()->SetColor(TColor(RGB(200, 10, 20)));
      copy.Canvas()->Brush()->SetColor(TColor(RGB(5, 60, 250)));
      copy.Canvas()->CopyRect(TRect(0, 0, 45, 9), pic.Canvas(), TRect(0, 0, 45, 9));
      auto viaCanvas = face(&copy);
      ASSERT_EQ(direct->Width(), 131);
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 131; ++x)
          ASSERT_EQ(Px(*direct, x, y), Px(*viaCanvas, x, y)) << depth << "/" << destDepth << " at " << x << "," << y;
    }
}

TEST(SkinImage, LShapedCornersAroundNarrowBands) {
  // Bands start one pixel inside the client's corners, so each corner is a strip plus a column.
  const Skin s { TRect(5, 3, 15, 11), TPoint(4, 3), TPoint(6, 3), TPoint(4, 5), TPoint(6, 5), TRect(3, 2, 7, 6) };
  auto src = Coded(20, 12);
  TBitmap dest;
  Build(s, Stretched(s, 14, 11), &dest, src.get(), 14, 11);
  // New geometry: NLT (4, 3), NRT (10, 3), NLB (4, 8), NRB (10, 8), client (3, 2, 11, 9).
  auto expect = [](int x, int y) -> std::pair<int, int> {
    if (y < 2) return { x < 4 ? x : x < 10 ? 4 + (x - 4) % 2 : 6 + x - 10, y };  // top strips and band
    if (y >= 9) {                                                                // bottom
      if (x < 3) return { x, 5 + y - 8 };                                        // bottom-left column
      if (x < 4) return { x, 6 + y - 9 };                                        // bottom-left strip
      return { x < 10 ? 4 + (x - 4) % 2 : 6 + x - 10, 6 + y - 9 };
    }
    if (x < 3) return { x, y < 3 ? 2 : y < 8 ? 3 + (y - 3) % 2 : 5 + y - 8 };     // left column
    if (x >= 11) return { 7 + x - 11, y < 3 ? 2 : y < 8 ? 3 + (y - 3) % 2 : 5 };  // right column
    return { 3 + (x - 3) % 4, 2 + (y - 2) % 4 };                                  // client
  };
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 14; ++x) {
      auto [sx, sy] = expect(x, y);
      ASSERT_EQ(Px(dest, x, y), Code(5 + sx, 3 + sy)) << x << "," << y;
    }
}

TEST(SkinImage, WithoutDrawClientTheClientKeepsWhatDestHeld) {
  auto src = Coded(20, 12);
  auto dest = Picture(17, 13, [](int, int) { return 0x123456u; });
  Build(kPlain, Stretched(kPlain, 17, 13), dest.get(), src.get(), 17, 13, false);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 17; ++x) {
      const bool client = x >= 3 && x < 14 && y >= 2 && y < 11;
      ASSERT_EQ(Px(*dest, x, y), client ? 0x123456u : Code(5 + Axis(x, 3, 4, 14, 7), 3 + Axis(y, 2, 4, 11, 6)))
          << x << "," << y;
    }
}

TEST(SkinImage, DegenerateCornersOrNoSourceOnlyResize) {
  auto src = Coded(20, 12);
  TBitmap empty;
  struct {
    const char* name;
    TPoint rb;
    TBitmap* src;
  } cases[] = { { "RB.x = LT.x", TPoint(3, 6), src.get() },
                { "RB.y = LT.y", TPoint(7, 2), src.get() },
                { "empty source", TPoint(7, 6), &empty } };
  for (auto& c : cases) {
    Skin s = kPlain;
    s.rb = c.rb;
    TBitmap dest;
    Build(s, Stretched(s, 17, 13), &dest, c.src, 17, 13);
    EXPECT_EQ(dest.Width(), 17) << c.name;
    EXPECT_EQ(dest.Height(), 13) << c.name;
    EXPECT_TRUE(Painted(dest).empty()) << c.name;
  }
}

TEST(SkinImage, ZeroAndNegativeSpansDrawNothingAndNeverRunAway) {
  auto src = Coded(20, 12);
  struct Case {
    const char* name;
    std::function<void(Skin&, NewGeometry&)> change;
    std::function<bool(int, int)> untouched;  // pixels the change leaves white
  } cases[] = {
    { "top span 0",
      [](Skin& s, NewGeometry& n) {
        s.rt.X = s.lt.X;
        n.rt.X = 14;
      },
      [](int x, int y) { return y < 2 && x >= 3 && x < 14; } },
    { "top span negative", [](Skin& s, NewGeometry&) { s.rt.X = 1; },  // the top-right strip starts at 8
      [](int x, int y) { return y < 2 && x >= 3 && x < 8; } },
    { "new top length negative", [](Skin&, NewGeometry& n) { n.rt.X = 2; }, [](int, int) { return false; } },
    { "left span negative", [](Skin& s, NewGeometry&) { s.lb.Y = 1; },  // the bottom-left column starts at 6
      [](int x, int y) { return x < 3 && y >= 2 && y < 6; } },
    { "client upside down", [](Skin& s, NewGeometry&) { s.cl = TRect(3, 6, 7, 2); },  // the new one is sound
      [](int x, int y) { return x >= 3 && x < 14 && y >= 2 && y < 11; } },
  };
  for (const Case& c : cases) {
    Skin s = kPlain;
    NewGeometry n = Stretched(s, 17, 13);
    c.change(s, n);
    TBitmap dest;
    Build(s, n, &dest, src.get(), 17, 13);
    ASSERT_EQ(dest.Width(), 17);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 17; ++x) {
        if (c.untouched(x, y)) {
          ASSERT_EQ(Px(dest, x, y), kWhite) << c.name << " at " << x << "," << y;
        }
      }
  }
  // A band reaching a billion pixels past the picture is cut at the picture's edge.
  Skin s = kPlain;
  s.rt.X = 4;  // span 1
  NewGeometry n = Stretched(s, 17, 13);
  n.rt.X = 1000000000;
  n.lt.X = -1000000000;
  TBitmap dest;
  Build(s, n, &dest, src.get(), 17, 13);
  EXPECT_EQ(Px(dest, 9, 0), Code(5 + 3, 3));
}

TEST(SkinImage, PiecesOfAnotherSizeStretchWithTheCopyMode) {
  auto src = Coded(20, 12);
  NewGeometry n = Stretched(kPlain, 17, 13);
  n.lt.X = 6;  // the top-left strip (3 wide) goes to 6 columns
  TBitmap dest;
  Build(kPlain, n, &dest, src.get(), 17, 13);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Px(dest, x, 0), Code(5 + x / 2, 3)) << x;

  TBitmap inverted;
  inverted.Canvas()->SetCopyMode(cmNotSrcCopy);
  Build(kPlain, Stretched(kPlain, 17, 13), &inverted, src.get(), 17, 13);
  EXPECT_EQ(Px(inverted, 5, 0), ~Code(5 + 3 + 2, 3) & 0xFFFFFF);       // top band
  EXPECT_EQ(Px(inverted, 12, 7), ~Code(5 + 3 + 1, 3 + 3) & 0xFFFFFF);  // client
}

TEST(SkinImage, OpenFaceRunsToTheRightEdge) {
  auto src = Coded(20, 12);
  NewGeometry n = Stretched(kPlain, 17, 13);
  TBitmap dest;
  CreateSkinImage2(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, n.lt, n.rt, n.lb, n.rb, n.cl, &dest,
                   src.get(), kPlain.srcRect, 17, 13, true);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 17; ++x)
      ASSERT_EQ(Px(dest, x, y), Code(5 + (x < 3 ? x : 3 + (x - 3) % 4), 3 + Axis(y, 2, 4, 11, 6))) << x << "," << y;

  // The top tiles are RB.x - LT.x long but cut from the strip up to RT.x: each is stretched.
  Skin s = kPlain;
  s.rt.X = 5;
  NewGeometry m = Stretched(s, 18, 13);
  TBitmap open;
  CreateSkinImage2(s.lt, s.rt, s.lb, s.rb, s.cl, m.lt, m.rt, m.lb, m.rb, m.cl, &open, src.get(), s.srcRect, 18, 13,
                   true);
  for (int x = 3; x < 15; ++x) EXPECT_EQ(Px(open, x, 0), Code(5 + 3 + (x - 3) % 4 / 2, 3)) << x;
  for (int x = 15; x < 18; ++x) EXPECT_EQ(Px(open, x, 1), Code(5 + 3, 4)) << x;  // cut by 1: 1 column to 3
}

TEST(SkinImage, StretchedBandsCoverTheirWholeNewLength) {
  auto src = Coded(20, 12);
  NewGeometry n = Stretched(kPlain, 17, 13);
  TBitmap dest;
  CreateSkinImageBS(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, n.lt, n.rt, n.lb, n.rb, n.cl, &dest,
                    src.get(), kPlain.srcRect, 17, 13, true, true, true, false, false);
  for (int x = 3; x < 14; ++x) EXPECT_EQ(Px(dest, x, 1), Code(5 + 3 + (x - 3) * 4 / 11, 3 + 1)) << x;
  for (int y = 2; y < 11; ++y) EXPECT_EQ(Px(dest, 2, y), Code(5 + 2, 3 + 2 + (y - 2) * 4 / 9)) << y;
  for (int y = 2; y < 11; ++y) EXPECT_EQ(Px(dest, 15, y), Code(5 + 8, 3 + Axis(y, 2, 4, 11, 6))) << y;  // tiled
  for (int x = 0; x < 17; ++x) EXPECT_EQ(Px(dest, x, 12), Code(5 + Axis(x, 3, 4, 14, 7), 3 + 7)) << x;
}

// ---- Three-part faces ---------------------------------------------------------------------------------------

TEST(SkinImage, ThreePartFaces) {
  // A 30 x 10 object at (2, 1) of a 40 x 12 picture; -1 marks a column left white.
  enum Kind { H, H2, H3 };
  struct Case {
    const char* name;
    Kind kind;
    int left, right, width;
    std::function<int(int)> column;
  } cases[] = {
    { "caps and two tiles, the third empty", H, 5, 5, 50,
      [](int x) { return x < 5    ? x
                         : x < 45 ? 5 + (x - 5) % 20
                                  : 25 + x - 45; } },
    { "second tile cut by 5", H, 5, 5, 45, [](int x) { return x < 5    ? x
                                                              : x < 40 ? 5 + (x - 5) % 20
                                                                       : 25 + x - 40; } },
    { "no middle span", H, 15, 15, 40, [](int x) { return x < 15   ? x
                                                          : x < 25 ? -1
                                                                   : 15 + x - 25; } },
    { "middle to the right edge", H2, 5, 5, 50, [](int x) { return x < 5 ? x : 5 + (x - 5) % 20; } },
    { "no caps, short of the edge by the left offset", H3, 5, 5, 50, [](int x) { return x < 45 ? 5 + x % 20 : -1; } },
  };
  auto src = Coded(40, 12);
  for (const Case& c : cases) {
    TBitmap dest;
    auto build = c.kind == H ? CreateHSkinImage : c.kind == H2 ? CreateHSkinImage2 : CreateHSkinImage3;
    build(c.left, c.right, &dest, src.get(), TRect(2, 1, 32, 11), c.width, 99, TbsFaceCut {});
    ASSERT_EQ(dest.Width(), c.width) << c.name;
    ASSERT_EQ(dest.Height(), 10) << c.name;
    for (int y : { 0, 9 })
      for (int x = 0; x < c.width; ++x) {
        const int sx = c.column(x);
        ASSERT_EQ(Px(dest, x, y), sx < 0 ? kWhite : Code(2 + sx, 1 + y)) << c.name << " at " << x << "," << y;
      }
  }
}

TEST(SkinImage, VerticalThreePartFace) {
  auto src = Coded(12, 40);
  struct {
    int top, bottom, height;
    std::function<int(int)> row;
  } cases[] = {
    { 5, 5, 50, [](int y) { return y < 5    ? y
                                   : y < 45 ? 5 + (y - 5) % 20
                                            : 25 + y - 45; } },
    { 5, 5, 45, [](int y) { return y < 5    ? y
                                   : y < 40 ? 5 + (y - 5) % 20
                                            : 25 + y - 40; } },
    { 15, 15, 40, [](int y) { return y < 15   ? y
                                     : y < 25 ? -1
                                              : 15 + y - 25; } },
  };
  for (auto& c : cases) {
    TBitmap dest;
    CreateVSkinImage(c.top, c.bottom, &dest, src.get(), TRect(1, 2, 11, 32), 99, c.height);
    ASSERT_EQ(dest.Width(), 10);
    ASSERT_EQ(dest.Height(), c.height);
    for (int y = 0; y < c.height; ++y) {
      const int sy = c.row(y);
      ASSERT_EQ(Px(dest, 9, y), sy < 0 ? kWhite : Code(1 + 9, 2 + sy)) << c.height << " row " << y;
    }
  }
}

// A face cut by a TbsFaceCut holds the whole face's pixels from its top-left corner on and no more, for
// every builder and both ways of copying (palette pictures through the canvas); a cut past the face's
// edge leaves that edge whole.
TEST(SkinImage, ACutFaceIsTheTopLeftPartOfTheWholeFace) {
  auto coded = Coded(40, 40);
  auto palette = PaletteCoded();
  auto nineSlice = [](TBitmap* Src) {
    return [Src](TBitmap* Dest, TbsFaceCut Cut) {
      const NewGeometry n = Stretched(kPlain, 57, 43);
      CreateSkinImage(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, n.lt, n.rt, n.lb, n.rb, n.cl, Dest, Src,
                      kPlain.srcRect, 57, 43, true, Cut);
    };
  };
  const std::pair<const char*, std::function<void(TBitmap*, TbsFaceCut)>> builders[] = {
    { "nine-slice", nineSlice(coded.get()) },
    { "nine-slice of a palette picture", nineSlice(palette.get()) },
    { "three-part",
      [&](TBitmap* D, TbsFaceCut C) { CreateHSkinImage(5, 4, D, coded.get(), TRect(2, 1, 32, 11), 57, 99, C); } },
    { "three-part open on the right",
      [&](TBitmap* D, TbsFaceCut C) { CreateHSkinImage2(5, 4, D, coded.get(), TRect(2, 1, 32, 11), 57, 99, C); } },
    { "three-part without caps",
      [&](TBitmap* D, TbsFaceCut C) { CreateHSkinImage3(5, 4, D, coded.get(), TRect(2, 1, 32, 11), 57, 99, C); } },
    { "vertical three-part",
      [&](TBitmap* D, TbsFaceCut C) { CreateVSkinImage(5, 4, D, coded.get(), TRect(1, 2, 11, 32), 99, 57, C); } },
  };
  const TbsFaceCut cuts[] = { { 23, 5 }, { 56, 9 }, { 3, 1000 }, { 1000, 42 }, { 1000, 1000 }, { 0, 7 } };
  for (const auto& [name, build] : builders) {
    TBitmap whole;
    build(&whole, TbsFaceCut {});
    for (const TbsFaceCut& cut : cuts) {
      TBitmap part;
      build(&part, cut);
      ASSERT_EQ(part.Width(), std::min(whole.Width(), cut.Width)) << name << " cut at " << cut.Width;
      ASSERT_EQ(part.Height(), std::min(whole.Height(), cut.Height)) << name << " cut at " << cut.Height;
      for (int y = 0; y < part.Height(); ++y)
        for (int x = 0; x < part.Width(); ++x)
          ASSERT_EQ(Px(part, x, y), Px(whole, x, y))
              << name << " cut at " << cut.Width << " x " << cut.Height << ", at " << x << "," << y;
    }
  }
}

// ---- Border images -------------------------------------------------------------------------------------------

TEST(SkinBorderImages, TilesStartAtTheImageEdge) {
  auto src = Coded(20, 12);
  NewGeometry n = Stretched(kPlain, 17, 13);
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, n.lt, n.rt, n.lb, n.rb, n.cl, &left,
                         &top, &right, &bottom, src.get(), kPlain.srcRect, 17, 13);
  ASSERT_EQ(top.Width(), 17);
  ASSERT_EQ(top.Height(), 2);
  ASSERT_EQ(bottom.Height(), 2);
  ASSERT_EQ(left.Width(), 3);
  ASSERT_EQ(left.Height(), 9);
  ASSERT_EQ(right.Width(), 3);
  auto cap = [](int x) { return x < 3 ? x : x >= 14 ? 7 + x - 14 : 3 + x % 4; };
  for (int x = 0; x < 17; ++x) {
    EXPECT_EQ(Px(top, x, 1), Code(5 + cap(x), 3 + 1)) << x;
    EXPECT_EQ(Px(bottom, x, 0), Code(5 + cap(x), 3 + 6)) << x;
  }
  for (int y = 0; y < 9; ++y) {
    EXPECT_EQ(Px(left, 2, y), Code(5 + 2, 3 + 2 + y % 4)) << y;
    EXPECT_EQ(Px(right, 0, y), Code(5 + 7, 3 + 2 + y % 4)) << y;
  }
}

TEST(SkinBorderImages, SidesGetTheirFixedEndsAndFailedPiecesStayAsPassed) {
  const Skin s { TRect(5, 3, 15, 11), TPoint(4, 3), TPoint(6, 3), TPoint(4, 5), TPoint(6, 5), TRect(3, 2, 7, 6) };
  auto src = Coded(20, 12);
  NewGeometry n = Stretched(s, 14, 11);
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(s.lt, s.rt, s.lb, s.rb, s.cl, n.lt, n.rt, n.lb, n.rb, n.cl, &left, &top, &right, &bottom,
                         src.get(), s.srcRect, 14, 11);
  ASSERT_EQ(left.Height(), 7);                  // 11 - 2 - 2
  const int rows[7] = { 2, 4, 3, 4, 3, 4, 5 };  // fixed end, tiles of span 2 from row 0, fixed end
  for (int y = 0; y < 7; ++y) {
    EXPECT_EQ(Px(left, 0, y), Code(5, 3 + rows[y])) << y;
    EXPECT_EQ(Px(right, 2, y), Code(5 + 9, 3 + rows[y])) << y;
  }

  Skin flat = kPlain;
  flat.rt.X = flat.lt.X;  // no top span
  auto keep = Picture(4, 4, [](int, int) { return 0x00ABCDu; });
  TBitmap l, r, b;
  NewGeometry m = Stretched(flat, 17, 13);
  CreateSkinBorderImages(flat.lt, flat.rt, flat.lb, flat.rb, flat.cl, m.lt, m.rt, m.lb, m.rb, m.cl, &l, keep.get(), &r,
                         &b, src.get(), flat.srcRect, 17, 13);
  EXPECT_EQ(keep->Width(), 4);
  EXPECT_EQ(Px(*keep, 3, 3), 0x00ABCDu);
  EXPECT_EQ(l.Height(), 13 - 2 - 4);  // the sides take the untouched top image's height into account
}

TEST(SkinBuilders, RandomGeometryNeverFaults) {
  // Random points, rectangles and sizes, including negative and absurd ones: the builders must finish and
  // size their bitmaps as asked, whatever they draw.
  std::mt19937 rng(77);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto src = Coded(24, 20);
  for (int round = 0; round < 400; ++round) {
    auto pt = [&] { return TPoint(pick(-4, 26), pick(-4, 22)); };
    auto rc = [&] { return TRect(pick(-4, 26), pick(-4, 22), pick(-4, 26), pick(-4, 22)); };
    const TPoint lt = pt(), rt = pt(), lb = pt(), rb = pt(), nlt = pt(), nrt = pt(), nlb = pt(), nrb = pt();
    const TRect cl = rc(), ncl = rc(), srcRect = rc();
    const int w = pick(-3, 40), h = pick(-3, 40);
    TBitmap dest, l, t, r, b;
    CreateSkinImage(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &dest, src.get(), srcRect, w, h, true);
    ASSERT_EQ(dest.Width(), std::max(w, 0));
    CreateSkinImage2(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &dest, src.get(), srcRect, w, h, true);
    CreateSkinImageBS(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &dest, src.get(), srcRect, w, h, true, round & 1,
                      round & 2, round & 4, round & 8);
    CreateSkinBorderImages(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &l, &t, &r, &b, src.get(), srcRect, w, h);
    CreateSkinMask(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, src.get(), &t, &l, &r, &b, w, h);
    HRGN rgn = nullptr;
    CreateSkinRegion(rgn, lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, src.get(), w, h);
    if (rgn) DeleteObject(rgn);
    CreateHSkinImage(pick(-3, 30), pick(-3, 30), &dest, src.get(), srcRect, w, h);
    CreateHSkinImage2(pick(-3, 30), pick(-3, 30), &dest, src.get(), srcRect, w, h);
    CreateHSkinImage3(pick(-3, 30), pick(-3, 30), &dest, src.get(), srcRect, w, h);
    CreateVSkinImage(pick(-3, 30), pick(-3, 30), &dest, src.get(), srcRect, w, h);
    ASSERT_EQ(dest.Height(), std::max(h, 0));
  }
  TBitmap dest;
  CreateSkinImage(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb,
                  kPlain.cl, &dest, nullptr, kPlain.srcRect, 10, 8, true);
  CreateSkinImage(kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb, kPlain.cl, kPlain.lt, kPlain.rt, kPlain.lb, kPlain.rb,
                  kPlain.cl, nullptr, src.get(), kPlain.srcRect, 10, 8, true);
  EXPECT_EQ(dest.Width(), 10);
}

// A face built over a new bitmap leaves white wherever no piece lands, as over one painted white first,
// though a bitmap of its size holding another picture was freed just before: at gaps, overlaps,
// stretched bands and faces of many pieces.
TEST(SkinBuilders, ANewDestinationIsWhiteWhereNoPieceLands) {
  std::mt19937 rng(15);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto src = Coded(24, 20);
  int gaps = 0;
  for (int round = 0; round < 302; ++round) {
    auto pt = [&] { return TPoint(pick(-2, 22), pick(-2, 18)); };
    TPoint lt = pt(), rt = pt(), lb = pt(), rb = pt(), nlt = pt(), nrt = pt(), nlb = pt(), nrb = pt();
    TRect cl(pick(-2, 22), pick(-2, 18), pick(-2, 22), pick(-2, 18));
    TRect ncl(pick(-2, 40), pick(-2, 30), pick(-2, 40), pick(-2, 30));
    TRect srcRect(pick(-2, 6), pick(-2, 6), pick(10, 26), pick(10, 22));
    int w = pick(1, 40), h = pick(1, 30), kind = round % 4;
    if (round == 300) {
      // Caps 8 wide on a face of 10: the right one shows 2 columns of itself (the rest lies past the
      // picture) over the left one, as many as the gap it leaves.
      kind = 3;
      lt.X = rt.X = 8;
      srcRect = TRect(14, 0, 30, 12);
      w = 10;
    } else if (round == 301) {
      // A client one pixel wide across a face of 70: a column of pieces for each of 61 pixels.
      kind = 0;
      srcRect = TRect(5, 3, 15, 11);
      lt = TPoint(3, 2), rt = TPoint(4, 2), lb = TPoint(3, 6), rb = TPoint(4, 6), cl = TRect(3, 2, 4, 6);
      w = 70, h = 13;
      nlt = lt, nrt = TPoint(64, 2), nlb = TPoint(3, 11), nrb = TPoint(64, 11), ncl = TRect(3, 2, 64, 11);
    }
    auto build = [&](TBitmap* dest) {
      if (kind == 0) CreateSkinImage(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, dest, src.get(), srcRect, w, h, true);
      if (kind == 1)
        CreateSkinImageBS(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, dest, src.get(), srcRect, w, h, true, round & 4,
                          round & 8, false, round & 16);
      if (kind == 2)
        CreateSkinImage2(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, dest, src.get(), srcRect, w, h, true);
      if (kind == 3) CreateHSkinImage(lt.X, rt.X, dest, src.get(), srcRect, w, h);
    };
    TBitmap white;
    white.SetSize(kind == 3 ? w : 1, kind == 3 ? RectHeight(srcRect) : 1);
    white.ScanLine(0);  // painted now
    build(&white);
    {
      TBitmap used;
      used.SetSize(white.Width(), white.Height());
      for (int y = 0; y < used.Height(); ++y) std::fill_n(Row32(used, y), used.Width(), 0x00C0FFEEu);
    }
    TBitmap fresh;
    build(&fresh);
    ASSERT_EQ(fresh.Width(), white.Width());
    ASSERT_EQ(fresh.Height(), white.Height());
    bool gap = false;
    for (int y = 0; y < white.Height(); ++y)
      for (int x = 0; x < white.Width(); ++x) {
        gap |= Px(white, x, y) == kWhite;
        ASSERT_EQ(Px(fresh, x, y), Px(white, x, y)) << "round " << round << " at " << x << "," << y;
      }
    gaps += gap;
  }
  EXPECT_GT(gaps, 100);
}

// Pieces of every width from one pixel to a dozen, a few rows high, land as the canvas's CopyRect puts them
// whatever the depths: the rows are copied by a routine chosen for their length in bytes.
TEST(SkinPieces, PiecesOfEveryWidthCopyAsTheCanvasDoes) {
  for (TPixelFormat from : { pf24bit, pf32bit })
    for (TPixelFormat to : { pf24bit, pf32bit })
      for (int w = 1; w <= 12; ++w) {
        SCOPED_TRACE(testing::Message() << (from == pf32bit ? 32 : 24) << " to " << (to == pf32bit ? 32 : 24)
                                        << " bits, " << w << " wide");
        auto src = Coded(23, 9, from);
        TBitmap piece, canvas;
        for (TBitmap* b : { &piece, &canvas }) {
          b->SetPixelFormat(to);
          b->SetSize(17, 7);
        }
        const TRect dst(17 - w, 2, 17, 5), cut(5, 3, 5 + w, 6);
        TbsSkinPieces(&piece, src.get(), TRect(0, 0, 23, 9)).Copy(dst, cut);
        canvas.Canvas()->CopyRect(dst, src->Canvas(), cut);
        for (int y = 0; y < 7; ++y)
          for (int x = 0; x < 17; ++x) ASSERT_EQ(Px(piece, x, y), Px(canvas, x, y)) << x << "," << y;
      }
}

// A band whose tiles run past the picture's edge leaves white where the picture ends in every tile, from a
// 24-bit picture (whose tiles after the first are copied from the first) as from its 32-bit copy.
TEST(SkinImage, TilesCutByThePicturesEdgeAreWhitePastItFromEitherDepth) {
  auto face = [](TPixelFormat format) {
    auto dest = std::make_unique<TBitmap>();
    CreateHSkinImage(2, 2, dest.get(), Coded(20, 12, format).get(), TRect(8, 0, 28, 12), 70, 12);
    return dest;
  };
  auto narrow = face(pf24bit), wide = face(pf32bit);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 70; ++x) ASSERT_EQ(Px(*narrow, x, y), Px(*wide, x, y)) << x << "," << y;
  EXPECT_EQ(Px(*wide, 2 + 16 + 10, 5), kWhite);  // the second tile, past the picture
}

// A caller of TbsSkinPieces may draw on the destination between pieces: a piece copied again from the same
// place of the picture shows the picture, not what was drawn over its first copy.
TEST(SkinPieces, APieceCopiedAgainAfterDrawingShowsThePicture) {
  auto src = Coded(30, 10, pf24bit);  // widened piece by piece: the destination is smaller than the area
  TBitmap dest;
  dest.SetSize(20, 10);
  TbsSkinPieces pieces(&dest, src.get(), TRect(0, 0, 30, 10));
  pieces.Copy(TRect(0, 0, 6, 4), TRect(2, 3, 8, 7));
  dest.Canvas()->Brush()->SetColor(clRed);
  dest.Canvas()->FillRect(TRect(0, 0, 6, 4));
  pieces.Copy(TRect(10, 5, 16, 9), TRect(2, 3, 8, 7));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(Px(dest, 10 + x, 5 + y), Code(2 + x, 3 + y)) << x << "," << y;
}

// Pieces of a skin picture copied through TbsSkinPieces land as the destination canvas's CopyRect puts
// them: one to one, clipped at either picture's edge, stretched when the sizes differ; and a second copy
// from the same area (widened and kept by then) shows the pixels the picture holds after a skin drew it
// anew.
TEST(SkinPieces, CopyAsTheCanvasDoes) {
  auto src = Coded(40, 24, pf24bit);
  const TRect area(6, 4, 30, 20);
  struct Case {
    const char* what;
    TRect dst, src;
  } const cases[] = {
    { "one to one", TRect(3, 2, 19, 12), TRect(8, 5, 24, 15) },
    { "past the destination's edge", TRect(20, 10, 36, 22), TRect(6, 4, 22, 16) },
    { "past the picture's edge", TRect(0, 0, 20, 10), TRect(30, 18, 50, 28) },
    { "stretched", TRect(1, 1, 25, 9), TRect(10, 6, 22, 10) },
  };
  for (TPixelFormat format : { pf32bit, pf24bit })
    for (int turn = 0; turn < 2; ++turn)
      for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << (format == pf32bit ? ", 32" : ", 24") << "-bit, turn " << turn);
        if (turn == 1 && &c == cases) {
          for (int y = 0; y < src->Height(); ++y)
            for (int x = 0; x < src->Width(); ++x) src->Canvas()->SetPixels(x, y, TColor(RGB(x, 200 - y, 7)));
          bsSkinPicturesChanged();
        }
        TBitmap piece, canvas;
        for (TBitmap* b : { &piece, &canvas }) {
          b->SetPixelFormat(format);
          b->SetSize(28, 18);
        }
        TbsSkinPieces(&piece, src.get(), area).Copy(c.dst, c.src);
        canvas.Canvas()->CopyRect(c.dst, src->Canvas(), c.src);
        for (int y = 0; y < 18; ++y)
          for (int x = 0; x < 28; ++x) ASSERT_EQ(Px(piece, x, y), Px(canvas, x, y)) << x << "," << y;
      }
}
