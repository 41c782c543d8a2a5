// The effect bitmap: layout, exact rounding of blends and colour effects, every transition at its ends
// and in between, noise from the process's generator, rotations, and clipping of every block operation.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "skin/data/bsEffects.h"
#include "skin/data/bsSkinData.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

uint32_t Pack(Rgb c) { return uint32_t(c.b) | uint32_t(c.g) << 8 | uint32_t(c.r) << 16; }
Rgb At(const TbsEffectBmp& B, int x, int y) {
  uint32_t v = B.GetPixel(x, y);
  return Rgb { uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v) };
}

void Fill(TbsEffectBmp& B, const std::function<Rgb(int, int)>& f) {
  for (int y = 0; y < B.Height; ++y)
    for (int x = 0; x < B.Width; ++x) B.SetPixel(x, y, Pack(f(x, y)));
}

// Old pictures are coded (x, y, 10), new ones (100 + x, 100 + y, 200): every pixel says where it came from.
Rgb OldCode(int x, int y) { return Rgb { uint8_t(x), uint8_t(y), 10 }; }
Rgb NewCode(int x, int y) { return Rgb { uint8_t(100 + x), uint8_t(100 + y), 200 }; }

struct Pair {
  TbsEffectBmp a, b;
  Pair(int w, int h) : a(w, h), b(w, h) {
    Fill(a, OldCode);
    Fill(b, NewCode);
  }
};

TbsEffectBmp Solid(int w, int h, Rgb c) {
  TbsEffectBmp b(w, h);
  Fill(b, [c](int, int) { return c; });
  return b;
}

// The channel a blend with factor f (the old picture's share) gives for old 0 and new 200.
uint8_t Share200(double f) { return uint8_t(std::lrint(200 * (1 - f))); }

}  // namespace

TEST(EffectBmp, RowLayoutAndPixelValue) {
  EXPECT_EQ(TbsEffectBmp(4, 1).RowStride(), 12);
  EXPECT_EQ(TbsEffectBmp(5, 1).RowStride(), 16);
  TbsEffectBmp b(5, 2);
  EXPECT_EQ(b.Size, 32);
  EXPECT_EQ(b.Info.bmiHeader.biHeight, -2);
  EXPECT_EQ(b.Info.bmiHeader.biBitCount, 24);
  EXPECT_EQ(b.GetLine(1), b.Bits + 16);
  uint8_t row[15] = { 1, 2, 3 };  // blue, green, red of pixel 0
  b.SetLine(1, row);
  EXPECT_EQ(b.GetPixel(0, 1), 0x030201u);
  b.SetPixel(4, 0, 0xFFAABBCCu);  // the high byte means nothing
  EXPECT_EQ(b.GetPixel(4, 0), 0xAABBCCu);
  uint8_t back[15] = {};
  b.GetScanLine(0, back);
  EXPECT_EQ(back[12], 0xCC);
  EXPECT_EQ(back[14], 0xAA);
}

TEST(EffectBmp, AccessOutsideThePictureIsIgnored) {
  TbsEffectBmp b = Solid(3, 2, { 1, 2, 3 });
  for (auto [x, y] : { std::pair { -1, 0 }, { 3, 0 }, { 0, -1 }, { 0, 2 } }) {
    b.SetPixel(x, y, 0xFFFFFF);
    EXPECT_EQ(b.GetPixel(x, y), 0u);
  }
  EXPECT_EQ(b.GetLine(-1), nullptr);
  EXPECT_EQ(b.GetLine(2), nullptr);
  uint8_t buf[9] = { 9, 9, 9, 9, 9, 9, 9, 9, 9 };
  b.SetLine(2, buf);
  b.GetScanLine(-1, buf);
  EXPECT_EQ(buf[0], 9);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(b, x, y), (Rgb { 1, 2, 3 }));
  TbsEffectBmp empty(-4, 7);
  EXPECT_EQ(empty.Width, 0);
  EXPECT_TRUE(empty.Empty());
  empty.Invert();
  empty.SplitBlur(1);
  empty.AddMonoNoise(10);
  empty.Mosaic(3);
}

