// The background painters: every gradient fill style on small targets whose pixels follow from the
// shade arithmetic, texture tiling, centring and stretching, brush fills, and the background
// component's change propagation, client list, overlay and text.

#include <memory>

#include "components/AHMTBackground.h"
#include "components/DUVEnhancedClass.h"
#include "tests/components/aux/AuxTestUtil.h"

using namespace auxtest;
using namespace ctltest;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kYellow = 0x00FFFF, kMagenta = 0xFF00FF;

// ---- Gradients ---------------------------------------------------------------------------------------------

class GradientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gradient.SetBeginColor(clBlack);
    gradient.SetEndColor(clWhite);
  }
  TBitmap& Render(TAHMFillStyle Style, int W, int H, int Count, bool BeginFirst = true) {
    gradient.SetFillStyle(Style);
    gradient.SetColorCount(Count);
    Fill(target, W, H, kMagenta);
    gradient.MultiDraw(target.Canvas()->Handle(), W, H, gradient.ColorsInBetween(), kRed, BeginFirst);
    return target;
  }
  static std::vector<int> Repeat(std::initializer_list<std::pair<int, int>> Runs) {
    std::vector<int> v;
    for (const auto& [value, count] : Runs) v.insert(v.end(), count, value);
    return v;
  }
  TAHMGradient gradient;
  TBitmap target;
};

// Four shades of black to white are 0 (painted 1), 85, 170 and 255; each band is two steps high and
// the next overwrites half of it.
TEST_F(GradientTest, HorizontalAndVerticalBandsFollowTheShadeSteps) {
  const std::vector<int> steps { 1, 1, 85, 85, 85, 170, 170, 255 };
  TBitmap& h = Render(Horizontal, 3, 8, 4);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(Column(h, x), steps) << x;
  TBitmap& v = Render(Vertical, 8, 3, 4);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Row(v, y), steps) << y;
  EXPECT_EQ(v.Canvas()->Pixels(0, 0), TColor(0x010101));  // a forward colour of pure black
}

TEST_F(GradientTest, BeginFirstFalseRunsFromTheEndColour) {
  EXPECT_EQ(Column(Render(Horizontal, 1, 8, 4, false), 0), (std::vector<int> { 255, 255, 170, 170, 170, 85, 85, 1 }));
}

TEST_F(GradientTest, ColoursInBetweenMakeOneSegmentEachInOrder) {
  auto* colours = new TStringList;
  colours->Add("clRed");
  colours->Add("$0000FF00");
  gradient.SetColorStrings(colours);
  delete colours;
  TBitmap& b = Render(Horizontal, 2, 30, 2);
  std::vector<int32_t> column;
  for (int y = 0; y < 30; ++y) column.push_back(b.Canvas()->Pixels(1, y));
  // hs = 11: black to red, red to green, green to white; zero components are painted as 1.
  std::vector<int32_t> expected;
  for (auto [color, rows] : { std::pair { 0x010101, 6 }, { 0x0101FF, 11 }, { 0x01FF01, 11 }, { 0xFFFFFF, 2 } })
    expected.insert(expected.end(), rows, color);
  EXPECT_EQ(column, expected);
}

TEST_F(GradientTest, RectangleStylesNestTheirBands) {
  TBitmap& lb = Render(LeftBottom, 6, 6, 3);  // bands grow from each shade's corner to the bottom right
  EXPECT_EQ(Row(lb, 0), Repeat({ { 1, 6 } }));
  EXPECT_EQ(Row(lb, 3), (std::vector<int> { 1, 1, 128, 128, 128, 128 }));
  EXPECT_EQ(Row(lb, 5), (std::vector<int> { 1, 1, 128, 128, 128, 255 }));

  TBitmap& sq = Render(SquareMiddle, 8, 8, 2);
  for (int y : { 0, 1, 6, 7 }) EXPECT_EQ(Row(sq, y), Repeat({ { 1, 8 } })) << y;
  for (int y : { 2, 5 }) EXPECT_EQ(Row(sq, y), (std::vector<int> { 1, 1, 255, 255, 255, 255, 1, 1 })) << y;
}

TEST_F(GradientTest, MiddleBarsGrowFromBothEdgesIncludingUpwardBands) {
  // The lower bands have negative heights: they reach up from their row.
  const std::vector<int> bars = Repeat({ { 0, 1 }, { 1, 3 }, { 255, 11 }, { 1, 3 }, { 0, 2 } });
  EXPECT_EQ(Column(Render(MiddleHBar, 1, 20, 4), 0), bars);
  EXPECT_EQ(Row(Render(MiddleVBar, 20, 1, 4), 0), bars);
}

