// Pixel rules of lines, shapes, fills, pens and brushes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;
using gditest::Rows;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct LineCase {
  POINT a, b;
  const char* map[5];
};

TEST(GdiLines, EndPointIsOmittedInEveryDirection) {
  const LineCase cases[] = {
    { { 0, 0 }, { 4, 0 }, { "####.", ".....", ".....", ".....", "....." } },
    { { 4, 0 }, { 0, 0 }, { ".####", ".....", ".....", ".....", "....." } },
    { { 1, 0 }, { 1, 4 }, { ".#...", ".#...", ".#...", ".#...", "....." } },
    { { 0, 0 }, { 4, 4 }, { "#....", ".#...", "..#..", "...#.", "....." } },
    { { 4, 4 }, { 0, 0 }, { ".....", ".#...", "..#..", "...#.", "....#" } },
    { { 0, 4 }, { 4, 0 }, { ".....", "...#.", "..#..", ".#...", "#...." } },
    { { 2, 2 }, { 2, 2 }, { ".....", ".....", ".....", ".....", "....." } },
  };
  for (const LineCase& lc : cases) {
    Canvas c(5, 5);
    MoveToEx(c.dc(), lc.a.x, lc.a.y, nullptr);
    LineTo(c.dc(), lc.b.x, lc.b.y);
    EXPECT_EQ(c.Map(kBlack), Rows({ lc.map[0], lc.map[1], lc.map[2], lc.map[3], lc.map[4] }))
        << lc.a.x << "," << lc.a.y << " -> " << lc.b.x << "," << lc.b.y;
    POINT pos {};
    GetCurrentPositionEx(c.dc(), &pos);
    EXPECT_EQ(pos.x, lc.b.x);
    EXPECT_EQ(pos.y, lc.b.y);
  }
}

TEST(GdiLines, PolylineJoinsSegmentsAndOmitsOnlyTheLastPoint) {
  Canvas c(5, 4);
  POINT pts[] = { { 0, 0 }, { 3, 0 }, { 3, 3 }, { 0, 3 } };
  Polyline(c.dc(), pts, 4);
  EXPECT_EQ(c.Map(kBlack), Rows({ "####.", "...#.", "...#.", ".###." }));
  EXPECT_FALSE(Polyline(c.dc(), pts, 1));
}

// A polyline of a few points or of many (the few copied on the stack, the many on the heap), open or
// closed, inks what its segments drawn one by one ink: every point counts, the last one too.
TEST(GdiLines, PolylinesOfFewAndManyPointsInkEverySegment) {
  for (int n : { 2, 8, 9, 23 })
    for (bool closed : { false, true }) {
      std::vector<POINT> pts;
      for (int i = 0; i < n; ++i) pts.push_back(POINT { 1 + 2 * i, i % 3 == 2 ? 1 : 1 + 4 * (i % 2) });
      Canvas whole(2 * n + 2, 7), pieces(2 * n + 2, 7);
      SelectObject(whole.dc(), GetStockObject(NULL_BRUSH));
      if (closed)
        Polygon(whole.dc(), pts.data(), n);
      else
        Polyline(whole.dc(), pts.data(), n);
      MoveToEx(pieces.dc(), pts[0].x, pts[0].y, nullptr);
      for (int i = 1; i < n; ++i) LineTo(pieces.dc(), pts[size_t(i)].x, pts[size_t(i)].y);
      if (closed) LineTo(pieces.dc(), pts[0].x, pts[0].y);
      EXPECT_EQ(whole.Map(kBlack), pieces.Map(kBlack)) << n << " points, closed " << closed;
    }
}

