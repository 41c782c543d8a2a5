// TKRShapedForm on the headless display: the form's window region against the opaque pixels of a
// picture with holes (at the picture's size and stretched), the desktop showing through the holes,
// placement errors, pictures with nothing to keep, region ownership, and dragging by injected input.

#include <memory>
#include <string>

#include "components/CTL_KRShapedForm.h"
#include "tests/components/aux/AuxTestUtil.h"

using namespace auxtest;
using namespace ctltest;

namespace {

constexpr TColor kRed = 0x0000FF, kMagenta = 0xFF00FF;

// '#' opaque, '.' the colour of the bottom-left pixel: corners, a hole, an island, runs reaching the
// right edge.
const char* const kPattern[] = { "##....##", "#.####.#", "#.#..#.#", "#.####.#", "...#...#", ".#######" };
constexpr int kCols = 8, kRows = 6;

// The pattern with each character a Block × Block square.
void PatternPicture(TBitmap& B, int Block) {
  Fill(B, kCols * Block, kRows * Block, kMagenta);
  B.Canvas()->Brush()->SetColor(kRed);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c)
      if (kPattern[r][c] == '#') B.Canvas()->FillRect(TRect(c * Block, r * Block, (c + 1) * Block, (r + 1) * Block));
}

class ShapedFormTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 300, 200);
    shaped = new TKRShapedForm(form);
    shaped->SetParent(form);
  }
  void SetPicture(int Block) {
    TBitmap picture;
    PatternPicture(picture, Block);
    shaped->Picture()->SetBitmap(&picture);
  }
  // Every point of the window, frame included, against the pattern drawn in Block-sized squares from
  // the client origin. Returns the first mismatch ("" when none).
  std::string RegionMismatch(int Block) {
    HWND h = form->Handle();
    const xt::WindowInfo info = xt::Info(h);
    const int dx = info.client.left - info.window.left, dy = info.client.top - info.window.top;
    for (int wy = 0; wy < info.window.bottom - info.window.top; ++wy)
      for (int wx = 0; wx < info.window.right - info.window.left; ++wx) {
        const int cx = wx - dx, cy = wy - dy;
        const bool inPicture = cx >= 0 && cy >= 0 && cx < kCols * Block && cy < kRows * Block;
        const bool expected = inPicture && kPattern[cy / Block][cx / Block] == '#';
        if (xt::WindowRegionContains(h, POINT { wx, wy }) != expected)
          return "window point " + std::to_string(wx) + "," + std::to_string(wy) + (expected ? " left out" : " kept");
      }
    return "";
  }
  TForm* form {};
  TKRShapedForm* shaped {};
};

TEST_F(ShapedFormTest, TheWindowKeepsExactlyTheOpaquePixelsAndTheFormTakesThePictureSize) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_TRUE(shaped->AutoSize());  // neither AutoSize nor Stretch: the first paint picks AutoSize
  EXPECT_FALSE(shaped->Stretch());
  EXPECT_EQ(form->ClientWidth(), 120);
  EXPECT_EQ(form->ClientHeight(), 90);
  EXPECT_TRUE(xt::Info(form->Handle()).hasRegion);
  EXPECT_EQ(RegionMismatch(15), "");
}

TEST_F(ShapedFormTest, TheDesktopShowsThroughTheHoles) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  const TPoint hole = form->ClientToScreen(TPoint(52, 37));  // pattern row 2, column 3
  const TPoint solid = form->ClientToScreen(TPoint(2, 2));
  EXPECT_EQ(xt::DesktopPixel(hole.X, hole.Y), static_cast<COLORREF>(ColorToRGB(clBackground)));
  EXPECT_EQ(xt::DesktopPixel(solid.X, solid.Y), static_cast<COLORREF>(kRed.Value));
}

TEST_F(ShapedFormTest, SwitchingAutoSizeOffStretchesThePictureOverTheControl) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  shaped->SetAutoSize(false);
  form->SetClientWidth(160);
  form->SetClientHeight(120);
  xt::PumpUntilIdle();
  EXPECT_TRUE(shaped->Stretch());
  EXPECT_FALSE(shaped->AutoSize());
  EXPECT_EQ(form->ClientWidth(), 160);
  EXPECT_EQ(RegionMismatch(20), "");
}