TEST(EffectBmp, CopiesAreIndependent) {
  Pair p(3, 2);
  TbsEffectBmp c(p.a);
  c.Invert();
  EXPECT_EQ(At(p.a, 2, 1), OldCode(2, 1));
  EXPECT_EQ(At(c, 2, 1), (Rgb { 253, 254, 245 }));
  EXPECT_NE(c.Handle, p.a.Handle);
}

// ---- Rounding in extended precision -------------------------------------------------------------------

TEST(EffectBmp, ColourEffectsRoundHalvesToEvenInExtendedPrecision) {
  struct Case {
    const char* name;
    std::function<void(TbsEffectBmp&)> effect;
    uint8_t in, out;
  } cases[] = {
    { "brightness 0.5 of 0 (127.5)", [](TbsEffectBmp& b) { b.ChangeBrightness(0.5); }, 0, 128 },
    { "brightness 0.5 of 100", [](TbsEffectBmp& b) { b.ChangeBrightness(0.5); }, 100, 178 },
    { "brightness 0.5 of 255", [](TbsEffectBmp& b) { b.ChangeBrightness(0.5); }, 255, 255 },
    { "brightness 1.7 acts as 1", [](TbsEffectBmp& b) { b.ChangeBrightness(1.7); }, 3, 255 },
    { "darkness 0.3 of 255 (just above 178.5)", [](TbsEffectBmp& b) { b.ChangeDarkness(0.3); }, 255, 179 },
    { "darkness 0.3 of 100", [](TbsEffectBmp& b) { b.ChangeDarkness(0.3); }, 100, 70 },
    { "darkness 0.5 of 5 (2.5)", [](TbsEffectBmp& b) { b.ChangeDarkness(0.5); }, 5, 2 },
    { "darkness 0.5 of 7 (3.5)", [](TbsEffectBmp& b) { b.ChangeDarkness(0.5); }, 7, 4 },
    { "darkness -1 acts as 0", [](TbsEffectBmp& b) { b.ChangeDarkness(-1); }, 77, 77 },
    { "invert", [](TbsEffectBmp& b) { b.Invert(); }, 10, 245 },
  };
  for (const Case& c : cases) {
    TbsEffectBmp b = Solid(3, 2, { c.in, c.in, c.in });
    c.effect(b);
    EXPECT_EQ(At(b, 2, 1), (Rgb { c.out, c.out, c.out })) << c.name;
  }
}

TEST(EffectBmp, GrayScaleWeights) {
  struct {
    Rgb in;
    uint8_t grey;
  } cases[] = { { { 255, 0, 0 }, 76 },      { { 0, 255, 0 }, 150 }, { { 0, 0, 255 }, 28 },
                { { 255, 255, 255 }, 255 }, { { 0, 0, 0 }, 0 },     { { 10, 20, 30 }, 18 } };
  for (auto c : cases) {
    TbsEffectBmp b = Solid(2, 1, c.in);
    b.GrayScale();
    EXPECT_EQ(At(b, 1, 0), (Rgb { c.grey, c.grey, c.grey })) << int(c.in.r) << "," << int(c.in.g) << "," << int(c.in.b);
  }
}

