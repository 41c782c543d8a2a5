// The transparent button as a user meets it: frames and glyph cells read back as pixels, hover, clicks,
// stay-down, disabling, the accelerator, the popup menu and dragging; and the glyph cell count rules.

#include <algorithm>

#include "components/CTL_TransBtn.h"
#include "platform/vcl/Menus.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

constexpr COLORREF kParent = RGB(0, 128, 0);  // the form under the button
constexpr COLORREF kFace = RGB(192, 192, 192), kShadow = RGB(128, 128, 128), kLight = RGB(255, 255, 255),
                   kBlack = RGB(0, 0, 0);
constexpr COLORREF kKey = RGB(255, 0, 255);  // glyph background (its bottom-left pixel: transparent)

// A strip of cells, each cw × h: the key colour with a square of the cell's colour from (2, 2) to
// (cw - 3, h - 3).
std::unique_ptr<TBitmap> Strip(int cw, int h, std::vector<COLORREF> colours) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(cw * static_cast<int>(colours.size()), h);
  b->Canvas()->Brush()->SetColor(static_cast<int32_t>(kKey));
  b->Canvas()->FillRect(TRect(0, 0, b->Width(), h));
  for (size_t i = 0; i < colours.size(); ++i) {
    b->Canvas()->Brush()->SetColor(static_cast<int32_t>(colours[i]));
    const int x = static_cast<int>(i) * cw;
    b->Canvas()->FillRect(TRect(x + 2, 2, x + cw - 2, h - 2));
  }
  return b;
}

class TransBtnTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 320, 240);
    form->SetColor(static_cast<int32_t>(kParent));
    btn = new TTransparentButton(form);
    btn->SetParent(form);
    btn->SetBounds(20, 20, 60, 40);
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  // A pixel of the button, in its own coordinates.
  COLORREF Px(int x, int y) { return xt::ReadPixel(form->Handle(), btn->Left() + x, btn->Top() + y); }
  void Glyph(int cw, int h, std::vector<COLORREF> colours) { btn->SetGlyph(Strip(cw, h, colours).get()); }
  // The colour at the middle of the glyph's square (moved by the press offset when pressed).
  COLORREF GlyphMiddle() {
    const TRect g = btn->GlyphRect();
    const int shift = btn->Pressed() && btn->ShowPressed() ? 1 : 0;
    return Px(g.Left + g.Width() / 2 + shift, g.Top + g.Height() / 2 + shift);
  }
  TPoint In(int x, int y) { return At(btn, x, y); }

  TForm* form {};
  TTransparentButton* btn {};
};

// ---- Glyph cells ------------------------------------------------------------------------------------------

TEST_F(TransBtnTest, TheGlyphsShapeSetsTheCellCountOnlyForOneToFourSquareCells) {
  struct Case {
    int w, h, before, after;
  } cases[] = {
    { 36, 18, 1, 2 }, { 72, 18, 1, 4 }, { 54, 18, 4, 3 }, { 18, 18, 3, 1 }, { 90, 18, 2, 1 },  // five cells: one
    { 40, 18, 3, 3 },                                                                          // not a multiple: kept
    { 0, 16, 2, 2 },  // no width: kept, never 0
  };
  for (const Case& c : cases) {
    btn->SetNumGlyphs(c.before);
    TBitmap b;
    b.SetSize(c.w, c.h);
    if (c.w == 0) b.SetHeight(c.h);
    btn->SetGlyph(&b);
    EXPECT_EQ(btn->NumGlyphs(), c.after) << c.w << "x" << c.h;
  }
  // After a glyph without width, a glyph that is not a multiple still paints (no division by a zero count).
  Glyph(20, 18, { RGB(255, 0, 0) });
  Show();
  EXPECT_EQ(btn->NumGlyphs(), 2);
}

TEST_F(TransBtnTest, CellCountsOutsideOneToFourAreBroughtIntoRange) {
  for (auto [asked, got] : { std::pair { 0, 1 }, { -5, 1 }, { 5, 4 }, { 3, 3 } }) {
    btn->SetNumGlyphs(asked);
    EXPECT_EQ(btn->NumGlyphs(), got) << asked;
  }
}

