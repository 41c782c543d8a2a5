// Skinned popup menus: opening and placement, hover and the sub-menu delay, keys, scrolling, the close
// notices, the skinned and default looks, morphing, the fade, bad input, and the menu button's drop-down.

#include "tests/skin/form/MenuTestSupport.h"

#include "skin/controls/bsSkinCtrls_button.h"
#include "skin/data/bsUtils.h"

namespace skmenu {
namespace {

class PopupMenuTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    spm = new TbsSkinPopupMenu(form);
    root = spm->Items();
  }
  // divider, &Disabled (with a child), &Open (Ctrl+O), [hidden], &More (two children), E&xit: five rows.
  void BuildMenu() {
    Add(root, "-");
    disabledItem = Add(root, "&Disabled", false);
    Add(disabledItem, "Never");
    open = Add(root, "&Open");
    open->SetShortCut(scCtrl | 'O');
    Add(root, "Hidden")->SetVisible(false);
    more = Add(root, "&More");
    sub1 = Add(more, "Sub&1");
    Add(more, "Sub2");
    exitItem = Add(root, "E&xit");
  }
  void PopupAt(int X, int Y, TControl* Control = nullptr) {
    spm->Popup2(Control, X, Y);
    xt::PumpUntilIdle();
  }
  TbsSkinPopupWindow* Deepest() const { return Menu()->DeepestLevel(); }
  // What the form component does with a key while the menu is open.
  void Key(int Vk) {
    Deepest()->PopupKeyDown(Vk);
    xt::PumpUntilIdle();
  }
  RECT WindowRect(TbsSkinPopupWindow* L) const {
    RECT r {};
    GetWindowRect(L->Handle(), &r);
    return r;
  }
  // How many pixels of item I's rectangle have colour C.
  int CountColour(TbsSkinPopupWindow* L, int I, COLORREF C) const {
    const TRect& o = L->Items(I)->ObjectRect();
    int n = 0;
    for (int y = o.Top; y < o.Bottom; ++y)
      for (int x = o.Left; x < o.Right; ++x) n += xt::ReadPixel(L->Handle(), x, y) == C;
    return n;
  }

  TbsSkinPopupMenu* spm {};
  TMenuItem* root {};
  TMenuItem *disabledItem {}, *open {}, *more {}, *sub1 {}, *exitItem {};
};