TEST_F(ShapedFormTest, APictureWithNothingToKeepGivesTheWholeWindowBack) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(xt::Info(form->Handle()).hasRegion);
  TBitmap blank;
  Fill(blank, 120, 90, kMagenta);
  shaped->Picture()->SetBitmap(&blank);
  xt::PumpUntilIdle();
  EXPECT_FALSE(xt::Info(form->Handle()).hasRegion);

  SetPicture(15);
  xt::PumpUntilIdle();
  ASSERT_TRUE(xt::Info(form->Handle()).hasRegion);
  shaped->Picture()->SetGraphic(nullptr);
  xt::PumpUntilIdle();
  EXPECT_FALSE(xt::Info(form->Handle()).hasRegion);
}

TEST_F(ShapedFormTest, RegionsHandedToTheWindowAreNeverDeletedByTheControl) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  const int objects = xt::GdiCounters().objects;
  for (int block : { 14, 16, 15 }) {
    SetPicture(block);
    xt::PumpUntilIdle();
  }
  EXPECT_EQ(xt::GdiCounters().refusedOwnedRegionDeletes, 0);
  EXPECT_EQ(xt::GdiCounters().objects, objects);  // each old region freed by the window, nothing leaked
  delete shaped;
  EXPECT_EQ(xt::GdiCounters().refusedOwnedRegionDeletes, 0);
  EXPECT_EQ(RegionMismatch(15), "");  // the outline stays with the window
}

TEST_F(ShapedFormTest, OnlyOnAFormAndOnlyOnePerForm) {
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  auto* other = new TKRShapedForm(form);
  try {
    other->SetParent(panel);
    ADD_FAILURE() << "a panel was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Please Drop on a Form");
  }
  EXPECT_EQ(other->Parent(), nullptr);
  try {
    other->SetParent(form);
    ADD_FAILURE() << "a second one was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Please Drop only one TKRShapedForm per Form");
  }
  EXPECT_EQ(other->Parent(), nullptr);
  EXPECT_FALSE(form->ContainsControl(other));
  // A picture while on no form: nothing to shape, nothing goes wrong.
  TBitmap picture;
  PatternPicture(picture, 2);
  other->Picture()->SetBitmap(&picture);
  EXPECT_FALSE(xt::Info(form->Handle()).hasRegion);

  shaped->SetParent(form);  // again on its own form: fine
  EXPECT_EQ(shaped->Parent(), form);
  TForm* second = NewForm(500, 100);
  other->SetParent(second);
  EXPECT_EQ(other->Parent(), second);
}

TEST_F(ShapedFormTest, DraggingWithTheLeftButtonAloneMovesTheForm) {
  SetPicture(15);
  form->Show();
  xt::PumpUntilIdle();
  auto drag = [&](xt::Button Button, int DX, int DY) {
    const TPoint from = shaped->ClientToScreen(TPoint(2, 2));
    xt::MouseDown(Button, from.X, from.Y);
    xt::MouseMove(from.X + DX / 2, from.Y + DY / 2);
    xt::MouseMove(from.X + DX, from.Y + DY);
    xt::MouseUp(Button, from.X + DX, from.Y + DY);
  };
  const int left = form->Left(), top = form->Top();
  drag(xt::mbLeft, 30, 20);
  EXPECT_EQ(form->Left(), left + 30);
  EXPECT_EQ(form->Top(), top + 20);
  EXPECT_EQ(RegionMismatch(15), "");  // the outline moves with the window

  drag(xt::mbRight, 30, 20);
  EXPECT_EQ(form->Left(), left + 30);
  xt::KeyDown(VK_CONTROL);
  drag(xt::mbLeft, 30, 20);
  xt::KeyUp(VK_CONTROL);
  EXPECT_EQ(form->Left(), left + 30);
  shaped->SetMoveable(false);
  drag(xt::mbLeft, 30, 20);
  EXPECT_EQ(form->Left(), left + 30);
  EXPECT_EQ(form->Top(), top + 20);
}

}  // namespace
