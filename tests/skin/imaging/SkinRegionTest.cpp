// Masks and window regions: pure black is inside, runs become one-row rectangles, resized masks keep
// the nine-slice rule, and every border piece that exists counts in the window's shape.

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "skin/data/bsSkinData.h"
#include "tests/skin/imaging/ImagingTestSupport.h"

using namespace imaging_test;

namespace {

constexpr uint32_t kBlack = 0;

std::vector<RECT> RectsOf(const RGNDATA* d) {
  const auto* r = reinterpret_cast<const RECT*>(reinterpret_cast<const char*>(d) + d->rdh.dwSize);
  return std::vector<RECT>(r, r + d->rdh.nCount);
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The region's membership over a window of coordinates against a rule.
void ExpectRegion(HRGN rgn, int x0, int y0, int x1, int y1, const std::function<bool(int, int)>& inside,
                  const char* what) {
  ASSERT_NE(rgn, nullptr) << what;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      ASSERT_EQ(bool(PtInRegion(rgn, x, y)), inside(x, y)) << what << " at " << x << "," << y;
}

}  // namespace

TEST(RgnFromBmp, RunsOfBlackBecomeOneRowRectangles) {
  auto mask = Picture(3, 2, [](int x, int y) { return y == 0 && x == 1 ? kWhite : kBlack; });
  for (auto [dx, dy] : { std::pair { 0, 0 }, { 10, 20 } }) {
    RGNDATA* data = nullptr;
    ASSERT_EQ(CreateRgnFromBmp(mask.get(), dx, dy, data), 80);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->rdh.dwSize, 32u);
    EXPECT_EQ(data->rdh.iType, DWORD(RDH_RECTANGLES));
    EXPECT_EQ(data->rdh.nRgnSize, 0u);
    EXPECT_TRUE(Same(data->rdh.rcBound, RECT { dx, dy, dx + 3, dy + 2 }));
    const std::vector<RECT> rects = RectsOf(data);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_TRUE(Same(rects[0], RECT { dx + 0, dy + 0, dx + 1, dy + 1 }));
    EXPECT_TRUE(Same(rects[1], RECT { dx + 2, dy + 0, dx + 3, dy + 1 }));
    EXPECT_TRUE(Same(rects[2], RECT { dx + 0, dy + 1, dx + 3, dy + 2 }));
    std::free(data);
  }
}

TEST(RgnFromBmp, OnlyPureBlackIsInside) {
  const uint32_t colours[] = { 0x010000, 0x000100, 0x000001, 0x808080, kWhite };
  for (TPixelFormat format : { pf32bit, pf24bit }) {
    auto mask = Picture(
        6, 1, [&](int x, int) { return x == 0 ? kBlack : colours[x - 1]; }, format);
    RGNDATA* data = nullptr;
    ASSERT_EQ(CreateRgnFromBmp(mask.get(), 0, 0, data), 48);
    EXPECT_TRUE(Same(RectsOf(data)[0], RECT { 0, 0, 1, 1 }));
    std::free(data);
  }
}

TEST(RgnFromBmp, MonochromeMask) {
  TBitmap mask;
  mask.SetMonochrome(true);
  mask.SetSize(4, 2);
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(TRect(0, 0, 4, 2));
  mask.Canvas()->SetPixels(1, 0, clBlack);
  mask.Canvas()->SetPixels(2, 0, clBlack);
  mask.Canvas()->SetPixels(3, 1, clBlack);
  HRGN rgn = nullptr;
  CreateSkinSimplyRegion(rgn, &mask);
  ExpectRegion(
      rgn, -1, -1, 5, 3, [](int x, int y) { return (y == 0 && (x == 1 || x == 2)) || (y == 1 && x == 3); },
      "monochrome");
  DeleteObject(rgn);
}

TEST(RgnFromBmp, EmptyMaskGivesNothing) {
  TBitmap empty;
  RGNDATA sentinel {};
  RGNDATA* data = &sentinel;
  EXPECT_EQ(CreateRgnFromBmp(&empty, 0, 0, data), 0);
  EXPECT_EQ(data, &sentinel);
  HRGN rgn = reinterpret_cast<HRGN>(1);
  CreateSkinSimplyRegion(rgn, &empty);
  EXPECT_EQ(rgn, nullptr);
  // A mask without a black pixel gives a region with no rectangles.
  auto white = Picture(5, 5, [](int, int) { return kWhite; });
  ASSERT_EQ(CreateRgnFromBmp(white.get(), 0, 0, data), 32);
  EXPECT_EQ(data->rdh.nCount, 0u);
  std::free(data);
}