TEST_F(PopupMenuTest, DefaultLookOpensBelowThePointWithoutTakingActivation) {
  BuildMenu();
  PopupAt(100, 120);
  ASSERT_EQ(Menu()->LevelCount(), 1);
  TbsSkinPopupWindow* l = Level(0);
  EXPECT_FALSE(l->SkinLook());
  EXPECT_EQ(l->ItemCount(), 5);  // the hidden item has no row
  // The first item that can be chosen is highlighted: not the leading divider, not the disabled item.
  EXPECT_EQ(l->ActiveItem(), 2);
  const RECT r = WindowRect(l);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.bottom - r.top, 4 + 4 + 4 * 20);  // divider 4, four items of 20, frame 2 + 2
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  const xt::WindowInfo info = xt::Info(l->Handle());
  EXPECT_TRUE(info.exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(info.exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(log, (std::vector<std::string> { "open" }));

  // Hot item: navy frame, blue-grey fill; others: button-face glyph column, window-coloured text area.
  const TRect& hot = l->Items(2)->ObjectRect();
  EXPECT_EQ(xt::ReadPixel(l->Handle(), hot.Left, hot.Top), RGB(0, 0, 128));
  EXPECT_EQ(xt::ReadPixel(l->Handle(), hot.Right - 2, hot.Top + 1), RGB(182, 189, 210));
  const TRect& ex = l->Items(4)->ObjectRect();
  EXPECT_EQ(xt::ReadPixel(l->Handle(), ex.Left + 1, ex.Top + 1), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(xt::ReadPixel(l->Handle(), ex.Right - 3, ex.Top + 1), GetSysColor(COLOR_WINDOW));
  // The disabled caption is grey, an enabled one is not.
  EXPECT_GT(CountColour(l, 1, GetSysColor(COLOR_GRAYTEXT)), 10);
  EXPECT_EQ(CountColour(l, 4, GetSysColor(COLOR_GRAYTEXT)), 0);
  EXPECT_GT(CountColour(l, 4, GetSysColor(COLOR_WINDOWTEXT)), 10);
  Gallery(l->Handle(), "bsSkinMenus", "popup", "default");
}

TEST_F(PopupMenuTest, PlacementAgainstTheWorkArea) {
  Add(root, "One");
  Add(root, "Two");
  Add(root, "Three");
  struct Case {
    TRect anchor;
    bool up;
    RECT work;
    int x, y;  // expected; -1: right-aligned to the work area
    const char* what;
  };
  TbsSkinMenu* menu = Menu();
  menu->Popup(nullptr, nullptr, 0, TRect(0, 0, 0, 0), root, false);
  const int W = Level(0)->Width(), H = Level(0)->Height();
  ASSERT_EQ(H, 64);
  const RECT full { 0, 0, 1024, 738 }, small { 0, 0, 1024, 200 };
  const Case cases[] = {
    { TRect(100, 100, 180, 120), false, full, 100, 120, "drop-down with room below" },
    { TRect(100, 700, 180, 720), false, full, 100, 700 - H, "lower half: above the anchor" },
    { TRect(100, 90, 180, 150), false, small, 181, 150 - (150 + H - 200), "upper half: pulled up, beside" },
    { TRect(1000, 100, 1010, 120), false, full, 1024 - W, 120, "right edge" },
    { TRect(-30, 100, 10, 120), false, full, 0, 120, "left of the screen" },
    { TRect(100, 300, 180, 320), true, full, 100, 300 - H, "upwards with room" },
    { TRect(100, 20, 180, 40), true, full, 181, 40, "upwards without room: beside" },
  };
  for (const Case& c : cases) {
    xt::SetScreen(1024, 768, c.work);
    menu->Popup(nullptr, nullptr, 0, c.anchor, root, c.up);
    const RECT r = WindowRect(Level(0));
    EXPECT_EQ(r.left, c.x) << c.what;
    EXPECT_EQ(r.top, c.y) << c.what;
    menu->Hide();
  }
}

TEST_F(PopupMenuTest, SubMenusLineUpWithTheirItemAndFlipAtTheRightEdge) {
  BuildMenu();
  PopupAt(100, 100);
  Key(VK_DOWN);  // More
  Key(VK_RIGHT);
  ASSERT_EQ(Menu()->LevelCount(), 2);
  const RECT child = WindowRect(Level(1));
  const TRect& item = Level(0)->Items(3)->ObjectRect();
  EXPECT_EQ(child.left, LevelPoint(Level(0), item.Right, 0).X + 1);  // one pixel right of its item
  EXPECT_EQ(ItemCentre(Level(1), 0).Y, ItemCentre(Level(0), 3).Y);
  EXPECT_EQ(Level(1)->ActiveItem(), 0);
  EXPECT_TRUE(Level(0)->Items(3)->Down());
  Menu()->Hide();

  PopupAt(1024 - 60, 100);  // level 0 is pushed against the right edge: its sub-menu opens on the left
  Key(VK_DOWN);
  Key(VK_RIGHT);
  ASSERT_EQ(Menu()->LevelCount(), 2);
  const RECT c2 = WindowRect(Level(1));
  EXPECT_EQ(c2.right, LevelPoint(Level(0), Level(0)->Items(3)->ObjectRect().Left, 0).X - 1);
}

TEST_F(PopupMenuTest, HoveringOpensASubMenuAfterHalfASecondAndLeavingCancels) {
  BuildMenu();
  Add(sub1, "Deep");
  PopupAt(100, 100);
  const TPoint m = ItemCentre(Level(0), 3);
  xt::MouseMove(m.X, m.Y);
  Wait(50);  // the level's poll sees the cursor: the delay starts
  Wait(490);
  EXPECT_EQ(Menu()->LevelCount(), 1);
  Wait(10);
  ASSERT_EQ(Menu()->LevelCount(), 2);
  // Another item closes the sub-menu; hovering away within the delay opens nothing.
  const TPoint e = ItemCentre(Level(0), 4);
  xt::MouseMove(e.X, e.Y);
  Wait(50);
  EXPECT_EQ(Menu()->LevelCount(), 1);
  xt::MouseMove(m.X, m.Y);
  Wait(250);
  xt::MouseMove(e.X, e.Y);
  Wait(1000);
  EXPECT_EQ(Menu()->LevelCount(), 1);

  // A pending sub-menu of a level that closes is forgotten with it.
  Key(VK_UP);  // More
  Key(VK_RIGHT);
  ASSERT_EQ(Menu()->LevelCount(), 2);
  const TPoint s2 = ItemCentre(Level(1), 1), s = ItemCentre(Level(1), 0);
  xt::MouseMove(s2.X, s2.Y);
  Wait(50);
  xt::MouseMove(s.X, s.Y);
  Wait(50);
  ASSERT_NE(Menu()->WaitingItem(), nullptr);
  Key(VK_ESCAPE);
  EXPECT_EQ(Menu()->WaitingItem(), nullptr);
  Wait(1000);
  EXPECT_EQ(Menu()->LevelCount(), 1);
}

TEST_F(PopupMenuTest, ClickingAnItemClosesAndNotifiesBeforeItRuns) {
  BuildMenu();
  auto* ctl = new TNoticeControl(form, "ctl", &log);
  ctl->SetParent(form);
  PopupAt(100, 100, ctl);
  const TPoint p = ItemCentre(Level(0), 4);
  xt::Click(p.X, p.Y);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_EQ(log, (std::vector<std::string> { "open", "close:ctl", "close:form", "click:E&xit" }));
  // A click on a disabled item or a divider does nothing.
  log.clear();
  PopupAt(100, 100, ctl);
  const TPoint d = ItemCentre(Level(0), 1), v = ItemCentre(Level(0), 0);
  xt::MouseMove(d.X, d.Y);
  Wait(50);
  xt::Click(d.X, d.Y);
  xt::Click(v.X, v.Y);
  EXPECT_TRUE(Menu()->Visible());
  EXPECT_EQ(log, (std::vector<std::string> { "open" }));
}

TEST_F(PopupMenuTest, EscapeOnTheLastLevelTellsOnlyTheControlAndANewMenuTellsTheOldOne) {
  BuildMenu();
  auto* a = new TNoticeControl(form, "a", &log);
  auto* b = new TNoticeControl(form, "b", &log);
  a->SetParent(form);
  b->SetParent(form);
  PopupAt(100, 100, a);
  Key(VK_LEFT);  // one level: nothing
  EXPECT_TRUE(Menu()->Visible());
  Key(VK_ESCAPE);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_EQ(log, (std::vector<std::string> { "open", "close:a" }));

  log.clear();
  PopupAt(100, 100, a);
  PopupAt(200, 100, b);  // over the open one: a's menu closed, b's is open
  EXPECT_EQ(log, (std::vector<std::string> { "open", "open", "close:a" }));
  EXPECT_EQ(Menu()->PopupCtrl(), b);
  Menu()->Hide();
  EXPECT_EQ(log.back(), "close:form");
  EXPECT_EQ(log[log.size() - 2], "close:b");
}

TEST_F(PopupMenuTest, KeyboardWalkSkipsWhatCannotBeChosenAndWraps) {
  BuildMenu();
  PopupAt(100, 100);
  TbsSkinPopupWindow* l = Level(0);
  std::vector<int> walk;
  for (int i = 0; i < 4; ++i) {
    Key(VK_DOWN);
    walk.push_back(l->ActiveItem());
  }
  EXPECT_EQ(walk, (std::vector<int> { 3, 4, 2, 3 }));
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(l->ActiveItem(), 2);  // nothing choosable above: it stays
  EXPECT_TRUE(l->Items(2)->Active());
  EXPECT_FALSE(l->Items(3)->Active());
  Key(VK_RIGHT);  // Open has no sub-menu
  EXPECT_EQ(Menu()->LevelCount(), 1);
  Key(VK_DOWN);
  Key(VK_RETURN);  // Return opens a sub-menu; Left closes it again
  ASSERT_EQ(Menu()->LevelCount(), 2);
  Key(VK_LEFT);
  EXPECT_EQ(Menu()->LevelCount(), 1);
  EXPECT_FALSE(l->Items(3)->Down());
  Key('D');  // a disabled item's accelerator neither runs nor opens it
  Wait(1000);
  EXPECT_EQ(Menu()->LevelCount(), 1);
  EXPECT_TRUE(Menu()->Visible());
  Key('X');  // the accelerator runs its item
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_EQ(log.back(), "click:E&xit");
}

TEST_F(PopupMenuTest, ItemsThatExactlyFillAScrolledLevelAllShow) {
  // A scrolled level is as high as the work area; its items get that less 4 (the frame) and 20 (the two
  // scroll bands), 20 pixels an item.
  for (int i = 0; i < 100; ++i) Add(root, ("Item " + std::to_string(i)).c_str());
  const struct { int workHeight, visible; } cases[] = { { 723, 34 }, { 724, 35 }, { 725, 35 } };
  for (const auto& c : cases) {
    xt::SetScreen(1024, 768, RECT { 0, 0, 1024, c.workHeight });
    PopupAt(100, 100);
    ASSERT_TRUE(Level(0)->Scroll()) << c.workHeight;
    EXPECT_EQ(Level(0)->VisibleCount(), c.visible) << c.workHeight;
    EXPECT_LE(Level(0)->Items(c.visible - 1)->ObjectRect().Bottom, Level(0)->NewItemsRect().Bottom - 10);
    Menu()->Hide();
    xt::PumpUntilIdle();
  }
}

TEST_F(PopupMenuTest, TouchingItemsMeetAtOneRowThatBelongsToTheLowerOne) {
  for (const char* c : { "One", "Two", "Three" }) Add(root, c);
  PopupAt(100, 100);
  TbsSkinPopupWindow* l = Level(0);
  const TRect two = l->Items(1)->ObjectRect();
  ASSERT_EQ(l->Items(0)->ObjectRect().Bottom, two.Top);
  ASSERT_EQ(l->Items(2)->ObjectRect().Top, two.Bottom);
  const struct {
    int y, item;
  } rows[] = { { two.Top - 1, 0 }, { two.Top, 1 }, { two.Bottom - 1, 1 }, { two.Bottom, 2 } };
  for (const auto& r : rows) {
    const TPoint p = LevelPoint(l, two.Left + 20, r.y);
    xt::MouseMove(p.X, p.Y);
    Wait(50);
    EXPECT_EQ(l->ActiveItem(), r.item) << "row " << r.y;
  }
}

TEST_F(PopupMenuTest, FiveHundredItemsScrollInTheBandsAndByKey) {
  for (int i = 0; i < 500; ++i) Add(root, ("Item " + std::to_string(i)).c_str());
  PopupAt(100, 100);
  TbsSkinPopupWindow* l = Level(0);
  ASSERT_TRUE(l->Scroll());
  const RECT r = WindowRect(l);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 738);
  EXPECT_EQ(r.left, 101);  // beside the point
  EXPECT_EQ(l->VisibleCount(), (738 - 4 - 20) / 20);
  EXPECT_FALSE(l->CanScroll(1));

  const TPoint band = LevelPoint(l, 50, 738 - 2 - 5);
  xt::MouseMove(band.X, band.Y);
  Wait(50);
  ASSERT_EQ(l->ScrollDirection(), 2);
  Wait(500);
  EXPECT_EQ(l->StartIndex(), 5);  // one item per 100 ms
  xt::MouseMove(800, 400);        // off the level: the direction clears
  Wait(50);
  EXPECT_EQ(l->ScrollDirection(), 0);
  Wait(300);
  EXPECT_EQ(l->StartIndex(), 5);

  Menu()->Hide();
  PopupAt(100, 100);
  l = Level(0);
  Key(VK_UP);  // from the first item round to the last: the end of the list in view
  EXPECT_EQ(l->ActiveItem(), 499);
  EXPECT_TRUE(l->Items(499)->Visible());
  EXPECT_EQ(l->StartIndex() + l->VisibleCount(), 500);
  EXPECT_LE(l->Items(499)->ObjectRect().Bottom, l->NewItemsRect().Bottom - 10);
  Key(VK_DOWN);
  EXPECT_EQ(l->ActiveItem(), 0);
  EXPECT_EQ(l->StartIndex(), 0);
  for (int i = 0; i < 40; ++i) Key(VK_DOWN);
  EXPECT_EQ(l->ActiveItem(), 40);
  EXPECT_TRUE(l->Items(40)->Visible());
  Gallery(l->Handle(), "bsSkinMenus", "popup", "scrolled");
}

TEST_F(PopupMenuTest, NestedTwentyDeepOpensAndClosesByKeys) {
  TMenuItem* parent = root;
  for (int i = 0; i < 21; ++i) parent = Add(parent, ("Level " + std::to_string(i)).c_str());
  PopupAt(0, 0);
  for (int i = 0; i < 20; ++i) Key(VK_RIGHT);
  EXPECT_EQ(Menu()->LevelCount(), 21);
  for (int i = 0; i < 21; ++i) Key(VK_ESCAPE);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_EQ(Menu()->LevelCount(), 0);
}

TEST_F(PopupMenuTest, SkinnedLookComesFromThePopupWindowAndItemRecords) {
  BuildMenu();
  LoadTestSkin();
  PopupAt(100, 100);
  TbsSkinPopupWindow* l = Level(0);
  ASSERT_TRUE(l->SkinLook());
  const HWND h = l->Handle();
  auto code = [&](int x, int y) { return Decode(xt::ReadPixel(h, x, y)); };
  // Outside the items rectangle (4, 4, W - 4, H - 4) the frame shows.
  EXPECT_EQ(code(2, 2).owner, mkskin::kOwnerPopupWindow);
  EXPECT_EQ(code(2, 2).code, mkskin::kSliceLeftTop);
  EXPECT_EQ(code(l->Width() - 3, l->Height() - 3).code, mkskin::kSliceRightBottom);
  EXPECT_EQ(code(l->Width() / 2, 2).code, mkskin::kSliceTop);
  // The mask cuts the corners.
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { l->Width() / 2, l->Height() / 2 }));
  const uint8_t item = ObjectOwnerOf("menuitem");
  const TRect& hot = l->Items(2)->ObjectRect();
  const TRect& ex = l->Items(4)->ObjectRect();
  const TRect& div = l->Items(0)->ObjectRect();
  EXPECT_EQ(code(hot.Left + 1, hot.Top + 1).owner, item);
  EXPECT_EQ(code(hot.Left + 1, hot.Top + 1).code, mkskin::KeyCode("activeskinrect"));
  EXPECT_EQ(code(ex.Left + 1, ex.Top + 1).code, mkskin::KeyCode("skinrect"));
  EXPECT_EQ(code(div.Left + 1, div.Top + 1).code, mkskin::KeyCode("dividerrect"));
  EXPECT_EQ(
      RectHeight(div),
      RectHeight(static_cast<TbsDataSkinMenuItem*>(skin->ObjectList->Items(skin->GetIndex("menuitem")))->DividerRect));
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Gallery(Menu()->Level(0)->Handle(), "bsSkinMenus", "popup", "skinned-cascade");
  Gallery(Menu()->Level(1)->Handle(), "bsSkinMenus", "popup", "skinned-submenu");
}