TEST_F(TransBtnTest, ChangingTheCellCountRebuildsTheCellsSoPlacementAndPictureAgree) {
  btn->SetAutoGray(false);
  Glyph(18, 18, { RGB(255, 0, 0), RGB(0, 0, 255) });
  Show();
  ASSERT_EQ(btn->NumGlyphs(), 2);
  EXPECT_EQ(btn->GlyphRect().Width(), 18);
  EXPECT_EQ(GlyphMiddle(), RGB(255, 0, 0));
  btn->SetNumGlyphs(1);
  xt::PumpUntilIdle();
  const TRect g = btn->GlyphRect();
  EXPECT_EQ(g.Width(), 36);
  // The one cell is now the whole strip: both squares show where the placement puts them.
  EXPECT_EQ(Px(g.Left + 9, g.Top + 9), RGB(255, 0, 0));
  EXPECT_EQ(Px(g.Left + 27, g.Top + 9), RGB(0, 0, 255));
  EXPECT_EQ(Px(g.Left + 0, g.Top + 0), kParent);  // the key colour is transparent
}

// ---- Frames -----------------------------------------------------------------------------------------------

TEST_F(TransBtnTest, FrameStylesDrawTheirEdgesInEachState) {
  enum Look { Up, Hover, Down };
  struct Case {
    TFrameStyle style;
    bool transparent;
    Look look;
    COLORREF topLeft, inner, innerBottomRight, bottomRight, inside;
  } cases[] = {
    { fsRegular, true, Up, kLight, kFace, kShadow, kBlack, kParent },
    { fsRegular, false, Up, kLight, kFace, kShadow, kBlack, kFace },
    { fsRegular, true, Down, kBlack, kShadow, kFace, kLight, kParent },
    { fsIndent, true, Up, kShadow, kLight, kShadow, kLight, kParent },
    { fsIndent, false, Up, kShadow, kLight, kShadow, kLight, kFace },
    { fsIndent, true, Down, kBlack, kShadow, kFace, kLight, kParent },
    { fsExplorer, true, Up, kParent, kParent, kParent, kParent, kParent },
    { fsExplorer, false, Up, kFace, kFace, kFace, kFace, kFace },
    { fsExplorer, true, Hover, kLight, kParent, kParent, kShadow, kParent },
    { fsExplorer, true, Down, kShadow, kParent, kParent, kLight, kParent },
    { fsNone, true, Down, kParent, kParent, kParent, kParent, kParent },
    { fsLight, true, Up, kLight, kParent, kParent, kShadow, kParent },
    { fsLight, true, Down, kShadow, kParent, kParent, kLight, kParent },
    { fsDark, true, Up, kFace, kParent, kParent, kBlack, kParent },
    { fsDark, true, Down, kBlack, kParent, kParent, kFace, kParent },
    { fsMono, true, Up, kLight, kParent, kParent, kBlack, kParent },
    { fsMono, false, Down, kBlack, kFace, kFace, kLight, kFace },
  };
  Show();
  const int W = btn->Width(), H = btn->Height();
  for (const Case& c : cases) {
    btn->SetDown(false);
    xt::MouseMove(400, 400);
    btn->SetFrameStyle(c.style);
    btn->SetTransparent(c.transparent);
    if (c.look == Hover) {
      const TPoint p = In(W / 2, H / 2);
      xt::MouseMove(p.X, p.Y);
    }
    if (c.look == Down) btn->SetDown(true);
    xt::PumpUntilIdle();
    const std::string what =
        std::to_string(c.style) + (c.transparent ? " transparent" : " opaque") + " look " + std::to_string(c.look);
    EXPECT_EQ(Px(0, 0), c.topLeft) << what;
    EXPECT_EQ(Px(1, 1), c.inner) << what;
    EXPECT_EQ(Px(W - 2, H - 2), c.innerBottomRight) << what;
    EXPECT_EQ(Px(W - 1, H - 1), c.bottomRight) << what;
    EXPECT_EQ(Px(6, H / 2), c.inside) << what;
  }
}