// A copied line of level and upright segments is painted whole, not walked: every way of running it
// (up, left, back over itself, through a point, closed, clipped) gives the pixels of the walked line that
// an AND of black over white paints.
TEST(GdiLines, CopiedLevelAndUprightLinesInkTheWalkedPixels) {
  const std::vector<std::vector<POINT>> lines = {
    { { 5, 6 }, { 5, 0 }, { 0, 0 }, { 0, 6 } },
    { { 6, 6 }, { 1, 6 }, { 1, 1 }, { 1, 1 }, { 6, 1 }, { 6, 6 } },
    { { 0, 3 }, { 6, 3 }, { 2, 3 }, { 2, -4 }, { 2, 9 } },
    { { 7, 0 }, { 7, 7 }, { -1, 7 } },
    { { 6, 2 }, { 1, 2 } },
    { { 0, 5 }, { 4, 5 } },
    { { 3, 6 }, { 3, 1 } },
  };
  HRGN clip = CreateRectRgn(1, 1, 6, 5);
  for (const auto& pts : lines) {
    for (bool closed : { false, true }) {
      for (HRGN r : { HRGN(nullptr), clip }) {
        Canvas copied(8, 8), walked(8, 8);
        for (Canvas* c : { &copied, &walked }) {
          SelectClipRgn(c->dc(), r);
          SetROP2(c->dc(), c == &walked ? R2_MASKPEN : R2_COPYPEN);
          if (closed)
            Polygon(c->dc(), pts.data(), int(pts.size()));
          else
            Polyline(c->dc(), pts.data(), int(pts.size()));
        }
        EXPECT_EQ(copied.Map(kBlack), walked.Map(kBlack)) << pts.size() << " points, closed " << closed;
      }
    }
  }
  DeleteObject(clip);
}

// Every direction and slope from one point: step k of the longer axis takes the shorter one's
// (2 k short + long) / (2 long), rounded down, toward the end point, which stays out. Level and
// upright segments, which are drawn as whole runs, follow the same rule.
TEST(GdiLines, EverySlopeInksTheRoundedPixelOfEachStep) {
  constexpr int kSize = 25, kMid = 12;
  for (int ex = 0; ex < kSize; ++ex)
    for (int ey = 0; ey < kSize; ++ey) {
      Canvas c(kSize, kSize);
      MoveToEx(c.dc(), kMid, kMid, nullptr);
      LineTo(c.dc(), ex, ey);
      std::string expected(size_t(kSize * kSize), '.');
      const int dx = std::abs(ex - kMid), dy = std::abs(ey - kMid), steps = std::max(dx, dy);
      for (int k = 0; k < steps; ++k) {
        const int minor = (2 * k * std::min(dx, dy) + steps) / (2 * steps);
        const int x = kMid + (ex >= kMid ? 1 : -1) * (dx >= dy ? k : minor);
        const int y = kMid + (ey >= kMid ? 1 : -1) * (dx >= dy ? minor : k);
        expected[size_t(y * kSize + x)] = '#';
      }
      std::string shown = c.Map(kBlack);
      std::erase(shown, '\n');
      ASSERT_EQ(shown, expected) << "to " << ex << "," << ey;
    }
}

// A frame's four solid sides meet at its corners (its last side runs over its first point), yet an
// inverting pen changes every pixel of it once:
// the outline shows, and a second pass gives the white back.
TEST(GdiLines, AnInvertedFrameChangesEachPixelOnceCornersIncluded) {
  Canvas c(7, 6);
  SetROP2(c.dc(), R2_NOT);
  POINT frame[] = { { 1, 4 }, { 1, 1 }, { 5, 1 }, { 5, 4 }, { 0, 4 } };
  Polyline(c.dc(), frame, 5);
  EXPECT_EQ(c.Map(kBlack), Rows({ ".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......." }));
  Polyline(c.dc(), frame, 5);
  EXPECT_EQ(c.Count(kWhite), 7 * 6);
}

TEST(GdiLines, GentleSlopesStepOnce) {
  Canvas c(8, 3);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 8, 2);
  EXPECT_EQ(c.Count(kBlack), 8);
  for (int x = 0; x < 8; ++x) {
    int ink = 0;
    for (int y = 0; y < 3; ++y) ink += c.At(x, y) == kBlack;
    EXPECT_EQ(ink, 1) << "column " << x;
  }
}

TEST(GdiLines, DottedPenRestartsEachSegmentAndFillsGapsOnlyWhenOpaque) {
  Canvas c(12, 2);
  HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  SelectObject(c.dc(), dot);
  SetBkColor(c.dc(), RGB(255, 0, 0));
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 4, 1);
  LineTo(c.dc(), 12, 1);
  EXPECT_EQ(c.Map(kBlack), Rows({ "###...###...", "###.###...##" }));
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 0);
  SetBkMode(c.dc(), OPAQUE);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  EXPECT_EQ(c.Map(RGB(255, 0, 0)), Rows({ "...###...###", "............" }));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(dot);
}

