// The skinned tool bar and status bar: a row of speed buttons wider than the bar scrolled by the
// non-client arrows (clicks, held presses and hovering on the manual clock, the buttons exactly in step),
// the range following the bar's size and its buttons, the tool bar's images on buttons without a glyph,
// the looks with both skins and without, streaming and bad values.

#include "platform/vcl/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr int kButton = 24;
constexpr COLORREF kBtnFace = RGB(192, 192, 192);
constexpr COLORREF kBtnShadow = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kHotFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

class ToolBarTest : public SkinControlsTest {
 protected:
  // A tool bar across the top of a host panel Width wide, holding Count speed buttons side by side.
  TbsSkinToolBar* NewBar(int Count, int Width = 200) {
    host = new TTestPanel(form);
    host->SetParent(form);
    host->SetBounds(10, 10, Width, 25);
    auto* bar = new TbsSkinToolBar(form);
    bar->SetParent(host);
    bar->SetAlign(alTop);
    for (int i = 0; i < Count; ++i) {
      auto* b = new TbsSkinSpeedButton(form);
      b->SetParent(bar);
      b->SetBounds(i * kButton, 1, kButton, 22);
      b->SetCaption(std::to_string(i % 10));
      buttons.push_back(b);
    }
    bar->SetCanScroll(true);
    ShowUnfocused();
    return bar;
  }
  // Every button stands ScrollPosition pixels left of its home, and the window shows each one where it
  // stands (a default-look button: its frame, then its face).
  void ExpectInStep(TbsSkinToolBar* bar) {
    const int pos = bar->Scroller().ScrollPosition;
    for (size_t i = 0; i < buttons.size(); ++i) ASSERT_EQ(buttons[i]->Left(), int(i) * kButton - pos) << i;
    if (buttons.empty() || buttons[0]->SkinObjectIndex() != -1) return;
    for (TbsSkinSpeedButton* b : buttons)
      if (b->Visible() && b->Left() >= 0 && b->Left() + kButton <= std::min(bar->ClientWidth(), 300)) {
        ASSERT_EQ(Px(bar, b->Left(), 4), kBtnShadow) << b->Left();
        ASSERT_EQ(Px(bar, b->Left() + 2, 4), kBtnFace) << b->Left();
      }
  }
  // A screen point on the left (0) or right (1) arrow.
  static TPoint OnArrow(TbsSkinToolBar* bar, int Index) {
    return At(bar, Index == 0 ? -6 : bar->ClientWidth() + 5, bar->ClientHeight() / 2);
  }
  static void Tick(int ms = 50) {
    xt::Advance(ms);
    xt::PumpUntilIdle();
  }

  TTestPanel* host {};
  std::vector<TbsSkinSpeedButton*> buttons;
};

