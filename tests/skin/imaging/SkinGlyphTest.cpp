// Glyph cells and pen-drawn signs, pixel by pixel.

#include <gtest/gtest.h>

#include <functional>

#include "tests/skin/imaging/ImagingTestSupport.h"

using namespace imaging_test;

namespace {

constexpr uint32_t kInk = 0xFF0000;  // clRed read back as 0x00RRGGBB
constexpr TColor kInkColor = clRed;

PixelSet Outline(int l, int t, int r, int b) {
  PixelSet s;
  for (int x = l; x < r; ++x) s.insert({ x, t }), s.insert({ x, b - 1 });
  for (int y = t; y < b; ++y) s.insert({ l, y }), s.insert({ r - 1, y });
  return s;
}

PixelSet Block(int l, int t, int r, int b) {
  PixelSet s;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) s.insert({ x, y });
  return s;
}

PixelSet Rows(std::initializer_list<std::tuple<int, int, int>> rows) {  // (y, x from, x to) inclusive
  PixelSet s;
  for (auto [y, a, b] : rows)
    for (int x = a; x <= b; ++x) s.insert({ x, y });
  return s;
}

PixelSet Columns(std::initializer_list<std::tuple<int, int, int>> cols) {  // (x, y from, y to) inclusive
  PixelSet s;
  for (auto [x, a, b] : cols)
    for (int y = a; y <= b; ++y) s.insert({ x, y });
  return s;
}

PixelSet Union(std::initializer_list<PixelSet> sets) {
  PixelSet s;
  for (const PixelSet& p : sets) s.insert(p.begin(), p.end());
  return s;
}

PixelSet Moved(const PixelSet& s, int dx, int dy) {
  PixelSet m;
  for (auto [x, y] : s) m.insert({ x + dx, y + dy });
  return m;
}

// A 30 x 30 white picture with the routine's drawing on it.
PixelSet Drawn(const std::function<void(TCanvas*)>& draw) {
  TBitmap b;
  b.SetSize(30, 30);
  draw(b.Canvas());
  return Painted(b);
}

}  // namespace

TEST(Signs, CaptionSignsAtTheirOrigin) {
  PixelSet close;
  for (int t = 0; t < 8; ++t) {
    close.insert({ 1 + t, 1 + t });
    close.insert({ 9 - t, 1 + t });
    close.insert({ 2 + t, 1 + t });
    close.insert({ 8 - t, 1 + t });
  }
  struct Case {
    const char* name;
    void (*draw)(TCanvas*, int, int, TColor);
    PixelSet shape;  // relative to (X, Y)
  } cases[] = {
    { "close", DrawCloseImage, close },
    { "system menu", DrawSysMenuImage, Outline(1, 3, 9, 6) },
    { "minimise", DrawMinimizeImage, Block(1, 8, 9, 10) },
    { "maximise", DrawMaximizeImage, Union({ Outline(0, 0, 11, 10), Block(0, 0, 11, 2) }) },
    { "restore", DrawRestoreImage,
      Union({ Outline(2, 0, 10, 6), Block(2, 0, 10, 2), Outline(0, 4, 7, 10), Block(0, 4, 7, 6) }) },
    { "roll up", DrawRollUpImage, Rows({ { 6, 1, 8 }, { 5, 2, 7 }, { 4, 3, 6 }, { 3, 4, 5 } }) },
    { "restore roll-up", DrawRestoreRollUpImage, Rows({ { 2, 1, 8 }, { 3, 2, 7 }, { 4, 3, 6 }, { 5, 4, 5 } }) },
    { "mt", DrawMTImage, Block(2, 2, 7, 7) },
    { "radio", DrawRadioImage, Block(0, 0, 6, 6) },
  };
  for (const Case& c : cases)
    EXPECT_EQ(Drawn([&](TCanvas* cv) { c.draw(cv, 3, 4, kInkColor); }), Moved(c.shape, 3, 4)) << c.name;
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawRollUpImage(cv, 0, 0, kInkColor); }).size(), 20u);
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawRCloseImage(cv, TRect(0, 0, 20, 20), kInkColor); }), Moved(close, 5, 5));
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawRCloseImage(cv, TRect(4, 9, 15, 16), kInkColor); }), Moved(close, 4, 7));
}

