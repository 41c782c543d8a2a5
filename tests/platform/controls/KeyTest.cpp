// The key pipeline: dialog keys (default and cancel buttons, Tab and arrows), accelerators, KeyPreview,
// WM_NEXTDLGCTL, short cuts exactly once, controls that claim special keys, Application->OnMessage.

#include "platform/vcl/Menus.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

// A focusable control that may claim keys: Return and Escape through WM_GETDLGCODE, arrows through
// CM_WANTSPECIALKEY; it records the keys and characters it gets.
class TKeyTarget : public TCustomControl {
  XJ_CLASS(TKeyTarget, TCustomControl)
 public:
  explicit TKeyTarget(TComponent* AOwner) : TCustomControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 60, 20);
  }
  LRESULT DlgCode { 0 };
  bool WantArrows { false };
  std::vector<WORD> Keys;
  std::string Chars;

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DlgCode;
      return;
    }
    if (Message.Msg == CM_WANTSPECIALKEY && WantArrows) {
      const WORD key = reinterpret_cast<TWMKey&>(Message).CharCode;
      Message.Result = key >= VK_LEFT && key <= VK_DOWN;
      return;
    }
    TCustomControl::Dispatch(Message);
  }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    Keys.push_back(Key);
    TCustomControl::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    Chars += Key;
    TCustomControl::KeyPress(Key);
  }
};

class KeyTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 300);
  }
  template <class T>
  T* Add(int x, int y, const char* caption = "") {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetLeft(x);
    c->SetTop(y);
    c->SetCaption(caption);
    return c;
  }
  // A key pressed and released, handled by the application's loop (the only way to the key pipeline).
  static void Press(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Application->ProcessMessages();
  }
  static HWND FocusOf(TWinControl* c) { return c->Handle(); }

  TForm* form {};
};

TEST_F(KeyTest, ReturnAndEscapeReachTheDefaultAndCancelButtonsUnlessTheFocusedControlWantsThem) {
  auto* target = Add<TKeyTarget>(10, 10);
  auto* ok = Add<TTestButton>(10, 50, "OK");
  auto* cancel = Add<TTestButton>(100, 50, "Cancel");
  ok->Default = true;
  cancel->Cancel = true;
  form->SetActiveControl(target);
  form->Show();
  ASSERT_EQ(GetFocus(), FocusOf(target));

  Press(VK_RETURN);
  Press(VK_ESCAPE);
  Press(VK_RETURN, xt::ssShift);  // not plain Return: nobody's
  EXPECT_EQ(ok->Clicks, 1);
  EXPECT_EQ(cancel->Clicks, 1);

  target->DlgCode = DLGC_WANTALLKEYS;
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  EXPECT_EQ(ok->Clicks, 1);
  EXPECT_EQ(cancel->Clicks, 1);
  EXPECT_EQ(std::count(target->Keys.begin(), target->Keys.end(), VK_RETURN), 2);
  EXPECT_EQ(std::count(target->Keys.begin(), target->Keys.end(), VK_ESCAPE), 1);
}

TEST_F(KeyTest, TabMovesThroughTabStopsInTabOrderWithEnterAndExit) {
  auto* a = Add<TKeyTarget>(10, 10, "a");
  auto* b = Add<TKeyTarget>(10, 40, "b");
  auto* c = Add<TKeyTarget>(10, 70, "c");
  auto* skipped = Add<TKeyTarget>(10, 100, "skipped");
  auto* disabled = Add<TKeyTarget>(10, 130, "disabled");
  skipped->SetTabStop(false);
  disabled->SetEnabled(false);
  c->SetTabOrder(0);  // c, a, b, skipped, disabled
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  std::vector<std::string> log;
  for (TKeyTarget* t : { a, b, c }) {
    t->OnEnter =
        On<TNotifyEvent>([&log](TObject* s) { log.push_back("enter " + static_cast<TControl*>(s)->Caption()); });
    t->OnExit = On<TNotifyEvent>([&log](TObject* s) { log.push_back("exit " + static_cast<TControl*>(s)->Caption()); });
  }
  form->Show();
  EXPECT_EQ(form->ActiveControl(), c);  // the first tab stop gets the focus on activation
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), FocusOf(a));
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), FocusOf(b));
  Press(VK_TAB);  // wraps
  EXPECT_EQ(GetFocus(), FocusOf(c));
  Press(VK_TAB, xt::ssShift);
  EXPECT_EQ(GetFocus(), FocusOf(b));
  EXPECT_EQ(Screen->ActiveControl(), b);
  const std::vector<std::string> expected { "enter c", "exit c",  "enter a", "exit a", "enter b",
                                            "exit b",  "enter c", "exit c",  "enter b" };
  EXPECT_EQ(log, expected);
}

TEST_F(KeyTest, ArrowsMoveAmongSiblingsUnlessClaimed) {
  auto* a = Add<TKeyTarget>(10, 10);
  auto* b = Add<TKeyTarget>(10, 40);
  form->Show();
  a->SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), FocusOf(b));
  Press(VK_UP);
  EXPECT_EQ(GetFocus(), FocusOf(a));
  a->WantArrows = true;
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), FocusOf(a));
  EXPECT_EQ(a->Keys.back(), VK_DOWN);
}

