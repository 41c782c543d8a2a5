// The frame's active objects driven by the mouse and the clock (hover, morphing, press and release, the
// system-menu button, object hints), the skin menus' hook and key routing, short cuts, and what the
// component leaves behind when it goes.
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinHint.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

class FormObjectsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadTestSkin();
    Show();
  }
  TPoint ScreenOf(const AnsiString& Name) const {
    const TPoint c = CentreOf(Name);
    return Screen(c.X, c.Y);
  }
  TbsSkinButtonObject* Button(const AnsiString& Name) const {
    return static_cast<TbsSkinButtonObject*>(sf->Objects(sf->GetIndex(Name)));
  }
  // A key through the application's loop, where the application hook sees it.
  static void Key(UINT Vk, unsigned Shift = xt::ssNone) {
    xt::KeyDown(Vk, Shift, false);
    Application->ProcessMessages();
    xt::KeyUp(Vk, Shift, false);
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }
  std::vector<AnsiString> Captions(TMenuItem* Items) const {
    std::vector<AnsiString> out;
    for (int i = 0; i < Items->Count(); ++i) out.push_back(Items->Items(i)->Name().empty() ? AnsiString("-") : Items->Items(i)->Name());
    return out;
  }
};

TEST_F(FormObjectsTest, HoverMorphsToTheActiveLookInTenTicksAndBack) {
  TbsActiveSkinObject* close = sf->Objects(sf->GetIndex("close"));
  ASSERT_TRUE(close->Morphing);
  const TPoint c = CentreOf("close");
  const TPoint s = ScreenOf("close");
  xt::MouseMove(s.X, s.Y);
  xt::Advance(50);  // the hover poll
  EXPECT_TRUE(close->Active);
  for (int i = 1; i <= 10; ++i) {
    xt::Advance(20);
    EXPECT_DOUBLE_EQ(close->MorphKf(), i / 10.0) << i;
  }
  EXPECT_EQ(close->MorphKf(), 1.0);
  xt::Advance(20);  // a tick with nothing left to morph stops the timer
  EXPECT_EQ(close->MorphKf(), 1.0);
  EXPECT_FALSE(sf->TestMorphTimer()->Enabled());
  EXPECT_EQ(Code(c.X, c.Y).owner, ObjectOwner("close"));
  EXPECT_EQ(Code(c.X, c.Y).code, mkskin::KeyCode("activeskinrect"));
  Gallery("hot-close");
  // Leaving: the hover poll notices, the look fades back in ten more ticks.
  xt::MouseMove(600, 600);
  xt::Advance(50);
  EXPECT_FALSE(close->Active);
  xt::Advance(200);
  EXPECT_EQ(close->MorphKf(), 0.0);
  EXPECT_EQ(Code(c.X, c.Y).code, mkskin::KeyCode("skinrect"));
}

