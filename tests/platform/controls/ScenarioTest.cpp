// A whole form as a user meets it: a menu, a windowless and a windowed control, driven by injected mouse
// and keys, checked by its pixels, the text drawn and the window-tree dump; and a program's run under
// XJ_EXIT_AFTER / XJ_UI_DUMP / XJ_SCREENSHOT.

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/vcl/Menus.h"
#include "platform/win32/WmModal.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A counter: the button adds one, the menu clears it, the windowless label shows it.
class TCounterForm : public TForm {
  XJ_CLASS(TCounterForm, TForm)
 public:
  explicit TCounterForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("CounterForm");
    SetCaption("巡检");
    SetBounds(100, 80, 320, 240);
    Menu1 = new TMainMenu(this);
    auto* file = new TMenuItem(this);
    file->SetCaption("文件(&F)");
    Clear1 = new TMenuItem(this);
    Clear1->SetName("Clear1");
    Clear1->SetCaption("清除(&C)");
    Clear1->OnClick = TNotifyEvent(this, &TCounterForm::ClearClick);
    file->Add(Clear1);
    Menu1->Items()->Add(file);
    SetMenu(Menu1);
    Label1 = new TTestShape(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(10, 10, 120, 20);
    Label1->SetColor(clYellow);
    Button1 = new TTestButton(this);
    Button1->SetName("Button1");
    Button1->SetParent(this);
    Button1->SetBounds(10, 40, 75, 25);
    Button1->SetCaption("加一(&A)");
    Button1->OnClick = TNotifyEvent(this, &TCounterForm::AddClick);
    Show();
  }
  void AddClick(TObject*) { SetCount(Count + 1); }
  void ClearClick(TObject*) { SetCount(0); }
  void SetCount(int n) {
    Count = n;
    Label1->SetCaption("计数 " + IntToStr(n));
  }

  TMainMenu* Menu1 {};
  TMenuItem* Clear1 {};
  TTestShape* Label1 {};
  TTestButton* Button1 {};
  int Count { 0 };
};

class ScenarioTest : public ControlsTest {
 protected:
  static void Press(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Application->ProcessMessages();
  }
  static bool Drew(const std::string& text) {
    for (const xt::TextRecord& r : xt::TextOutLog())
      if (r.text == text) return true;
    return false;
  }
};

TEST_F(ScenarioTest, AFormWithAMenuAWindowlessAndAWindowedControlDrivenLikeAUser) {
  auto* form = new TCounterForm(nullptr);
  Keep(form);
  xt::PumpUntilIdle();

  // What is on the screen: the yellow label, the button face with its caption.
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 15, 15), (COLORREF)RGB(255, 255, 0));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 12 + 60, 42 + 20), (COLORREF)GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(Drew("加一(&A)"));

  ClickAt(form->Button1, 10, 10);
  ClickAt(form->Button1, 30, 10);  // apart: not a double click
  xt::ClearTextLog();
  xt::PumpUntilIdle();
  EXPECT_EQ(form->Count, 2);
  Press('A', xt::ssAlt);  // the button's accelerator
  xt::PumpUntilIdle();
  EXPECT_EQ(form->Count, 3);
  EXPECT_TRUE(Drew("计数 3"));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 118, 25), (COLORREF)RGB(255, 255, 0));

  // The menu by the keyboard: Alt+F opens 文件, C chooses 清除.
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    xt::KeyDown('C', xt::ssNone, false);
    xt::KeyUp('C', xt::ssNone, false);
    return xt::kKeepOpen;
  });
  Press('F', xt::ssAlt);
  xt::PumpUntilIdle();
  EXPECT_EQ(form->Count, 0);
  EXPECT_TRUE(Drew("计数 0"));

  // The window-tree dump names the controls, windowless ones before the child windows.
  const std::string path = std::string(XJ_BINARY_DIR) + "/tests/controls_scenario_dump.txt";
  ASSERT_TRUE(xj::wm::WriteUiDump(path));
  const std::string expected = Utf8(
      u8"TCounterForm CounterForm \"巡检\"\n"
      u8"  TTestShape Label1 \"计数 0\"\n"
      u8"  TTestButton Button1 \"加一(&A)\"\n");
  EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ScenarioTest, AProgramClosesItsMainFormAfterXjExitAfterAndLeavesItsArtifacts) {
  const std::string dump = std::string(XJ_BINARY_DIR) + "/tests/controls_exit_dump.txt";
  const std::string shot = std::string(XJ_BINARY_DIR) + "/tests/controls_exit_shot.png";
  std::remove(dump.c_str());
  std::remove(shot.c_str());
  setenv("XJ_EXIT_AFTER", "1500", 1);
  setenv("XJ_UI_DUMP", dump.c_str(), 1);
  setenv("XJ_SCREENSHOT", shot.c_str(), 1);
  TCounterForm* form = nullptr;
  Application->CreateForm(form);
  bool closed = false;
  form->OnClose = On<TCloseEvent>([&](TObject*, TCloseAction&) { closed = true; });
  Application->Run();
  unsetenv("XJ_EXIT_AFTER");
  unsetenv("XJ_UI_DUMP");
  unsetenv("XJ_SCREENSHOT");
  EXPECT_TRUE(closed);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_GE(xt::Now(), 1500u);
  const std::string text = ReadFile(dump);
  EXPECT_EQ(text.rfind(Utf8(u8"TCounterForm CounterForm \"巡检\"\n"), 0), 0u) << text;
  EXPECT_NE(text.find("TTestButton Button1"), std::string::npos);
  EXPECT_GT(ReadFile(shot).size(), 8u);
}

}  // namespace

XJ_PUBLISHED(TCounterForm);