TEST_F(TransBtnTest, BorderWidthNestsTheOutlines) {
  btn->SetFrameStyle(fsRegular);
  btn->SetBorderWidth(2);
  Show();
  const int W = btn->Width(), H = btn->Height();
  EXPECT_EQ(Px(0, 0), kLight);
  EXPECT_EQ(Px(1, 1), kLight);
  EXPECT_EQ(Px(2, 2), kFace);
  EXPECT_EQ(Px(3, 3), kFace);
  EXPECT_EQ(Px(W - 1, H - 1), kBlack);
  EXPECT_EQ(Px(W - 2, H - 2), kBlack);
  EXPECT_EQ(Px(W - 3, H - 3), kShadow);
  EXPECT_EQ(Px(W - 4, H - 4), kShadow);
  EXPECT_EQ(Px(6, H / 2), kParent);
}

// ---- Glyph states -------------------------------------------------------------------------------------------

TEST_F(TransBtnTest, TheCellShownFollowsEnabledAndPressed) {
  const COLORREF up = RGB(255, 0, 0), disabled = RGB(0, 0, 255), down = RGB(255, 255, 0);
  struct Case {
    int cells;
    bool enabled, pressed;
    COLORREF shown;
  } cases[] = {
    { 2, true, false, up },  { 2, false, false, disabled }, { 2, true, true, up },   { 3, true, false, up },
    { 3, true, true, down }, { 3, false, false, disabled }, { 4, true, true, down },  // the fourth cell is never chosen
  };
  btn->SetFrameStyle(fsRegular);
  Show();
  for (const Case& c : cases) {
    std::vector<COLORREF> colours { up, disabled, down, RGB(0, 255, 255) };
    colours.resize(c.cells);
    Glyph(18, 18, colours);
    btn->SetEnabled(c.enabled);
    btn->SetDown(c.pressed);
    xt::PumpUntilIdle();
    EXPECT_EQ(GlyphMiddle(), c.shown) << c.cells << " cells, enabled " << c.enabled << ", pressed " << c.pressed;
    btn->SetDown(false);
    btn->SetEnabled(true);
  }
}

TEST_F(TransBtnTest, PressedGlyphAndCaptionMoveByOnePixelOnlyWithShowPressed) {
  btn->SetFrameStyle(fsRegular);
  Glyph(18, 18, { RGB(255, 0, 0) });
  Show();
  const TRect g = btn->GlyphRect();
  // The square spans cell pixels 2..15: its left edge moves from g.Left + 2 to g.Left + 3.
  EXPECT_EQ(Px(g.Left + 2, g.Top + 9), RGB(255, 0, 0));
  btn->SetDown(true);
  xt::PumpUntilIdle();
  EXPECT_NE(Px(g.Left + 2, g.Top + 9), RGB(255, 0, 0));
  EXPECT_EQ(Px(g.Left + 3, g.Top + 9), RGB(255, 0, 0));
  btn->SetShowPressed(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(g.Left + 2, g.Top + 9), RGB(255, 0, 0));
}