TEST(EffectBmp, MorphBlendsAndClampsItsFactor) {
  // Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
  TbsEffectBmp a(3, 1), b(3, 1);
  a.SetPixel(0, 0, Pack({ 0, 1, 2 }));
  b.SetPixel(0, 0, Pack({ 1, 2, 3 }));
  a.SetPixel(1, 0, Pack({ 0, 0, 255 }));
  b.SetPixel(1, 0, Pack({ 255, 100, 0 }));
  a.SetPixel(2, 0, 0);
  b.SetPixel(2, 0, 0);
  a.Morph(b, 0.5);
  EXPECT_EQ(At(a, 0, 0), (Rgb { 0, 2, 2 }));
  EXPECT_EQ(At(a, 1, 0), (Rgb { 128, 50, 128 }));  // 127.5 -> 128, 127.5 -> 128

  for (double k : { 0.0, -0.2 }) {
    Pair p(5, 3);
    p.a.Morph(p.b, k);
    EXPECT_EQ(At(p.a, 4, 2), OldCode(4, 2)) << k;
  }
  for (double k : { 1.0, 1.5 }) {
    Pair p(5, 3);
    p.a.Morph(p.b, k);
    EXPECT_EQ(At(p.a, 4, 2), NewCode(4, 2)) << k;
    EXPECT_EQ(At(p.a, 0, 0), NewCode(0, 0)) << k;
  }
  Pair p(5, 3);
  p.a.Morph(p.b, 0.25);  // 0.75 * 3 + 0.25 * 103 = 28; 0.75 * 10 + 0.25 * 200 = 57.5 -> 58
  EXPECT_EQ(At(p.a, 3, 1), (Rgb { 28, 26, 58 }));
}

TEST(EffectBmp, LargeMorphMatchesSmallMorph) {
  // Big pictures blend through a table: the result must not depend on the picture's size.
  TbsEffectBmp big(300, 300), bigNew(300, 300);
  Fill(big, [](int x, int y) { return Rgb { uint8_t(x), uint8_t(y), uint8_t(x ^ y) }; });
  Fill(bigNew, [](int x, int y) { return Rgb { uint8_t(y * 7), uint8_t(x + y), uint8_t(x * 3) }; });
  for (double k : { 0.3, 0.5, 0.7 }) {
    TbsEffectBmp a(big);
    a.Morph(bigNew, k);
    for (int y = 0; y < 300; y += 37)
      for (int x = 0; x < 300; x += 13) {
        TbsEffectBmp one(1, 1), oneNew(1, 1);
        one.SetPixel(0, 0, big.GetPixel(x, y));
        oneNew.SetPixel(0, 0, bigNew.GetPixel(x, y));
        one.Morph(oneNew, k);
        ASSERT_EQ(a.GetPixel(x, y), one.GetPixel(0, 0)) << k << " at " << x << "," << y;
      }
  }
}

// ---- Transitions ---------------------------------------------------------------------------------------

TEST(EffectBmp, HorizontalGradientOpensFromTheCentre) {
  TbsEffectBmp a = Solid(4, 2, { 0, 0, 0 }), b = Solid(4, 2, { 200, 200, 200 });
  a.MorphHGrad(b, 0);  // factors 1, 0.5, 0, 0.5
  const uint8_t want[4] = { 0, 100, 200, 100 };
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(a, x, 1).r, want[x]) << x;
  for (double k : { 1.0, 3.0 }) {  // a factor beyond 1 acts as 1
    Pair p(5, 3);
    p.a.MorphHGrad(p.b, k);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(p.a, x, 2), NewCode(x, 2)) << k << " " << x;
  }
}

TEST(EffectBmp, VerticalGradientOpensFromTheCentreLine) {
  TbsEffectBmp a = Solid(2, 10, { 0, 0, 0 }), b = Solid(2, 10, { 200, 200, 200 });
  a.MorphVGrad(b, 0);  // n 0, d 4: rows 5 -> new, then steps of 0.25 both ways
  const uint8_t want[10] = { 0, 0, 50, 100, 150, 200, 150, 100, 50, 0 };
  for (int y = 0; y < 10; ++y) EXPECT_EQ(At(a, 1, y).g, want[y]) << y;
  for (double k : { 0.8, 1.0, 2.5 }) {  // n 8, d 0: every row becomes new; beyond 1 acts as 1
    Pair p(2, 10);
    p.a.MorphVGrad(p.b, k);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(At(p.a, 0, y), NewCode(0, y)) << k << " row " << y;
  }
  TbsEffectBmp c = Solid(2, 10, { 0, 0, 0 });
  c.MorphVGrad(b, -1);  // below 0 acts as 0
  EXPECT_EQ(At(c, 0, 3).g, 100);
}