TEST(RgnFromBmp, MoreRunsThanAnyFixedBuffer) {
  // Every other column black: 150 runs a row, 45000 in all.
  auto mask = Picture(300, 300, [](int x, int) { return x % 2 ? kWhite : kBlack; });
  RGNDATA* data = nullptr;
  ASSERT_EQ(CreateRgnFromBmp(mask.get(), 0, 0, data), 32 + 16 * 45000);
  const std::vector<RECT> rects = RectsOf(data);
  EXPECT_TRUE(Same(rects.back(), RECT { 298, 299, 299, 300 }));
  HRGN rgn = ExtCreateRegion(nullptr, DWORD(32 + 16 * 45000), data);
  std::free(data);
  ExpectRegion(
      rgn, 290, 290, 301, 301, [](int x, int y) { return y < 300 && x < 300 && x % 2 == 0; }, "columns");
  DeleteObject(rgn);
}

TEST(RgnFromBmp, RandomMasksMatchTheirBlackPixels) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 300; ++round) {
    const int w = std::uniform_int_distribution<int>(1, 48)(rng), h = std::uniform_int_distribution<int>(1, 48)(rng);
    const int density = std::uniform_int_distribution<int>(0, 100)(rng);
    std::vector<uint8_t> black(size_t(w * h));
    for (auto& b : black) b = std::uniform_int_distribution<int>(0, 99)(rng) < density;
    // Most rows of a tiled band repeat the row above; some differ from it in one pixel only.
    if (round % 3 == 0)
      for (int y = 1; y < h; ++y) {
        const int roll = std::uniform_int_distribution<int>(0, 9)(rng);
        if (roll < 7) std::copy_n(&black[size_t((y - 1) * w)], w, &black[size_t(y * w)]);
        if (roll == 0) black[size_t(y * w + std::uniform_int_distribution<int>(0, w - 1)(rng))] ^= 1;
      }
    auto mask = Picture(
        w, h, [&](int x, int y) { return black[size_t(y * w + x)] ? kBlack : 0x00FF00u; },
        round % 2 ? pf24bit : pf32bit);
    RGNDATA* data = nullptr;
    const int size = CreateRgnFromBmp(mask.get(), 3, -2, data);
    ASSERT_GE(size, 32);
    for (const RECT& r : RectsOf(data)) {
      ASSERT_EQ(r.bottom - r.top, 1);
      ASSERT_GT(r.right, r.left);
      ASSERT_GE(r.left, 3);
      ASSERT_LE(r.right, 3 + w);
    }
    HRGN rgn = ExtCreateRegion(nullptr, DWORD(size), data);
    std::free(data);
    ExpectRegion(
        rgn, 2, -3, 3 + w + 1, h - 1,
        [&](int x, int y) {
          const int mx = x - 3, my = y + 2;
          return mx >= 0 && my >= 0 && mx < w && my < h && black[size_t(my * w + mx)];
        },
        "random mask");
    DeleteObject(rgn);
  }
}

// ---- Resized masks and window regions -----------------------------------------------------------------------

namespace {

// A 10 x 8 mask with the plain nine-slice geometry of the face tests: borders 3 left and right, 2 top and
// bottom, rounded corners and one hole in each band; the client is white (the client rectangle counts).
bool MaskBlack(int x, int y) {
  const std::pair<int, int> holes[] = {
    { 0, 0 }, { 9, 0 }, { 0, 7 }, { 9, 7 }, { 4, 0 }, { 0, 3 }, { 8, 4 }, { 5, 7 }
  };
  for (auto [hx, hy] : holes)
    if (x == hx && y == hy) return false;
  return !(x >= 3 && x < 7 && y >= 2 && y < 6);
}

std::unique_ptr<TBitmap> FrameMask() {
  return Picture(10, 8, [](int x, int y) { return MaskBlack(x, y) ? kBlack : kWhite; });
}

int Axis(int v, int b1, int s, int e, int farStart) {
  if (v < b1) return v;
  if (v < e) return b1 + (v - b1) % s;
  return farStart + (v - e);
}

// Whether (x, y) lies in the shape of the frame mask (Turned: its black and white swapped) resized to W x H:
// the client, or the black of the mask's pieces where they land.
bool InFrameShape(int x, int y, int W, int H, bool Turned) {
  if (x < 0 || y < 0 || x >= W || y >= H) return false;
  if (x >= 3 && x < W - 3 && y >= 2 && y < H - 2) return true;
  return MaskBlack(Axis(x, 3, 4, W - 3, 7), Axis(y, 2, 4, H - 2, 6)) != Turned;
}

struct Frame {
  TPoint lt, rt, lb, rb;
  TRect cl;
};
const Frame kFrame { TPoint(3, 2), TPoint(7, 2), TPoint(3, 6), TPoint(7, 6), TRect(3, 2, 7, 6) };

HRGN Region(const Frame& f, TBitmap* mask, int w, int h) {
  const int dx = w - 10, dy = h - 8;
  const TPoint nrt(f.rt.X + dx, f.rt.Y), nlb(f.lb.X, f.lb.Y + dy), nrb(f.rb.X + dx, f.rb.Y + dy);
  const TRect ncl(f.cl.Left, f.cl.Top, f.cl.Right + dx, f.cl.Bottom + dy);
  HRGN rgn = reinterpret_cast<HRGN>(1);
  CreateSkinRegion(rgn, f.lt, f.rt, f.lb, f.rb, f.cl, f.lt, nrt, nlb, nrb, ncl, mask, w, h);
  return rgn;
}

}  // namespace