class TBarForm : public TForm {
  XJ_CLASS(TBarForm, TForm)
 public:
  explicit TBarForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ToolBarTest, ArrowsScrollAHundredButtonsByClickAndHoldExactlyInStep) {
  auto* bar = NewBar(100);
  TbsChildScroller& a = bar->Scroller();
  ASSERT_TRUE(a.Arrows[0].Visible);
  ASSERT_TRUE(a.Arrows[1].Visible);
  EXPECT_EQ(bar->ClientWidth(), 200 - 2 * 12);
  EXPECT_EQ(a.ScrollMax, 100 * kButton - 1);
  EXPECT_EQ(a.ScrollPage, 176);
  // The arrows' hit codes, the right one from the first column past the client area on.
  auto hit = [&](int x) {
    const TPoint p = At(bar, x, 10);
    return SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
  };
  EXPECT_EQ(hit(-12), 119);
  EXPECT_EQ(hit(-1), 119);
  EXPECT_EQ(hit(176), 120);
  EXPECT_EQ(hit(187), 120);
  EXPECT_EQ(hit(0), HTCLIENT);
  EXPECT_EQ(hit(175), HTCLIENT);

  // A click steps one client width.
  const TPoint right = OnArrow(bar, 1), left = OnArrow(bar, 0);
  xt::Click(right.X, right.Y);
  EXPECT_EQ(a.ScrollPosition, 176);
  ExpectInStep(bar);
  // Held: a step every 50 ms, each one keeping the buttons in step with the position.
  bar->SetScrollOffset(30);
  xt::Advance(1000);
  xt::MouseDown(xt::mbLeft, right.X, right.Y);
  EXPECT_TRUE(a.Arrows[1].Down);
  for (int i = 1; i <= 4; ++i) {
    Tick();
    ASSERT_EQ(a.ScrollPosition, 176 + 30 * i);
    ExpectInStep(bar);
  }
  // Off the arrow the press pauses, back on it goes on; released outside it does not step.
  MoveTo(bar, 80, 10);
  Tick(200);
  EXPECT_EQ(a.ScrollPosition, 296);
  EXPECT_FALSE(a.Arrows[1].MouseIn);
  xt::MouseMove(right.X, right.Y);
  Tick();
  EXPECT_EQ(a.ScrollPosition, 326);
  MoveTo(bar, 80, 10);
  const TPoint inside = At(bar, 80, 10);
  xt::MouseUp(xt::mbLeft, inside.X, inside.Y);
  Tick(200);
  EXPECT_EQ(a.ScrollPosition, 326);
  EXPECT_FALSE(a.Arrows[1].Down);
  EXPECT_EQ(a.TimerMode, 0);
  // Released over the arrow: one more step.
  xt::Advance(1000);
  xt::Click(right.X, right.Y);
  EXPECT_EQ(a.ScrollPosition, 356);
  // Held to the end, where the last button's right edge meets the arrow and the timer stops.
  xt::Advance(1000);
  xt::MouseDown(xt::mbLeft, right.X, right.Y);
  for (int i = 0; i < 200 && a.TimerMode != 0; ++i) Tick();
  EXPECT_EQ(a.TimerMode, 0);
  EXPECT_EQ(a.ScrollPosition, 100 * kButton - 176);
  EXPECT_EQ(buttons.back()->Left() + kButton, bar->ClientWidth());
  ExpectInStep(bar);
  xt::MouseUp(xt::mbLeft, right.X, right.Y);
  EXPECT_EQ(a.ScrollPosition, 100 * kButton - 176);
  // And back to the start by the left arrow.
  xt::Advance(1000);
  xt::MouseDown(xt::mbLeft, left.X, left.Y);
  for (int i = 0; i < 200 && a.TimerMode != 0; ++i) Tick();
  xt::MouseUp(xt::mbLeft, left.X, left.Y);
  EXPECT_EQ(a.ScrollPosition, 0);
  ExpectInStep(bar);
  // The scrolled buttons are drawn where they stand: the first button's frame at the client's left.
  EXPECT_EQ(Px(bar, 0, 10), kBtnShadow);
}

TEST_F(ToolBarTest, HoveringWithHotScrollScrollsUntilTheEndOrTheMouseLeaves) {
  auto* bar = NewBar(20);
  bar->SetHotScroll(true);
  TbsChildScroller& a = bar->Scroller();
  const TPoint right = OnArrow(bar, 1);
  xt::MouseMove(right.X, right.Y);
  EXPECT_TRUE(a.Arrows[1].MouseIn);
  // Hot with HotScroll shows the pressed look.
  EXPECT_EQ(Px(bar, bar->ClientWidth() + 5, 3), kDownFill);
  EXPECT_EQ(Px(bar, bar->ClientWidth(), 3), kNavy);
  Gallery(bar, "bsSkinCtrls", "none-hotscroll");
  Tick();
  EXPECT_EQ(a.ScrollPosition, 176);
  // Off the bar altogether: the arrow is no longer hot and scrolling stops.
  MoveTo(form, 300, 200);
  Tick(500);
  EXPECT_EQ(a.ScrollPosition, 176);
  EXPECT_FALSE(a.Arrows[1].MouseIn);
  EXPECT_EQ(Px(bar, bar->ClientWidth() + 5, 3), kBtnFace);
  EXPECT_EQ(Px(bar, bar->ClientWidth(), 3), kBtnShadow);
  // Back on it until the end, where the timer stops by itself.
  xt::MouseMove(right.X, right.Y);
  for (int i = 0; i < 50 && a.TimerMode != 0; ++i) Tick();
  EXPECT_EQ(a.TimerMode, 0);
  EXPECT_EQ(a.ScrollPosition, 20 * kButton - 176);
  ExpectInStep(bar);
  // Into the client area: the hot arrow cools.
  MoveTo(bar, 50, 10);
  EXPECT_FALSE(a.Arrows[1].MouseIn);
  // Without HotScroll hovering only lights the arrow.
  bar->SetHotScroll(false);
  const TPoint left = OnArrow(bar, 0);
  xt::MouseMove(left.X, left.Y);
  Tick(500);
  EXPECT_TRUE(a.Arrows[0].MouseIn);
  EXPECT_EQ(a.ScrollPosition, 20 * kButton - 176);
  EXPECT_EQ(Px(bar, -6, 3), kHotFill);
  // Disabled while held: the press ends without a step.
  xt::MouseDown(xt::mbLeft, left.X, left.Y);
  bar->SetEnabled(false);
  Tick(500);
  EXPECT_FALSE(a.Arrows[0].Down);
  EXPECT_EQ(a.TimerMode, 0);
  EXPECT_EQ(a.ScrollPosition, 20 * kButton - 176);
  xt::MouseUp(xt::mbLeft, left.X, left.Y);
}

