// Region algebra, region data, queries, painting and window ownership.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/GdiInternal.h"
#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;
using gditest::Rows;

namespace {

struct RegionGuard {
  HRGN h;
  explicit RegionGuard(HRGN r) : h(r) {}
  ~RegionGuard() { DeleteObject(h); }
  operator HRGN() const { return h; }
};

RECT Box(HRGN r) {
  RECT b {};
  GetRgnBox(r, &b);
  return b;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(GdiRegion, CombineModesGiveTheExpectedShapes) {
  RegionGuard a(CreateRectRgn(0, 0, 4, 4)), b(CreateRectRgn(2, 2, 6, 6)), out(CreateRectRgn(0, 0, 0, 0));
  struct Case {
    int mode;
    int result;
    RECT box;
    int area;
  } cases[] = {
    { RGN_AND, SIMPLEREGION, { 2, 2, 4, 4 }, 4 },   { RGN_OR, COMPLEXREGION, { 0, 0, 6, 6 }, 28 },
    { RGN_XOR, COMPLEXREGION, { 0, 0, 6, 6 }, 24 }, { RGN_DIFF, COMPLEXREGION, { 0, 0, 4, 4 }, 12 },
    { RGN_COPY, SIMPLEREGION, { 0, 0, 4, 4 }, 16 },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.result) << c.mode;
    EXPECT_TRUE(Same(Box(out), c.box)) << c.mode;
    int area = 0;
    for (int y = -1; y < 7; ++y)
      for (int x = -1; x < 7; ++x) area += PtInRegion(out, x, y) ? 1 : 0;
    EXPECT_EQ(area, c.area) << c.mode;
  }
  // Disjoint intersection is empty; a destination may also be a source.
  RegionGuard far(CreateRectRgn(10, 10, 12, 12));
  EXPECT_EQ(CombineRgn(out, a, far, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(a, 5, 5));
  EXPECT_EQ(CombineRgn(out, a, b, 9), ERROR);
  EXPECT_EQ(CombineRgn(nullptr, a, b, RGN_OR), ERROR);  // uniting into nothing does nothing
  EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_COPY), COMPLEXREGION);
}

TEST(GdiRegion, EdgesAreHalfOpenAndCornersNormalised) {
  RegionGuard r(CreateRectRgn(5, 5, 1, 2));
  EXPECT_TRUE(Same(Box(r), RECT { 1, 2, 5, 5 }));
  EXPECT_TRUE(PtInRegion(r, 1, 2));
  EXPECT_FALSE(PtInRegion(r, 5, 4));
  EXPECT_FALSE(PtInRegion(r, 4, 5));
  RECT touching { 5, 2, 8, 4 }, overlapping { 4, 4, 8, 8 }, degenerate { 2, 3, 2, 9 };
  EXPECT_FALSE(RectInRegion(r, &touching));
  EXPECT_TRUE(RectInRegion(r, &overlapping));
  EXPECT_FALSE(RectInRegion(r, &degenerate));
  RegionGuard empty(CreateRectRgn(3, 3, 3, 8));
  EXPECT_EQ(GetRgnBox(empty, nullptr), ERROR);
  RECT b {};
  EXPECT_EQ(GetRgnBox(empty, &b), NULLREGION);
}

TEST(GdiRegion, OffsetSetRectAndEquality) {
  RegionGuard a(CreateRectRgn(0, 0, 2, 2)), b(CreateRectRgn(3, 4, 5, 6));
  EXPECT_FALSE(EqualRgn(a, b));
  EXPECT_EQ(OffsetRgn(a, 3, 4), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(a, b));
  EXPECT_TRUE(SetRectRgn(a, 0, 0, 1, 1));
  EXPECT_TRUE(Same(Box(a), RECT { 0, 0, 1, 1 }));
  EXPECT_EQ(OffsetRgn(reinterpret_cast<HRGN>(uintptr_t(0x4440)), 1, 1), ERROR);
}