TEST_F(TransBtnTest, ExplorerStyleShowsTheGrayCellUntilTheMouseComesOver) {
  Glyph(18, 18, { RGB(255, 0, 0) });
  Show();
  // (30 R + 59 G + 11 B) / 100 of pure red.
  EXPECT_EQ(GlyphMiddle(), RGB(76, 76, 76));
  const TPoint p = In(5, 5);
  xt::MouseMove(p.X, p.Y);
  EXPECT_EQ(GlyphMiddle(), RGB(255, 0, 0));
  xt::MouseMove(400, 400);
  EXPECT_EQ(GlyphMiddle(), RGB(76, 76, 76));
  btn->SetAutoGray(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(GlyphMiddle(), RGB(255, 0, 0));
}

TEST_F(TransBtnTest, ADisabledOneCellButtonShowsTheEmbossedShape) {
  btn->SetFrameStyle(fsNone);
  Glyph(18, 18, { RGB(255, 0, 0) });
  btn->SetEnabled(false);
  Show();
  const TRect g = btn->GlyphRect();
  // The square (cell 2..15) in shadow; highlight one pixel right and down where the square is not.
  EXPECT_EQ(Px(g.Left + 2, g.Top + 2), kShadow);
  EXPECT_EQ(Px(g.Left + 15, g.Top + 15), kShadow);
  EXPECT_EQ(Px(g.Left + 16, g.Top + 16), kLight);
  EXPECT_EQ(Px(g.Left + 16, g.Top + 3), kLight);
  EXPECT_EQ(Px(g.Left + 1, g.Top + 1), kParent);
  EXPECT_EQ(Px(g.Left + 2, g.Top + 16), kParent);
}

TEST_F(TransBtnTest, AnOpaqueButtonDrawsTheGlyphOverButtonFace) {
  btn->SetTransparent(false);
  btn->SetFrameStyle(fsNone);
  Glyph(18, 18, { RGB(255, 0, 0) });
  btn->SetAutoGray(false);
  Show();
  const TRect g = btn->GlyphRect();
  EXPECT_EQ(Px(g.Left, g.Top), kFace);
  EXPECT_EQ(GlyphMiddle(), RGB(255, 0, 0));
}

// ---- Caption -------------------------------------------------------------------------------------------------

struct Box {
  int left { 1 << 20 }, top { 1 << 20 }, right { -1 }, bottom { -1 };
  bool Empty() const { return right < 0; }
};

TEST_F(TransBtnTest, TheCaptionSitsWhereTextAlignPutsItAroundTheGlyph) {
  btn->SetBounds(20, 20, 120, 90);
  btn->SetFrameStyle(fsNone);
  btn->Font()->SetColor(clRed);
  btn->SetCaption("Ab");
  Glyph(18, 18, { RGB(0, 0, 255) });
  btn->SetAutoGray(false);
  Show();
  auto textBox = [&] {
    Box b;
    for (int y = 0; y < btn->Height(); ++y)
      for (int x = 0; x < btn->Width(); ++x)
        if (Px(x, y) == RGB(255, 0, 0)) {
          b.left = std::min(b.left, x), b.right = std::max(b.right, x);
          b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
        }
    return b;
  };
  const int W = btn->Width(), H = btn->Height(), s = btn->Spacing();
  for (int a = ttaTopLeft; a <= ttaCenter; ++a) {
    btn->SetTextAlign(static_cast<TTextAlign>(a));
    xt::PumpUntilIdle();
    const TRect g = btn->GlyphRect();
    const Box t = textBox();
    ASSERT_FALSE(t.Empty()) << a;
    const std::string what = "align " + std::to_string(a);
    switch (a) {
      case ttaTopLeft:
      case ttaTop:
      case ttaTopRight:
        EXPECT_EQ(g.Bottom, H - s) << what;
        EXPECT_LT(t.bottom, g.Top - s + 1) << what;
        break;
      case ttaBottomLeft:
      case ttaBottom:
      case ttaBottomRight:
        EXPECT_EQ(g.Top, s) << what;
        EXPECT_GE(t.top, g.Bottom + s) << what;
        break;
      case ttaLeft:
        EXPECT_EQ(g.Right, W - s) << what;
        break;
      case ttaRight:
        EXPECT_EQ(g.Left, s + 3) << what;
        break;
    }
    if (a == ttaTopLeft || a == ttaBottomLeft || a == ttaLeft) {
      EXPECT_GE(t.left, s) << what;
      EXPECT_LT(t.left, s + 4) << what;
    }
    if (a == ttaTopRight || a == ttaBottomRight || a == ttaRight) {
      EXPECT_LT(t.right, W - s) << what;
      EXPECT_GT(t.right, W - s - 9) << what;
    }
    if (a == ttaTop || a == ttaBottom || a == ttaCenter) {
      EXPECT_NEAR((t.left + t.right) / 2, W / 2, 3) << what;
    }
    if (a == ttaLeft || a == ttaRight || a == ttaCenter) {
      EXPECT_NEAR((t.top + t.bottom) / 2, H / 2, 4) << what;
    }
  }
}

TEST_F(TransBtnTest, ADisabledCaptionIsEngraved) {
  btn->SetBounds(20, 20, 120, 40);
  btn->SetFrameStyle(fsNone);
  btn->Font()->SetColor(clRed);
  btn->SetCaption("Hello");
  btn->SetEnabled(false);
  Show();
  int shadow = 0, light = 0, red = 0;
  for (int y = 0; y < btn->Height(); ++y)
    for (int x = 0; x < btn->Width(); ++x) {
      const COLORREF c = Px(x, y);
      shadow += c == kShadow, light += c == kLight, red += c == RGB(255, 0, 0);
    }
  EXPECT_GT(shadow, 10);
  EXPECT_GT(light, 3);
  EXPECT_EQ(red, 0);
}

TEST_F(TransBtnTest, AnEmptyCaptionAndGlyphDrawNothingInside) {
  btn->SetFrameStyle(fsNone);
  Show();
  for (int y = 0; y < btn->Height(); y += 3)
    for (int x = 0; x < btn->Width(); x += 3) ASSERT_EQ(Px(x, y), kParent) << x << "," << y;
}

// ---- Mouse ------------------------------------------------------------------------------------------------

TEST_F(TransBtnTest, HoverFiresEnterAndExitAndRaisesTheExplorerFrame) {
  std::vector<std::string> log;
  btn->OnMouseEnter = On<TNotifyEvent>([&](TObject*) { log.push_back("enter"); });
  btn->OnMouseExit = On<TNotifyEvent>([&](TObject*) { log.push_back("exit"); });
  Show();
  const TPoint p = In(10, 10);
  xt::MouseMove(p.X, p.Y);
  EXPECT_TRUE(btn->Hovered());
  EXPECT_EQ(Px(0, 0), kLight);
  xt::MouseMove(400, 400);
  EXPECT_FALSE(btn->Hovered());
  EXPECT_EQ(Px(0, 0), kParent);
  btn->SetEnabled(false);
  xt::MouseMove(p.X, p.Y);
  EXPECT_FALSE(btn->Hovered());
  EXPECT_EQ(log, (std::vector<std::string> { "enter", "exit" }));
}

TEST_F(TransBtnTest, APressTracksThePointerAndOnlyAReleaseInsideClicks) {
  std::vector<std::string> log;
  btn->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("click"); });
  btn->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); });
  btn->OnMouseUp = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); });
  btn->SetFrameStyle(fsRegular);
  Show();
  const TPoint in = In(10, 10), out = In(200, 100);
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  EXPECT_TRUE(btn->Pressed());
  EXPECT_EQ(Px(0, 0), kBlack);
  xt::MouseMove(out.X, out.Y);
  EXPECT_FALSE(btn->Pressed());
  EXPECT_EQ(Px(0, 0), kLight);
  xt::MouseMove(in.X, in.Y);
  EXPECT_TRUE(btn->Pressed());
  xt::MouseUp(xt::mbLeft, in.X, in.Y);
  EXPECT_FALSE(btn->Pressed());
  EXPECT_EQ(log, (std::vector<std::string> { "down", "click", "up" }));

  log.clear();
  xt::Advance(1000);
  xt::Drag(in.X, in.Y, out.X, out.Y);
  EXPECT_FALSE(btn->Pressed());
  EXPECT_EQ(log, (std::vector<std::string> { "down", "up" }));
}