TEST(EffectBmp, GradientChoosesItsDirectionByShape) {
  Pair square(20, 20), tall(20, 21);
  square.a.MorphGrad(square.b, 0);
  tall.a.MorphGrad(tall.b, 0);
  EXPECT_EQ(At(square.a, 10, 0), NewCode(10, 0));  // the centre column is new on every row
  EXPECT_EQ(At(tall.a, 10, 0), OldCode(10, 0));    // the top row is old
  EXPECT_EQ(At(tall.a, 0, 10), NewCode(0, 10));    // the centre row is new
}

TEST(EffectBmp, EdgeGradients) {
  TbsEffectBmp a = Solid(5, 1, { 0, 0, 0 }), b = Solid(5, 1, { 200, 200, 200 });
  TbsEffectBmp c(a);
  c.MorphLeftGrad(b, 0);
  EXPECT_EQ(At(c, 0, 0).r, 200);
  EXPECT_EQ(At(c, 1, 0).r, 0);
  TbsEffectBmp c1(a);
  c1.MorphLeftGrad(b, 1);  // n = 4, step 0.25: the last column keeps the old pixel
  const uint8_t left[5] = { 200, Share200(0.25), Share200(0.5), Share200(0.75), 0 };
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(c1, x, 0).b, left[x]) << x;

  TbsEffectBmp d(a);
  d.MorphRightGrad(b, 0);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(d, x, 0).r, 0) << x;
  EXPECT_EQ(At(d, 4, 0).r, 200);
  TbsEffectBmp e(a);
  e.MorphRightGrad(b, 1);  // column 0 gets the factor 4/5
  const uint8_t right[5] = { 40, 80, 120, 160, 200 };
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(e, x, 0).g, right[x]) << x;
}

TEST(EffectBmp, PushAndSlides) {
  struct Case {
    const char* name;
    void (TbsEffectBmp::*morph)(const TbsEffectBmp&, double);
    double k;
    const char* want;  // per column: 'o' or 'n' and the source column
  } cases[] = {
    { "push 0", &TbsEffectBmp::MorphPush, 0, "n4 o0 o1 o2 o3" },
    { "push 0.4", &TbsEffectBmp::MorphPush, 0.4, "n2 n3 n4 o0 o1" },
    { "push 1", &TbsEffectBmp::MorphPush, 1, "n0 n1 n2 n3 n4" },
    { "left slide 0", &TbsEffectBmp::MorphLeftSlide, 0, "n4 o1 o2 o3 o4" },
    { "left slide 0.4", &TbsEffectBmp::MorphLeftSlide, 0.4, "n3 n4 o2 o3 o4" },
    { "left slide 1", &TbsEffectBmp::MorphLeftSlide, 1, "n1 n2 n3 n4 o4" },
    { "right slide 0", &TbsEffectBmp::MorphRightSlide, 0, "o0 o1 o2 o3 n0" },
    { "right slide 0.4", &TbsEffectBmp::MorphRightSlide, 0.4, "o0 o1 o2 n0 n1" },
    { "right slide 1", &TbsEffectBmp::MorphRightSlide, 1, "o0 n0 n1 n2 n3" },
  };
  for (const Case& c : cases) {
    Pair p(5, 2);
    (p.a.*c.morph)(p.b, c.k);
    for (int x = 0; x < 5; ++x) {
      const char kind = c.want[3 * x];
      const int src = c.want[3 * x + 1] - '0';
      EXPECT_EQ(At(p.a, x, 1), kind == 'n' ? NewCode(src, 1) : OldCode(src, 1)) << c.name << " column " << x;
    }
  }
}