TEST_F(GradientTest, DoppelBarsRepeatThreeTimesAcrossTheArea) {
  const std::vector<int> bars { 0, 1, 255, 255, 255, 255, 1, 0, 0, 1, 1, 1 };
  EXPECT_EQ(Row(Render(VerticalDoppelBar, 12, 1, 2), 0), bars);
  EXPECT_EQ(Column(Render(HorizontalDoppelBar, 1, 12, 2), 0), bars);
}

TEST_F(GradientTest, CircleLinesTurnAroundTheCentreAndSpectralAlternatesThem) {
  // Shade i owns the lines starting at x (or y) from MulDiv(i, 17, 4) to MulDiv(i + 2, 17, 4).
  auto probe = [](TBitmap& b, std::initializer_list<int> at, bool column) {
    std::vector<int> v;
    for (int i : at) v.push_back(b.Canvas()->Pixels(column ? 0 : i, column ? i : 0) & 0xFF);
    return v;
  };
  TBitmap& c = Render(Circle, 16, 16, 4);
  const std::vector<int> around { 1, 1, 1, 1, 85, 85, 85, 85, 170, 170, 170, 255, 255, 255 };
  const auto at = { 0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15 };
  EXPECT_EQ(probe(c, at, false), around);
  EXPECT_EQ(probe(c, at, true), around);
  // Spectral: odd lines take the forward shade, even ones the backward shade.
  TBitmap& s = Render(Spectral, 16, 16, 4);
  EXPECT_EQ(probe(s, { 0, 1, 2, 3, 5, 6, 7, 8, 10, 11 }, false),
            (std::vector<int> { 255, 1, 255, 1, 85, 170, 85, 170, 85, 170 }));
}