TEST_F(ToolBarTest, TheRangeFollowsTheBarsSizeAndItsButtons) {
  auto* bar = NewBar(100);
  TbsChildScroller& a = bar->Scroller();
  for (int i = 0; i < 50; ++i) a.ButtonClick(1);
  ASSERT_EQ(a.ScrollPosition, 2400 - 176);
  // Grown while scrolled to the end: the buttons follow back by the growth, flush with the right.
  host->SetWidth(300);
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ClientWidth(), 276);
  EXPECT_EQ(a.ScrollPosition, 2400 - 276);
  EXPECT_EQ(a.GrowDelta, 0);
  ExpectInStep(bar);
  // The buttons get shorter while scrolled (the growth long used up): back to the start, not back by
  // the growth once more.
  buttons.back()->SetVisible(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(a.ScrollPosition, 0);
  EXPECT_EQ(a.ScrollMax, 99 * kButton - 1);
  ExpectInStep(bar);
  // A bar wide enough for all: no arrows, the whole window is client area, the buttons at home.
  buttons.back()->SetVisible(true);
  a.ButtonClick(1);
  ASSERT_GT(a.ScrollPosition, 0);
  host->SetWidth(2400);
  xt::PumpUntilIdle();
  EXPECT_FALSE(a.Arrows[0].Visible);
  EXPECT_EQ(bar->ClientWidth(), bar->Width());
  EXPECT_EQ(a.ScrollPosition, 0);
  EXPECT_EQ(a.ScrollMax, 0);
  ExpectInStep(bar);
  // A button moved past the edge brings the arrows back at once.
  buttons.back()->SetLeft(2500);
  xt::PumpUntilIdle();
  EXPECT_TRUE(a.Arrows[1].Visible);
  EXPECT_EQ(bar->ClientWidth(), 2400 - 24);
  EXPECT_EQ(a.ScrollMax, 2500 + kButton - 1);
  buttons.back()->SetLeft(99 * kButton);
  xt::PumpUntilIdle();
  EXPECT_FALSE(a.Arrows[1].Visible);
  // Scrolling switched off while scrolled: the buttons go home and the arrows go.
  host->SetWidth(200);
  a.ButtonClick(1);
  ASSERT_EQ(a.ScrollPosition, 176);
  bar->SetCanScroll(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(a.ScrollPosition, 0);
  EXPECT_FALSE(a.Arrows[0].Visible);
  EXPECT_EQ(bar->ClientWidth(), 200);
  ExpectInStep(bar);
  // Refused values.
  bar->SetScrollTimerInterval(0);
  bar->SetScrollTimerInterval(-5);
  bar->SetScrollOffset(-1);
  EXPECT_EQ(bar->ScrollTimerInterval(), 50);
  EXPECT_EQ(bar->ScrollOffset(), 0);
  // A bar narrower than its arrows, and one without buttons: no client area to speak of, no crash.
  bar->SetCanScroll(true);
  host->SetWidth(10);
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ClientWidth(), 0);
  a.ButtonClick(1);
  a.ButtonClick(0);
  for (TbsSkinSpeedButton* b : buttons) delete b;
  buttons.clear();
  host->SetWidth(200);
  xt::PumpUntilIdle();
  EXPECT_FALSE(a.Arrows[0].Visible);
  EXPECT_EQ(a.ScrollPosition, 0);
}