TEST(Signs, SignsDrawInTheGivenColourOverAnInteriorTheyLeaveAlone) {
  TBitmap b;
  b.SetSize(20, 20);
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(TRect(0, 0, 20, 20));
  DrawMaximizeImage(b.Canvas(), 2, 2, kInkColor);
  EXPECT_EQ(Px(b, 2, 2), kInk);
  EXPECT_EQ(Px(b, 5, 6), 0x00FF00u);  // the clear brush leaves the inside
  DrawMTImage(b.Canvas(), 0, 10, clBlue);
  EXPECT_EQ(Px(b, 4, 14), 0xFF) << "a solid square in the given colour";
}

TEST(Signs, CheckMarkIsThreeStrokesThick) {
  PixelSet want;
  for (int i = 0; i < 3; ++i) {
    want.insert({ 0, 5 - i });
    want.insert({ 1, 6 - i });
    for (int t = 0; t < 5; ++t) want.insert({ 2 + t, 7 - i - t });
  }
  EXPECT_EQ(want.size(), 21u);
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawCheckImage(cv, 5, 6, kInkColor); }), Moved(want, 5, 6));
}

TEST(Signs, Frame3DColoursItsEdges) {
  TBitmap b;
  b.SetSize(6, 5);
  b.Canvas()->Pen()->SetWidth(3);  // the frame is always one pixel wide
  Frm3D(b.Canvas(), TRect(0, 0, 4, 3), clWhite, clBlack);
  const PixelSet black = Painted(b, kWhite);
  EXPECT_EQ(black, (PixelSet { { 3, 0 }, { 3, 1 }, { 3, 2 }, { 0, 2 }, { 1, 2 }, { 2, 2 } }));
  TBitmap c;
  c.SetSize(6, 5);
  Frm3D(c.Canvas(), TRect(0, 0, 4, 3), clRed, clWhite);
  EXPECT_EQ(Painted(c), (PixelSet { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 0, 1 } }));
}

TEST(Signs, ArrowsPointTheirWay) {
  const TRect r(0, 0, 20, 20);
  struct Case {
    int code;
    PixelSet shape;
  } cases[] = {
    { 1, Columns({ { 8, 10, 10 }, { 9, 9, 11 }, { 10, 8, 12 }, { 11, 7, 13 } }) },
    { 2, Columns({ { 12, 10, 10 }, { 11, 9, 11 }, { 10, 8, 12 }, { 9, 7, 13 } }) },
    { 3, Rows({ { 8, 10, 10 }, { 9, 9, 11 }, { 10, 8, 12 }, { 11, 7, 13 } }) },
    { 4, Rows({ { 9, 7, 13 }, { 10, 8, 12 }, { 11, 9, 11 }, { 12, 10, 10 } }) },
    { 0, {} },
    { 5, {} },
  };
  for (const Case& c : cases)
    EXPECT_EQ(Drawn([&](TCanvas* cv) { DrawArrowImage(cv, r, kInkColor, c.code); }), c.shape) << "code " << c.code;
  // Odd sizes centre with truncation: R (3, 2, 12, 9) has its centre at (7, 5).
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawArrowImage(cv, TRect(3, 2, 12, 9), kInkColor, 4); }),
            Rows({ { 4, 4, 10 }, { 5, 5, 9 }, { 6, 6, 8 }, { 7, 7, 7 } }));
  EXPECT_EQ(Drawn([](TCanvas* cv) { DrawTrackArrowImage(cv, TRect(0, 0, 20, 20), kInkColor); }),
            Rows({ { 10, 8, 12 }, { 11, 9, 11 }, { 12, 10, 10 } }));
}

// ---- Glyph strips -----------------------------------------------------------------------------------------

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kGrey = 0x808080;

