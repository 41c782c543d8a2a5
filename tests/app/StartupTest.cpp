// Start-up and the box's settings: the order of the first calls, the line count and serial number, the
// box type, the clock in the status bar, closing, and the key filters.

#include "tests/app/ConsoleTestSupport.h"

using namespace apptest;

namespace {

class StartupTest : public ConsoleTest {};

TEST_F(StartupTest, ShowingTheMainFormOpensTheBoxSetsItsTypeAndShowsCountAndSerial) {
  Command("serial -42");
  Start();
  const std::vector<KaldoCall> calls = Calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].ordinal, 1u);  // DevOpen before anything else
  EXPECT_EQ(calls[1].ordinal, 66u);
  EXPECT_EQ(calls[1].args[0], 1);
  EXPECT_EQ(calls[2].ordinal, 3u);
  EXPECT_EQ(calls[3].ordinal, 33u);
  EXPECT_EQ(calls[3].args[0], 0);
  for (size_t i = 1; i < calls.size(); ++i)
    EXPECT_TRUE(calls[i].was_open) << "call " << calls[i].ordinal << " before the box was open";
  EXPECT_EQ(Form1->Label3->Caption(), "共8线");
  EXPECT_EQ(Form1->Edit4->Text(), "-42");
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_TRUE(Form1->Timer4->Enabled());
}

TEST_F(StartupTest, TheBoxTypeFollowsTheRadioGroupAndNoSelectionSendsNone) {
  Start(false);
  Form1->RadioGroup1->SetItemIndex(-1);
  Form1->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(CountCalls(66), 0);
  for (int item = 0; item < 3; ++item) {
    Box().ClearCallLog();
    Form1->RadioGroup1->SetItemIndex(item);
    ClickControl(Form1->Button3);
    std::vector<int> types;
    for (const KaldoCall& c : Calls())
      if (c.ordinal == 66) types.push_back(c.args[0]);
    EXPECT_EQ(types, std::vector<int> { item + 1 });
  }
  Form1->RadioGroup1->SetItemIndex(-1);
  Box().ClearCallLog();
  ClickControl(Form1->Button3);
  EXPECT_EQ(CountCalls(66), 0);
}

TEST_F(StartupTest, TheLineCountIsShownAsTheBoxReportsIt) {
  Command("lines 0");
  Start();
  EXPECT_EQ(Form1->Label3->Caption(), "共0线");
  EXPECT_EQ(Form1->Edit4->Text(), "");  // no lines: the serial number is not read at start
  Tick();
  EXPECT_EQ(CountCalls(37) + CountCalls(11) + CountCalls(38), 0);  // nothing to poll
  ClickControl(Form1->Button4);
  EXPECT_EQ(Form1->Edit4->Text(), "12345678");

  Command("lines 5");
  xt::Advance(200);
  EXPECT_EQ(Form1->Label3->Caption(), "共5线");
  Command("fail 0 count 1000");
  xt::Advance(200);
  EXPECT_EQ(Form1->Label3->Caption(), "共-1线");
  Box().ClearCallLog();
  Tick();
  EXPECT_EQ(CountCalls(37), 0);
  Command("fail 0 count 0");
  Command("lines 3");
  ClickControl(Form1->Button2);
  EXPECT_EQ(Form1->Label3->Caption(), "共3线");
}

TEST_F(StartupTest, MoreThanSixteenLinesArePolledAsSixteen) {
  Command("lines 20");
  Start();
  EXPECT_EQ(Form1->Label3->Caption(), "共20线");
  Box().ClearCallLog();
  Tick();
  int highest = -1;
  for (const KaldoCall& c : Calls())
    if (c.ordinal == 37 || c.ordinal == 11 || c.ordinal == 38) highest = std::max(highest, c.args[0]);
  EXPECT_EQ(highest, 15);
  // A line above 15 that rings is not watched (and nothing is written past the per-line state).
  Command("ring 18");
  Tick();
  EXPECT_TRUE(Events().empty());
}

TEST_F(StartupTest, TheStatusBarShowsTheTimeInItsSecondPanel) {
  Start();
  xt::Advance(200);
  const AnsiString text = Form1->StatusBar1->Panels()->Items(1)->Text();
  const AnsiString label = "     时间：";
  EXPECT_EQ(text.substr(0, label.size()), label);
  EXPECT_EQ(text.substr(label.size()), LocalTimeText());
  EXPECT_EQ(Form1->StatusBar1->Panels()->Items(0)->Text(), "");
}

TEST_F(StartupTest, ExitFromTheFileMenuClosesTheBoxAndEndsTheProgram) {
  Start();
  xt::AnswerModal([](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    xt::KeyDown('X', xt::ssNone, false);  // 退出(&X)
    xt::KeyUp('X', xt::ssNone, false);
    return xt::kKeepOpen;
  });
  Key('F', xt::ssAlt);
  EXPECT_TRUE(Application->Terminated());
  const std::vector<KaldoCall> calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().ordinal, 2u);  // DevClose, last
}

// ---- Keys ----------------------------------------------------------------------------------------------

TEST_F(StartupTest, TheLineNumberTakesOnlyDigitsBackspaceAndEnterAndAtMostTwo) {
  Start();
  TypeInto(Form1->Edit3, "");
  xt::TypeText("a1-");
  xt::TypeText("中");
  xt::TypeText("23");
  Application->ProcessMessages();
  EXPECT_EQ(Form1->Edit3->Text(), "12");
  Key(VK_BACK);
  EXPECT_EQ(Form1->Edit3->Text(), "1");
}

TEST_F(StartupTest, TheSerialNumberFilterIsTheSame) {
  Start();
  char key = 'x';
  Form1->Edit4->OnKeyPress(Form1->Edit4, key);
  EXPECT_EQ(key, 0);
  for (char pass : { '0', '9', '\b', '\r' }) {
    key = pass;
    Form1->Edit4->OnKeyPress(Form1->Edit4, key);
    EXPECT_EQ(key, pass);
  }
  key = static_cast<char>(0xD6);  // a lead byte
  Form1->Edit4->OnKeyPress(Form1->Edit4, key);
  EXPECT_EQ(key, 0);
}

TEST_F(StartupTest, EnterOnTheFormItselfMovesToTheNextControl) {
  Start();
  Form1->SetActiveControl(nullptr);
  ::SetFocus(Form1->Handle());
  Application->ProcessMessages();
  ASSERT_EQ(GetFocus(), Form1->Handle());
  Key(VK_RETURN);
  EXPECT_NE(GetFocus(), Form1->Handle());
  EXPECT_EQ(GetFocus(), Form1->Edit3->Handle());
}

}  // namespace
