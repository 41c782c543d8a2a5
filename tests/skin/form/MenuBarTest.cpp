// The skinned main-menu bar: items, hover, overflow, opening menus, keys, the skinned look and the MDI
// child buttons.

#include "tests/skin/form/MenuTestSupport.h"

#include <filesystem>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/IniFiles.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinHint.h"
#include "tests/support/Scratch.h"

namespace skmenu {
namespace {

class MenuBarTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    main = new TbsSkinMainMenu(form);
    file = Add(main->Items(), "&File");
    Add(file, "&New");
    Add(file, "&Close");
    edit = Add(main->Items(), "&Edit");
    Add(edit, "Cu&t");
    Add(main->Items(), "Hidden")->SetVisible(false);
    disabled = Add(main->Items(), "&Disabled", false);
    Add(disabled, "Never");
    help = Add(main->Items(), "&Help");
    bar = new TbsSkinMainMenuBar(form);
    bar->SetParent(form);
    bar->SetSkinForm(host);
    bar->SetMainMenu(main);
    host->Bar = bar;
    xt::PumpUntilIdle();
  }
  TbsSkinMainMenuBarItem* Item(int I) const { return static_cast<TbsSkinMainMenuBarItem*>(bar->Objects(I)); }
  TPoint Centre(TbsMenuBarObject* O) const {
    const TRect& r = O->ObjectRect();
    return At(bar, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Hover(TbsMenuBarObject* O) {
    const TPoint p = Centre(O);
    xt::MouseMove(p.X, p.Y);
    Wait(50);
  }
  COLORREF BarPixel(int X, int Y) const {
    const TPoint f = form->ScreenToClient(bar->ClientToScreen(TPoint(X, Y)));
    return xt::ReadPixel(form->Handle(), f.X, f.Y);
  }
  int TextWidth(const AnsiString& S) const {
    TBitmap b;
    b.SetSize(4, 4);
    b.Canvas()->Font()->Assign(bar->DefItemFont());
    RECT r {};
    DrawTextA(b.Canvas()->Handle(), S.c_str(), -1, &r, DT_CALCRECT | DT_CENTER);
    return r.right - r.left;
  }

  TbsSkinMainMenu* main {};
  TbsSkinMainMenuBar* bar {};
  TMenuItem *file {}, *edit {}, *disabled {}, *help {};
};

TEST_F(MenuBarTest, DefaultLookLaysOutVisibleItemsAndHighlightsTheHotOne) {
  EXPECT_EQ(bar->Height(), 22);
  EXPECT_EQ(bar->Align(), alTop);
  ASSERT_EQ(bar->ObjectCount(), 4);  // the hidden item has none
  int x = 2;
  for (int i = 0; i < 4; ++i) {
    const TRect& r = Item(i)->ObjectRect();
    EXPECT_EQ(r.Left, x) << i;
    EXPECT_EQ(RectWidth(r), TextWidth(Item(i)->MenuItem()->Caption()) + 12) << i;
    EXPECT_EQ(r.Top, 2);
    EXPECT_EQ(r.Bottom, 20);
    x = r.Right;
  }
  EXPECT_FALSE(Item(2)->Enabled());
  Hover(Item(1));
  EXPECT_TRUE(Item(1)->Active());
  const TRect& hot = Item(1)->ObjectRect();
  EXPECT_EQ(BarPixel(hot.Left, hot.Top), RGB(0, 0, 128));
  EXPECT_EQ(BarPixel(hot.Right - 2, hot.Top + 1), RGB(182, 189, 210));
  EXPECT_EQ(BarPixel(x + 10, 10), GetSysColor(COLOR_BTNFACE));
  Gallery(form->Handle(), "bsSkinMenus", "menubar", "default-hot");
  Hover(Item(2));  // a disabled item is never hot
  EXPECT_FALSE(Item(2)->Active());
  EXPECT_EQ(bar->ActiveObject(), -1);
  delete help;  // a freed top-level item leaves the bar
  EXPECT_EQ(bar->ObjectCount(), 3);
  xt::PumpUntilIdle();
}

TEST_F(MenuBarTest, ItemsThatDoNotFitHideBehindAMarkerThatPopsThemUp) {
  const int fitTwo = Item(1)->ObjectRect().Right + 2 + 5 + 4;
  form->SetClientWidth(fitTwo);
  bar->Repaint();
  xt::PumpUntilIdle();
  EXPECT_TRUE(bar->HasHiddenItems());
  EXPECT_TRUE(Item(0)->Fits() && Item(1)->Fits());
  EXPECT_FALSE(Item(2)->Fits());
  EXPECT_FALSE(Item(3)->Fits());
  EXPECT_FALSE(Item(3)->Enabled());  // a hidden item can be neither hot nor pressed
  const TRect m = bar->GetMarkerRect();
  EXPECT_EQ(RectWidth(m), 5);
  EXPECT_EQ(m.Right, bar->Width() - 2);
  int arrow = 0;
  for (int y = m.Top; y < m.Bottom; ++y)
    for (int x = m.Left; x < m.Right; ++x) arrow += BarPixel(x, y) == GetSysColor(COLOR_BTNSHADOW);
  EXPECT_GT(arrow, 3);
  Gallery(form->Handle(), "bsSkinMenus", "menubar", "overflow");

  // The marker pops up the top-level items from the first hidden one on.
  ClickAt(bar, (m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2);
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_EQ(Level(0)->ItemCount(), 2);
  EXPECT_EQ(Level(0)->Items(0)->MenuItem(), disabled);
  Menu()->Hide();

  // Widening restores the items with the enabled state they had.
  form->SetClientWidth(400);
  bar->Repaint();
  xt::PumpUntilIdle();
  EXPECT_FALSE(bar->HasHiddenItems());
  EXPECT_TRUE(Item(3)->Fits());
  EXPECT_TRUE(Item(3)->Enabled());
  EXPECT_FALSE(Item(2)->Enabled());
}

TEST_F(MenuBarTest, PressingAnItemOpensItsMenuAndHoveringMovesIt) {
  ClickAt(bar, Item(0)->ObjectRect().Left + 4, 8);
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_TRUE(bar->MenuMode());
  EXPECT_TRUE(Item(0)->Down());
  EXPECT_TRUE(host->InMainMenu());
  EXPECT_EQ(Level(0)->Items(0)->MenuItem()->Caption(), "&New");
  RECT r {};
  GetWindowRect(Level(0)->Handle(), &r);
  const TPoint below = bar->ClientToScreen(TPoint(Item(0)->ObjectRect().Left, Item(0)->ObjectRect().Bottom));
  EXPECT_EQ(r.left, below.X);
  EXPECT_EQ(r.top, below.Y);
  Hover(Item(1));
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_EQ(Level(0)->Items(0)->MenuItem()->Caption(), "Cu&t");
  EXPECT_FALSE(Item(0)->Down());
  EXPECT_TRUE(Item(1)->Down());
  // Choosing an item ends the menu and the bar's menu mode (the form component's part).
  const TPoint p = ItemCentre(Level(0), 0);
  xt::Click(p.X, p.Y);
  EXPECT_EQ(log.back(), "click:Cu&t");
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(bar->MenuMode());
  EXPECT_FALSE(Item(1)->Down());
}

TEST_F(MenuBarTest, ACommandItemRunsOnceAndKeysWalkTheBar) {
  ClickAt(bar, Item(3)->ObjectRect().Left + 4, 8);
  EXPECT_EQ(std::count(log.begin(), log.end(), "click:&Help"), 1);
  EXPECT_FALSE(bar->MenuMode());
  EXPECT_FALSE(Menu()->Visible());

  xt::MouseMove(600, 500);  // off the bar: nothing stays hot
  Wait(50);
  bar->MenuEnter();
  EXPECT_TRUE(bar->MenuMode());
  EXPECT_TRUE(Item(0)->Active());
  EXPECT_TRUE(host->InMainMenu());
  EXPECT_EQ(host->Hooks, 1);
  std::vector<int> walk;
  auto hot = [&] {
    for (int i = 0; i < bar->ObjectCount(); ++i)
      if (Item(i)->Active()) return i;
    return -1;
  };
  for (int i = 0; i < 3; ++i) {
    bar->NextMainMenuItem();
    walk.push_back(hot());
  }
  EXPECT_EQ(walk, (std::vector<int> { 1, 3, 0 }));  // the disabled item is skipped; the walk wraps
  bar->PriorMainMenuItem();
  EXPECT_EQ(hot(), 3);
  EXPECT_TRUE(bar->FindHotKeyItem('E'));
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_EQ(Level(0)->Items(0)->MenuItem()->Caption(), "Cu&t");
  EXPECT_FALSE(bar->FindHotKeyItem('Q'));
  EXPECT_FALSE(bar->FindHotKeyItem('D'));  // disabled
  host->SkinMainMenuClose();
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(bar->MenuMode());
  bar->MenuEnter();
  bar->PriorMainMenuItem();  // Help
  log.clear();
  EXPECT_TRUE(bar->CheckReturnKey());
  EXPECT_EQ(log.back(), "click:&Help");
  bar->SetSkinForm(nullptr);
  EXPECT_FALSE(bar->FindHotKeyItem('F'));
  EXPECT_FALSE(bar->CheckReturnKey());
}

TEST_F(MenuBarTest, SkinnedLookAndRecordsOfTheWrongClass) {
  LoadTestSkin();
  bar->SetSkinData(skin);
  xt::PumpUntilIdle();
  auto* rec = dynamic_cast<TbsDataSkinMainMenuBar*>(
      static_cast<TObject*>(skin->CtrlList->Items(skin->GetControlIndex("mainmenubar"))));
  ASSERT_NE(rec, nullptr);
  EXPECT_TRUE(bar->SkinSupport());
  EXPECT_EQ(bar->Height(), RectHeight(rec->SkinRect));
  ASSERT_TRUE(Item(0)->HasSkinRecord());
  EXPECT_EQ(Item(0)->ObjectRect().Left, rec->ItemsRect.Left);
  const uint8_t barOwner = ControlOwnerOf("mainmenubar"), itemOwner = ObjectOwnerOf("menubaritem");
  EXPECT_EQ(Decode(BarPixel(bar->Width() - 1, 0)).owner, barOwner);
  const TRect& first = Item(0)->ObjectRect();
  EXPECT_EQ(Decode(BarPixel(first.Left + 1, first.Top + 1)).owner, itemOwner);
  EXPECT_EQ(Decode(BarPixel(first.Left + 1, first.Top + 1)).code, mkskin::KeyCode("skinrect"));
  Hover(Item(0));
  EXPECT_EQ(Decode(BarPixel(first.Left + 1, first.Top + 1)).code, mkskin::KeyCode("activeskinrect"));
  Gallery(form->Handle(), "bsSkinMenus", "menubar", "skinned-hot");

  // An item record that is a popup-menu item record: the built-in look, no crash.
  rec->MenuBarItem = "menuitem";
  bar->ChangeSkinData();
  EXPECT_FALSE(Item(0)->HasSkinRecord());
  // Caps that cover the whole face leave no middle to tile.
  rec->MenuBarItem = "menubaritem";
  auto* itemRec = static_cast<TbsDataSkinMainMenuItem*>(skin->ObjectList->Items(skin->GetIndex("menubaritem")));
  itemRec->ItemLeftOffset = RectWidth(itemRec->SkinRect);
  itemRec->ItemRightOffset = RectWidth(itemRec->SkinRect);
  bar->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_TRUE(Item(0)->HasSkinRecord());

  // The second skin through the skin-change walk, then no skin.
  bar->BeforeChangeSkinData();
  EXPECT_EQ(bar->ObjectCount(), 0);
  LoadSecondSkin();
  bar->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ObjectCount(), 4);
  Gallery(form->Handle(), "bsSkinMenus", "menubar", "second-skin");
  delete skin;
  skin = nullptr;
  xt::PumpUntilIdle();
  EXPECT_FALSE(bar->SkinSupport());
}

// A face rectangle 31,767 rows high that lies outside the picture: the loader drops the picture and keeps
// the rectangle. The bar is no taller than the form's client area, whatever size the form takes.
TEST_F(MenuBarTest, AFaceTallerThanAnyFormGivesABarNoTallerThanTheClientArea) {
  xj::test::ScratchDir dir { "menubar-tall" };
  std::filesystem::copy(std::string(XJ_TEST_SKIN_DIR) + "/test", dir.Path(), std::filesystem::copy_options::recursive);
  {
    TMemIniFile ini(dir / "skin.ini");
    ini.WriteString("mainmenubar", "skinrect", "32768,1000,536,32767");
    ini.UpdateFile();
  }
  skin = new TbsSkinData(form);
  skin->LoadFromFile(dir / "skin.ini");
  host->Skin = skin;
  bar->SetSkinData(skin);
  xt::PumpUntilIdle();
  ASSERT_TRUE(bar->SkinSupport());
  EXPECT_EQ(bar->Height(), form->ClientHeight());
  EXPECT_EQ(BarPixel(bar->Width() - 1, bar->Height() - 1), GetSysColor(COLOR_BTNFACE));
  for (const int dh : { -113, 250 }) {
    form->SetHeight(form->Height() + dh);
    xt::PumpUntilIdle();
    EXPECT_EQ(bar->Height(), form->ClientHeight()) << dh;
  }
}

// Every aligned control placed on the form realigns it, and each realign places the bar again: the bar is
// painted once, with the form, not once per control placed.
TEST_F(MenuBarTest, ARealignPaintsTheBarOnceNotOncePerControlPlaced) {
  xt::MessageTrace paints(bar->Handle(), { WM_PAINT });
  form->SetWidth(form->Width() + 37);
  for (int i = 0; i < 30; ++i) {
    auto* panel = new TPanel(form);
    panel->SetAlign(alTop);
    panel->SetHeight(3);
    panel->SetParent(form);
  }
  EXPECT_EQ(paints.Count(WM_PAINT), 0) << "painted while the controls were placed";
  xt::PumpUntilIdle();
  EXPECT_EQ(paints.Count(WM_PAINT), 1);
  EXPECT_EQ(bar->Width(), form->ClientWidth());
  EXPECT_EQ(BarPixel(bar->Width() - 1, 10), GetSysColor(COLOR_BTNFACE));
}

TEST_F(MenuBarTest, MaximisedMDIChildGetsItsButtonsOnTheBar) {
  TForm* mdi = nullptr;
  Application->CreateForm(mdi);
  mdi->SetFormStyle(fsMDIForm);
  mdi->Show();
  auto* mdiHost = new TTestMenuHost(mdi, &log);
  auto* mdiBar = new TbsSkinMainMenuBar(mdi);
  mdiBar->SetParent(mdi);
  mdiBar->SetSkinForm(mdiHost);
  mdiBar->SetMainMenu(main);
  mdiHost->Bar = mdiBar;
  TForm* child = NewForm(10, 10, 200, 150);
  child->SetFormStyle(fsMDIChild);
  child->Show();
  auto* childHost = new TTestMenuHost(child, &log);
  auto* sys = new TPopupMenu(child);
  Add(sys->Items(), "&Restore");
  childHost->SystemMenu = sys;
  childHost->State = wsMaximized;
  childHost->MinimizeIcon = false;
  xt::PumpUntilIdle();

  mdiBar->MDIChildMaximize();
  xt::PumpUntilIdle();
  ASSERT_EQ(mdiBar->ButtonsCount(), 4);
  auto button = [&](int i) { return static_cast<TbsSkinMainMenuBarButton*>(mdiBar->Objects(i)); };
  EXPECT_EQ(button(0)->Command(), cmSysMenu);
  EXPECT_EQ(button(1)->Command(), cmClose);
  EXPECT_EQ(button(2)->Command(), cmMaximize);
  EXPECT_EQ(button(3)->Command(), cmMinimize);
  EXPECT_FALSE(button(3)->Enabled());  // the child has no minimise icon
  EXPECT_TRUE(button(1)->Enabled());
  // The system-menu button at the left, minimise, restore and close from the right.
  const int w = mdiBar->Width();
  EXPECT_EQ(button(0)->ObjectRect().Left, 2);
  EXPECT_EQ(button(1)->ObjectRect().Right, w - 2);
  EXPECT_LT(button(2)->ObjectRect().Right, button(1)->ObjectRect().Left);
  EXPECT_LT(button(3)->ObjectRect().Right, button(2)->ObjectRect().Left);
  EXPECT_EQ(static_cast<TbsSkinMainMenuBarItem*>(mdiBar->Objects(4))->ObjectRect().Left,
            button(0)->ObjectRect().Right + 2);
  Gallery(mdi->Handle(), "bsSkinMenus", "menubar", "mdi-buttons");

  // The system-menu button opens the child's system menu on press and stays down until it closes.
  const TRect& s = button(0)->ObjectRect();
  const TPoint sp = mdiBar->ClientToScreen(TPoint(s.Left + 2, s.Top + 2));
  xt::Click(sp.X, sp.Y);
  ASSERT_TRUE(mdiHost->SkinMenu()->Visible());
  EXPECT_EQ(mdiHost->SkinMenu()->Level(0)->Items(0)->MenuItem()->Caption(), "&Restore");
  EXPECT_TRUE(button(0)->Down());
  mdiHost->SkinMenu()->Level(0)->PopupKeyDown(VK_ESCAPE);
  xt::PumpUntilIdle();
  EXPECT_FALSE(button(0)->Down());
  // Restore acts on the child only when released over the button.
  const TRect& r = button(2)->ObjectRect();
  const TPoint rp = mdiBar->ClientToScreen(TPoint(r.Left + 2, r.Top + 2));
  xt::MouseMove(rp.X, rp.Y);
  Wait(50);
  xt::Drag(rp.X, rp.Y, rp.X, rp.Y + 100);
  Wait(50);
  EXPECT_EQ(std::count(log.begin(), log.end(), "state:0"), 0);
  xt::MouseMove(rp.X, rp.Y);
  Wait(50);
  xt::Click(rp.X, rp.Y);
  EXPECT_EQ(std::count(log.begin(), log.end(), "state:0"), 1);

  childHost->State = wsNormal;
  mdiBar->MDIChildRestore();
  EXPECT_EQ(mdiBar->ButtonsCount(), 0);
  EXPECT_FALSE(mdiBar->ChildMaximized());
  EXPECT_EQ(mdiBar->ObjectCount(), 4);
}

}  // namespace
}  // namespace skmenu