TEST_F(ToolBarTest, ThreeLooksOfTheBarItsArrowsAndItsButtons) {
  LoadTestSkin();
  auto* bar = NewBar(12);
  bar->SetSkinData(skin);
  xt::PumpUntilIdle();
  TbsChildScroller& a = bar->Scroller();
  ASSERT_NE(a.ArrowSkinData, nullptr);
  const int cw = bar->ClientWidth();
  // The arrows from "resizebutton", the buttons from "toolbutton", the bar from its background tile.
  EXPECT_EQ(Code(bar, -6, 1).owner, OwnerOf("resizebutton"));
  EXPECT_EQ(Code(bar, -6, 1).code, RectCode("skinrect"));
  EXPECT_EQ(Code(bar, cw + 5, 1).owner, OwnerOf("resizebutton"));
  EXPECT_EQ(Code(buttons[0], 1, 1).owner, OwnerOf("toolbutton"));
  EXPECT_EQ(Code(bar, 3, 23).owner, mkskin::kOwnerTile);
  Gallery(bar, "bsSkinCtrls", "test-normal");
  // Hot and pressed arrows take their faces.
  const TPoint right = OnArrow(bar, 1);
  xt::MouseMove(right.X, right.Y);
  EXPECT_EQ(Code(bar, cw + 5, 1).code, RectCode("activeskinrect"));
  xt::MouseDown(xt::mbLeft, right.X, right.Y);
  EXPECT_EQ(Code(bar, cw + 5, 1).code, RectCode("downskinrect"));
  Gallery(bar, "bsSkinCtrls", "test-pressed");
  xt::MouseUp(xt::mbLeft, right.X, right.Y);
  a.ButtonClick(0);
  ASSERT_EQ(a.ScrollPosition, 0);

  // The second skin through the skin-change walk: a face stretched only sideways repeats its middle
  // from the left edge while scrolled; its arrow record has no picture, so the arrows are drawn by us.
  MoveTo(form, 300, 200);
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ResizeMode(), 2);
  EXPECT_EQ(a.ArrowSkinData, nullptr);
  EXPECT_EQ(Px(bar, -12, 3), kBtnShadow);
  EXPECT_EQ(Px(bar, -6, 3), kBtnFace);
  const auto first = Code(bar, 0, 24);
  EXPECT_EQ(first.owner, OwnerOf("toolpanel"));
  EXPECT_EQ(first.localX, bar->LTPoint.X);  // no left end piece: the middle starts at the edge
  EXPECT_EQ(Code(buttons[0], 2, 11).owner, OwnerOf("toolbutton"));
  Gallery(bar, "bsSkinCtrls", "second-normal");

  // No skin: a framed bar and the default arrows.
  bar->SetSkinData(nullptr);
  bar->Repaint();
  for (TbsSkinSpeedButton* b : buttons) b->SetSkinData(nullptr);
  SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(bar, cw, 3), kBtnShadow);
  EXPECT_EQ(Px(bar, cw + 5, 3), kBtnFace);
  Gallery(bar, "bsSkinCtrls", "none-normal");
}

TEST_F(ToolBarTest, ArrowRecordsTheSkinCannotServeGiveTheDefaultArrows) {
  LoadTestSkin();
  auto* bar = NewBar(12);
  bar->SetSkinData(skin);
  xt::PumpUntilIdle();
  const int index = skin->GetControlIndex("resizebutton");
  auto* arrow = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(index));
  // A picture index past the pictures.
  const int picture = arrow->PictureIndex;
  arrow->PictureIndex = skin->ActivePictures->Count() + 3;
  SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(bar->Scroller().ArrowSkinData, nullptr);
  EXPECT_EQ(Px(bar, -6, 3), kBtnFace);
  arrow->PictureIndex = picture;
  // A record of another class under the arrows' name.
  auto* label = static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("label")));
  arrow->IDName = "moved";
  label->IDName = "resizebutton";
  SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(bar->Scroller().ArrowSkinData, nullptr);
  EXPECT_EQ(Px(bar, -6, 3), kBtnFace);
  label->IDName = "label";
  arrow->IDName = "resizebutton";
  SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(Code(bar, -6, 1).owner, OwnerOf("resizebutton"));
}

