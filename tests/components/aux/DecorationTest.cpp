// The decoration painters: three-dimensional text passes, frame rings of every style, glyph cells and
// their grey levels, and the free drawing routines, read back as pixels and as the text log.

#include <memory>

#include "components/DUVEnhancedClass.h"
#include "tests/components/aux/AuxTestUtil.h"

using namespace auxtest;
using namespace ctltest;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kYellow = 0x00FFFF, kMagenta = 0xFF00FF;
const Inks kFrameInks { { '.', kYellow },
                        { 'H', kRed },
                        { 'S', kBlue },
                        { 'G', kGreen },
                        { 'K', clBlack },
                        { 'W', clWhite },
                        { 'C', TColor(0xC0C0C0) },
                        { 'D', TColor(0x808080) } };

// ---- TAHMFont3D --------------------------------------------------------------------------------------------

class Font3DTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Fill(target, 200, 100, clWhite);
    UseTestFace(&font, kGreen);
    font3d.SetHighlight(kRed);
    font3d.SetShadow(kBlue);
    font3d.SetRepetitionColor(kYellow);
    xt::ClearTextLog();
  }
  // Each pass of the last Write: its colour and its offset from the rectangle's corner (20, 20).
  std::vector<std::tuple<COLORREF, int, int>> Passes() {
    std::vector<std::tuple<COLORREF, int, int>> out;
    for (const auto& r : xt::TextOutLog()) out.emplace_back(r.color, r.x - 20, r.y - 20);
    return out;
  }
  void Write(bool Enabled = true) {
    font3d.Write(&font, target.Canvas()->Handle(), TRect(20, 20, 180, 90), "I", DT_LEFT | DT_TOP, Enabled);
  }
  TBitmap target;
  TFont font;
  TAHMFont3D font3d { nullptr };
};

using Pass = std::tuple<COLORREF, int, int>;
constexpr COLORREF R = 0x0000FF, B = 0xFF0000, G = 0x00FF00, Y = 0x00FFFF;

TEST_F(Font3DTest, EachStyleDrawsItsCopiesAroundTheFaceInOrder) {
  struct Case {
    TAHMStyle3D style;
    std::vector<Pass> passes;
  };
  const Case cases[] = {
    { fontRaised, { { R, -2, -2 }, { B, 2, 2 }, { G, 0, 0 } } },
    { fontInset, { { B, -2, -2 }, { R, 2, 2 }, { G, 0, 0 } } },
    { fontOnlyShadow, { { B, 2, 2 }, { G, 0, 0 } } },
    { fontOnlyHighlight, { { R, -2, -2 }, { G, 0, 0 } } },
    // The outline takes the four diagonal neighbours whatever the offset.
    { fontOutLineShadow, { { B, -1, -1 }, { B, 1, -1 }, { B, 1, 1 }, { B, -1, 1 }, { G, 0, 0 } } },
  };
  font3d.SetOffset(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    font3d.SetStyle3D(c.style);
    xt::ClearTextLog();
    Write();
    EXPECT_EQ(Passes(), c.passes);
  }
}

TEST_F(Font3DTest, RepeatedCopiesRunTowardsTheShadowOrTheHighlight) {
  font3d.SetStyle3D(fontOnlyHighlight);
  font3d.SetOffset(1);
  font3d.SetRepetitionwidth(3);
  font3d.SetRepetition(repeatOnShadow);
  Write();
  EXPECT_EQ(Passes(), (std::vector<Pass> { { Y, 4, 4 }, { Y, 3, 3 }, { Y, 2, 2 }, { R, 0, 0 }, { G, 1, 1 } }));

  xt::ClearTextLog();
  font3d.SetRepetitionwidth(2);
  font3d.SetRepetition(repeatOnHighLight);
  Write();
  EXPECT_EQ(Passes(), (std::vector<Pass> { { Y, 1, 1 }, { Y, 2, 2 }, { R, 2, 2 }, { G, 3, 3 } }));
}

