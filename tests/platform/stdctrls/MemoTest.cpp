// Memos: Lines as a live view of the window (add, insert, delete, replace, text, wrapped rows), OnChange
// for every change, word wrap against scroll bars, Return and Tab as text or as dialog keys, the
// context menu, colours through CN_CTLCOLOREDIT, the scroll state with no bars shown, state across
// RecreateWnd, and a memo written to a form resource and read back.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class MemoTest : public StdCtrlsTest {
 protected:
  TMemo* ShownMemo(int W = 200, int Rows = 4) {
    auto* m = Add<TMemo>(10, 10, W, Rows * kLineH + 4);  // the sunken border takes two pixels a side
    m->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    form->SetActiveControl(m);
    Show();
    changes = 0;
    return m;
  }
  static SCROLLINFO Bar(TWinControl* c, int Which) {
    SCROLLINFO si { sizeof si, SIF_ALL, 0, 0, 0, 0, 0 };
    GetScrollInfo(c->Handle(), Which, &si);
    return si;
  }
  int changes { 0 };
};

TEST_F(MemoTest, LinesAreALiveViewOfTheWindow) {
  TMemo* memo = ShownMemo();
  TStrings* lines = memo->Lines();
  EXPECT_EQ(lines->Count(), 0);
  lines->Add("one");
  lines->Add("three");
  lines->Insert(1, "two");
  EXPECT_EQ(memo->Text(), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(lines->Count(), 3);
  lines->SetStrings(2, "3");
  lines->Delete(0);
  EXPECT_EQ(memo->Text(), "two\r\n3\r\n");
  EXPECT_EQ(changes, 5);
  EXPECT_THROW(lines->Strings(2), EListError);
  EXPECT_THROW(lines->Delete(-1), EListError);
  EXPECT_THROW(lines->Insert(3, "x"), EListError);

  // A text without a final break: a line added after it gets a break of its own.
  lines->SetText("a\nb");
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(lines->Count(), 2);
  lines->Add("c");
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
  EXPECT_EQ(lines->Text(), "a\r\nb\r\nc");

  // What the user types shows in Lines at once.
  Press(VK_END, xt::ssCtrl);
  Press(VK_RETURN);
  Type("中d");
  EXPECT_EQ(lines->Count(), 4);
  EXPECT_EQ(lines->Strings(3), "中d");
  lines->Clear();
  EXPECT_EQ(lines->Count(), 0);
  EXPECT_EQ(memo->Text(), "");
}

TEST_F(MemoTest, WordWrapGivesWayToAHorizontalBarAndRowsAreLines) {
  TMemo* memo = ShownMemo(8 * kCharW + 4);
  memo->SetText("abcd efgh ijkl");
  EXPECT_EQ(memo->Lines()->Count(), 3);  // eight cells a row: the wrapped rows are the lines
  EXPECT_EQ(memo->Lines()->Strings(1), "efgh ");
  EXPECT_EQ(memo->Perform(EM_LINEINDEX, 2, 0), 10);
  memo->SetWordWrap(false);
  EXPECT_EQ(memo->Text(), "abcd efgh ijkl");  // kept across the new window
  EXPECT_EQ(memo->Lines()->Count(), 1);
  memo->SetWordWrap(true);
  memo->SetScrollBars(ssBoth);
  EXPECT_EQ(memo->Lines()->Count(), 1);
  EXPECT_NE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
}

TEST_F(MemoTest, ScrollStateIsKeptWithoutBarsAndObeysScrollMessages) {
  TMemo* memo = ShownMemo(200, 4);
  memo->SetWordWrap(false);
  AnsiString text;
  for (int i = 0; i < 30; ++i) text += "row " + std::to_string(i) + "\r\n";
  text += std::string(40, 'w');
  memo->Lines()->SetText(text);
  SCROLLINFO v = Bar(memo, SB_VERT), h = Bar(memo, SB_HORZ);
  EXPECT_EQ(v.nMax, 30);
  EXPECT_EQ(v.nPage, 4u);
  EXPECT_EQ(h.nMax, 40 * kCharW);
  memo->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 12), 0);
  EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 12);
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_VERT), 12);
  memo->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 33), 0);
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_HORZ), 33);
  // The painted rows start at the first visible one.
  xt::ClearTextLog();
  memo->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Drawn("row 11").size(), 0u);
  EXPECT_EQ(Drawn("row 12").size(), 1u);

  // Bars asked for by the style but given no room (a WindowProc leaves the non-client area empty): the
  // whole window is text, and both states still read and obey.
  TWndMethod old = memo->WindowProc;
  memo->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg != WM_NCCALCSIZE) old(m);
  });
  memo->SetScrollBars(ssBoth);
  memo->SetBorderStyle(bsNone);
  EXPECT_EQ(memo->ClientWidth(), memo->Width());
  EXPECT_EQ(Bar(memo, SB_VERT).nMax, 30);
  memo->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(GetScrollPos(memo->Handle(), SB_VERT), 1);
  EXPECT_EQ(Bar(memo, SB_HORZ).nPage, static_cast<UINT>(memo->Width()));
  memo->WindowProc = old;
}