TEST(EffectBmp, MorphByRunsTheTransitionEachKindNames) {
  const struct {
    TbsMorphKind kind;
    void (TbsEffectBmp::*morph)(const TbsEffectBmp&, double);
  } kinds[] = {
    { mkDefault, &TbsEffectBmp::Morph },
    { mkGradient, &TbsEffectBmp::MorphGrad },
    { mkLeftGradient, &TbsEffectBmp::MorphLeftGrad },
    { mkRightGradient, &TbsEffectBmp::MorphRightGrad },
    { mkLeftSlide, &TbsEffectBmp::MorphLeftSlide },
    { mkRightSlide, &TbsEffectBmp::MorphRightSlide },
    { mkPush, &TbsEffectBmp::MorphPush },
  };
  auto same = [](const TbsEffectBmp& a, const TbsEffectBmp& b) {
    for (int y = 0; y < a.Height; ++y)
      for (int x = 0; x < a.Width; ++x)
        if (!(At(a, x, y) == At(b, x, y))) return false;
    return true;
  };
  for (const auto& k : kinds) {
    Pair byKind(7, 3), direct(7, 3);
    byKind.a.MorphBy(byKind.b, k.kind, 0.3);
    (direct.a.*k.morph)(direct.b, 0.3);
    EXPECT_TRUE(same(byKind.a, direct.a)) << int(k.kind);
  }
  // A kind this build does not know blends.
  Pair unknown(7, 3), blend(7, 3);
  unknown.a.MorphBy(unknown.b, TbsMorphKind(42), 0.3);
  blend.a.Morph(blend.b, 0.3);
  EXPECT_TRUE(same(unknown.a, blend.a));
}

TEST(EffectBmp, TransitionsBetweenDifferentSizesChangeNothing) {
  void (TbsEffectBmp::*all[])(const TbsEffectBmp&, double) = {
    &TbsEffectBmp::Morph,     &TbsEffectBmp::MorphHGrad,     &TbsEffectBmp::MorphVGrad,
    &TbsEffectBmp::MorphGrad, &TbsEffectBmp::MorphLeftGrad,  &TbsEffectBmp::MorphRightGrad,
    &TbsEffectBmp::MorphPush, &TbsEffectBmp::MorphLeftSlide, &TbsEffectBmp::MorphRightSlide,
  };
  for (auto morph : all) {
    Pair p(4, 3);
    TbsEffectBmp other = Solid(4, 4, { 255, 255, 255 });
    (p.a.*morph)(other, 0.5);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(At(p.a, x, y), OldCode(x, y));
    // One-column pictures have no room for a gradient or a slide and must not fault.
    TbsEffectBmp thin = Solid(1, 3, { 1, 1, 1 }), thinNew = Solid(1, 3, { 9, 9, 9 });
    for (double k : { 0.0, 0.5, 1.0 }) (thin.*morph)(thinNew, k);
  }
}

// ---- Noise, blur, mosaic -----------------------------------------------------------------------------------

namespace {
// The process generator's next draw below n, computed here independently.
int Draw(uint32_t& state, int n) {
  state = state * 134775813u + 1u;
  return int((uint64_t(state) * uint32_t(n)) >> 32);
}
}  // namespace

TEST(EffectBmp, MonoNoiseFollowsTheProcessGenerator) {
  TbsEffectBmp b = Solid(7, 5, { 128, 128, 128 });
  RandSeed = 12345;
  b.AddMonoNoise(50);
  uint32_t state = 12345;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const int off = Draw(state, 50) - 25;
      ASSERT_GE(off, -25);
      ASSERT_LE(off, 24);
      const uint8_t v = uint8_t(128 + off);
      ASSERT_EQ(At(b, x, y), (Rgb { v, v, v })) << x << "," << y;
    }
  EXPECT_EQ(RandSeed, state);  // one draw per pixel

  TbsEffectBmp edges = Solid(40, 40, { 0, 255, 3 });
  edges.AddMonoNoise(50);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      Rgb c = At(edges, x, y);
      ASSERT_LE(c.r, 24);
      ASSERT_GE(c.g, 230);
    }
}

TEST(EffectBmp, ColourNoiseDrawsRedGreenBlue) {
  TbsEffectBmp b = Solid(3, 2, { 100, 110, 120 });
  RandSeed = 777;
  b.AddColorNoise(21);
  uint32_t state = 777;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      const int r = Draw(state, 21) - 10, g = Draw(state, 21) - 10, bl = Draw(state, 21) - 10;
      EXPECT_EQ(At(b, x, y), (Rgb { uint8_t(100 + r), uint8_t(110 + g), uint8_t(120 + bl) }));
    }
  const uint32_t before = RandSeed;
  b.AddColorNoise(-5);
  EXPECT_EQ(RandSeed, before);
}