TEST_F(Font3DTest, DisabledTextIsEngravedWhateverTheSettingsAndFlatTextIsOnePass) {
  font3d.SetStyle3D(fontRaised);
  font3d.SetRepetition(repeatOnShadow);
  font3d.SetRepetitionwidth(2);
  Write(false);
  EXPECT_EQ(Passes(), (std::vector<Pass> { { 0xFFFFFF, 0, 0 }, { 0x808080, -1, -1 } }));

  xt::ClearTextLog();
  font3d.SetThreeDimensional(false);
  Write();
  EXPECT_EQ(Passes(), (std::vector<Pass> { { G, 0, 0 } }));
}

TEST_F(Font3DTest, RaisedTextShowsHighlightUpLeftShadowDownRightAndTheFaceOnTop) {
  font3d.SetStyle3D(fontRaised);
  font3d.SetOffset(2);
  Write();
  // The face box of "I" is [21, 27) × [21, 30); the copies are two pixels off each way.
  TCanvas* c = target.Canvas();
  EXPECT_EQ(c->Pixels(19, 19), kRed);
  EXPECT_EQ(c->Pixels(28, 31), kBlue);
  EXPECT_EQ(c->Pixels(24, 25), kGreen);
  EXPECT_EQ(c->Pixels(10, 10), clWhite);
  // The DC keeps its own objects: the canvas draws on with its own font afterwards.
  c->Font()->SetName("Platform Test");
  c->Font()->SetColor(kMagenta);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(100, 60, "I");
  EXPECT_EQ(c->Pixels(103, 65), kMagenta);
}

TEST_F(Font3DTest, SettersGuardTheirRangeAndInvalidateAControlOwner) {
  TCountingControl owner(nullptr);
  TAHMFont3D f(&owner);
  f.SetOffset(0);
  EXPECT_EQ(f.Offset(), 1);
  EXPECT_EQ(owner.Invalidations, 1);  // the notification still runs
  f.SetOffset(3);
  f.SetRepetitionwidth(2);
  EXPECT_EQ(f.DrawingWidth(), 8);
  const int before = owner.Invalidations;
  f.SetRepetitionwidth(2);  // the same value changes nothing
  EXPECT_EQ(owner.Invalidations, before);

  TAHMFont3D copy(nullptr);
  copy.Assign(&f);
  EXPECT_EQ(copy.Offset(), 3);
  EXPECT_EQ(copy.Repetitionwidth(), 2);
  EXPECT_EQ(copy.Owner(), nullptr);
}

// ---- TAHMFrame ---------------------------------------------------------------------------------------------

struct FrameCase {
  TAHMFrameStyle style;
  int width;
  std::string map;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
  *os << GetEnumName(TTypeTraits<TAHMFrameStyle>::Info(), c.style) << " width " << c.width;
}

class FrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameTest, DrawsItsRingGroupsEdgeByEdge) {
  const FrameCase& c = GetParam();
  TBitmap b;
  Fill(b, 6, 6, kYellow);
  TAHMFrame frame(nullptr);
  frame.SetHighlight(kRed);
  frame.SetShadow(kBlue);
  frame.SetSolid(kGreen);
  frame.SetFrameStyle(c.style);
  frame.Setwidth(static_cast<uint8_t>(c.width));
  frame.Draw(b.Canvas()->Handle(), TRect(0, 0, 6, 6));
  EXPECT_EQ(Map(b, kFrameInks), c.map);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStyle, FrameTest,
    ::testing::Values(
        FrameCase { frameSolid, 2, Rows({ "GGGGGG", "GGGGGG", "GG..GG", "GG..GG", "GGGGGG", "GGGGGG" }) },
        FrameCase { frameRaised, 1, Rows({ "HHHHHS", "H....S", "H....S", "H....S", "H....S", "SSSSSS" }) },
        FrameCase { frameLowered, 1, Rows({ "SSSSSH", "S....H", "S....H", "S....H", "S....H", "HHHHHH" }) },
        FrameCase { frameNone, 1, Rows({ "......", "......", "......", "......", "......", "......" }) },
        FrameCase { frameFramedUp, 1, Rows({ "HHHHHS", "HSSSHS", "HS..HS", "HS..HS", "HHHHHS", "SSSSSS" }) },
        FrameCase { frameFramedDown, 1, Rows({ "SSSSSH", "SHHHSH", "SH..SH", "SH..SH", "SSSSSH", "HHHHHH" }) },
        FrameCase { framePanelUp, 1, Rows({ "HHHHHK", "H...SK", "H...SK", "H...SK", "HSSSSK", "KKKKKK" }) },
        FrameCase { framePanelDown, 1, Rows({ "SSSSS.", "SKKKH.", "SK..H.", "SK..H.", "SHHHH.", "S....." }) },
        FrameCase { frameLightBordered, 1, Rows({ ".....S", ".HHHHS", ".H..HS", ".H..HS", ".HHHHS", "SSSSSS" }) }),
    [](const ::testing::TestParamInfo<FrameCase>& info) {
      return GetEnumName(TTypeTraits<TAHMFrameStyle>::Info(), info.param.style);
    });

