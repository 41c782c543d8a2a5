// The skinned menus on a form taken over by the form skinning component, driven by real keys and
// clicks: the menu button's drop-down, the main-menu bar with Alt and the arrows, closing by a click
// outside, and a form freed from inside an item's click.

#include "skin/controls/bsSkinCtrls_button.h"
#include "skin/form/bsSkinMenus.h"
#include "tests/skin/form/FormTestSupport.h"

namespace skinform {
namespace {

class MenuFormTest : public FormTest {
 protected:
  TMenuItem* Add(TMenuItem* Parent, const AnsiString& Caption) {
    auto* item = new TMenuItem(form);
    item->SetCaption(Caption);
    std::string name = Caption.c_str();
    item->OnClick = On<TNotifyEvent>([this, name](TObject*) { clicks.push_back(name); });
    Parent->Add(item);
    return item;
  }
  // Keys through the application's loop, where the component's hook sees them.
  static void Press(UINT Vk, unsigned Shift = xt::ssNone) {
    xt::KeyDown(Vk, Shift, false);
    Application->ProcessMessages();
    xt::KeyUp(Vk, Shift, false);
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }
  TbsSkinMenu* Menu() const { return sf->SkinMenu(); }

  std::vector<std::string> clicks;
};

TEST_F(MenuFormTest, MenuButtonDropDownFollowsTheKeysAndClosesOnAClickOutside) {
  LoadTestSkin();
  auto* spm = new TbsSkinPopupMenu(form);
  Add(spm->Items(), "&Record");
  Add(spm->Items(), "-");
  Add(spm->Items(), "&Play");
  auto* button = new TbsSkinMenuButton(form);
  button->SetParent(form);
  button->SetBounds(20, 20, 100, 26);
  button->SetSkinPopupMenu(spm);
  Show();
  ClickAt(button, 10, 10);
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_TRUE(sf->InMenu());
  EXPECT_TRUE(button->Down());
  EXPECT_TRUE(Menu()->Level(0)->SkinLook());
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  Press(VK_DOWN);  // past the divider
  EXPECT_EQ(Menu()->Level(0)->ActiveItem(), 2);
  Press(VK_RETURN);
  EXPECT_EQ(clicks, (std::vector<std::string> { "&Play" }));
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(sf->InMenu());
  EXPECT_FALSE(button->Down());

  // A click on the form outside the menu closes it and pops the button up; nothing runs.
  ClickAt(button, 10, 10);
  ASSERT_TRUE(Menu()->Visible());
  ClickAt(form, 300, 200);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(sf->InMenu());
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(clicks.size(), 1u);
  // Typed keys reach the form's controls again.
  EXPECT_EQ(Application->OnMessage, nullptr);
}

TEST_F(MenuFormTest, MenuBarWithAltLettersArrowsAndEscape) {
  auto* mm = new TMainMenu(form);
  TMenuItem* file = Add(mm->Items(), "文件(&F)");
  Add(file, "打开(&O)");
  Add(file, "退出(&X)");
  TMenuItem* view = Add(mm->Items(), "查看(&V)");
  Add(view, "刷新(&R)");
  auto* bar = new TbsSkinMainMenuBar(form);
  bar->SetParent(form);
  bar->SetSkinForm(sf);
  bar->SetMainMenu(mm);
  sf->SetMainMenuBar(bar);
  Show();
  Press('F', xt::ssAlt);
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_TRUE(sf->InMainMenu());
  EXPECT_EQ(Menu()->Level(0)->Items(0)->MenuItem()->Caption(), "打开(&O)");
  Press(VK_RIGHT);  // no sub-menu here: the next bar item opens
  ASSERT_TRUE(Menu()->Visible());
  EXPECT_EQ(Menu()->Level(0)->Items(0)->MenuItem()->Caption(), "刷新(&R)");
  Press(VK_LEFT);
  EXPECT_EQ(Menu()->Level(0)->Items(0)->MenuItem()->Caption(), "打开(&O)");
  Press(VK_ESCAPE);  // the popup closes, the bar stays in menu mode
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_TRUE(sf->InMainMenu());
  Press(VK_ESCAPE);
  EXPECT_FALSE(sf->InMainMenu());
  EXPECT_FALSE(bar->MenuMode());
  Press('F', xt::ssAlt);
  Press('X');
  EXPECT_EQ(clicks, (std::vector<std::string> { "退出(&X)" }));
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_FALSE(sf->InMainMenu());
  Gallery("menubar");
}

TEST_F(MenuFormTest, AltAloneClosesAnOpenSkinMenuWithOneNoticeAndEntersTheBar) {
  auto* mm = new TMainMenu(form);
  Add(Add(mm->Items(), "文件(&F)"), "打开(&O)");
  auto* bar = new TbsSkinMainMenuBar(form);
  bar->SetParent(form);
  bar->SetSkinForm(sf);
  bar->SetMainMenu(mm);
  sf->SetMainMenuBar(bar);
  auto* spm = new TbsSkinPopupMenu(form);
  Add(spm->Items(), "&Record");
  int closes = 0;
  sf->OnSkinMenuClose = On<TNotifyEvent>([&](TObject*) { ++closes; });
  Show();
  spm->Popup(form->Left() + 100, form->Top() + 100);
  ASSERT_TRUE(Menu()->Visible());
  Press(VK_MENU);
  EXPECT_FALSE(Menu()->Visible());
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(sf->InMainMenu());
  EXPECT_TRUE(bar->MenuMode());
  EXPECT_TRUE(clicks.empty());
}

TEST_F(MenuFormTest, AFormFreedFromInsideAnItemsClick) {
  TForm* other = nullptr;
  RurIvozedevUzivEred* osf = nullptr;
  other = NewSkinnedForm(200, 200, 300, 200, &osf);
  other->Show();
  xt::PumpUntilIdle();
  auto* spm = new TbsSkinPopupMenu(other);
  auto* item = new TMenuItem(spm);
  item->SetCaption("&Close");
  item->OnClick = On<TNotifyEvent>([&](TObject*) { delete other; });
  spm->Items()->Add(item);
  spm->Popup(250, 250);
  ASSERT_TRUE(osf->SkinMenu()->Visible());
  Press(VK_RETURN);
  xt::Advance(1000);
  EXPECT_EQ(Application->OnMessage, nullptr);
}

}  // namespace
}  // namespace skinform