// The last column and row are the button's; one pixel further is outside.
TEST_F(TransBtnTest, APressFollowsThePointerToTheButtonsLastPixel) {
  Show();
  const TPoint press = In(10, 10);
  xt::MouseDown(xt::mbLeft, press.X, press.Y);
  const struct {
    int x, y;
    bool pressed;
  } moves[] = { { 59, 39, true }, { 60, 20, false }, { 59, 20, true }, { 30, 40, false }, { 30, 39, true } };
  for (const auto& m : moves) {
    const TPoint p = In(m.x, m.y);
    xt::MouseMove(p.X, p.Y);
    EXPECT_EQ(btn->Pressed(), m.pressed) << m.x << ", " << m.y;
  }
  xt::MouseUp(xt::mbLeft, press.X, press.Y);
}

TEST_F(TransBtnTest, ADoubleClickIsTwoClicks) {
  int clicks = 0, doubles = 0;
  btn->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  btn->OnDblClick = On<TNotifyEvent>([&](TObject*) { ++doubles; });
  Show();
  const TPoint p = In(10, 10);
  xt::DoubleClick(p.X, p.Y);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(doubles, 0);
}

TEST_F(TransBtnTest, StayDownKeepsTheButtonPressedAndSwallowsTheRelease) {
  int ups = 0, clicks = 0;
  btn->OnMouseUp = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; });
  btn->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  btn->SetFrameStyle(fsRegular);
  btn->SetDown(true);
  Show();
  EXPECT_TRUE(btn->Pressed());
  EXPECT_EQ(Px(0, 0), kBlack);
  ClickAt(btn, 10, 10);
  EXPECT_TRUE(btn->Pressed());
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(clicks, 1);
  btn->SetDown(false);
  EXPECT_FALSE(btn->Pressed());
  EXPECT_EQ(Px(0, 0), kLight);
  xt::Advance(1000);
  ClickAt(btn, 10, 10);
  EXPECT_EQ(ups, 1);
}