// A level just shown is drawn whole by its first paint: the item highlighted on opening waits for it.
// Afterwards an item's change shows at once, unless a paint still to come covers the item.
TEST_F(PopupMenuTest, TheFirstPaintDrawsTheOpeningHighlightAndLaterChangesShowAtOnce) {
  BuildMenu();
  LoadTestSkin();
  spm->Popup(100, 100);
  TbsSkinPopupWindow* l = Level(0);
  ASSERT_TRUE(l->SkinLook());
  ASSERT_EQ(l->ActiveItem(), 2);
  const HWND h = l->Handle();
  const uint8_t item = ObjectOwnerOf("menuitem");
  // The look of item I at its second row and column.
  auto look = [&](int I) {
    const TRect& o = l->Items(I)->ObjectRect();
    const mkskin::DecodedPixel p = Decode(xt::ReadPixel(h, o.Left + 1, o.Top + 1));
    return p.owner == item ? int(p.code) : -1;
  };
  const int hot = mkskin::KeyCode("activeskinrect"), normal = mkskin::KeyCode("skinrect");
  for (int i = 0; i < l->ItemCount(); ++i) EXPECT_EQ(look(i), -1) << "item " << i << " before the first paint";
  UpdateWindow(h);
  EXPECT_EQ(look(2), hot);
  EXPECT_EQ(look(3), normal);
  // The pending paint covers only Exit: More lights up and Open goes out at once.
  const RECT exitRect = l->Items(4)->ObjectRect();
  InvalidateRect(h, &exitRect, FALSE);
  l->PopupKeyDown(VK_DOWN);
  EXPECT_EQ(look(3), hot);
  EXPECT_EQ(look(2), normal);
  // It covers More exactly: More waits for it, Open does not.
  const RECT moreRect = l->Items(3)->ObjectRect();
  InvalidateRect(h, &moreRect, FALSE);
  l->PopupKeyDown(VK_UP);
  EXPECT_EQ(look(2), hot);
  EXPECT_EQ(look(3), hot);
  UpdateWindow(h);
  EXPECT_EQ(look(3), normal);
}

