// TImage: pictures drawn at their size, stretched (nearest neighbour), centred, scaled in proportion and
// transparent; AutoSize; drawing on its canvas; a descendant that takes over the picture's change
// notification.

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Jpeg.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

const std::initializer_list<std::pair<char, TColor>> kInks = { { 'r', clRed },    { 'g', clLime },  { 'b', clBlue },
                                                               { 'y', clYellow }, { 'w', clWhite }, { 'k', clBlack } };
const std::initializer_list<std::pair<char, COLORREF>> kScreenInks = { { '.', 0x00A0E0 }, { 'r', 0x0000FF },
                                                                       { 'g', 0x00FF00 }, { 'b', 0xFF0000 },
                                                                       { 'y', 0x00FFFF }, { 'w', 0xFFFFFF },
                                                                       { 'k', 0x000000 } };

class ImageTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(10, 10, 8, 6);
    Paint(picture, { "rgby", "bkwr" }, kInks);
  }
  std::string Shown(int w, int h) { return Map(FormHandle(), 10, 10, w, h, kScreenInks); }
  TImage* image {};
  TBitmap picture;
};

TEST_F(ImageTest, PlacementFollowsStretchCenterAndProportional) {
  struct Case {
    const char* name;
    bool stretch, center, proportional;
    std::string map;
  };
  const Case cases[] = {
    { "own size, top-left", false, false, false,
      Rows({ "rgby....", "bkwr....", "........", "........", "........", "........" }) },
    { "centred", false, true, false, Rows({ "........", "........", "..rgby..", "..bkwr..", "........", "........" }) },
    // Column i shows source column i * 4 / 8, row j source row j * 2 / 6.
    { "stretched", true, false, false,
      Rows({ "rrggbbyy", "rrggbbyy", "rrggbbyy", "bbkkwwrr", "bbkkwwrr", "bbkkwwrr" }) },
    { "stretched and centred", true, true, false,
      Rows({ "rrggbbyy", "rrggbbyy", "rrggbbyy", "bbkkwwrr", "bbkkwwrr", "bbkkwwrr" }) },
    // The picture fits: proportional leaves it alone.
    { "proportional, fits", false, false, true,
      Rows({ "rgby....", "bkwr....", "........", "........", "........", "........" }) },
    // Stretched in proportion: 8 wide, 4 high, centred vertically.
    { "proportional stretch, centred", true, true, true,
      Rows({ "........", "rrggbbyy", "rrggbbyy", "bbkkwwrr", "bbkkwwrr", "........" }) },
  };
  image->Picture()->SetBitmap(&picture);
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    image->SetProportional(c.proportional);
    xt::PumpUntilIdle();
    EXPECT_EQ(Shown(8, 6), c.map);
  }
}

TEST_F(ImageTest, ProportionalShrinksAPictureLargerThanTheControl) {
  TBitmap big;
  Paint(big, { "rrrrggggbbbbyyyy", "rrrrggggbbbbyyyy", "kkkkwwwwkkkkwwww", "kkkkwwwwkkkkwwww" }, kInks);
  image->Picture()->SetBitmap(&big);
  image->SetProportional(true);
  form->Show();
  xt::PumpUntilIdle();
  // 16 × 4 into 8 × 6: half size, 8 × 2, at the top.
  EXPECT_EQ(Shown(8, 6), Rows({ "rrggbbyy", "kkwwkkww", "........", "........", "........", "........" }));
}

// Too tall though narrow enough: proportional shrinks it too, by its height.
TEST_F(ImageTest, ProportionalShrinksAPictureOnlyTallerThanTheControl) {
  TBitmap tall;
  Paint(tall, { "rg", "bk", "rg", "bk", "rg", "bk", "rg", "bk", "rg", "bk", "rg", "bk" }, kInks);
  image->Picture()->SetBitmap(&tall);
  image->SetProportional(true);
  form->Show();
  xt::PumpUntilIdle();
  // 2 × 12 into 8 × 6: half size, 1 × 6, showing the even rows' first column.
  EXPECT_EQ(Shown(8, 6), Rows({ "r.......", "r.......", "r.......", "r.......", "r.......", "r......." }));
}

TEST_F(ImageTest, TransparentLeavesTheBottomLeftColourOut) {
  TBitmap keyed;
  Paint(keyed, { "rgwr", "wkkw", "wwww" }, kInks);  // white at the bottom left: the transparent colour
  image->Picture()->SetBitmap(&keyed);
  image->SetBounds(10, 10, 4, 3);
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(Shown(4, 3), Rows({ "rgwr", "wkkw", "wwww" }));
  EXPECT_TRUE(image->ControlStyle().Contains(csOpaque));
  image->SetTransparent(true);
  xt::PumpUntilIdle();
  EXPECT_TRUE(image->Picture()->Graphic()->Transparent());
  EXPECT_FALSE(image->ControlStyle().Contains(csOpaque));
  EXPECT_EQ(Shown(4, 3), Rows({ "rg.r", ".kk.", "...." }));
  // Stretched, the key still drops out.
  image->SetBounds(10, 10, 8, 3);
  image->SetStretch(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(Shown(8, 3), Rows({ "rrgg..rr", "..kkkk..", "........" }));
}

// An image its picture covers exactly is opaque: its parent does not erase beneath it. Grown past the
// picture it no longer is, and each repaint of it lets the parent paint the uncovered part. Stale pixels
// are put there before each step.
TEST_F(ImageTest, GrownPastItsPictureShowsTheParentBeneath) {
  image->Picture()->SetBitmap(&picture);
  image->SetBounds(10, 10, 4, 2);
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(image->ControlStyle().Contains(csOpaque));
  const auto stale = [&] {
    HDC dc = GetDC(FormHandle());
    RECT r { 10, 10, 18, 16 };
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    DeleteObject(red);
    ReleaseDC(FormHandle(), dc);
  };
  const std::string beneath = Rows({ "rgby....", "bkwr....", "........", "........", "........", "........" });
  stale();
  image->SetBounds(10, 10, 8, 6);
  xt::PumpUntilIdle();
  EXPECT_EQ(Shown(8, 6), beneath);
  stale();
  image->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Shown(8, 6), beneath);
}