TEST_F(MemoTest, ReturnsAndTabsAreTextOrDialogKeys) {
  TMemo* memo = ShownMemo();
  auto* ok = Add<TButton>(250, 10);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  Press(VK_RETURN);
  EXPECT_EQ(memo->Text(), "\r\n");
  EXPECT_EQ(clicks, 0);
  memo->SetWantReturns(false);
  memo->SetFocus();
  Press(VK_RETURN);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(memo->Text(), "\r\n");

  memo->SetWantTabs(true);
  Press(VK_TAB);
  EXPECT_EQ(memo->Text(), "\r\n\t");  // the caret stayed after the break across the new window
  EXPECT_EQ(GetFocus(), memo->Handle());
  memo->SetWantTabs(false);
  Press(VK_TAB);
  EXPECT_NE(GetFocus(), memo->Handle());
  EXPECT_EQ(memo->Text(), "\r\n\t");
}

// AutoSelect is an edit's: tabbing into a memo leaves its caret and selection alone.
TEST_F(MemoTest, TabbingIntoAMemoSelectsNothing) {
  TMemo* memo = ShownMemo();
  auto* first = Add<TButton>(250, 10);
  memo->SetText("two\r\nlines");
  memo->SetSelStart(2);
  first->SetFocus();
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), memo->Handle());
  EXPECT_TRUE(memo->AutoSelect());
  EXPECT_EQ(memo->SelLength(), 0);
  EXPECT_EQ(memo->SelStart(), 2);
}

TEST_F(MemoTest, ContextMenuReadOnlyAndColours) {
  TMemo* memo = ShownMemo();
  memo->Lines()->SetText("copy\r\nme");
  memo->SelectAll();
  TRecorder seen(memo);
  xt::AnswerModal([](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    return WM_CUT;
  });
  ClickAt(memo, 10, 5, xt::mbRight);
  xt::PumpUntilIdle();
  EXPECT_EQ(seen.Count(WM_CUT), 1);
  EXPECT_EQ(memo->Text(), "");
  memo->PasteFromClipboard();
  EXPECT_EQ(memo->Text(), "copy\r\nme");
  memo->Undo();
  EXPECT_EQ(memo->Text(), "");

  memo->SetReadOnly(true);
  Type("x");
  Press(VK_RETURN);
  EXPECT_EQ(memo->Text(), "");
  memo->SetColor(clRed);
  memo->Font()->SetColor(clBlue);
  memo->SetText("W");
  memo->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(memo, 150, 30), Rgb(clRed));
}

TEST_F(MemoTest, TenMegabytesLoadWholeAndStayEditable) {
  TMemo* memo = ShownMemo();
  memo->SetWordWrap(false);
  const std::string line(48, 'm');
  AnsiString text;
  text.reserve(10u << 20);
  while (text.size() < (10u << 20)) text += line + "\r\n";
  const int lines = static_cast<int>(text.size() / 50);
  memo->Lines()->SetText(text);
  EXPECT_EQ(memo->GetTextLen(), static_cast<int>(text.size()));
  EXPECT_EQ(memo->Lines()->Count(), lines);
  EXPECT_EQ(memo->Lines()->Strings(lines - 1), line);
  // Typing in the middle (MaxLength 0: no limit).
  memo->SetSelStart(static_cast<int>(memo->Perform(EM_LINEINDEX, lines / 2, 0)));
  Type("中");
  EXPECT_EQ(memo->Lines()->Strings(lines / 2), "中" + line);
  EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), lines / 2 - 3);  // the caret's row at the bottom
  EXPECT_EQ(changes, 2);
}

TEST_F(MemoTest, LinesGoToAFormResourceAndComeBack) {
  TMemo* memo = ShownMemo();
  memo->SetName("Memo1");
  memo->Lines()->SetText("第一行\r\nsecond");
  memo->SetScrollBars(ssVertical);
  memo->SetWordWrap(false);
  const AnsiString text = WriteComponentResource(form);
  EXPECT_NE(text.find("Lines.Strings = ("), AnsiString::npos) << text;
  EXPECT_NE(text.find("ScrollBars = ssVertical"), AnsiString::npos) << text;
  EXPECT_NE(text.find("WordWrap = False"), AnsiString::npos) << text;

  TForm* other = NewForm(0, 0, 300, 200);
  ReadComponentResource(other, text);
  auto* read = dynamic_cast<TMemo*>(other->FindComponent("Memo1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Lines()->Count(), 2);
  EXPECT_EQ(read->Lines()->Strings(0), "第一行");
  EXPECT_EQ(read->ScrollBars(), ssVertical);
  EXPECT_FALSE(read->WordWrap());
  EXPECT_NE(GetClass("TMemo"), nullptr);
}

}  // namespace