TEST_F(FormObjectsTest, NoOtherObjectTurnsHotWhileOneIsPressed) {
  const TPoint max = ScreenOf("max"), min = ScreenOf("min");
  xt::MouseDown(xt::mbLeft, max.X, max.Y);
  sf->TestActive(CentreOf("min").X, CentreOf("min").Y, true);
  EXPECT_EQ(sf->ActiveObject(), -1);
  EXPECT_FALSE(sf->Objects(sf->GetIndex("min"))->Active);
  xt::MouseMove(min.X, min.Y);
  xt::MouseUp(xt::mbLeft, min.X, min.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(sf->WindowState(), wsNormal);
}

TEST_F(FormObjectsTest, CloseRunsOnlyAfterTheButtonIsDrawnReleased) {
  bool downAtClose = true;
  int closes = 0;
  form->OnClose = On<TCloseEvent>([&](TObject*, TCloseAction&) {
    ++closes;
    downAtClose = Button("close")->Down;
  });
  const TPoint s = ScreenOf("close");
  xt::Click(s.X, s.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(downAtClose);
  EXPECT_FALSE(form->Visible());
}

TEST_F(FormObjectsTest, SystemMenuButtonDropsTheMenuBelowItAndStaysDownUntilItCloses) {
  TMessageEvent original = TMessageEvent::FromCallable([](MSG&, bool&) {});
  Application->OnMessage = original;
  const TRect r = sf->Objects(sf->GetIndex("sys"))->ObjectRect;
  const TPoint s = ScreenOf("sys");
  xt::Click(s.X, s.Y);
  xt::PumpUntilIdle();
  TbsSkinMenu* menu = sf->SkinMenu();
  ASSERT_TRUE(menu->Visible());
  ASSERT_EQ(menu->LevelCount(), 1);
  EXPECT_EQ(menu->Level(0)->BoundsRect().TopLeft(), Screen(r.Left, r.Bottom));
  EXPECT_TRUE(Button("sys")->Down);
  EXPECT_TRUE(sf->InMenu());
  EXPECT_TRUE(form->Active());
  // A normal sizeable form offers minimise, maximise, roll up, a divider and close.
  EXPECT_EQ(Captions(sf->GetSystemMenu()),
            (std::vector<AnsiString> { "BSF_MINITEM", "BSF_MAXITEM", "BSF_ROLLUP", "-", "BSF_CLOSE" }));
  Key(VK_ESCAPE);
  EXPECT_FALSE(menu->Visible());
  EXPECT_FALSE(Button("sys")->Down);
  EXPECT_FALSE(sf->InMenu());
  EXPECT_EQ(Application->OnMessage, original);
}

TEST_F(FormObjectsTest, DoubleClickOnTheSystemMenuButtonClosesTheForm) {
  const TPoint s = ScreenOf("sys");
  xt::DoubleClick(s.X, s.Y);
  xt::PumpUntilIdle();
  EXPECT_FALSE(form->Visible());
}

TEST_F(FormObjectsTest, RightClickOnTheCaptionOpensTheSystemMenuThatRunsItsItems) {
  const TPoint s = ScreenOf("caption");
  xt::Click(s.X, s.Y, xt::mbRight);
  xt::PumpUntilIdle();
  TbsSkinMenu* menu = sf->SkinMenu();
  ASSERT_TRUE(menu->Visible());
  EXPECT_EQ(menu->Level(0)->BoundsRect().TopLeft(), s);
  // The first item is selected on opening; the second is "maximise".
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(menu->Visible());
  EXPECT_EQ(sf->WindowState(), wsMaximized);
  // A maximised form offers minimise, restore, roll up, close.
  EXPECT_EQ(Captions(sf->GetSystemMenu()),
            (std::vector<AnsiString> { "BSF_MINITEM", "BSF_RESTORE", "BSF_ROLLUP", "-", "BSF_CLOSE" }));
  sf->SetWindowState(wsMinimized);
  EXPECT_EQ(Captions(sf->GetSystemMenu()), (std::vector<AnsiString> { "BSF_MAXITEM", "BSF_RESTORE", "-", "BSF_CLOSE" }));
}

TEST_F(FormObjectsTest, TheApplicationHookIsInstalledOnceAndRemovedOnClose) {
  TMessageEvent original = TMessageEvent::FromCallable([](MSG&, bool&) {});
  Application->OnMessage = original;
  sf->TrackSystemMenu(300, 300);
  // A second menu over the open one (from a timer, say) must not chain the hook to itself.
  sf->TrackSystemMenu(320, 320);
  EXPECT_TRUE(sf->AppHooked());
  sf->SkinMenu()->Hide();
  xt::PumpUntilIdle();
  EXPECT_FALSE(sf->AppHooked());
  EXPECT_EQ(Application->OnMessage, original);
  // Keys reach the application again.
  int keys = 0;
  Application->OnMessage = TMessageEvent::FromCallable([&](MSG& m, bool&) { keys += m.message == WM_KEYDOWN; });
  Key('A');
  EXPECT_EQ(keys, 1);
}

TEST_F(FormObjectsTest, FreeingTheComponentGivesBackEveryHookItHolds) {
  TMessageEvent original = TMessageEvent::FromCallable([](MSG&, bool&) {});
  Application->OnMessage = original;
  const TWndMethod wndProcBefore = form->WindowProc;
  sf->TrackSystemMenu(300, 300);
  ASSERT_TRUE(sf->SkinMenu()->Visible());
  delete sf;
  sf = nullptr;
  xt::PumpUntilIdle();
  EXPECT_EQ(Application->OnMessage, original);
  EXPECT_FALSE(form->WindowProc == wndProcBefore);
  EXPECT_TRUE(form->OnShortCut == nullptr);
  // The caption style stays cleared; the form keeps working on its own.
  EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION, 0);
  form->SetBounds(10, 10, 300, 200);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  Key(VK_ESCAPE);
  xt::PumpUntilIdle();
}

TEST_F(FormObjectsTest, AShortCutRunsItsItemExactlyOncePerKeyPress) {
  auto* mainMenu = new TMainMenu(form);
  auto* file = new TMenuItem(mainMenu);
  file->SetCaption("文件(&F)");
  mainMenu->Items()->Add(file);
  auto* open = new TMenuItem(mainMenu);
  open->SetCaption("打开(&O)");
  open->SetShortCut(ShortCut('O', TShiftState { ssCtrl }));
  int opened = 0;
  open->OnClick = On<TNotifyEvent>([&](TObject*) { ++opened; });
  file->Add(open);
  auto* bar = new TbsSkinMainMenuBar(form);
  bar->SetParent(form);
  bar->SetMainMenu(mainMenu);
  bar->SetSkinForm(sf);
  sf->SetMainMenuBar(bar);
  xt::PumpUntilIdle();
  Key('O', xt::ssCtrl);
  EXPECT_EQ(opened, 1);
  xt::Advance(30);
  Key('O', xt::ssCtrl);
  EXPECT_EQ(opened, 2);
  // A key that is no short cut is not swallowed by the one before it.
  xt::Advance(30);
  Key('P', xt::ssCtrl);
  Key('O', xt::ssCtrl);
  EXPECT_EQ(opened, 3);
}

TEST_F(FormObjectsTest, ObjectHintsFollowTheHoverAfterThePause) {
  auto* hint = new TbsSkinHint(form);
  hint->SetSkinData(skin);
  sf->SetSkinHint(hint);
  sf->SetShowObjectHint(true);
  const TPoint s = ScreenOf("max");
  xt::MouseMove(s.X, s.Y);
  xt::Advance(50);  // the hover poll
  EXPECT_FALSE(hint->IsVisible());
  xt::Advance(Application->HintPause());
  EXPECT_TRUE(hint->IsVisible());
  xt::MouseMove(600, 600);
  xt::Advance(50);
  EXPECT_FALSE(hint->IsVisible());
  // The hint component going away leaves the form without a hint, not with a dangling one.
  delete hint;
  xt::MouseMove(s.X, s.Y);
  xt::Advance(600);
  EXPECT_EQ(sf->SkinHint(), nullptr);
}

TEST_F(FormObjectsTest, SwitchingOrFreeingTheSkinWithAMenuOpenClosesIt) {
  sf->TrackSystemMenu(300, 300);
  ASSERT_TRUE(sf->SkinMenu()->Visible());
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_FALSE(sf->SkinMenu()->Visible());
  EXPECT_TRUE(sf->SkinSupport());
  sf->TrackSystemMenu(300, 300);
  delete skin;
  skin = nullptr;
  xt::PumpUntilIdle();
  EXPECT_FALSE(sf->SkinSupport());
  EXPECT_EQ(sf->SkinData(), nullptr);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  EXPECT_EQ(Frame(0, 0), ColorToRGB(cl3DLight));
}

}  // namespace