TEST_F(GradientTest, EllipseStylesShrinkTowardTheirTarget) {
  auto nondecreasing = [](const std::vector<int>& v) { return std::is_sorted(v.begin(), v.end()); };
  TBitmap& round = Render(RoundMiddle, 21, 21, 8);
  EXPECT_EQ(round.Canvas()->Pixels(0, 0), clBlack);  // outside every ellipse: the first colour itself
  EXPECT_EQ(round.Canvas()->Pixels(10, 10) & 0xFF, 255);
  std::vector<int> middle = Row(round, 10);
  middle.resize(11);
  EXPECT_TRUE(nondecreasing(std::vector<int>(middle.begin() + 1, middle.end())));

  TBitmap& single = Render(Singleflash, 20, 20, 4);
  EXPECT_EQ(single.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(single.Canvas()->Pixels(17, 17) & 0xFF, 255);
  std::vector<int> diagonal;
  for (int i = 2; i < 18; ++i) diagonal.push_back(single.Canvas()->Pixels(i, i) & 0xFF);
  EXPECT_TRUE(nondecreasing(diagonal));

  TBitmap& doppel = Render(DoppelFlash, 20, 20, 4);  // one flash to each corner
  EXPECT_EQ(doppel.Canvas()->Pixels(1, 1) & 0xFF, 255);
  EXPECT_EQ(doppel.Canvas()->Pixels(18, 18) & 0xFF, 255);
  EXPECT_EQ(doppel.Canvas()->Pixels(10, 10) & 0xFF, 85);
}

TEST_F(GradientTest, ColourCountAcceptsTwoToTwoHundredFiftyFive) {
  for (int bad : { 1, 256, 0, -5 }) {
    gradient.SetColorCount(bad);
    EXPECT_EQ(gradient.ColorCount(), 32) << bad;
  }
  gradient.SetColorCount(2);
  EXPECT_EQ(gradient.ColorCount(), 2);
  gradient.SetColorCount(255);
  EXPECT_EQ(gradient.ColorCount(), 255);
}

TEST_F(GradientTest, ABadColourIsRefusedOnAssignmentAndSkippedWhenPainting) {
  TStringList good, bad;
  good.Add("clRed");
  bad.Add("clRed");
  bad.Add("notacolour");
  gradient.SetColorStrings(&good);
  EXPECT_THROW(gradient.SetColorStrings(&bad), EConvertError);
  EXPECT_EQ(gradient.ColorsInBetween()->Text(), good.Text());

  // Edited in place: painting goes on as if the line were not there.
  TBitmap reference;
  Render(Horizontal, 2, 20, 4);
  reference.Assign(&target);
  gradient.ColorsInBetween()->Add("notacolour");
  EXPECT_NO_THROW(Render(Horizontal, 2, 20, 4));
  for (int y = 0; y < 20; ++y) EXPECT_EQ(target.Canvas()->Pixels(0, y), reference.Canvas()->Pixels(0, y)) << y;
}

TEST_F(GradientTest, AssignCopiesEverySettingAndTheList) {
  gradient.SetFillStyle(Spectral);
  gradient.SetColorCount(7);
  gradient.ColorsInBetween()->Add("clRed");
  TAHMGradient copy;
  int changes = 0;
  copy.OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  copy.Assign(&gradient);
  EXPECT_EQ(copy.FillStyle(), Spectral);
  EXPECT_EQ(copy.ColorCount(), 7);
  EXPECT_EQ(copy.BeginColor(), clBlack);
  EXPECT_EQ(copy.EndColor(), clWhite);
  EXPECT_EQ(copy.ColorsInBetween()->Text(), gradient.ColorsInBetween()->Text());
  EXPECT_EQ(changes, 1);
  copy.ColorsInBetween()->Add("clBlue");  // an edit in place is a change too
  EXPECT_EQ(changes, 2);
}

// ---- Textures ----------------------------------------------------------------------------------------------

const Inks kTextureInks { { 'R', kRed },    { 'G', kGreen },  { 'B', kBlue },   { 'Y', kYellow },
                          { 'K', clBlack }, { 'W', clWhite }, { 'M', kMagenta } };

class TextureTest : public ::testing::Test {
 protected:
  void SetImage(int W, int H, std::initializer_list<const char*> Rows) {
    TBitmap image;
    Fill(image, W, H, clWhite);
    Paint(image, Rows, kTextureInks);
    texture.SetImage(&image);
  }
  std::string Drawn(TAHMImageStyle Style, int W, int H) {
    texture.SetImageStyle(Style);
    TBitmap b;
    Fill(b, W, H, kMagenta);
    texture.Draw(b.Canvas()->Handle(), W, H, kYellow);
    return Map(b, kTextureInks);
  }
  TAHMTexture texture;
};

TEST_F(TextureTest, TilesCoverTheAreaAndTheLastOnesAreClipped) {
  SetImage(3, 2, { "RGB", "YKW" });
  EXPECT_EQ(Drawn(isTile, 7, 5), Rows({ "RGBRGBR", "YKWYKWY", "RGBRGBR", "YKWYKWY", "RGBRGBR" }));
  EXPECT_EQ(Drawn(isTile, 6, 2), Rows({ "RGBRGB", "YKWYKW" }));  // exactly two widths
}

TEST_F(TextureTest, CentredOnceAndLeftAloneAroundOrAtTheOriginWhenLarger) {
  SetImage(2, 2, { "RG", "BY" });
  EXPECT_EQ(Drawn(isCenter, 6, 4), Rows({ "MMMMMM", "MMRGMM", "MMBYMM", "MMMMMM" }));
  EXPECT_EQ(Drawn(isCenter, 5, 5), Rows({ "MMMMM", "MRGMM", "MBYMM", "MMMMM", "MMMMM" }));
  SetImage(3, 2, { "RGB", "YKW" });
  EXPECT_EQ(Drawn(isCenter, 2, 1), Rows({ "RG" }));
}

TEST_F(TextureTest, StretchedOverTheWholeArea) {
  SetImage(2, 2, { "RG", "BY" });
  EXPECT_EQ(Drawn(isStretched, 4, 4), Rows({ "RRGG", "RRGG", "BBYY", "BBYY" }));
}

TEST_F(TextureTest, TheTransparentColourShowsTheTransparentBackground) {
  SetImage(2, 2, { "RK", "KG" });
  texture.SetTransparentColor(clBlack);
  texture.SetTransparentBackground(kBlue);
  EXPECT_EQ(Drawn(isTile, 2, 2), Rows({ "RB", "BG" }));
  texture.SetTransparentColor(clNone);
  EXPECT_EQ(Drawn(isTile, 2, 2), Rows({ "RK", "KG" }));
}

TEST_F(TextureTest, AnEmptyImagePaintsNothingInAnyStyle) {
  for (TAHMImageStyle style : { isTile, isCenter, isStretched })
    EXPECT_EQ(Drawn(style, 2, 2), Rows({ "MM", "MM" })) << style;
}

// ---- The background component ------------------------------------------------------------------------------

class BackgroundTest : public ControlsTest {
 protected:
  std::string Drawn(int W, int H) {
    TBitmap b;
    Fill(b, W, H, kMagenta);
    background->Draw(b.Canvas()->Handle(), W, H, true);
    return Map(b, kTextureInks);
  }
  // The same hatch painted straight onto a bitmap with the canvas's brush.
  static void Hatched(TBitmap& b, int W, int H, TColor Under, TBrushStyle Style, TColor Color) {
    Fill(b, W, H, Under);
    b.Canvas()->Brush()->SetStyle(Style);
    b.Canvas()->Brush()->SetColor(Color);
    b.Canvas()->FillRect(TRect(0, 0, W, H));
  }
  std::unique_ptr<TAHMBackground> background { std::make_unique<TAHMBackground>(nullptr) };
};

TEST_F(BackgroundTest, SolidAndSolidBrushFillsAreOneColour) {
  background->SetSolidColor(kGreen);
  background->SetBackStyle(bSolidcolor);
  EXPECT_EQ(Drawn(3, 2), Rows({ "GGG", "GGG" }));
  background->BrushFill()->SetBrushColor(kRed);
  background->SetBackStyle(bBrushFillUseCurrent);
  EXPECT_EQ(Drawn(3, 2), Rows({ "RRR", "RRR" }));
  background->SetBackStyle(bBrushFillSolidColor);
  EXPECT_EQ(Drawn(3, 2), Rows({ "RRR", "RRR" }));
}

TEST_F(BackgroundTest, HatchedBrushFillsLayTheHatchOverWhiteOrTheSolidColour) {
  background->SetSolidColor(kGreen);
  background->BrushFill()->SetBrushColor(kRed);
  background->BrushFill()->SetBrushStyle(bsDiagCross);
  for (TAHMBackStyle style : { bBrushFillUseCurrent, bBrushFillSolidColor }) {
    SCOPED_TRACE(style);
    background->SetBackStyle(style);
    TBitmap expected;
    Hatched(expected, 16, 16, style == bBrushFillUseCurrent ? clWhite : kGreen, bsDiagCross, kRed);
    const std::string want = Map(expected, kTextureInks);
    EXPECT_NE(want.find('R'), std::string::npos);
    EXPECT_NE(want.find(style == bBrushFillUseCurrent ? 'W' : 'G'), std::string::npos);
    EXPECT_EQ(Drawn(16, 16), want);
  }
}

TEST_F(BackgroundTest, GradientAndTextureStylesPaintThroughTheirPainters) {
  background->SetSolidColor(kYellow);
  background->Gradient()->SetBeginColor(kRed);
  background->Gradient()->SetEndColor(kRed);
  background->SetBackStyle(bGradient);
  // Every shade of red to red: its zero components are painted as 1.
  TBitmap b;
  Fill(b, 2, 2, kMagenta);
  background->Draw(b.Canvas()->Handle(), 2, 2, true);
  EXPECT_EQ(Map(b, { { 'r', TColor(0x0101FF) } }), Rows({ "rr", "rr" }));
  TBitmap image;
  Fill(image, 1, 1, kBlue);
  background->Texture()->SetImage(&image);
  background->Texture()->SetImageStyle(isCenter);
  background->SetBackStyle(bTexture);
  EXPECT_EQ(Drawn(3, 3), Rows({ "MMM", "MBM", "MMM" }));
}

TEST_F(BackgroundTest, EveryChangeInvalidatesTheClientsInOrderThenRaisesOnChanged) {
  std::vector<std::string> log;
  TCountingControl a(nullptr, &log, "a"), b(nullptr, &log, "b");
  background->AddItem(&a);
  background->AddItem(&b);
  background->OnChanged = On<TNotifyEvent>([&](TObject* s) { log.push_back(s == background.get() ? "changed" : "?"); });
  background->SetSolidColor(kGreen);
  background->Gradient()->SetFillStyle(Circle);
  background->Texture()->SetImageStyle(isCenter);
  background->BrushFill()->SetBrushColor(kRed);
  const std::vector<std::string> once { "invalidate a", "invalidate b", "changed" };
  std::vector<std::string> expected;
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(log, expected);

  log.clear();
  background->RemoveItem(&a);
  background->SetBackStyle(bTexture);
  EXPECT_EQ(log, (std::vector<std::string> { "invalidate b", "changed" }));
  background->RemoveItem(&b);
}

TEST_F(BackgroundTest, SettersCopyThePainterAndKeepTheirOwn) {
  TAHMGradient* owned = background->Gradient();
  int changes = 0;
  background->OnChanged = On<TNotifyEvent>([&](TObject*) { ++changes; });
  {
    TAHMGradient other;
    other.SetFillStyle(VerticalDoppelBar);
    other.ColorsInBetween()->Add("clLime");
    background->SetGradient(&other);
  }
  EXPECT_EQ(background->Gradient(), owned);
  EXPECT_EQ(owned->FillStyle(), VerticalDoppelBar);
  EXPECT_EQ(owned->ColorsInBetween()->Count(), 1);
  {
    TAHMBrushFill other;
    other.SetBrushStyle(bsCross);
    background->SetBrushFill(&other);
    TAHMTexture texture;
    texture.SetImageStyle(isStretched);
    background->SetTexture(&texture);
  }
  EXPECT_EQ(background->BrushFill()->BrushStyle(), bsCross);
  EXPECT_EQ(background->Texture()->ImageStyle(), isStretched);
  EXPECT_EQ(changes, 3);
}

TEST_F(BackgroundTest, ClientsHearWhenTheBackgroundGoesAndAGoneClientIsForgotten) {
  TCountingControl stays(nullptr);
  auto* goes = new TCountingControl(nullptr);
  background->AddItem(&stays);
  background->AddItem(goes);
  delete goes;
  EXPECT_EQ(background->ItemCount(), 1);
  background->SetSolidColor(kRed);  // touches only the living client
  EXPECT_EQ(stays.Invalidations, 1);
  TAHMBackground* b = background.get();
  background.reset();
  EXPECT_EQ(stays.Removed, (std::vector<TComponent*> { b }));
}

TEST_F(BackgroundTest, DrawTransLetsTheFillThroughTheTransparentColour) {
  background->SetSolidColor(kBlue);
  background->SetBackStyle(bSolidcolor);
  TBitmap b;
  Fill(b, 4, 2, kRed);
  Paint(b, { "M.M.", ".MM." }, { { 'M', kMagenta } });
  background->DrawTrans(b.Canvas(), 4, 2, true, kMagenta);
  EXPECT_EQ(Map(b, kTextureInks), Rows({ "BRBR", "RBBR" }));
}

TEST_F(BackgroundTest, WriteComposesTheGlyphsFromTheFillInTheGivenSequence) {
  background->SetSolidColor(kGreen);
  background->SetBackStyle(bSolidcolor);
  TAHMFont3D font3d(nullptr);
  font3d.SetThreeDimensional(false);
  font3d.SetMaskFont(false);
  TFont font;
  UseTestFace(&font, clBlack);
  TBitmap b;
  Fill(b, 40, 20, kYellow);
  // The glyph box of "I" is [1, 7) × [1, 10): without a mask it shows the fill.
  background->Write(&font3d, &font, b.Canvas(), TRect(0, 0, 40, 20), "I", DT_LEFT);
  EXPECT_EQ(b.Canvas()->Pixels(3, 5), kGreen);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), kYellow);
  EXPECT_EQ(b.Canvas()->Pixels(20, 10), kYellow);

  // With the font mask the keyed colours turn round: the glyph comes out white.
  Fill(b, 40, 20, kYellow);
  font3d.SetMaskFont(true);
  background->Write(&font3d, &font, b.Canvas(), TRect(0, 0, 40, 20), "I", DT_LEFT);
  EXPECT_EQ(b.Canvas()->Pixels(3, 5), clWhite);
  EXPECT_EQ(b.Canvas()->Pixels(20, 10), kYellow);

  // 3-D copies go straight onto the picture, under the face.
  Fill(b, 40, 20, kYellow);
  font3d.SetMaskFont(false);
  font3d.SetThreeDimensional(true);
  font3d.SetStyle3D(fontOnlyShadow);
  font3d.SetOffset(2);
  font3d.SetShadow(kBlue);
  background->Write(&font3d, &font, b.Canvas(), TRect(0, 0, 40, 20), "I", DT_LEFT);
  EXPECT_EQ(b.Canvas()->Pixels(8, 11), kBlue);
  EXPECT_EQ(b.Canvas()->Pixels(3, 5), kGreen);
}

}  // namespace