TEST_F(PopupMenuTest, AnItemRecordWithoutItsPictureGivesTheDefaultLookAndStaysAsLoaded) {
  BuildMenu();
  LoadTestSkin();
  auto* rec = static_cast<TbsDataSkinMenuItem*>(skin->ObjectList->Items(skin->GetIndex("menuitem")));
  rec->ActivePictureIndex = 99;
  const TRect skinRect = rec->SkinRect, activeRect = rec->ActiveSkinRect;
  PopupAt(100, 100);
  EXPECT_FALSE(Level(0)->SkinLook());
  Key(VK_DOWN);
  Menu()->Hide();
  EXPECT_EQ(rec->SkinRect, skinRect);
  EXPECT_EQ(rec->ActiveSkinRect, activeRect);
  // The second skin (other sizes) shows menus too, and without a window picture the default look.
  LoadSecondSkin();
  PopupAt(100, 100);
  ASSERT_EQ(Menu()->LevelCount(), 1);
  ASSERT_TRUE(Level(0)->SkinLook());
  EXPECT_EQ(Level(0)->NewItemsRect().Left, 7);  // its items rectangle, off centre
  EXPECT_EQ(Level(0)->Items(0)->ObjectRect().Top, 3);
  EXPECT_FALSE(xt::Info(Level(0)->Handle()).hasRegion);  // no mask: rectangular
  EXPECT_EQ(Decode(xt::ReadPixel(Level(0)->Handle(), 0, 0)).code, mkskin::kSliceLeftTop);
  Gallery(Level(0)->Handle(), "bsSkinMenus", "popup", "second-skin");
  Menu()->Hide();
  skin->PopupWindow->WindowPictureIndex = -1;
  PopupAt(100, 100);
  EXPECT_FALSE(Level(0)->SkinLook());
}