TEST(GdiLines, DottedXorPenDrawnTwiceRestores) {
  Canvas c(10, 10, RGB(10, 200, 30));
  HPEN dot = CreatePen(PS_DOT, 1, kWhite);
  SelectObject(c.dc(), dot);
  SetROP2(c.dc(), R2_XORPEN);
  SetBkMode(c.dc(), TRANSPARENT);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(c.dc(), 1, 1, nullptr);
    LineTo(c.dc(), 9, 8);
    LineTo(c.dc(), 1, 8);
    if (pass == 0) {
      EXPECT_GT(c.Count(RGB(255 ^ 10, 255 ^ 200, 255 ^ 30)), 0);
    }
  }
  EXPECT_EQ(c.Count(RGB(10, 200, 30)), 100);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(dot);
}

TEST(GdiLines, WidePenIsCentredAndRound) {
  Canvas c(9, 7);
  HPEN pen = CreatePen(PS_SOLID, 3, kBlack);
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 2, 3, nullptr);
  LineTo(c.dc(), 6, 3);
  EXPECT_EQ(c.Map(kBlack),
            Rows({ ".........", ".........", ".#######.", ".#######.", ".#######.", ".........", "........." }));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiLines, EveryBinaryRasterOperationMatchesItsTruthTable) {
  const uint32_t dst = 0x00C3A55A, pen = 0x000FF0CC;  // as pixels
  for (int mode = R2_BLACK; mode <= R2_WHITE; ++mode) {
    Canvas c(3, 1);
    c.SetRaw(0, 0, dst);
    c.SetRaw(1, 0, dst);
    HPEN p = CreatePen(PS_SOLID, 1, Canvas::Cr(pen));
    SelectObject(c.dc(), p);
    SetROP2(c.dc(), mode);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 1, 0);
    // A binary mode is the ternary operation that ignores the source: truth table over P and D.
    int t = mode - 1;
    uint32_t expect = 0;
    for (int b = 0; b < 24; ++b) {
      int pb = (pen >> b) & 1, db = (dst >> b) & 1;
      expect |= uint32_t((t >> (pb * 2 + db)) & 1) << b;
    }
    EXPECT_EQ(c.Raw(0, 0), expect) << "mode " << mode;
    EXPECT_EQ(c.Raw(1, 0), dst) << "end point, mode " << mode;
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(p);
  }
}

TEST(GdiShapes, RectangleNormalisesCornersAndFillsInside) {
  for (auto [l, t, r, b] : { std::array<int, 4> { 1, 1, 6, 5 }, { 6, 5, 1, 1 }, { 6, 1, 1, 5 } }) {
    Canvas c(7, 6);
    SelectObject(c.dc(), GetStockObject(GRAY_BRUSH));
    Rectangle(c.dc(), l, t, r, b);
    EXPECT_EQ(c.Map(kBlack), Rows({ ".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......." }));
    EXPECT_EQ(c.Count(RGB(128, 128, 128)), 6);
  }
}

TEST(GdiShapes, RectangleWithoutPenIsOnePixelSmaller) {
  Canvas c(6, 5);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc(), 1, 1, 5, 4);
  EXPECT_EQ(c.Map(kBlack), Rows({ "......", ".###..", ".###..", "......", "......" }));
}

TEST(GdiShapes, ZeroSizeShapesDrawNothing) {
  Canvas c(6, 6);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc(), 2, 2, 2, 5);
  Ellipse(c.dc(), 1, 3, 5, 3);
  RoundRect(c.dc(), 1, 1, 1, 1, 2, 2);
  RECT empty { 3, 3, 3, 4 };
  FillRect(c.dc(), &empty, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  PatBlt(c.dc(), 1, 1, 0, 4, PATCOPY);
  EXPECT_EQ(c.Count(kBlack), 0);
}

TEST(GdiShapes, InsideFramePenStaysInsideTheRectangle) {
  Canvas c(8, 8);
  HPEN pen = CreatePen(PS_INSIDEFRAME, 2, kBlack);
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 7, 7);
  EXPECT_EQ(c.Map(kBlack),
            Rows({ "........", ".######.", ".######.", ".##..##.", ".##..##.", ".######.", ".######.", "........" }));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiShapes, EllipseTouchesItsBoxAndIsSymmetric) {
  Canvas c(12, 9);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc(), 1, 1, 11, 8);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x)
      if (c.At(x, y) == kBlack) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        EXPECT_EQ(c.At(11 - x, y), kBlack) << x << "," << y;
        EXPECT_EQ(c.At(x, 8 - y), kBlack) << x << "," << y;
      }
  EXPECT_EQ(minX, 1);
  EXPECT_EQ(maxX, 10);
  EXPECT_EQ(minY, 1);
  EXPECT_EQ(maxY, 7);
  EXPECT_NE(c.At(1, 1), kBlack);  // the corners are cut
}