namespace skmenu {
namespace {

class TMenuForm : public TForm {
  XJ_CLASS(TMenuForm, TForm)
 public:
  explicit TMenuForm(TComponent* AOwner) : TForm(AOwner) {}
};

using MenuStreamTest = MenuTest;

// The published properties of the bar, the menus and the hint read back as written, with their skin and
// menu references; a fresh hint writes nothing but its name, so its defaults are its constructor's.
TEST_F(MenuStreamTest, PlacedMenusBarAndHintReadBackWithTheirReferences) {
  auto* a = new TMenuForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* mm = new TbsSkinMainMenu(a);
  mm->SetName("MainMenu1");
  mm->SetSkinData(data);
  auto* bar = new TbsSkinMainMenuBar(a);
  bar->SetName("Bar1");
  bar->SetParent(a);
  bar->SetMainMenu(mm);
  bar->SetPopupToUp(true);
  bar->SetDefaultHeight(25);
  bar->DefItemFont()->SetStyle({ fsBold });
  auto* pm = new TbsSkinPopupMenu(a);
  pm->SetName("Popup1");
  pm->SetSkinData(data);
  auto* plain = new TbsSkinHint(a);
  plain->SetName("PlainHint");
  auto* hint = new TbsSkinHint(a);
  hint->SetName("Hint1");
  hint->SetAlphaBlendValue(90);
  hint->SetUseSkinFont(false);
  hint->SetSkinData(data);
  const AnsiString text = WriteComponentResource(a);
  const std::string s = text.c_str();
  const size_t at = s.find("PlainHint");
  ASSERT_NE(at, std::string::npos);
  const std::string plainText = s.substr(at, s.find("end", at) - at);
  EXPECT_EQ(plainText.find("Active"), std::string::npos) << plainText;
  EXPECT_EQ(plainText.find("UseSkinFont"), std::string::npos) << plainText;

  auto* b = new TMenuForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* bar2 = dynamic_cast<TbsSkinMainMenuBar*>(b->FindComponent("Bar1"));
  ASSERT_NE(bar2, nullptr) << text;
  EXPECT_EQ(bar2->MainMenu(), b->FindComponent("MainMenu1"));
  EXPECT_TRUE(bar2->PopupToUp());
  EXPECT_EQ(bar2->DefaultHeight(), 25);
  EXPECT_EQ(bar2->SkinDataName(), "mainmenubar");
  EXPECT_TRUE(bar2->DefItemFont()->Style().Contains(fsBold));
  EXPECT_EQ(bar2->ObjectCount(), 0);  // the main menu has no items
  auto* mm2 = dynamic_cast<TbsSkinMainMenu*>(b->FindComponent("MainMenu1"));
  ASSERT_NE(mm2, nullptr);
  EXPECT_EQ(mm2->SkinData(), b->FindComponent("SkinData1"));
  auto* pm2 = dynamic_cast<TbsSkinPopupMenu*>(b->FindComponent("Popup1"));
  ASSERT_NE(pm2, nullptr);
  EXPECT_EQ(pm2->SkinData(), b->FindComponent("SkinData1"));
  auto* hint2 = dynamic_cast<TbsSkinHint*>(b->FindComponent("Hint1"));
  ASSERT_NE(hint2, nullptr);
  EXPECT_EQ(hint2->AlphaBlendValue(), 90);
  EXPECT_FALSE(hint2->UseSkinFont());
  EXPECT_TRUE(hint2->Active());
  EXPECT_EQ(WriteComponentResource(b), text);
  // The skin goes: every reference to it is dropped.
  delete b->FindComponent("SkinData1");
  EXPECT_EQ(mm2->SkinData(), nullptr);
  EXPECT_EQ(pm2->SkinData(), nullptr);
  EXPECT_EQ(hint2->SkinData(), nullptr);
}

}  // namespace
}  // namespace skmenu
