// The skinned menu button: where a press, Space or the accelerator opens its menu, what the button shows
// while the menu is open, how the close message lets it up, and that a menu that never opened leaves no
// button stuck down. The skinned popup menu stands in as a recorder of what the button asks it.

#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kHotFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

class MenuButtonTest : public SkinControlsTest {
 protected:
  struct Request {
    TPopupMenu* menu;
    TControl* control;
    TRect rect;
    bool flag;
  };

  void SetUp() override {
    SkinControlsTest::SetUp();
    SetSkinPopupFromRect([this](TPopupMenu* m, TControl* c, const TRect& r, bool f) {
      requests.push_back({ m, c, r, f });
      return opens;
    });
    menu = new TPopupMenu(form);
  }
  void TearDown() override {
    SetSkinPopupFromRect(nullptr);
    SkinControlsTest::TearDown();
  }

  TbsSkinMenuButton* NewMenuButton(int l, int t, int w, int h) {
    auto* b = new TbsSkinMenuButton(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->SetCaption("&Menu");
    b->SetSkinPopupMenu(menu);
    b->OnClick = On<TNotifyEvent>([this](TObject*) { ++clicks; });
    b->OnShowTrackMenu = On<TNotifyEvent>([this](TObject*) { ++shown; });
    b->OnHideTrackMenu = On<TNotifyEvent>([this](TObject*) { ++hidden; });
    return b;
  }
  void Show() { ShowUnfocused(); }
  void PressAt(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  void ReleaseAt(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }

  std::vector<Request> requests;
  bool opens { true };
  TPopupMenu* menu {};
  int clicks {}, shown {}, hidden {};
};

}  // namespace

TEST_F(MenuButtonTest, APressOpensTheMenuBesideTheButtonAndTheCloseMessageLetsItUp) {
  auto* b = NewMenuButton(30, 40, 90, 26);
  Show();
  PressAt(b, 20, 10);
  ASSERT_EQ(requests.size(), 1u);
  const TPoint origin = b->ClientToScreen(TPoint(0, 0));
  EXPECT_EQ(requests[0].menu, menu);
  EXPECT_EQ(requests[0].control, b);
  EXPECT_EQ(requests[0].rect, TRect(origin.X, origin.Y, origin.X + 90, origin.Y + 26));
  EXPECT_FALSE(requests[0].flag);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(b->MenuTracked());
  EXPECT_TRUE(b->Down());
  ReleaseAt(b, 20, 10);  // the release while the menu is open does nothing
  MoveTo(form, 2, 2);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Px(b, 5, 5), kDownFill);  // held down while open, wherever the mouse is
  Gallery(b, "bsSkinCtrls", "none-open");
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(clicks, 0);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 5, 5), kHotFill);  // up, and hot as the press focused it
  // A later press that opens nothing (outside the track area) clicks as usual.
  b->SetTrackButtonMode(true);
  ClickAt(b, 20, 10);
  EXPECT_EQ(clicks, 1);
}

TEST_F(MenuButtonTest, AMenuThatDoesNotOpenLeavesNoButtonStuckDown) {
  opens = false;  // as when the form has no skinning engine
  auto* b = NewMenuButton(30, 40, 90, 26);
  Show();
  PressAt(b, 20, 10);
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(shown, 0);
  ReleaseAt(b, 20, 10);  // nor does its release click
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->Down());
  // Space the same way: a menu asked for, none open, no click on the key-up.
  b->SetFocus();
  Key(true, VK_SPACE);
  Key(false, VK_SPACE);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(clicks, 0);

  // Without a menu the button is a plain button; a menu freed forgets itself.
  delete menu;
  EXPECT_EQ(b->SkinPopupMenu(), nullptr);
  ClickAt(b, 20, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(requests.size(), 2u);
}

TEST_F(MenuButtonTest, OnlyTheTrackAreaOpensTheMenuInTrackMode) {
  auto* b = NewMenuButton(30, 40, 100, 26);
  b->SetTrackButtonMode(true);
  Show();
  // Unskinned, the last 15 pixels, both edges included.
  EXPECT_TRUE(b->CanMenuTrack(85, 0));
  EXPECT_TRUE(b->CanMenuTrack(100, 26));
  EXPECT_FALSE(b->CanMenuTrack(84, 13));
  ClickAt(b, 84, 13);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(requests.empty());
  PressAt(b, 85, 13);
  EXPECT_EQ(requests.size(), 1u);
  // Open in track mode: the button part hot, the track part pressed.
  EXPECT_EQ(Px(b, 40, 2), kHotFill);
  EXPECT_EQ(Px(b, 90, 2), kDownFill);
  EXPECT_EQ(Px(b, 85, 13), kNavy);  // the track part's own frame
  Gallery(b, "bsSkinCtrls", "none-trackopen");
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  ReleaseAt(b, 85, 13);
  EXPECT_EQ(clicks, 1);

  // Space clicks on its key-up in track mode instead of opening.
  b->SetFocus();
  Key(true, VK_SPACE);
  EXPECT_EQ(requests.size(), 1u);
  Key(false, VK_SPACE);
  EXPECT_EQ(clicks, 2);
}