TEST(GdiShapes, EllipseOutlineIsClosedAndFilledWithTheBrush) {
  Canvas c(11, 11);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(c.dc(), red);
  Ellipse(c.dc(), 0, 0, 11, 11);
  EXPECT_EQ(c.At(5, 0), kBlack);
  EXPECT_EQ(c.At(0, 5), kBlack);
  EXPECT_EQ(c.At(10, 5), kBlack);
  EXPECT_EQ(c.At(5, 10), kBlack);
  EXPECT_EQ(c.At(5, 5), RGB(255, 0, 0));
  // The red inside does not leak: walking out from the centre meets the outline.
  for (int x = 5; x < 11 && c.At(x, 5) != kBlack; ++x) EXPECT_EQ(c.At(x, 5), RGB(255, 0, 0));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(GdiShapes, RoundRectCutsItsCorners) {
  Canvas c(10, 8);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  RoundRect(c.dc(), 0, 0, 10, 8, 4, 4);
  EXPECT_NE(c.At(0, 0), kBlack);
  EXPECT_EQ(c.At(2, 0), kBlack);
  EXPECT_EQ(c.At(0, 2), kBlack);
  EXPECT_EQ(c.At(9, 4), kBlack);
  EXPECT_NE(c.At(9, 7), kBlack);
  EXPECT_EQ(c.At(5, 7), kBlack);
}

TEST(GdiShapes, PolygonFillsItsInsideAndStrokesEveryEdge) {
  Canvas c(7, 7);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(c.dc(), red);
  POINT tri[] = { { 1, 1 }, { 5, 1 }, { 5, 5 }, { 1, 5 } };
  Polygon(c.dc(), tri, 4);
  EXPECT_EQ(c.Map(kBlack), Rows({ ".......", ".#####.", ".#...#.", ".#...#.", ".#...#.", ".#####.", "......." }));
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 9);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(GdiFills, FillRectAndPatBltCoverHalfOpenRectangles) {
  Canvas c(6, 4);
  RECT r { 1, 1, 4, 3 };
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Map(kBlack), Rows({ "......", ".###..", ".###..", "......" }));
  // A system colour index + 1 works as a brush.
  FillRect(c.dc(), &r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.Count(RGB(192, 192, 192)), 6);
}

TEST(GdiFills, PatBltNegativeExtentsGrowLeftAndUp) {
  Canvas c(6, 5);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  PatBlt(c.dc(), 5, 4, -3, -2, PATCOPY);
  EXPECT_EQ(c.Map(kBlack), Rows({ "......", "......", "..###.", "..###.", "......" }));
  c.Fill(kWhite);
  PatBlt(c.dc(), 1, 3, 2, -2, PATCOPY);
  EXPECT_EQ(c.Map(kBlack), Rows({ "......", ".##...", ".##...", "......", "......" }));
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));  // a source operation has no source here
}

TEST(GdiFills, FrameInvertAndFocusRectangles) {
  Canvas c(6, 5, RGB(0, 0, 255));
  RECT r { 1, 1, 5, 4 };
  FrameRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Map(kBlack), Rows({ "......", ".####.", ".#..#.", ".####.", "......" }));
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.Map(kWhite), Rows({ "......", ".####.", ".#..#.", ".####.", "......" }));
  EXPECT_EQ(c.Count(RGB(255, 255, 0)), 2);
  Canvas f(8, 6, RGB(40, 80, 120));
  RECT fr { 0, 0, 8, 6 };
  DrawFocusRect(f.dc(), &fr);
  EXPECT_EQ(f.Map(RGB(215, 175, 135)),
            Rows({ "#.#.#.#.", ".......#", "#.......", ".......#", "#.......", ".#.#.#.#" }));
  DrawFocusRect(f.dc(), &fr);
  EXPECT_EQ(f.Count(RGB(40, 80, 120)), 48);
}