TEST(FrameEdges, OnlyTheChosenEdgesAreDrawn) {
  TBitmap b;
  Fill(b, 6, 6, kYellow);
  TAHMFrame frame(nullptr);
  frame.SetHighlight(kRed);
  frame.SetShadow(kBlue);
  frame.SetEdges({ EdgeLeft, EdgeTop });
  frame.Draw(b.Canvas()->Handle(), TRect(0, 0, 6, 6));
  EXPECT_EQ(Map(b, kFrameInks), Rows({ "HHHHH.", "H.....", "H.....", "H.....", "H.....", "H....." }));

  Fill(b, 6, 6, kYellow);
  frame.SetEdges({ EdgeRight, EdgeBottom });
  frame.Draw(b.Canvas()->Handle(), TRect(0, 0, 6, 6));
  EXPECT_EQ(Map(b, kFrameInks), Rows({ ".....S", ".....S", ".....S", ".....S", ".....S", "SSSSSS" }));

  Fill(b, 6, 6, kYellow);
  frame.SetEdges({});
  frame.SetFrameStyle(frameFramedUp);
  frame.Draw(b.Canvas()->Handle(), TRect(0, 0, 6, 6));
  EXPECT_EQ(Map(b, kFrameInks), Rows({ "......", "......", "......", "......", "......", "......" }));
}

// clNone leaves a colour's lines out and nothing else: a frame drawn with one colour set to clNone
// matches, pixel for pixel, the frame drawn with that colour set to magenta, except where magenta was
// drawn. So every ring stays where it was, for every style and each of the three colours.
TEST(FrameNoneColour, LeavesTheLinesOutButKeepsTheirRings) {
  using Setter = void (TAHMFrame::*)(TColor);
  const std::pair<const char*, Setter> colours[] = { { "Highlight", &TAHMFrame::SetHighlight },
                                                     { "Shadow", &TAHMFrame::SetShadow },
                                                     { "Solid", &TAHMFrame::SetSolid } };
  const Inks inks { { '.', kYellow }, { 'H', kRed },    { 'S', kBlue },
                    { 'G', kGreen },  { 'K', clBlack }, { 'M', kMagenta } };
  auto draw = [&](TAHMFrameStyle style, Setter setter, TColor colour) {
    TBitmap b;
    Fill(b, 11, 8, kYellow);
    TAHMFrame frame(nullptr);
    frame.SetHighlight(kRed);
    frame.SetShadow(kBlue);
    frame.SetSolid(kGreen);
    (frame.*setter)(colour);
    frame.SetFrameStyle(style);
    frame.Setwidth(2);
    frame.Draw(b.Canvas()->Handle(), TRect(0, 0, 11, 8));
    return Map(b, inks);
  };
  for (int style = frameSolid; style <= frameLightBordered; ++style)
    for (const auto& [name, setter] : colours) {
      const auto s = static_cast<TAHMFrameStyle>(style);
      const std::string without = draw(s, setter, clNone), marked = draw(s, setter, kMagenta);
      std::string expected = without;
      for (size_t i = 0; i < marked.size(); ++i)
        if (marked[i] != 'M') expected[i] = marked[i];
      EXPECT_EQ(without, expected) << GetEnumName(TTypeTraits<TAHMFrameStyle>::Info(), s) << " with " << name
                                   << " = clNone; drawn in magenta:\n"
                                   << marked;
    }

  // The sunken panel without a shadow: its outer group of two rings stays empty, the inner one starts
  // at the inset of 2.
  EXPECT_EQ(draw(framePanelDown, &TAHMFrame::SetShadow, clNone),
            Rows({ "...........", "...........", "..KKKKKKH..", "..KKKKKHH..", "..KHHHHHH..", "..HHHHHHH..",
                   "...........", "..........." }));
}