TEST(SkinMask, PiecesFollowTheNineSliceRule) {
  auto mask = FrameMask();
  TBitmap top, left, right, bottom;
  CreateSkinMask(kFrame.lt, kFrame.rt, kFrame.lb, kFrame.rb, kFrame.cl, kFrame.lt, TPoint(14, 2), TPoint(3, 11),
                 TPoint(14, 11), TRect(3, 2, 14, 11), mask.get(), &top, &left, &right, &bottom, 17, 13);
  ASSERT_EQ(top.Width(), 17);
  ASSERT_EQ(top.Height(), 2);
  ASSERT_EQ(bottom.Width(), 17);
  ASSERT_EQ(bottom.Height(), 2);
  ASSERT_EQ(left.Width(), 3);
  ASSERT_EQ(left.Height(), 9);
  ASSERT_EQ(right.Width(), 3);
  ASSERT_EQ(right.Height(), 9);
  auto black = [](bool b) { return b ? kBlack : kWhite; };
  for (int x = 0; x < 17; ++x)
    for (int y = 0; y < 2; ++y) {
      EXPECT_EQ(Px(top, x, y), black(MaskBlack(Axis(x, 3, 4, 14, 7), y))) << x << "," << y;
      EXPECT_EQ(Px(bottom, x, y), black(MaskBlack(Axis(x, 3, 4, 14, 7), 6 + y))) << x << "," << y;
    }
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(Px(left, x, y), black(MaskBlack(x, 2 + y % 4))) << x << "," << y;
      EXPECT_EQ(Px(right, x, y), black(MaskBlack(7 + x, 2 + y % 4))) << x << "," << y;
    }
}

TEST(SkinRegion, IsTheClientAndTheBlackOfTheResizedMask) {
  auto mask = FrameMask();
  for (auto [w, h] : { std::pair { 10, 8 }, { 17, 13 }, { 30, 9 } }) {
    HRGN rgn = Region(kFrame, mask.get(), w, h);
    ExpectRegion(
        rgn, -1, -1, w + 2, h + 2, [w = w, h = h](int x, int y) { return InFrameShape(x, y, w, h, false); }, "frame");
    DeleteObject(rgn);
  }
}

TEST(SkinRegion, FollowsTheMaskItsSkinDrewAgainAtAnyOtherSize) {
  // A skin load draws new pixels into a picture and says so: the next shape, of a size not cut before,
  // comes from the new pixels (here the old ones turned over), not from what was read for the first.
  auto mask = FrameMask();
  HRGN first = Region(kFrame, mask.get(), 17, 13);
  ASSERT_NE(first, nullptr);
  DeleteObject(first);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) mask->Canvas()->SetPixels(x, y, MaskBlack(x, y) ? clWhite : clBlack);
  bsSkinPicturesChanged();
  HRGN rgn = Region(kFrame, mask.get(), 30, 9);
  ExpectRegion(
      rgn, -1, -1, 32, 11, [](int x, int y) { return InFrameShape(x, y, 30, 9, true); }, "turned over");
  DeleteObject(rgn);
}

TEST(SkinRegion, WithoutAClientTheBordersStillShapeTheWindow) {
  // 17 x 4: the new client is (3, 2, 14, 2), null; the sides have no height, top and bottom remain.
  auto mask = FrameMask();
  HRGN rgn = Region(kFrame, mask.get(), 17, 4);
  ExpectRegion(
      rgn, -1, -1, 18, 5,
      [](int x, int y) {
        if (x < 0 || y < 0 || x >= 17 || y >= 4) return false;
        return MaskBlack(Axis(x, 3, 4, 14, 7), y < 2 ? y : 6 + y - 2);
      },
      "no client");
  DeleteObject(rgn);
}