TEST_F(KeyTest, AcceleratorsWithAltOrUnwantedCharacters) {
  auto* target = Add<TKeyTarget>(10, 10);
  auto* save = Add<TTestButton>(10, 50, "&Save");
  auto* other = Add<TKeyTarget>(10, 90);
  auto* label = new TTestShape(form);
  label->SetParent(form);
  label->SetCaption("&Name");
  label->FocusTarget = other;
  form->Show();
  target->SetFocus();

  Press('S', xt::ssAlt);
  EXPECT_EQ(save->Clicks, 1);
  Press('S');  // the control does not want characters: still an accelerator
  EXPECT_EQ(save->Clicks, 2);
  EXPECT_EQ(target->Chars, "");
  target->DlgCode = DLGC_WANTCHARS;
  Press('S');
  EXPECT_EQ(save->Clicks, 2);
  EXPECT_EQ(target->Chars, "s");
  Press('N', xt::ssAlt);  // a windowless label focuses its control
  EXPECT_EQ(GetFocus(), FocusOf(other));
}

TEST_F(KeyTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto* target = Add<TKeyTarget>(10, 10);
  target->DlgCode = DLGC_WANTCHARS;
  form->Show();
  target->SetFocus();
  std::vector<WORD> formKeys;
  form->OnKeyDown = On<TKeyEvent>([&](TObject*, WORD& key, TShiftState) {
    formKeys.push_back(key);
    if (key == 'X') key = 0;
  });
  form->OnKeyPress = On<TKeyPressEvent>([&](TObject*, char& key) {
    if (key == 'y') key = 0;
  });
  Press('A');
  EXPECT_TRUE(formKeys.empty());
  form->SetKeyPreview(true);
  Press('X');
  Press('Y');
  Press('Z');
  EXPECT_EQ(formKeys, (std::vector<WORD> { 'X', 'Y', 'Z' }));
  EXPECT_EQ(target->Chars, "axz");  // 'x' has no key down, so no character; 'y' was eaten as a character
  EXPECT_EQ(std::count(target->Keys.begin(), target->Keys.end(), 'X'), 0);
}

TEST_F(KeyTest, NextDialogControlMessage) {
  auto* a = Add<TKeyTarget>(10, 10);
  auto* b = Add<TKeyTarget>(10, 40);
  auto* c = Add<TKeyTarget>(10, 70);
  form->Show();
  a->SetFocus();
  PostMessageA(form->Handle(), WM_NEXTDLGCTL, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), FocusOf(b));
  PostMessageA(form->Handle(), WM_NEXTDLGCTL, 1, 0);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), FocusOf(a));
  PostMessageA(form->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c->Handle()), 1);
  Application->ProcessMessages();
  EXPECT_EQ(GetFocus(), FocusOf(c));
}

TEST_F(KeyTest, AHandledShortCutReachesTheFormsShortCutPathExactlyOnce) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  auto* target = new TKeyTarget(main);
  target->SetParent(main);
  auto* menu = new TMainMenu(main);
  auto* file = new TMenuItem(main);
  file->SetCaption("&File");
  auto* saveItem = new TMenuItem(main);
  saveItem->SetCaption("&Save");
  saveItem->SetShortCut(ShortCut('S', { ssCtrl }));
  int saves = 0;
  saveItem->OnClick = On<TNotifyEvent>([&](TObject*) { ++saves; });
  file->Add(saveItem);
  menu->Items()->Add(file);
  main->SetMenu(menu);
  int shortCuts = 0;
  bool handle = false;
  main->OnShortCut = On<TShortCutEvent>([&](TWMKey& msg, bool& handled) {
    if (msg.CharCode == 'S') ++shortCuts;
    handled = handle;
  });
  main->Show();
  target->SetFocus();

  Press('S', xt::ssCtrl);
  EXPECT_EQ(shortCuts, 1);
  EXPECT_EQ(saves, 1);
  EXPECT_TRUE(target->Keys.empty() || std::count(target->Keys.begin(), target->Keys.end(), 'S') == 0);
  handle = true;
  Press('S', xt::ssCtrl);
  EXPECT_EQ(shortCuts, 2);
  EXPECT_EQ(saves, 1);

  // A short cut of a disabled item is still taken, and nothing runs.
  handle = false;
  saveItem->SetEnabled(false);
  Press('S', xt::ssCtrl);
  EXPECT_EQ(saves, 1);
}

TEST_F(KeyTest, ApplicationOnMessageSeesQueuedMessagesFirstAndCanDropThem) {
  auto* target = Add<TKeyTarget>(10, 10);
  target->DlgCode = DLGC_WANTCHARS;
  form->Show();
  target->SetFocus();
  int keyDowns = 0;
  Application->OnMessage = On<TMessageEvent>([&](MSG& msg, bool& handled) {
    if (msg.message == WM_KEYDOWN) ++keyDowns;
    if (msg.message == WM_KEYDOWN && msg.wParam == 'Q') handled = true;
  });
  Press('W');
  Press('Q');
  EXPECT_EQ(keyDowns, 2);
  EXPECT_EQ(target->Chars, "w");
  Application->OnMessage = nullptr;
}

}  // namespace