TEST(FrameGeometry, ThicknessAndInsetsFollowStyleWidthAndEdges) {
  struct Case {
    TAHMFrameStyle style;
    uint8_t width;
    TAHMFrameEdges edges;
    int thickness;
    TRect insets;
  };
  const TAHMFrameEdges all { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom };
  const Case cases[] = {
    { frameNone, 5, all, 0, TRect(0, 0, 0, 0) },
    { frameFramedUp, 3, all, 6, TRect(6, 6, 6, 6) },
    { frameLightBordered, 1, all, 2, TRect(2, 2, 2, 2) },
    { frameRaised, 2, { EdgeLeft, EdgeTop }, 2, TRect(2, 2, 0, 0) },
    { frameSolid, 4, { EdgeRight }, 4, TRect(0, 0, 4, 0) },
    { framePanelDown, 2, { EdgeBottom }, 4, TRect(0, 0, 0, 4) },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    TAHMFrame f(nullptr);
    f.SetFrameStyle(c.style);
    f.Setwidth(c.width);
    f.SetEdges(c.edges);
    EXPECT_EQ(f.Calcwidth(), c.thickness);
    EXPECT_EQ(f.GetEdgePoints(), c.insets);
  }
  TAHMFrame f(nullptr);
  f.Setwidth(3);
  f.Setwidth(0);
  EXPECT_EQ(f.FrameWidth(), 3);
}

TEST(FrameButton, TwoRingsUpOrDown) {
  TBitmap b;
  Fill(b, 6, 6, kYellow);
  TAHMFrame frame(nullptr);
  frame.SetHighlight(kRed);
  frame.SetShadow(kBlue);
  frame.Drawbutton(b.Canvas(), TRect(0, 0, 6, 6), false);
  EXPECT_EQ(Map(b, kFrameInks), Rows({ "WWWWWK", "WHHHSK", "WH..SK", "WH..SK", "WSSSSK", "KKKKKK" }));
  Fill(b, 6, 6, kYellow);
  frame.Drawbutton(b.Canvas(), TRect(0, 0, 6, 6), true);
  EXPECT_EQ(Map(b, kFrameInks), Rows({ "SSSSSH", "SKKKWH", "SK..WH", "SK..WH", "SWWWWH", "HHHHHH" }));
}

// ---- Free routines -----------------------------------------------------------------------------------------

TEST(ButtonFrame, EachStyleDrawsItsRingsAndDownSwapsTheirColours) {
  struct Case {
    int style;
    bool down;
    std::string map;
  };
  const Case table[] = {
    { 3, false, Rows({ "CCCCCK", "CWWWDK", "CWWDDK", "CWDDDK", "CDDDDK", "KKKKKK" }) },
    { 3, true, Rows({ "KKKKKC", "KDDDWC", "KDDWWC", "KDWWWC", "KWWWWC", "CCCCCC" }) },
    { 2, false, Rows({ "CCCCK.", "CWWDK.", "CW.DK.", "CDDDK.", "KKKKK.", "......" }) },
    { 1, false, Rows({ "WWWWD.", "W...D.", "W...D.", "W...D.", "DDDDD.", "......" }) },
    { 1, true, Rows({ "DDDDW.", "D...W.", "D...W.", "D...W.", "WWWWW.", "......" }) },
    { 0, false, Rows({ "......", "......", "......", "......", "......", "......" }) },
    { 4, false, Rows({ "......", "......", "......", "......", "......", "......" }) },
  };
  for (const Case& c : table) {
    SCOPED_TRACE(testing::Message() << "style " << c.style << (c.down ? " down" : " up"));
    TBitmap b;
    Fill(b, 6, 6, kYellow);
    DUVDrawButtonFrame(b.Canvas(), 6, 6, c.style, c.down);
    EXPECT_EQ(Map(b, kFrameInks), c.map);
  }
}

