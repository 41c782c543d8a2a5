// Menus and actions: the main menu bar driven by keys and by clicks, the native menu following the items,
// radio groups, short-cut texts, removing the bar, actions pushing their state into their clients.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/Utf8.h"

using namespace ctltest;

namespace {

class MenuTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 300);
    menu = new TMainMenu(form);
    file = Item(menu->Items(), "文件(&F)");
    open = Item(file, "打开(&O)");
    line = Item(file, "-");
    exit = Item(file, "退出(&X)");
    open->SetShortCut(ShortCut('O', { ssCtrl }));
    for (TMenuItem* i : { file, open, exit })
      i->OnClick =
          TNotifyEvent::FromCallable([this](TObject* s) { log.push_back(static_cast<TMenuItem*>(s)->Caption()); });
    form->SetMenu(menu);
    form->Show();
  }
  TMenuItem* Item(TMenuItem* parent, const char* caption) {
    auto* i = new TMenuItem(form);
    i->SetCaption(caption);
    parent->Add(i);
    return i;
  }
  static void Press(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Application->ProcessMessages();
  }

  TForm* form {};
  TMainMenu* menu {};
  TMenuItem *file {}, *open {}, *line {}, *exit {};
  std::vector<AnsiString> log;
};

TEST_F(MenuTest, TheBarFollowsTheItemsAndOpensWithAltAndTheMnemonics) {
  HMENU bar = GetMenu(form->Handle());
  ASSERT_EQ(bar, menu->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  HMENU sub = GetSubMenu(bar, 0);
  EXPECT_EQ(sub, file->Handle());
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  char text[64] = "";
  GetMenuStringA(sub, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "打开(&O)\tCtrl+O");
  EXPECT_NE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);

  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    xt::KeyDown('X', xt::ssNone, false);  // the mnemonic of 退出(&X) in the open submenu
    xt::KeyUp('X', xt::ssNone, false);
    return xt::kKeepOpen;
  });
  Press('F', xt::ssAlt);
  EXPECT_EQ(log, (std::vector<AnsiString> { "文件(&F)", "退出(&X)" }));

  exit->SetEnabled(false);
  exit->SetCaption("退出");
  GetMenuStringA(file->Handle(), 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "退出");
  EXPECT_NE(GetMenuState(file->Handle(), 2, MF_BYPOSITION) & MF_GRAYED, 0u);
  delete line;  // freeing an item takes it out
  EXPECT_EQ(file->Count(), 2);
  EXPECT_EQ(GetMenuItemCount(file->Handle()), 2);
}

TEST_F(MenuTest, AChosenItemIsClickedThroughTheFormsCommand) {
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR { return open->Command(); });
  const TPoint bar { form->Left() + 20, form->Top() + 4 + 19 + 9 };  // frame, caption, middle of the bar
  xt::Click(bar.X, bar.Y);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<AnsiString> { "文件(&F)", "打开(&O)" }));
  log.clear();
  Press('O', xt::ssCtrl);  // its short cut
  EXPECT_EQ(log, (std::vector<AnsiString> { "文件(&F)", "打开(&O)" }));
}

TEST_F(MenuTest, RadioItemsOfAGroupUncheckEachOther) {
  TMenuItem* a = Item(file, "A");
  TMenuItem* b = Item(file, "B");
  TMenuItem* c = Item(file, "C");
  for (TMenuItem* i : { a, b, c }) {
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
  }
  c->SetGroupIndex(2);
  a->SetChecked(true);
  c->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());
  EXPECT_NE(GetMenuState(file->Handle(), b->MenuIndex(), MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(file->Handle(), a->MenuIndex(), MF_BYPOSITION) & MF_CHECKED, 0u);
}

TEST_F(MenuTest, CheckingAPlainItemLeavesTheRadioItemsOfItsGroupAlone) {
  TMenuItem* radio = Item(file, "R");
  radio->SetRadioItem(true);
  radio->SetGroupIndex(1);
  radio->SetChecked(true);
  TMenuItem* plain = Item(file, "P");
  plain->SetGroupIndex(1);
  plain->SetChecked(true);
  EXPECT_TRUE(radio->Checked());
  EXPECT_TRUE(plain->Checked());
}

TEST_F(MenuTest, RemovingTheMenuFromTheFormKeepsTheMenu) {
  const int clientWithBar = form->ClientHeight();
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_EQ(form->ClientHeight(), clientWithBar + 19);
  EXPECT_TRUE(IsMenu(menu->Handle()));
  EXPECT_EQ(file->Count(), 3);
  form->SetMenu(menu);
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  // Freeing the menu takes it off the form.
  delete menu;
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

TEST_F(MenuTest, ShortCutTexts) {
  struct Case {
    TShortCut shortCut;
    const char* text;
  } cases[] = {
    { ShortCut('O', { ssCtrl }), "Ctrl+O" },
    { ShortCut(VK_F4, { ssAlt }), "Alt+F4" },
    { ShortCut(VK_DELETE, { ssShift, ssCtrl }), "Shift+Ctrl+Del" },
    { ShortCut(VK_F1, {}), "F1" },
    { ShortCut(VK_RETURN, { ssCtrl }), "Ctrl+Enter" },
    { ShortCut('5', {}), "5" },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << xj::test::Shown(c.text);
  }
  EXPECT_EQ(TextToShortCut("ctrl+o"), ShortCut('O', { ssCtrl }));
  EXPECT_EQ(TextToShortCut("Hyper+Q"), scNone);
  EXPECT_EQ(ShortCutToText(0), "");
  WORD key = 0;
  TShiftState shift;
  ShortCutToKey(ShortCut(VK_F4, { ssAlt }), key, shift);
  EXPECT_EQ(key, VK_F4);
  EXPECT_EQ(shift, TShiftState { ssAlt });
}

TEST_F(MenuTest, ActionsPushTheirStateIntoControlsAndItemsAndRunOnClick) {
  auto* list = new TActionList(form);
  auto* action = new TAction(form);
  action->SetActionList(list);
  action->SetCaption("保存(&S)");
  action->SetShortCut(ShortCut('S', { ssCtrl }));
  int executed = 0;
  bool enable = true;
  action->SetOnExecute(On<TNotifyEvent>([&](TObject*) { ++executed; }));
  action->OnUpdate = On<TNotifyEvent>([&](TObject*) { action->SetEnabled(enable); });
  auto* button = new TTestButton(form);
  button->SetParent(form);
  button->SetAction(action);
  TMenuItem* save = Item(file, "");
  save->SetAction(action);
  EXPECT_EQ(button->Caption(), "保存(&S)");
  EXPECT_EQ(save->Caption(), "保存(&S)");
  EXPECT_EQ(save->ShortCut(), action->ShortCut());

  ClickAt(button, 5, 5);
  save->Click();
  EXPECT_EQ(executed, 2);
  EXPECT_EQ(action->ActionComponent(), nullptr);
  Press('S', xt::ssCtrl);  // the item's short cut (the action list's would do too)
  EXPECT_EQ(executed, 3);

  enable = false;
  Application->ProcessMessages();
  xt::PumpUntilIdle();
  action->Update();
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(save->Enabled());
  Press('S', xt::ssCtrl);
  EXPECT_EQ(executed, 3);

  action->SetCaption("另存");
  EXPECT_EQ(button->Caption(), "另存");
  button->SetCaption("mine");  // a change of the action still reaches every client
  action->SetCaption("again");
  EXPECT_EQ(button->Caption(), "again");
  EXPECT_EQ(save->Caption(), "again");
  delete action;
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(save->Action(), nullptr);
}

}  // namespace