TEST_F(TransBtnTest, DisablingEndsAPressAndADisabledButtonIgnoresTheMouse) {
  int downs = 0;
  btn->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; });
  Show();
  const TPoint p = In(10, 10);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  ASSERT_TRUE(btn->Pressed());
  btn->SetEnabled(false);
  EXPECT_FALSE(btn->Pressed());
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  btn->SetEnabled(true);
  xt::Advance(1000);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_TRUE(btn->Pressed());
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(downs, 2);
}

TEST_F(TransBtnTest, TheAcceleratorClicksAnEnabledButton) {
  int clicks = 0;
  btn->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  btn->SetCaption("&Go");
  auto* focus = new TTestButton(form);  // the key goes to the focused control, then to the form's controls
  focus->SetParent(form);
  focus->SetBounds(200, 10, 75, 25);
  Show();
  focus->SetFocus();
  // Keys reach the controls through the application's message handling.
  auto press = [] {
    xt::KeyDown('G', xt::ssAlt, false);
    xt::KeyUp('G', xt::ssAlt, false);
    Application->ProcessMessages();
  };
  press();
  EXPECT_EQ(clicks, 1);
  btn->SetEnabled(false);
  press();
  EXPECT_EQ(clicks, 1);
}

TEST_F(TransBtnTest, APopupMenuDropsUnderTheButtonAndTheButtonIsUpAfterwards) {
  auto* popup = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("One");
  int chosen = 0, ups = 0;
  item->OnClick = On<TNotifyEvent>([&](TObject*) { ++chosen; });
  popup->Items()->Add(item);
  btn->SetPopUpMenu(popup);
  btn->OnMouseUp = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; });
  Show();
  bool pressedMeanwhile = false;
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    pressedMeanwhile = btn->Pressed();
    return item->Command();
  });
  ClickAt(btn, 10, 10);
  EXPECT_TRUE(pressedMeanwhile);
  EXPECT_EQ(chosen, 1);
  EXPECT_FALSE(btn->Pressed());
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(popup->PopupPoint(), At(btn, 0, btn->Height()));
  // The menu going away clears the reference.
  delete popup;
  EXPECT_EQ(btn->PopUpMenu(), nullptr);
}

TEST_F(TransBtnTest, AMovableButtonFollowsTheMouseTravelSinceThePress) {
  btn->SetMovable(true);
  Show();
  const TPoint from = In(10, 10);
  xt::MouseDown(xt::mbLeft, from.X, from.Y);
  xt::MouseMove(from.X + 15, from.Y + 7);
  EXPECT_EQ(btn->Left(), 35);
  EXPECT_EQ(btn->Top(), 27);
  xt::MouseUp(xt::mbLeft, from.X + 15, from.Y + 7);
  EXPECT_EQ(btn->Left(), 35);
  xt::MouseMove(from.X + 40, from.Y + 40);
  EXPECT_EQ(btn->Left(), 35);
}

}  // namespace