TEST(GdiRegion, ExtCreateRegionFromManyRowsAndBackThroughGetRegionData) {
  // A diamond made of one-row rectangles, as a mask scan builds it.
  const int n = 200;
  std::vector<uint8_t> buf(sizeof(RGNDATAHEADER) + n * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = n;
  data->rdh.nRgnSize = 0;
  auto* rects = reinterpret_cast<RECT*>(buf.data() + sizeof(RGNDATAHEADER));
  int area = 0;
  for (int y = 0; y < n; ++y) {
    int half = y < n / 2 ? y : n - 1 - y;
    rects[y] = RECT { 100 - half, y, 101 + half, y + 1 };
    area += 2 * half + 1;
  }
  RegionGuard r(ExtCreateRegion(nullptr, DWORD(buf.size()), data));
  ASSERT_NE(r.h, nullptr);
  EXPECT_TRUE(Same(Box(r), RECT { 1, 0, 200, 200 }));
  DWORD need = GetRegionData(r, 0, nullptr);
  // Rows 99 and 100 are equal and share one band.
  EXPECT_EQ(need, sizeof(RGNDATAHEADER) + 199 * sizeof(RECT));
  std::vector<uint8_t> back(need);
  EXPECT_EQ(GetRegionData(r, need - 1, reinterpret_cast<RGNDATA*>(back.data())), 0u);
  ASSERT_EQ(GetRegionData(r, need, reinterpret_cast<RGNDATA*>(back.data())), need);
  auto* bd = reinterpret_cast<RGNDATA*>(back.data());
  EXPECT_EQ(bd->rdh.iType, DWORD(RDH_RECTANGLES));
  int area2 = 0;
  auto* br = reinterpret_cast<RECT*>(back.data() + sizeof(RGNDATAHEADER));
  for (DWORD i = 0; i < bd->rdh.nCount; ++i) area2 += (br[i].right - br[i].left) * (br[i].bottom - br[i].top);
  EXPECT_EQ(area2, area);
  // Bad descriptions are refused.
  data->rdh.iType = 2;
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()), data), nullptr);
  data->rdh.iType = RDH_RECTANGLES;
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()) - 1, data), nullptr);
  data->rdh.nCount = 0xFFFFFFFFu;
  EXPECT_EQ(ExtCreateRegion(nullptr, DWORD(buf.size()), data), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 8, data), nullptr);
}

// Rows that repeat the row above are joined when the rectangles come in bands; any order, overlaps,
// rows that only look alike (same spans with a gap between them) and rows of one top but different
// heights must still give the union of the rectangles.
TEST(GdiRegion, ExtCreateRegionIsTheUnionOfItsRectanglesInAnyOrder) {
  auto check = [](const std::vector<RECT>& rects, const std::string& what) {
    RegionGuard want(CreateRectRgn(0, 0, 0, 0));
    for (const RECT& r : rects) {
      RegionGuard one(CreateRectRgn(r.left, r.top, r.right, r.bottom));
      CombineRgn(want, want, one, RGN_OR);
    }
    std::vector<uint8_t> buf(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    data->rdh = RGNDATAHEADER { sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(rects.size()), 0, RECT {} };
    std::memcpy(buf.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    RegionGuard got(ExtCreateRegion(nullptr, DWORD(buf.size()), data));
    ASSERT_NE(got.h, nullptr) << what;
    EXPECT_TRUE(EqualRgn(got, want)) << what;
  };
  check({ { 0, 0, 10, 5 }, { 20, 0, 30, 7 }, { 0, 5, 10, 6 }, { 20, 5, 30, 6 } }, "one top, two heights");
  check({ { 0, 0, 10, 1 }, { 0, 2, 10, 3 }, { 0, 3, 10, 4 } }, "a gap between alike rows");
  check({ { 0, 0, 10, 1 }, { 0, 1, 13, 2 }, { 4, 2, 10, 3 } }, "rows sharing one edge only");
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    std::vector<RECT> rects;
    for (int y = 0; y < 60;) {
      const int h = 1 + int(rng() % 3), copies = 1 + int(rng() % 4);
      std::vector<RECT> row;
      for (int x = int(rng() % 5); x < 50; x += 2 + int(rng() % 9)) {
        const int w = 1 + int(rng() % 6);
        row.push_back(RECT { x, 0, std::min(x + w, 50), 0 });
        x += w;
      }
      for (int c = 0; c < copies; ++c) {
        for (RECT r : row) rects.push_back(RECT { r.left, y, r.right, y + h });
        y += h + (rng() % 3 == 0);  // now and then a gap under a row that repeats
      }
    }
    if (round % 4 == 1) std::shuffle(rects.begin(), rects.end(), rng);
    if (round % 4 == 2) rects.push_back(RECT { 3, 5, 40, 30 });  // overlaps, out of band order
    check(rects, "round " + std::to_string(round));
  }
}

TEST(GdiRegion, EllipticRoundAndPolygonRegions) {
  RegionGuard e(CreateEllipticRgn(0, 0, 10, 6));
  EXPECT_TRUE(Same(Box(e), RECT { 0, 0, 10, 6 }));
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  EXPECT_TRUE(PtInRegion(e, 0, 3));
  EXPECT_TRUE(PtInRegion(e, 5, 0));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 9 - x, 5 - y)) << x << "," << y;
  RegionGuard rr(CreateRoundRectRgn(0, 0, 10, 10, 4, 4));
  EXPECT_FALSE(PtInRegion(rr, 0, 0));
  EXPECT_TRUE(PtInRegion(rr, 2, 0));
  EXPECT_TRUE(PtInRegion(rr, 5, 5));
  POINT tri[] = { { 0, 0 }, { 8, 0 }, { 0, 8 } };
  RegionGuard t(CreatePolygonRgn(tri, 3, ALTERNATE));
  EXPECT_TRUE(PtInRegion(t, 0, 0));
  EXPECT_TRUE(PtInRegion(t, 6, 1));
  EXPECT_FALSE(PtInRegion(t, 7, 7));
  EXPECT_EQ(CreatePolygonRgn(nullptr, 3, ALTERNATE), nullptr);
  // A self-overlapping star: the centre is outside with ALTERNATE, inside with WINDING.
  POINT star[] = { { 5, 0 }, { 8, 10 }, { 0, 3 }, { 10, 3 }, { 2, 10 } };
  RegionGuard alt(CreatePolygonRgn(star, 5, ALTERNATE)), wind(CreatePolygonRgn(star, 5, WINDING));
  EXPECT_FALSE(PtInRegion(alt, 5, 5));
  EXPECT_TRUE(PtInRegion(wind, 5, 5));
}