TEST(EffectBmp, SplitBlurStaysInsideAtTheEdges) {
  TbsEffectBmp b(3, 1);
  b.SetPixel(0, 0, Pack({ 0, 0, 0 }));
  b.SetPixel(1, 0, Pack({ 100, 100, 100 }));
  b.SetPixel(2, 0, Pack({ 200, 200, 200 }));
  b.SplitBlur(1);
  // In place: (0+0+100+100)/4, then (50+50+200+200)/4, then the last column pairs with itself.
  EXPECT_EQ(At(b, 0, 0).r, 50);
  EXPECT_EQ(At(b, 1, 0).r, 125);
  EXPECT_EQ(At(b, 2, 0).r, 162);

  Pair p(3, 3);
  TbsEffectBmp far(p.a);
  far.SplitBlur(10);  // every sample is the pixel itself
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(far, x, y), OldCode(x, y));
  TbsEffectBmp negative(p.a);
  negative.SplitBlur(-1);
  EXPECT_EQ(At(negative, 0, 0), OldCode(0, 0));  // samples below and right; the others fall back inside
}

TEST(EffectBmp, MosaicTakesEachBlocksTopLeftPixel) {
  Pair p(5, 5);
  p.a.Mosaic(2);
  const std::pair<int, int> cases[][2] = {
    { { 1, 1 }, { 0, 0 } }, { { 3, 2 }, { 2, 2 } }, { { 4, 4 }, { 4, 4 } }, { { 4, 1 }, { 4, 0 } }
  };
  for (auto& c : cases) EXPECT_EQ(At(p.a, c[0].first, c[0].second), OldCode(c[1].first, c[1].second));
  Pair q(3, 3);
  q.a.Mosaic(1);
  EXPECT_EQ(At(q.a, 2, 2), OldCode(2, 2));
}

// ---- Resize and rotations ----------------------------------------------------------------------------------

TEST(EffectBmp, ResizeIsNearestNeighbourWithEvenRounding) {
  Pair p(2, 2);
  TbsEffectBmp up(4, 4);
  p.a.Resize(up);  // scale 1.5 rounds to 2: blocks of three pixels, the second one starting at 2
  const int src[4] = { 0, 0, 1, 1 };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(up, x, y), OldCode(src[x], src[y])) << x << "," << y;

  Pair q(4, 4);
  TbsEffectBmp down(2, 2);
  q.a.Resize(down);  // scale 0.25: 0, 0.25, 0.5 (even: 0), 0.75 -> targets 0, 0, 0, 1
  EXPECT_EQ(At(down, 0, 0), OldCode(2, 2));
  EXPECT_EQ(At(down, 1, 1), OldCode(3, 3));
}

TEST(EffectBmp, Rotations) {
  Pair p(3, 2);
  TbsEffectBmp ccw(2, 3), cw(2, 3);
  p.a.Rotate90_1(ccw);
  p.a.Rotate90_2(cw);
  EXPECT_EQ(At(ccw, 0, 0), OldCode(2, 0));  // the source's top-right
  EXPECT_EQ(At(ccw, 1, 2), OldCode(0, 1));
  EXPECT_EQ(At(cw, 0, 0), OldCode(0, 1));  // the source's bottom-left
  EXPECT_EQ(At(cw, 1, 2), OldCode(2, 0));

  TbsEffectBmp wrong = Solid(3, 2, { 7, 7, 7 });
  p.a.Rotate90_1(wrong);
  p.a.Rotate90_2(wrong);
  EXPECT_EQ(At(wrong, 2, 1), (Rgb { 7, 7, 7 }));

  Pair sq(3, 3);
  sq.a.Rotate90_2(sq.a);  // into itself
  EXPECT_EQ(At(sq.a, 0, 0), OldCode(0, 2));
  EXPECT_EQ(At(sq.a, 2, 0), OldCode(0, 0));
  EXPECT_EQ(At(sq.a, 2, 2), OldCode(2, 0));
}