TEST_F(ImageTest, AutoSizeTakesThePicturesSizeAlongTheFreeSides) {
  image->SetAutoSize(true);
  EXPECT_EQ(image->BoundsRect(), TRect(10, 10, 18, 16));  // nothing to size to: unchanged
  image->Picture()->SetBitmap(&picture);
  EXPECT_EQ(image->BoundsRect(), TRect(10, 10, 14, 12));
  TBitmap other;
  other.SetSize(30, 20);
  image->Picture()->SetBitmap(&other);
  EXPECT_EQ(image->BoundsRect(), TRect(10, 10, 40, 30));
  image->SetBounds(10, 10, 50, 50);  // held to the picture
  EXPECT_EQ(image->BoundsRect(), TRect(10, 10, 40, 30));
  form->Show();
  image->SetAlign(alTop);
  EXPECT_EQ(image->Width(), form->ClientWidth());
  EXPECT_EQ(image->Height(), 20);
  image->SetAutoSize(false);
  image->SetAlign(alNone);
  image->SetBounds(10, 10, 5, 5);
  EXPECT_EQ(image->BoundsRect(), TRect(10, 10, 15, 15));
}

TEST_F(ImageTest, DrawingOnTheCanvasShowsAtOnce) {
  form->Show();
  TCanvas* c = image->Canvas();  // an empty picture becomes a bitmap of the control's size
  ASSERT_NE(dynamic_cast<TBitmap*>(image->Picture()->Graphic()), nullptr);
  EXPECT_EQ(image->Picture()->Width(), 8);
  EXPECT_EQ(image->Picture()->Height(), 6);
  c->Brush()->SetColor(clRed);
  c->FillRect(TRect(0, 0, 8, 6));
  c->Brush()->SetColor(clBlue);
  c->FillRect(TRect(2, 1, 4, 3));
  xt::PumpUntilIdle();
  EXPECT_EQ(Shown(8, 6), Rows({ "rrrrrrrr", "rrbbrrrr", "rrbbrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr" }));

  TJPEGImage jpeg;
  image->Picture()->SetGraphic(&jpeg);
  EXPECT_THROW(image->Canvas(), EInvalidOperation);
}

TEST_F(ImageTest, MouseEventsAndClicksArriveInImageCoordinates) {
  std::vector<std::string> log;
  image->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  });
  image->OnMouseMove = On<TMouseMoveEvent>([&](TObject*, TShiftState s, int x, int y) {
    if (s.Contains(ssLeft)) log.push_back("drag " + std::to_string(x) + "," + std::to_string(y));
  });
  image->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("click"); });
  form->Show();
  const TPoint a = At(image, 2, 3), b = At(image, 5, 4);
  xt::Drag(a.X, a.Y, b.X, b.Y);
  EXPECT_EQ(log, (std::vector<std::string> { "down 2,3", "drag 5,4", "click" }));
}

// A descendant in the manner of a shaped-form image: it takes the picture's notification, paints itself
// after the image, refuses parents that are not forms and works when loading ends.
class TShapedImage : public TImage {
  XJ_CLASS(TShapedImage, TImage)
 public:
  explicit TShapedImage(TComponent* AOwner) : TImage(AOwner) {
    Picture()->OnChange = TNotifyEvent(this, &TShapedImage::PictureUpdate);
  }
  int Updates { 0 };
  int LoadedPictureWidth { -1 };
  void SetParent(TWinControl* AParent) override {
    TImage::SetParent(AParent);
    if (AParent && !dynamic_cast<TCustomForm*>(AParent)) throw Exception("Please Drop on a Form");
  }

 protected:
  void Loaded() override {
    TImage::Loaded();
    LoadedPictureWidth = Picture()->Width();
  }
  void Paint() override {
    TImage::Paint();
    TGraphicControl::Canvas()->Pixels(0, 0);
    TGraphicControl::Canvas()->SetPixels(0, 0, clBlack);
  }

 private:
  void PictureUpdate(TObject*) { ++Updates; }
};

TEST_F(ImageTest, ADescendantRebindsThePictureNotificationAndOverridesPaintAndSetParent) {
  auto* shaped = new TShapedImage(form);
  shaped->SetParent(form);
  shaped->SetBounds(30, 10, 4, 2);
  shaped->SetAutoSize(true);
  shaped->Picture()->SetBitmap(&picture);
  EXPECT_EQ(shaped->Updates, 1);
  EXPECT_EQ(shaped->Width(), 4);  // PictureChanged no longer runs: no resize from the picture...
  TBitmap wide;
  wide.SetSize(7, 2);
  shaped->Picture()->SetBitmap(&wide);
  EXPECT_EQ(shaped->Updates, 2);
  EXPECT_EQ(shaped->Width(), 4);  // ...so the control keeps its size
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(FormHandle(), 30, 10), 0x000000u);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  EXPECT_THROW(shaped->SetParent(panel), Exception);
  EXPECT_EQ(shaped->Parent(), panel);  // the parent stays set when the exception is raised
}

}  // namespace