// 64 x 8, four cells of 16: coded pixels, with each cell's bottom-left pixel and a few others magenta.
std::unique_ptr<TBitmap> Strip() {
  return Picture(64, 8, [](int x, int y) {
    const int cx = x % 16;
    if ((cx == 0 && y == 7) || (cx == 4 && y == 3) || (cx == 9 && y == 0)) return kMagenta;
    return Code(x, y);
  });
}

std::unique_ptr<TBitmap> Grey() {
  return Picture(30, 20, [](int, int) { return kGrey; });
}

}  // namespace

TEST(Glyph, DrawsOneCellWithoutItsTransparentColour) {
  auto strip = Strip();
  for (int num : { 1, 2, 4 }) {
    auto canvas = Grey();
    DrawGlyph(canvas->Canvas(), 5, 6, strip.get(), 4, num);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) {
        const int cx = x - 5, cy = y - 6;
        uint32_t want = kGrey;
        if (cx >= 0 && cx < 16 && cy >= 0 && cy < 8) {
          const uint32_t src = Px(*strip, 16 * (num - 1) + cx, cy);
          want = src == kMagenta ? kGrey : src;
        }
        ASSERT_EQ(Px(*canvas, x, y), want) << "cell " << num << " at " << x << "," << y;
      }
  }
}

TEST(Glyph, OutOfRangeCellsAndEmptyStripsDrawNothing) {
  auto strip = Strip();
  TBitmap empty;
  struct {
    TBitmap* glyph;
    int num, cell;
  } cases[] = { { strip.get(), 4, 0 },  { strip.get(), 4, 5 }, { strip.get(), 0, 1 }, { strip.get(), -2, 1 },
                { strip.get(), 65, 1 }, { &empty, 1, 1 },      { nullptr, 1, 1 } };
  for (auto& c : cases) {
    auto canvas = Grey();
    DrawGlyph(canvas->Canvas(), 0, 0, c.glyph, c.num, c.cell);
    EXPECT_TRUE(Painted(*canvas, kGrey).empty()) << c.num << " glyphs, cell " << c.cell;
  }
}

TEST(Signs, TheBuiltInLookFramesAndFillsAFaceByItsState) {
  const auto rgb = [](TColor c) {
    const uint32_t v = static_cast<uint32_t>(ColorToRGB(c));
    return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
  };
  struct TCase {
    TbsLookState State;
    bool NormalFrame;
    uint32_t Frame, Fill;
  } const cases[] = {
    { TbsLookState::Normal, true, rgb(clBtnShadow), rgb(clBtnFace) },
    { TbsLookState::Normal, false, rgb(clBtnFace), rgb(clBtnFace) },
    { TbsLookState::Hot, false, 0x000080, 0xB6BDD2 },  // a lit face is framed whatever NormalFrame says
    { TbsLookState::Down, true, 0x000080, 0x8593B5 },
  };
  for (const TCase& k : cases) {
    TBitmap b;
    b.SetSize(8, 6);
    TRect r(1, 1, 7, 5);
    bsDrawLookFace(b.Canvas(), r, k.State, k.NormalFrame);
    const bool framed = k.Frame != k.Fill;
    SCOPED_TRACE(testing::Message() << "state " << int(k.State) << " frame " << k.NormalFrame);
    EXPECT_EQ(r, framed ? TRect(2, 2, 6, 4) : TRect(1, 1, 7, 5)) << "R ends inside the frame";
    EXPECT_EQ(Painted(b), Block(1, 1, 7, 5)) << "nothing outside the face";
    for (auto [x, y] : Outline(1, 1, 7, 5)) EXPECT_EQ(Px(b, x, y), k.Frame) << x << "," << y;
    for (auto [x, y] : Block(2, 2, 6, 4)) EXPECT_EQ(Px(b, x, y), k.Fill) << x << "," << y;
  }
  EXPECT_EQ(bsLookState(true, false), TbsLookState::Down) << "pressed wins over hot";
  EXPECT_EQ(bsLookState(false, true), TbsLookState::Hot);
}