TEST(GdiRegion, FillFramePaintAndInvert) {
  Canvas c(6, 5);
  RegionGuard r(CreateRectRgn(1, 1, 5, 4));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  FrameRgn(c.dc(), r, black, 1, 1);
  EXPECT_EQ(c.Map(RGB(0, 0, 0)), Rows({ "......", ".####.", ".#..#.", ".####.", "......" }));
  InvertRgn(c.dc(), r);
  EXPECT_EQ(c.Map(RGB(0, 0, 0)), Rows({ "......", "......", "..##..", "......", "......" }));
  SelectObject(c.dc(), GetStockObject(GRAY_BRUSH));
  PaintRgn(c.dc(), r);
  EXPECT_EQ(c.Count(RGB(128, 128, 128)), 12);
  // Regions are given in logical coordinates.
  SetViewportOrgEx(c.dc(), 1, 0, nullptr);
  FillRgn(c.dc(), r, black);
  EXPECT_EQ(c.Map(RGB(0, 0, 0)), Rows({ "......", "..####", "..####", "..####", "......" }));
  EXPECT_FALSE(FrameRgn(c.dc(), r, black, 0, 1));
  EXPECT_FALSE(FillRgn(c.dc(), nullptr, black));
}

TEST(GdiRegion, AnOwnedRegionRefusesDeleteObjectAndIsCounted) {
  HRGN r = CreateRectRgn(0, 0, 5, 5);
  ASSERT_TRUE(xj::gdi::SetRegionOwned(r, true));
  int before = xj::gdi::GetCounters().RefusedOwnedRegionDeletes;
  EXPECT_FALSE(DeleteObject(r));
  EXPECT_EQ(xj::gdi::GetCounters().RefusedOwnedRegionDeletes, before + 1);
  EXPECT_TRUE(PtInRegion(r, 1, 1));  // still alive
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_TRUE(xj::gdi::DeleteOwnedRegion(r));
  EXPECT_FALSE(PtInRegion(r, 1, 1));
  EXPECT_FALSE(xj::gdi::DeleteOwnedRegion(r));
}

}  // namespace