TEST_F(ToolBarTest, ButtonsWithoutAGlyphShowTheBarsImageForTheirState) {
  LoadTestSkin();
  auto* bar = NewBar(3);
  bar->SetSkinData(skin);
  // Three lists whose image 1 is red, lime and blue.
  auto list = [&](TColor c) {
    auto* l = new TImageList(form);
    l->SetSize(12, 12);
    for (TColor fill : { clBlack, c }) {
      TBitmap b;
      b.SetSize(12, 12);
      b.Canvas()->Brush()->SetColor(fill);
      b.Canvas()->FillRect(TRect(0, 0, 12, 12));
      l->Add(&b, nullptr);
    }
    return l;
  };
  TImageList *images = list(clRed), *hot = list(clLime), *disabled = list(clBlue);
  TbsSkinSpeedButton* b = buttons[1];
  b->SetCaption("");
  b->SetImageIndex(1);
  bar->SetImages(images);
  xt::PumpUntilIdle();
  const int cx = kButton / 2, cy = 11;
  EXPECT_EQ(Px(b, cx, cy), RGB(255, 0, 0));
  EXPECT_EQ(Code(b, 1, 1).owner, OwnerOf("toolbutton"));
  // Another index repaints at once on a tool bar.
  b->SetImageIndex(0);
  EXPECT_EQ(Px(b, cx, cy), RGB(0, 0, 0));
  b->SetImageIndex(1);
  bar->SetHotImages(hot);
  bar->SetDisabledImages(disabled);
  MoveTo(b, 3, 3);
  xt::Advance(400);  // the hover fade settles
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, cx, cy), RGB(0, 255, 0));
  Gallery(bar, "bsSkinCtrls", "test-image-hot");
  MoveTo(form, 300, 200);
  xt::Advance(400);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, cx, cy), RGB(255, 0, 0));
  // Disabled: the disabled list in its own colours; without one, the image greyed.
  b->SetEnabled(false);
  EXPECT_EQ(Px(b, cx, cy), RGB(0, 0, 255));
  bar->SetDisabledImages(nullptr);
  b->Repaint();
  EXPECT_NE(Px(b, cx, cy), RGB(255, 0, 0));
  EXPECT_NE(Px(b, cx, cy), RGB(0, 0, 255));
  b->SetEnabled(true);
  // Unskinned buttons show the image too, hot whenever the mouse is in.
  b->SetSkinData(nullptr);
  MoveTo(b, 3, 3);
  EXPECT_EQ(Px(b, cx, cy), RGB(0, 255, 0));
  EXPECT_EQ(Px(b, 1, 1), kHotFill);
  MoveTo(form, 300, 200);
  // A glyph wins over the image.
  TBitmap glyph;
  glyph.SetSize(12, 12);
  glyph.Canvas()->Brush()->SetColor(clYellow);
  glyph.Canvas()->FillRect(TRect(0, 0, 12, 12));
  glyph.Canvas()->SetPixels(0, 11, clFuchsia);
  b->SetNumGlyphs(1);
  b->SetGlyph(&glyph);
  EXPECT_EQ(Px(b, cx, cy), RGB(255, 255, 0));
  // A freed list is dropped; off a tool bar no image is drawn.
  delete images;
  EXPECT_EQ(bar->Images(), nullptr);
  TBitmap none;
  b->SetGlyph(&none);
  EXPECT_EQ(Px(b, cx, cy), kBtnFace);
  auto* loose = new TbsSkinSpeedButton(form);
  loose->SetParent(form);
  loose->SetBounds(10, 100, kButton, 22);
  loose->SetImageIndex(1);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(loose, cx, cy), kBtnFace);
}