// ---- Blocks: exclusive edges and clipping ----------------------------------------------------------------

TEST(EffectBmp, CopyRectUsesExclusiveEdges) {
  Pair p(5, 4);
  p.a.CopyRect(p.b, TRect(1, 1, 3, 3), 2, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool in = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(At(p.a, x, y), in ? NewCode(x + 1, y - 1) : OldCode(x, y)) << x << "," << y;
    }
}

TEST(EffectBmp, BlockOperationsClipToBothPicturesAtRandom) {
  // Random sizes, rectangles and offsets, checked pixel by pixel against the plain rule.
  std::mt19937 rng(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 1500; ++round) {
    const int w = pick(0, 9), h = pick(0, 9), ow = pick(0, 9), oh = pick(0, 9);
    TbsEffectBmp a(w, h), other(ow, oh);
    Fill(a, OldCode);
    Fill(other, NewCode);
    TbsEffectBmp orig(a);
    const TRect r(pick(-12, 12), pick(-12, 12), pick(-12, 12), pick(-12, 12));
    const int X = pick(-12, 12), Y = pick(-12, 12);
    const bool morph = round % 2;
    if (morph)
      a.MorphRect(other, 1.0, r, X, Y);
    else
      a.CopyRect(other, r, X, Y);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int sx = X + x - r.Left, sy = Y + y - r.Top;
        const bool in =
            x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom && sx >= 0 && sy >= 0 && sx < ow && sy < oh;
        ASSERT_EQ(a.GetPixel(x, y), in ? other.GetPixel(sx, sy) : orig.GetPixel(x, y))
            << (morph ? "MorphRect" : "CopyRect") << " round " << round << " pixel " << x << "," << y;
      }
  }
}

TEST(EffectBmp, CopyRectWithinOnePicture) {
  Pair p(4, 4);
  p.a.CopyRect(p.a, TRect(0, 1, 4, 4), 0, 0);  // rows 0..2 moved down by one
  for (int y = 1; y < 4; ++y) EXPECT_EQ(At(p.a, 3, y), OldCode(3, y - 1)) << y;
  Pair q(4, 4);
  q.a.MorphRect(q.a, 1.0, TRect(1, 0, 4, 4), 0, 0);  // columns moved right by one
  for (int x = 1; x < 4; ++x) EXPECT_EQ(At(q.a, x, 2), OldCode(x - 1, 2)) << x;
}

TEST(EffectBmp, MorphRectBlendsOnlyItsBlock) {
  TbsEffectBmp a = Solid(4, 4, { 0, 0, 0 }), b = Solid(4, 4, { 200, 200, 200 });
  a.MorphRect(b, 0.5, TRect(1, 1, 3, 2), 0, 0);
  EXPECT_EQ(At(a, 1, 1).r, 100);
  EXPECT_EQ(At(a, 2, 1).r, 100);
  EXPECT_EQ(At(a, 3, 1).r, 0);
  EXPECT_EQ(At(a, 1, 2).r, 0);
}

// ---- Device output and construction from a bitmap ---------------------------------------------------------

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
struct Surface32 {
  HDC dc { CreateCompatibleDC(nullptr) };
  HBITMAP bmp { nullptr };
  uint32_t* px { nullptr };
  int w, h;
  HGDIOBJ old { nullptr };
  Surface32(int W, int H, uint32_t fill) : w(W), h(H) {
    BITMAPINFO bi {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    px = static_cast<uint32_t*>(bits);
    std::fill(px, px + W * H, fill);
    old = SelectObject(dc, bmp);
  }
  ~Surface32() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  uint32_t Px(int x, int y) const { return px[y * w + x] & 0xFFFFFF; }
};

}  // namespace