TEST_F(PopupMenuTest, MorphingReachesTheHotLookInExactlyTenSteps) {
  BuildMenu();
  LoadTestSkin();
  auto* rec = static_cast<TbsDataSkinMenuItem*>(skin->ObjectList->Items(skin->GetIndex("menuitem")));
  rec->Morphing = true;
  PopupAt(100, 100);
  Wait(400);  // the first item has settled
  TbsSkinPopupWindow* l = Level(0);
  EXPECT_EQ(l->Items(2)->MorphStep(), 10);
  Key(VK_DOWN);
  Wait(180);
  EXPECT_EQ(l->Items(3)->MorphStep(), 9);
  EXPECT_EQ(l->Items(2)->MorphStep(), 1);
  Wait(20);
  EXPECT_EQ(l->Items(3)->MorphStep(), 10);
  EXPECT_DOUBLE_EQ(l->Items(3)->MorphKf(), 1.0);
  EXPECT_EQ(l->Items(2)->MorphStep(), 0);
  const TRect& o = l->Items(3)->ObjectRect();
  EXPECT_EQ(Decode(xt::ReadPixel(l->Handle(), o.Left + 1, o.Top + 1)).code, mkskin::KeyCode("activeskinrect"));
}

TEST_F(PopupMenuTest, FadeStepsOnTheWindowTimerOnlyForTheFirstLevel) {
  BuildMenu();
  TbsSkinMenu* menu = Menu();
  menu->SetAlphaBlend(true);
  menu->SetAlphaBlendValue(150);
  menu->SetAlphaBlendAnimation(true);
  menu->Popup(nullptr, nullptr, 0, TRect(100, 100, 100, 100), root, false);
  const HWND h = Level(0)->Handle();
  EXPECT_TRUE(xt::Info(h).layered);
  EXPECT_EQ(xt::Info(h).alpha, 0);
  Wait(1);
  EXPECT_EQ(xt::Info(h).alpha, 2);
  Wait(73);
  EXPECT_EQ(xt::Info(h).alpha, 148);
  Wait(10);
  EXPECT_EQ(xt::Info(h).alpha, 150);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  ASSERT_EQ(menu->LevelCount(), 2);
  EXPECT_EQ(xt::Info(Level(1)->Handle()).alpha, 150);  // at once
  menu->Hide();
  menu->SetAlphaBlend(false);
  menu->Popup(nullptr, nullptr, 0, TRect(100, 100, 100, 100), root, false);
  EXPECT_FALSE(xt::Info(Level(0)->Handle()).layered);
}