TEST(SkinRegion, WithoutATopBorderTheOtherBordersStillCount) {
  // No top border: the bottom, left and right pieces all count.
  const Frame f { TPoint(3, 0), TPoint(7, 0), TPoint(3, 6), TPoint(7, 6), TRect(3, 0, 7, 6) };
  auto mask = Picture(10, 8, [](int x, int y) { return (y >= 6 || x < 3 || x >= 7) && (x + y) % 3 ? kBlack : kWhite; });
  HRGN rgn = Region(f, mask.get(), 17, 13);
  ExpectRegion(
      rgn, 0, 0, 17, 13,
      [](int x, int y) {
        if (x >= 3 && x < 14 && y < 11) return true;
        const int mx = Axis(x, 3, 4, 14, 7), my = y < 11 ? y % 6 : 6 + y - 11;
        return (mx + my) % 3 != 0;
      },
      "no top border");
  DeleteObject(rgn);
}

TEST(SkinRegion, CrossedCornersOrNothingInsideGiveNoRegion) {
  auto mask = FrameMask();
  HRGN rgn = reinterpret_cast<HRGN>(1);
  CreateSkinRegion(rgn, kFrame.lt, kFrame.rt, kFrame.lb, kFrame.rb, kFrame.cl, TPoint(9, 2), TPoint(8, 2),
                   TPoint(3, 11), TPoint(14, 11), TRect(3, 2, 14, 11), mask.get(), 17, 13);
  EXPECT_EQ(rgn, nullptr);
  CreateSkinRegion(rgn, kFrame.lt, kFrame.rt, kFrame.lb, kFrame.rb, kFrame.cl, TPoint(3, 12), TPoint(14, 2),
                   TPoint(3, 11), TPoint(14, 11), TRect(3, 2, 14, 11), mask.get(), 17, 13);
  EXPECT_EQ(rgn, nullptr);
  auto white = Picture(10, 8, [](int, int) { return kWhite; });
  EXPECT_EQ(Region(kFrame, white.get(), 17, 4), nullptr);  // no client and no black pixel
}

TEST(SkinRegion, IsTheClientAndTheBlackOfTheMaskPiecesForAnyGeometryAndMask) {
  // Random masks (32-bit, 24-bit, monochrome) and geometry, corner points crossing, pieces cut off the
  // picture, some stretched: the region holds exactly the new client and the black of CreateSkinMask's
  // pieces where the window puts them.
  std::mt19937 rng(909);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 300; ++round) {
    const int mw = pick(1, 14), mh = pick(1, 14), density = pick(0, 100);
    auto black = [&, seed = pick(0, 1 << 20)](int x, int y) { return (x * 7 + y * 13 + seed) % 100 < density; };
    std::unique_ptr<TBitmap> mask;
    if (round % 3 < 2) {
      mask = Picture(
          mw, mh, [&](int x, int y) { return black(x, y) ? kBlack : 0x000100u; }, round % 3 ? pf24bit : pf32bit);
    } else {
      mask = std::make_unique<TBitmap>();
      mask->SetMonochrome(true);
      mask->SetSize(mw, mh);
      for (int y = 0; y < mh; ++y)
        for (int x = 0; x < mw; ++x) mask->Canvas()->SetPixels(x, y, black(x, y) ? clBlack : clWhite);
    }
    auto pt = [&] { return TPoint(pick(-2, 16), pick(-2, 16)); };
    const TPoint lt = pt(), rt = pt(), lb = pt(), rb = pt();
    const int w = pick(-2, 40), h = pick(-2, 40);
    const TRect cl(pick(-1, 8), pick(-1, 8), pick(4, 16), pick(4, 16));
    const TRect ncl(cl.Left, cl.Top, w - (mw - cl.Right) + pick(-1, 1), h - (mh - cl.Bottom));
    const TPoint nrt(w - (mw - rt.X) + pick(-1, 1), rt.Y), nlb(lb.X, h - (mh - lb.Y)), nrb(nrt.X, nlb.Y);
    HRGN rgn = nullptr;
    CreateSkinRegion(rgn, lt, rt, lb, rb, cl, lt, nrt, nlb, nrb, ncl, mask.get(), w, h);
    TBitmap top, left, right, bottom;
    CreateSkinMask(lt, rt, lb, rb, cl, lt, nrt, nlb, nrb, ncl, mask.get(), &top, &left, &right, &bottom, w, h);
    const bool none = lt.X > nrt.X || lt.Y > nlb.Y;
    auto in = [](TBitmap& piece, int x, int y) {
      return x >= 0 && y >= 0 && x < piece.Width() && y < piece.Height() && Px(piece, x, y) == kBlack;
    };
    for (int y = -1; y <= std::max(h, 0); ++y)
      for (int x = -1; x <= std::max(w, 0); ++x) {
        const bool client = x >= ncl.Left && x < ncl.Right && y >= ncl.Top && y < ncl.Bottom;
        const bool expected = !none && (client || in(top, x, y) || in(bottom, x, y - ncl.Bottom) ||
                                        in(left, x, y - ncl.Top) || in(right, x - ncl.Right, y - ncl.Top));
        ASSERT_EQ(rgn && PtInRegion(rgn, x, y), expected) << "round " << round << " at " << x << "," << y;
      }
    if (rgn) DeleteObject(rgn);
  }
}