TEST_F(MenuButtonTest, TheSkinnedTrackAreaFollowsAStretchedFace) {
  LoadTestSkin();
  auto* b = NewMenuButton(30, 40, 70, 31);
  b->SetTrackButtonMode(true);
  b->SetSkinData(skin);
  Show();
  // The test skin stretches its menu button both ways: the track area keeps to the right part of the
  // face, moved right by the added width and grown by the added height.
  ASSERT_EQ(b->ResizeMode(), 1);
  const TRect track = b->TrackButtonRect;
  ASSERT_FALSE(IsNullRect(track));
  const int dW = 70 - b->SkinRect.Width(), dH = 31 - b->SkinRect.Height();
  ASSERT_GT(dW, 0);
  ASSERT_GT(dH, 0);
  EXPECT_EQ(b->GetNewTrackButtonRect(), TRect(track.Left + dW, track.Top, track.Right + dW, track.Bottom + dH));
  EXPECT_FALSE(b->CanMenuTrack(track.Left + dW - 1, 12));
  PressAt(b, track.Left + 2, 12);  // where the record put it: now the button part
  EXPECT_TRUE(requests.empty());
  ReleaseAt(b, track.Left + 2, 12);
  EXPECT_EQ(clicks, 1);
  PressAt(b, 70 - 1, 31 - 1);  // the far corner opens the menu
  ASSERT_EQ(requests.size(), 1u);
  const uint8_t owner = OwnerOf("toolmenubutton");
  EXPECT_EQ(Code(b, track.Left + dW + 1, 12).code, RectCode("downskinrect"));
  EXPECT_EQ(Code(b, 70 - 2, 31 - 2).code, RectCode("downskinrect"));
  for (int x : { 2, track.Left + 1, track.Left + dW - 1 })
    EXPECT_EQ(Code(b, x, 12).code, RectCode("activeskinrect")) << x;
  EXPECT_EQ(Code(b, 2, 12).owner, owner);
  Gallery(b, "bsSkinCtrls", "test-trackopen");
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  ReleaseAt(b, 70 - 1, 31 - 1);

  // The second skin stretches it horizontally: at twice its width the track area moves right by the
  // added width, and the picture follows.
  LoadSecondSkin();
  const int w0 = b->SkinRect.Width();
  ASSERT_EQ(b->ResizeMode(), 2);
  b->SetBounds(30, 40, 2 * w0, 24);
  EXPECT_EQ(b->Height(), b->SkinRect.Height());  // the record's height
  const TRect moved = b->GetNewTrackButtonRect();
  EXPECT_EQ(moved.Left, b->TrackButtonRect.Left + w0);
  EXPECT_EQ(moved.Right, 2 * w0);
  EXPECT_FALSE(b->CanMenuTrack(moved.Left - 1, 5));
  PressAt(b, moved.Left, 5);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(Code(b, moved.Left + 1, 5).code, RectCode("downskinrect"));
  EXPECT_EQ(Code(b, moved.Left + 1, 5).owner, OwnerOf("toolmenubutton"));
  EXPECT_EQ(Code(b, 1, 5).code, RectCode("activeskinrect"));
  Gallery(b, "bsSkinCtrls", "second-trackopen");
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  ReleaseAt(b, moved.Left, 5);
}

TEST_F(MenuButtonTest, SpaceAndTheAcceleratorOpenTheMenuFromTheKeyboard) {
  auto* b = NewMenuButton(30, 40, 90, 26);
  Show();
  b->SetFocus();
  Key(true, VK_SPACE);  // on the key-down
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_TRUE(b->MenuTracked());
  Key(false, VK_SPACE);
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  EXPECT_EQ(clicks, 0);
  FocusHolder()->SetFocus();
  Key(true, 'M', xt::ssAlt);
  Key(false, 'M', xt::ssAlt);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_TRUE(b->Down());
  SendMessageA(b->Handle(), WM_CLOSESKINMENU, 0, 0);
  EXPECT_EQ(hidden, 2);
  EXPECT_EQ(clicks, 0);
}