TEST_F(PopupMenuTest, BadInputNeitherCrashesNorShowsAnything) {
  // A menu without visible items opens an empty level; an item without children opens nothing.
  Add(root, "Hidden")->SetVisible(false);
  PopupAt(100, 100);
  ASSERT_EQ(Menu()->LevelCount(), 1);
  EXPECT_EQ(Level(0)->ItemCount(), 0);
  Key(VK_DOWN);
  Key(VK_RETURN);
  Menu()->Hide();
  TMenuItem* leaf = Add(root, "Leaf");
  Menu()->Popup(nullptr, nullptr, 0, TRect(0, 0, 0, 0), leaf, false);
  EXPECT_FALSE(Menu()->Visible());
  // The skin goes while its menu is open.
  BuildMenu();
  LoadTestSkin();
  PopupAt(100, 100);
  ASSERT_TRUE(Level(0)->SkinLook());
  delete skin;
  skin = nullptr;
  host->Skin = nullptr;
  EXPECT_FALSE(Menu()->Visible());
  Wait(500);
  // A form with no skinning component shows nothing, though OnPopup runs.
  TForm* bare = NewForm();
  auto* lonely = new TbsSkinPopupMenu(bare);
  Add(lonely->Items(), "One");
  int popups = 0;
  lonely->OnPopup = On<TNotifyEvent>([&](TObject*) { ++popups; });
  lonely->Popup(10, 10);
  EXPECT_EQ(popups, 1);
  EXPECT_FALSE(Menu()->Visible());
  // A shown item freed (its menu rebuilt while open) closes the menu.
  PopupAt(100, 100);
  ASSERT_TRUE(Menu()->Visible());
  delete exitItem;
  EXPECT_FALSE(Menu()->Visible());
  Wait(500);
  // The form's menu goes with its component while open.
  PopupAt(100, 100);
  delete host;
  host = nullptr;
  Wait(500);
}

TEST_F(PopupMenuTest, MenuButtonDropsThePopupBelowItselfAndPopsUpWhenItCloses) {
  BuildMenu();
  auto* button = new TbsSkinMenuButton(form);
  button->SetParent(form);
  button->SetBounds(30, 40, 90, 26);
  button->SetSkinPopupMenu(spm);
  xt::PumpUntilIdle();
  ClickAt(button, 20, 10);
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_TRUE(button->Down());
  const RECT r = WindowRect(Level(0));
  const TPoint below = button->ClientToScreen(TPoint(0, button->Height()));
  EXPECT_EQ(r.left, below.X);
  EXPECT_EQ(r.top, below.Y);
  Key(VK_ESCAPE);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(button->Down());
  // Choosing an item pops it up as well, and the item runs.
  ClickAt(button, 20, 10);
  const TPoint p = ItemCentre(Level(0), 2);
  xt::Click(p.X, p.Y);
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(log.back(), "click:&Open");
}

}  // namespace
}  // namespace skmenu