TEST_F(ToolBarTest, NamesFlatnessAndCaptionsPassToTheButtons) {
  auto* bar = NewBar(1);
  auto* menu = new TbsSkinMenuSpeedButton(form);
  menu->SetParent(bar);
  auto* track = new TbsSkinMenuSpeedButton(form);
  track->SetParent(bar);
  track->SetTrackButtonMode(true);
  TbsSkinSpeedButton* plain = buttons[0];
  // At run time the buttons keep their names.
  bar->SetSkinDataName("bigtoolpanel");
  EXPECT_EQ(plain->SkinDataName(), "toolbutton");
  bar->SetDesigning(true);
  // Through the base, as the property is set when a form is edited.
  static_cast<TbsSkinControl*>(bar)->SetSkinDataName("bigtoolpanel");
  EXPECT_EQ(plain->SkinDataName(), "bigtoolbutton");
  EXPECT_EQ(menu->SkinDataName(), "bigtoolmenubutton");
  EXPECT_EQ(track->SkinDataName(), "bigtoolmenutrackbutton");
  bar->SetSkinDataName("panel");
  EXPECT_EQ(plain->SkinDataName(), "toolbutton");
  EXPECT_EQ(menu->SkinDataName(), "toolmenubutton");
  EXPECT_EQ(track->SkinDataName(), "toolmenutrackbutton");
  bar->SetDesigning(false);

  bar->SetFlat(true);
  EXPECT_TRUE(plain->Flat() && menu->Flat() && track->Flat());
  // Both widths set: the bar takes one even without the buttons following.
  bar->SetWidthWithCaptions(150);
  bar->SetWidthWithoutCaptions(90);
  bar->SetAlign(alNone);
  bar->SetShowCaptions(true);
  EXPECT_EQ(bar->Width(), 150);
  EXPECT_TRUE(plain->ShowCaption());
  bar->SetAutoShowHideCaptions(true);
  bar->SetShowCaptions(false);
  EXPECT_EQ(bar->Width(), 90);
  EXPECT_FALSE(plain->ShowCaption());
  EXPECT_FALSE(menu->ShowCaption());
  // The skin reaches the buttons through the bar.
  LoadTestSkin();
  bar->SetSkinData(skin);
  EXPECT_EQ(plain->SkinData(), skin);
  EXPECT_EQ(track->SkinData(), skin);
}

TEST_F(ToolBarTest, AStatusBarSitsAtTheBottomAndHandsItsPanelsTheSkin) {
  auto* status = new TbsSkinStatusBar(form);
  status->SetParent(form);
  EXPECT_EQ(status->Align(), alBottom);
  EXPECT_EQ(status->Height(), 21);
  EXPECT_EQ(status->SkinDataName(), "statusbar");
  auto* left = new TbsSkinStatusPanel(form);
  left->SetParent(status);
  left->SetAlign(alLeft);
  left->SetWidth(120);
  left->SetCaption("就绪");
  auto* right = new TbsSkinStatusPanel(form);
  right->SetParent(status);
  right->SetAlign(alClient);
  ShowUnfocused();
  FocusHolder()->SetTop(0);  // off the status bar
  xt::PumpUntilIdle();
  EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());
  EXPECT_EQ(Px(status, 0, 10), kBtnShadow);  // the frame
  Gallery(status, "bsSkinCtrls", "none-normal");
  LoadTestSkin();
  status->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(left->SkinData(), skin);
  EXPECT_EQ(right->SkinData(), skin);
  EXPECT_EQ(Code(left, 1, 1).owner, OwnerOf("statuspanel"));
  EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());
  Gallery(status, "bsSkinCtrls", "test-normal");
  // The second skin through the walk: its own status bar record; no status panel record there.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(status, 0, 0).owner, OwnerOf("statusbar"));
  EXPECT_EQ(Code(status, status->Width() - 1, 0).owner, OwnerOf("statusbar"));
  Gallery(status, "bsSkinCtrls", "second-normal");
  status->SetSkinData(nullptr);
  EXPECT_EQ(left->SkinData(), nullptr);
}