TEST(TransparentBitmap, PixelsOfTheColourAreLeftOut) {
  TBitmap glyph;
  Fill(glyph, 3, 2, kRed);
  Paint(glyph, { "M.M", ".M." }, { { 'M', kMagenta } });
  TBitmap b;
  Fill(b, 5, 3, kYellow);
  DUVDrawTransparentBitmap(b.Canvas(), &glyph, 1, 1, kMagenta);
  EXPECT_EQ(Map(b, kFrameInks), Rows({ ".....", "..H..", ".H.H." }));
}

class DisabledTextTest : public ControlsTest {};

TEST_F(DisabledTextTest, EngravedInTwoPasses) {
  TBitmap b;
  Fill(b, 60, 30, kYellow);
  TFont font;
  UseTestFace(&font, kGreen);
  xt::ClearTextLog();
  DUVDrawDisabledText(&font, b.Canvas(), TRect(10, 5, 60, 30), "I", DT_LEFT);
  const auto log = xt::TextOutLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].color, 0xFFFFFFu);
  EXPECT_EQ(log[1].color, 0x808080u);
  EXPECT_EQ(log[1].x, log[0].x - 1);
  EXPECT_EQ(log[1].y, log[0].y - 1);
  // The grey box [10, 16) × [5, 14) over the white one a pixel further right and down.
  EXPECT_EQ(b.Canvas()->Pixels(10, 5), TColor(0x808080));
  EXPECT_EQ(b.Canvas()->Pixels(16, 14), clWhite);
}

// ---- TAHMGlyph ---------------------------------------------------------------------------------------------

class GlyphTest : public ::testing::Test {
 protected:
  // Four 2 × 2 cells in red, green, blue and grey 100, each with a magenta key pixel bottom-left.
  void SetUp() override {
    TBitmap strip;
    Fill(strip, 8, 2, kRed);
    Paint(strip, { "RRGGBBDD", "MRMGMBMD" },
          { { 'R', kRed }, { 'G', kGreen }, { 'B', kBlue }, { 'D', TColor(0x646464) }, { 'M', kMagenta } });
    glyph.SetBitmap(&strip);
    glyph.SetNumGlyphs(4);
    glyph.SetTransparentColor(kMagenta);
  }
  std::string Drawn(bool Enabled, bool Down, bool Grey) {
    TBitmap b;
    Fill(b, 2, 2, kYellow);
    glyph.Draw(b.Canvas(), 0, 0, Enabled, Down, Grey);
    return Map(b, { { '.', kYellow },
                    { 'R', kRed },
                    { 'G', kGreen },
                    { 'B', kBlue },
                    { 'S', TColor(0x808080) },
                    { 'M', kMagenta },
                    { 'K', clBlack } });
  }
  TAHMGlyph glyph { nullptr };
};

TEST_F(GlyphTest, EachStateDrawsItsCell) {
  EXPECT_EQ(Drawn(true, false, false), Rows({ "RR", ".R" }));
  EXPECT_EQ(Drawn(true, true, false), Rows({ "GG", ".G" }));
  // Disabled: the last cell greyed with factor 2 (sum 300 lies between 110 and 548: button shadow).
  EXPECT_EQ(Drawn(false, false, false), Rows({ "SS", ".S" }));
  // Grey: cell 1 greyed with factor 1 (pure red sums 255: button shadow).
  EXPECT_EQ(Drawn(true, false, true), Rows({ "SS", ".S" }));
  glyph.SetTransparent(false);
  EXPECT_EQ(Drawn(true, false, false), Rows({ "RR", "MR" }));
  glyph.SetVisible(false);
  EXPECT_EQ(Drawn(true, false, false), Rows({ "..", ".." }));
}