TEST(SkinRegion, AMaskReadAgainGivesItsShapeByItsBlackAlone) {
  // Each load brings new pictures. Cut at one size: a new picture of the same black gives the same shape;
  // one of other black its own; the same black bytes in rows of another width (an 8 x 10 mask) theirs.
  auto first = FrameMask();
  HRGN shape = Region(kFrame, first.get(), 17, 13);
  bsSkinPicturesChanged();
  auto again = FrameMask();
  HRGN same = Region(kFrame, again.get(), 17, 13);
  EXPECT_TRUE(EqualRgn(shape, same));
  auto turned = Picture(10, 8, [](int x, int y) { return MaskBlack(x, y) ? kWhite : kBlack; });
  HRGN other = Region(kFrame, turned.get(), 17, 13);
  ExpectRegion(
      other, -1, -1, 19, 15, [](int x, int y) { return InFrameShape(x, y, 17, 13, true); }, "other black");
  auto narrow =
      Picture(8, 10, [](int x, int y) { return MaskBlack((y * 8 + x) % 10, (y * 8 + x) / 10) ? kBlack : kWhite; });
  HRGN laidOut = Region(kFrame, narrow.get(), 17, 13);
  EXPECT_FALSE(EqualRgn(shape, laidOut));
  for (HRGN r : { shape, same, other, laidOut }) DeleteObject(r);
}

namespace {

int64_t AreaOf(HRGN rgn) {
  if (!rgn) return 0;
  std::vector<uint8_t> data(GetRegionData(rgn, 0, nullptr));
  if (data.empty() || !GetRegionData(rgn, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data()))) return -1;
  int64_t area = 0;
  for (const RECT& r : RectsOf(reinterpret_cast<const RGNDATA*>(data.data())))
    area += int64_t(r.right - r.left) * (r.bottom - r.top);
  return area;
}

// The shape of a 40 x 40 mask with borders of 8 grown to 60 x 60.
int64_t GrownArea(TBitmap* mask) {
  HRGN rgn = nullptr;
  CreateSkinRegion(rgn, TPoint(8, 8), TPoint(32, 8), TPoint(8, 32), TPoint(32, 32), TRect(8, 8, 32, 32), TPoint(8, 8),
                   TPoint(52, 8), TPoint(8, 52), TPoint(52, 52), TRect(8, 8, 52, 52), mask, 60, 60);
  const int64_t area = AreaOf(rgn);
  if (rgn) DeleteObject(rgn);
  return area;
}

}  // namespace

TEST(SkinRegion, AMaskChangedInPlaceGivesItsNewShape) {
  // A caller's mask, not a skin picture: nothing announces its change but its pixels. Whitening its left
  // border through the canvas takes 8 x 60 off the shape; blackening it again through its rows puts it back.
  auto mask = Picture(40, 40, [](int, int) { return kBlack; });
  ASSERT_EQ(GrownArea(mask.get()), 3600);
  mask->Canvas()->Brush()->SetColor(clWhite);
  mask->Canvas()->FillRect(TRect(0, 0, 8, 40));
  EXPECT_EQ(GrownArea(mask.get()), 3120);
  auto fresh = Picture(40, 40, [](int x, int) { return x < 8 ? kWhite : kBlack; });
  EXPECT_EQ(GrownArea(fresh.get()), 3120);
  for (int y = 0; y < 40; ++y) std::fill_n(Row32(*mask, y), 8, kBlack);
  EXPECT_EQ(GrownArea(mask.get()), 3600);
}