TEST(GdiFills, HatchBrushFollowsTheBrushOriginAndBackgroundMode) {
  Canvas c(8, 8, RGB(0, 0, 255));
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, kBlack);
  SelectObject(c.dc(), hatch);
  SetBkColor(c.dc(), RGB(255, 0, 0));
  SetBkMode(c.dc(), TRANSPARENT);
  SetBrushOrgEx(c.dc(), 3, 0, nullptr);
  PatBlt(c.dc(), 0, 0, 8, 2, PATCOPY);
  EXPECT_EQ(c.Map(kBlack),
            Rows({ "...#....", "...#....", "........", "........", "........", "........", "........", "........" }));
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 0);
  SetBkMode(c.dc(), OPAQUE);
  PatBlt(c.dc(), 0, 2, 8, 1, PATCOPY);
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 7);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(GdiFills, TheDiagonalHatchesRunFromCornerToCorner) {
  const struct {
    int style;
    std::string rows;
  } cases[] = {
    { HS_FDIAGONAL,
      Rows({ "#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.", ".......#" }) },
    { HS_BDIAGONAL,
      Rows({ ".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....", ".#......", "#......." }) },
    { HS_DIAGCROSS,
      Rows({ "#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..", ".#....#.", "#......#" }) },
  };
  for (const auto& c : cases) {
    Canvas canvas(8, 8);
    HBRUSH hatch = CreateHatchBrush(c.style, kBlack);
    SelectObject(canvas.dc(), hatch);
    PatBlt(canvas.dc(), 0, 0, 8, 8, PATCOPY);
    EXPECT_EQ(canvas.Map(kBlack), c.rows) << c.style;
    SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(hatch);
  }
}

TEST(GdiFills, PatternBrushFromAMonochromeBitmapUsesTextAndBackgroundColours) {
  // A 2 × 2 checker: bits 10 / 01.
  const uint8_t bits[] = { 0x80, 0, 0x40, 0 };
  HBITMAP pat = CreateBitmap(2, 2, 1, 1, bits);
  HBRUSH brush = CreatePatternBrush(pat);
  DeleteObject(pat);  // the brush keeps its own copy
  Canvas c(4, 2);
  SelectObject(c.dc(), brush);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkColor(c.dc(), RGB(0, 0, 255));
  PatBlt(c.dc(), 0, 0, 4, 2, PATCOPY);
  EXPECT_EQ(c.Map(RGB(0, 0, 255)), Rows({ "#.#.", ".#.#" }));
  EXPECT_EQ(c.Map(RGB(255, 0, 0)), Rows({ ".#.#", "#.#." }));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(GdiPixels, SetAndGetPixel) {
  Canvas c(3, 3);
  EXPECT_EQ(SetPixel(c.dc(), 1, 2, RGB(10, 20, 30)), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(c.dc(), 1, 2), RGB(10, 20, 30));
  EXPECT_EQ(c.At(1, 2), RGB(10, 20, 30));
  EXPECT_EQ(SetPixel(c.dc(), 3, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc(), -1, 0), CLR_INVALID);
  // System colours are resolved.
  SetPixel(c.dc(), 0, 0, 0x80000000u | COLOR_BTNSHADOW);
  EXPECT_EQ(c.At(0, 0), RGB(128, 128, 128));
}

TEST(GdiUser, DrawEdgeRaisedAndSunkenUseTheClassicColours) {
  Canvas c(6, 6, RGB(1, 2, 3));
  RECT r { 0, 0, 6, 6 };
  DrawEdge(c.dc(), &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.bottom, 4);
  EXPECT_EQ(c.At(0, 0), RGB(192, 192, 192));  // outer light
  EXPECT_EQ(c.At(5, 0), RGB(0, 0, 0));        // the dark side owns the top-right corner
  EXPECT_EQ(c.At(0, 5), RGB(0, 0, 0));
  EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));  // inner highlight
  EXPECT_EQ(c.At(4, 4), RGB(128, 128, 128));  // inner shadow
  EXPECT_EQ(c.At(2, 2), RGB(1, 2, 3));
  RECT s { 0, 0, 6, 6 };
  DrawEdge(c.dc(), &s, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(c.At(0, 0), RGB(128, 128, 128));
  EXPECT_EQ(c.At(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(4, 4), RGB(192, 192, 192));
  EXPECT_EQ(c.At(3, 3), RGB(192, 192, 192));
}

}  // namespace