TEST(EffectBmp, DrawStretchAndDrawRect) {
  Pair p(3, 2);
  Surface32 s(8, 6, 0x123456);
  p.a.Draw(s.dc, 2, 1);
  EXPECT_EQ(s.Px(2, 1), Pack(OldCode(0, 0)));  // unflipped
  EXPECT_EQ(s.Px(4, 2), Pack(OldCode(2, 1)));
  EXPECT_EQ(s.Px(5, 1), 0x123456u);

  Surface32 t(8, 6, 0x123456);
  p.a.Stretch(t.dc, 0, 0, 6, 4);
  EXPECT_EQ(t.Px(0, 0), Pack(OldCode(0, 0)));
  EXPECT_EQ(t.Px(5, 3), Pack(OldCode(2, 1)));
  EXPECT_EQ(t.Px(6, 0), 0x123456u);

  // A plain block copy, clipped to the picture: (1, 0, 2 x 5) holds only columns 1..2, rows 0..1.
  Surface32 u(8, 6, 0x123456);
  p.a.DrawRect(u.dc, 4, 3, 1, 0, 5, 5);
  EXPECT_EQ(u.Px(4, 3), Pack(OldCode(1, 0)));
  EXPECT_EQ(u.Px(5, 4), Pack(OldCode(2, 1)));
  EXPECT_EQ(u.Px(6, 3), 0x123456u);
  EXPECT_EQ(u.Px(4, 5), 0x123456u);
  Surface32 v(4, 4, 0x123456);
  p.a.DrawRect(v.dc, 0, 0, -1, -1, 2, 2);  // only the source pixel (0, 0) exists; it lands at (1, 1)
  EXPECT_EQ(v.Px(0, 0), 0x123456u);
  EXPECT_EQ(v.Px(1, 1), Pack(OldCode(0, 0)));
}

TEST(EffectBmp, ConstructedFromABitmapHandle) {
  Surface32 s(3, 2, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) s.px[y * 3 + x] = Pack(OldCode(x, y));
  TbsEffectBmp b(s.bmp);  // still selected into its DC
  ASSERT_EQ(b.Width, 3);
  ASSERT_EQ(b.Height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(b, x, y), OldCode(x, y));
  TbsEffectBmp none(HBITMAP(nullptr));
  EXPECT_TRUE(none.Empty());
}

namespace {

// The moves, by whole rows and runs, against the rule pixel by pixel on lopsided pictures (width 37 is
// neither a multiple of 4 nor of the mosaic blocks), at every tenth of the way.
TEST(EffectBmp, RowMovesMatchThePixelRuleEverywhere) {
  constexpr int kW = 37, kH = 3;
  for (int step = 0; step <= 10; ++step) {
    const double k = step / 10.0;
    const int n0 = std::min(std::max(int(std::lrint(kW * k)), 0), kW - 1);  // push
    const int n1 = std::min(std::max(int(std::lrint(kW * k)), 1), kW - 1);  // slides
    Pair push(kW, kH), left(kW, kH), right(kW, kH);
    push.a.MorphPush(push.b, k);
    left.a.MorphLeftSlide(left.b, k);
    right.a.MorphRightSlide(right.b, k);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        ASSERT_EQ(At(push.a, x, y), x <= n0 ? NewCode(kW - n0 - 1 + x, y) : OldCode(x - n0 - 1, y)) << k << " " << x;
        ASSERT_EQ(At(left.a, x, y), x < n1 ? NewCode(kW - n1 + x, y) : OldCode(x, y)) << k << " " << x;
        ASSERT_EQ(At(right.a, x, y), x >= kW - n1 ? NewCode(x - (kW - n1), y) : OldCode(x, y)) << k << " " << x;
      }
  }

  Pair p(kW, 8);
  p.a.Mosaic(3);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(At(p.a, x, y), OldCode(x / 3 * 3, y / 3 * 3)) << x << "," << y;

  Pair q(kW, 5);
  TbsEffectBmp cw(5, kW), ccw(5, kW);
  q.a.Rotate90_2(cw);
  q.a.Rotate90_1(ccw);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(At(cw, 4 - y, x), OldCode(x, y)) << x << "," << y;
      ASSERT_EQ(At(ccw, y, kW - 1 - x), OldCode(x, y)) << x << "," << y;
    }
}

}  // namespace