TEST_F(ToolBarTest, ABarKeepsTheHeightItWasGivenThroughSkinSwitchesAndTheBuiltInLook) {
  auto* tool = new TbsSkinToolBar(form);
  tool->SetParent(form);
  tool->SetAlign(alTop);
  auto* status = new TbsSkinStatusBar(form);
  status->SetParent(form);
  EXPECT_EQ(tool->Height(), 25);  // the default heights, unasked
  EXPECT_EQ(status->Height(), 21);
  tool->SetHeight(32);
  status->SetHeight(27);
  skin = new TbsSkinData(form);
  tool->SetSkinData(skin);
  status->SetSkinData(skin);
  ShowUnfocused();
  auto load = [&](const char* name) {
    BeforeChangeSkinDataWalk(form, skin);
    if (*name)
      skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/" + name + "/skin.ini");
    else
      skin->ClearSkin();
    ChangeSkinDataWalk(form, skin);
    xt::PumpUntilIdle();
  };
  for (const char* name : { "test", "", "test", "second", "" }) {
    load(name);
    if (!skin->Empty) continue;  // a skin may size a bar its own way
    EXPECT_EQ(tool->Height(), 32) << "after " << (*name ? name : "the built-in look");
    EXPECT_EQ(status->Height(), 27);
    EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());
  }
  // A tool bar read from a form over a missing skin opens at the height it was written with.
  const AnsiString text = WriteComponentResource(form);
  auto* back = NewForm(40, 30, 420, 300);
  ReadComponentResource(back, text);
  int bars = 0;
  for (int i = 0; i < back->ControlCount(); ++i)
    if (auto* bar = dynamic_cast<TbsSkinToolBar*>(back->Controls(i))) {
      ++bars;
      EXPECT_EQ(bar->Height(), 32) << text;
    }
  EXPECT_EQ(bars, 1) << text;
}

TEST_F(ToolBarTest, BarsSurviveAFormRoundTrip) {
  auto* a = new TBarForm(nullptr);
  Keep(a);
  auto* list = new TImageList(a);
  list->SetName("Images1");
  auto* bar = new TbsSkinToolBar(a);
  bar->SetName("Bar1");
  bar->SetParent(a);
  bar->SetCanScroll(true);
  bar->SetHotScroll(true);
  bar->SetScrollOffset(17);
  bar->SetScrollTimerInterval(35);
  bar->SetImages(list);
  bar->SetHotImages(list);
  bar->SetFlat(true);
  bar->SetAutoShowHideCaptions(true);
  bar->SetWidthWithCaptions(140);
  bar->SetWidthWithoutCaptions(60);
  bar->SetShowCaptions(true);
  auto* plain = new TbsSkinToolBar(a);
  plain->SetName("Bar2");
  plain->SetParent(a);
  auto* status = new TbsSkinStatusBar(a);
  status->SetName("Status1");
  status->SetParent(a);
  const AnsiString text = WriteComponentResource(a);
  auto* c = new TBarForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinToolBar*>(c->FindComponent("Bar1"));
  auto* back2 = dynamic_cast<TbsSkinToolBar*>(c->FindComponent("Bar2"));
  auto* back3 = dynamic_cast<TbsSkinStatusBar*>(c->FindComponent("Status1"));
  ASSERT_NE(back, nullptr);
  ASSERT_NE(back2, nullptr);
  ASSERT_NE(back3, nullptr);
  EXPECT_TRUE(back->CanScroll());
  EXPECT_TRUE(back->HotScroll());
  EXPECT_EQ(back->ScrollOffset(), 17);
  EXPECT_EQ(back->ScrollTimerInterval(), 35);
  EXPECT_EQ(back->Images(), c->FindComponent("Images1"));
  EXPECT_EQ(back->HotImages(), c->FindComponent("Images1"));
  EXPECT_EQ(back->DisabledImages(), nullptr);
  EXPECT_TRUE(back->Flat());
  EXPECT_TRUE(back->ShowCaptions());
  EXPECT_EQ(back->Width(), 140);
  EXPECT_EQ(back->WidthWithoutCaptions(), 60);
  EXPECT_EQ(back->BorderStyle(), bs::bvFrame);
  EXPECT_FALSE(back2->CanScroll());
  EXPECT_EQ(back2->ScrollTimerInterval(), 50);
  EXPECT_EQ(back2->Height(), 25);
  EXPECT_EQ(back2->SkinDataName(), "toolpanel");
  EXPECT_EQ(back3->Align(), alBottom);
  EXPECT_EQ(back3->Height(), 21);
  EXPECT_EQ(WriteComponentResource(c), text);
  // Defaults are not written.
  ASSERT_NE(text.find("ScrollTimerInterval = 35"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("ScrollTimerInterval = 50"), AnsiString::npos);
  EXPECT_EQ(text.find("Align = alBottom"), AnsiString::npos);
}