TEST_F(GlyphTest, PressedTakesTheSecondCellOnlyWithThreeOrMoreCells) {
  glyph.SetNumGlyphs(2);  // cells of 4 pixels: red-green, then blue-grey
  TBitmap b;
  Fill(b, 4, 2, kYellow);
  glyph.Draw(b.Canvas(), 0, 0, true, true, false);
  EXPECT_EQ(Map(b, { { '.', kYellow }, { 'R', kRed }, { 'G', kGreen } }), Rows({ "RRGG", ".R.G" }));
}

TEST_F(GlyphTest, CellCountStaysWithinOneToFour) {
  glyph.SetNumGlyphs(0);
  EXPECT_EQ(glyph.NumGlyphs(), 1);
  EXPECT_EQ(glyph.GetWidth(), 8);
  // Disabled with one cell: that cell, greyed with factor 2.
  TBitmap b;
  Fill(b, 8, 2, kYellow);
  glyph.Draw(b.Canvas(), 0, 0, false, false, false);
  EXPECT_EQ(Map(b, { { '.', kYellow }, { 'S', TColor(0x808080) } }), Rows({ "SSSSSSSS", ".S.S.S.S" }));
  glyph.SetNumGlyphs(9);
  EXPECT_EQ(glyph.NumGlyphs(), 4);
  EXPECT_EQ(glyph.GetWidth(), 2);
  EXPECT_EQ(glyph.GetHeight(), 2);
  TAHMGlyph empty(nullptr);
  EXPECT_EQ(empty.GetWidth(), 0);
  EXPECT_EQ(empty.GetHeight(), 0);
}

TEST(GlyphDesign, ABitmapLoadedAtDesignTimeSetsCellsAndTransparentColour) {
  struct Case {
    int width;
    int expected;
  };
  TComponent owner(nullptr);
  owner.SetDesigning(true);
  for (const Case& c : { Case { 64, 4 }, Case { 80, 1 }, Case { 32, 2 }, Case { 40, 2 } }) {
    SCOPED_TRACE(c.width);
    TAHMGlyph glyph(&owner);
    glyph.SetNumGlyphs(2);
    TBitmap strip;
    Fill(strip, c.width, 16, kRed);
    strip.Canvas()->SetPixels(0, 15, kMagenta);
    glyph.SetBitmap(&strip);
    EXPECT_EQ(glyph.NumGlyphs(), c.expected);  // 40 × 16 is no whole multiple: the count stays
    EXPECT_EQ(glyph.TransparentColor(), kMagenta);
  }
  owner.SetDesigning(false);
  TAHMGlyph glyph(&owner);
  TBitmap strip;
  Fill(strip, 64, 16, kRed);
  glyph.SetBitmap(&strip);
  EXPECT_EQ(glyph.NumGlyphs(), 1);
  EXPECT_EQ(glyph.TransparentColor(), clBlack);
}

TEST(GlyphGrey, LevelsSwitchAtTheThresholdSumsAndTheKeyColourStays) {
  struct Case {
    TColor pixel;
    int factor;
    TColor expected;
  };
  const TColor face = TColor(ColorToRGB(clBtnFace)), light = TColor(ColorToRGB(clBtnHighlight)),
               dark = TColor(ColorToRGB(clBtnShadow));
  const Case cases[] = {
    { TColor(0x000037), 1, clBlack },  // 55
    { TColor(0x000038), 1, dark },     // 56
    { TColor(0x0013FF), 1, dark },     // 274
    { TColor(0x0014FF), 1, light },    // 275
    { TColor(0x19FFFF), 1, light },    // 535
    { TColor(0x1AFFFF), 1, face },     // 536
    { TColor(0x00006E), 2, clBlack },  // 110
    { TColor(0x00006F), 2, dark },     // 111
    { TColor(0x3100FF), 2, dark },     // 304
    { TColor(0xFFFFFF), 2, light },    // 765: no pixel reaches the face level
    { kMagenta, 1, kMagenta },         // the key colour is left alone
  };
  TAHMGlyph glyph(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.pixel.Value << " factor " << c.factor);
    TBitmap b;
    Fill(b, 1, 1, c.pixel);
    glyph.DrawGrayed(&b, kMagenta, c.factor);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), c.expected);
  }
}

}  // namespace
