// Rich edits: the scroll state in pixels on both axes (kept with no bars, obeying scroll messages and
// the wheel, refilled after a program clears it), wrapping kept apart from the bars, OnChange and
// OnSelectionChange, and Lines read and written as RTF: the text and paragraph breaks of real
// documents, plain text, and bad documents (not RTF, truncated, a thousand groups deep).

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/ctl/Rtf.h"
#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"
#include "tests/platform/views/MemoTestUtil.h"

using namespace stdtest;
using xj::ctl::RtfToText;
using xj::ctl::TextToRtf;

namespace {

class RichEditTest : public StdCtrlsTest {
 protected:
  TRichEdit* ShownRich(int W = 200, int Rows = 4) {
    auto* r = Add<TRichEdit>(10, 10, W, Rows * kLineH + 4);
    r->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    r->OnSelectionChange = On<TNotifyEvent>([this](TObject*) { ++moves; });
    form->SetActiveControl(r);
    Show();
    changes = moves = 0;
    return r;
  }
  static SCROLLINFO Bar(TWinControl* c, int Which) {
    SCROLLINFO si { sizeof si, SIF_ALL, 0, 0, 0, 0, 0 };
    GetScrollInfo(c->Handle(), Which, &si);
    return si;
  }
  static AnsiString Load(TRichEdit* r, const AnsiString& data) {
    TStringStream in(data);
    r->Lines()->LoadFromStream(&in);
    return r->Text();
  }
  int changes { 0 };
  int moves { 0 };
};

TEST_F(RichEditTest, ScrollStateIsInPixelsOnBothAxes) {
  TRichEdit* rich = ShownRich(200, 4);
  rich->SetScrollBars(ssBoth);
  AnsiString text;
  for (int i = 0; i < 20; ++i) text += "para " + std::to_string(i) + "\r\n";
  rich->Lines()->SetText(text + "end");
  SCROLLINFO v = Bar(rich, SB_VERT);
  EXPECT_EQ(v.nMax, 21 * kLineH - 1);
  EXPECT_EQ(v.nPage, UINT(4 * kLineH));
  rich->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_VERT), kLineH);
  rich->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_VERT), 100);  // any pixel, not only a row's top
  rich->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 9999), 0);
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_VERT), 21 * kLineH - 4 * kLineH);
  xt::Wheel(WHEEL_DELTA);  // away from the user: up three lines
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_VERT), 21 * kLineH - 4 * kLineH - 3 * kLineH);

  // A program may clear the range (a skin hides the bar); the next change publishes it again.
  SetScrollRange(rich->Handle(), SB_VERT, 0, 0, FALSE);
  EXPECT_EQ(Bar(rich, SB_VERT).nMax, 0);
  rich->Lines()->Add("more");
  EXPECT_EQ(Bar(rich, SB_VERT).nMax, 22 * kLineH - 1);

  // WordWrap holds with both bars; without it, a long line scrolls across in pixels.
  rich->Lines()->SetText(std::string(60, 'x'));
  EXPECT_GT(rich->Perform(EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(Bar(rich, SB_HORZ).nMax, 0);
  rich->SetWordWrap(false);
  EXPECT_EQ(rich->Perform(EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(Bar(rich, SB_HORZ).nMax, 60 * kCharW);
  rich->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 77), 0);
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_HORZ), 77);
}

TEST_F(RichEditTest, ChangesAndSelectionMovesAreReported) {
  TRichEdit* rich = ShownRich();
  Type("ab");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(moves, 2);
  Press(VK_LEFT);
  EXPECT_EQ(moves, 3);
  Press(VK_LEFT, xt::ssShift);
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(rich->SelText(), "a");
  rich->SetText("new");
  EXPECT_EQ(changes, 3);  // once for a text set whole
  rich->SetMaxLength(4);
  Press(VK_END);
  Type("xyz");
  EXPECT_EQ(rich->Text(), "newx");
}

TEST_F(RichEditTest, OnResizeRequestFollowsTheHeightOfTheContentOnly) {
  TRichEdit* rich = ShownRich(200, 4);
  std::vector<TRect> asked;
  rich->OnResizeRequest = On<TRichEditResizeEvent>([&](TObject*, TRect r) { asked.push_back(r); });
  const int w = rich->ClientWidth();
  rich->SetText("one");
  asked.clear();
  Type("ab");  // the same single row: nothing asked
  EXPECT_TRUE(asked.empty());
  Press(VK_RETURN);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked.back(), TRect(0, 0, w, 2 * kLineH));
  Type("cd");
  EXPECT_EQ(asked.size(), 1u);
  Press(VK_BACK);
  Press(VK_BACK);
  Press(VK_BACK);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked.back(), TRect(0, 0, w, kLineH));
  // Past the window's own height, and from a text set whole; a long line wrapping asks too.
  rich->Lines()->SetText("1\r\n2\r\n3\r\n4\r\n5\r\n6");
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked.back().Height(), 6 * kLineH);
  rich->SetText(AnsiString(std::string(3 * w / kCharW, 'x').c_str()));
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_GE(asked.back().Height(), 3 * kLineH);
  rich->Perform(EM_REQUESTRESIZE, 0, 0);  // asked for again, at the same height
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[4], asked[3]);
}

TEST_F(RichEditTest, OnProtectChangeIsAskedBeforeAnEditTouchesProtectedText) {
  TRichEdit* rich = ShownRich(300, 4);
  rich->SetText("keep THIS safe");
  rich->SetSelStart(5);
  rich->SetSelLength(4);
  CHARFORMATA cf { sizeof cf, CFM_PROTECTED, CFE_PROTECTED, 0, 0, 0, 0, 0, {} };
  ASSERT_TRUE(rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)));
  const auto protectedAt = [&](int start, int length) {
    rich->SetSelStart(start);
    rich->SetSelLength(length);
    CHARFORMATA got { sizeof got, 0, 0, 0, 0, 0, 0, 0, {} };
    rich->Perform(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&got));
    return !(got.dwMask & CFM_PROTECTED) ? -1 : (got.dwEffects & CFE_PROTECTED) ? 1 : 0;
  };
  EXPECT_EQ(protectedAt(5, 4), 1);
  EXPECT_EQ(protectedAt(0, 7), -1) << "partly protected";
  EXPECT_EQ(protectedAt(10, 4), 0);

  std::vector<std::pair<int, int>> asks;
  bool allow = false;
  rich->OnProtectChange = On<TRichEditProtectChange>([&](TObject*, int a, int b, bool& ok) {
    asks.push_back({ a, b });
    ok = allow;
  });
  struct Edit {
    const char* what;
    int start, length;
    UINT key;  // 0: type "x"
    const char* text;
    std::vector<std::pair<int, int>> asks;
  };
  const Edit refused[] = {
    { "typing inside", 6, 0, 0, "keep THIS safe", { { 6, 6 } } },
    { "typing over", 6, 1, 0, "keep THIS safe", { { 6, 7 } } },
    { "backspace into its end", 9, 0, VK_BACK, "keep THIS safe", { { 8, 9 } } },
    { "delete into its start", 4, 2, VK_DELETE, "keep THIS safe", { { 4, 6 } } },
    { "typing before it", 5, 0, 0, "keep xTHIS safe", {} },
    { "typing after it", 10, 0, 0, "keep xTHISx safe", {} },
    { "backspace elsewhere", 16, 0, VK_BACK, "keep xTHISx saf", {} },
  };
  for (const Edit& e : refused) {
    SCOPED_TRACE(e.what);
    asks.clear();
    rich->SetSelStart(e.start);
    rich->SetSelLength(e.length);
    if (e.key)
      Press(e.key);
    else
      Type("x");
    EXPECT_EQ(rich->Text(), e.text);
    EXPECT_EQ(asks, e.asks);
  }
  EXPECT_EQ(protectedAt(6, 4), 1) << "the protected text moved with the text typed before it";
  // Allowed: the change goes through, and what remains protected follows.
  allow = true;
  asks.clear();
  rich->SetSelStart(4);
  rich->SetSelLength(4);
  Press(VK_DELETE);
  EXPECT_EQ(rich->Text(), "keepISx saf");
  EXPECT_EQ(asks, (std::vector<std::pair<int, int>> { { 4, 8 } }));
  EXPECT_EQ(protectedAt(4, 2), 1);
  // Undo puts the text back without asking.
  asks.clear();
  rich->Perform(EM_UNDO, 0, 0);
  EXPECT_TRUE(asks.empty());
  // A handler that edits the text itself overtakes the edit it was asked about, which is dropped.
  rich->SetText("keep THIS");
  rich->SetSelStart(5);
  rich->SetSelLength(4);
  rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  rich->OnProtectChange = On<TRichEditProtectChange>([&](TObject*, int, int, bool& ok) {
    rich->SetText("x");
    ok = true;
  });
  rich->SetSelStart(9);
  rich->SetSelLength(0);
  Press(VK_BACK);
  EXPECT_EQ(rich->Text(), "x");
}

TEST_F(RichEditTest, OnSaveClipboardDecidesWhetherCopiedTextOutlivesTheEdit) {
  struct Case {
    bool assign, copy, save;
    int asks;
    const char* left;
  };
  const Case cases[] = {
    { true, true, false, 1, "" },
    { true, true, true, 1, "copied" },
    { false, true, true, 0, "copied" },
    { true, false, false, 0, "someone else's" },  // not this edit's text: not asked, left alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.assign << c.copy << c.save);
    SetClipboardText("someone else's");
    TRichEdit* rich = ShownRich();
    rich->SetText("copied");
    int asks = 0, chars = -1;
    if (c.assign)
      rich->OnSaveClipboard = On<TRichEditSaveClipboard>([&, c](TObject*, int, int n, bool& save) {
        ++asks;
        chars = n;
        save = c.save;
      });
    if (c.copy) {
      rich->SelectAll();
      rich->CopyToClipboard();
    }
    delete rich;
    EXPECT_EQ(asks, c.asks);
    if (c.asks) {
      EXPECT_EQ(chars, 6);
    }
    EXPECT_EQ(ClipboardText(), c.left);
  }
}

TEST_F(RichEditTest, LinesReadRtfKeepingTextAndParagraphs) {
  TRichEdit* rich = ShownRich(380);
  const AnsiString doc =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Writer 5.1;}\r\n"
      "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs18 Hello {\\b bold} \\'d6\\'d0\\'ce\\'c4\\par\r\n"
      "tab\\tab x \\{braces\\} back\\\\slash\\line\r\n"
      "\\u20013?\\par}";
  EXPECT_EQ(Load(rich, doc), "Hello bold 中文\r\ntab\tx {braces} back\\slash\r\n?\r\n");
  EXPECT_EQ(rich->Lines()->Count(), 3);

  // Written as RTF, read back the same; with PlainText, bytes in and out as they are.
  rich->Lines()->SetText("第一\r\n{x}\\\ty");
  TStringStream out;
  rich->Lines()->SaveToStream(&out);
  EXPECT_EQ(out.DataString().rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(out.DataString().find("\\'b5\\'da"), AnsiString::npos);
  const AnsiString before = rich->Text();
  rich->Lines()->Clear();
  EXPECT_EQ(Load(rich, out.DataString()), before);
  rich->SetPlainText(true);
  EXPECT_EQ(Load(rich, doc.substr(0, 40)), doc.substr(0, 40));
  TStringStream plain;
  rich->Lines()->SaveToStream(&plain);
  EXPECT_EQ(plain.DataString(), doc.substr(0, 40));
}

TEST_F(RichEditTest, BadDocumentsGiveTextNotFaults) {
  TRichEdit* rich = ShownRich();
  EXPECT_EQ(Load(rich, "just text, {not} RTF"), "just text, {not} RTF");
  EXPECT_EQ(Load(rich, "{\\rtf1 cut off \\'d"), "cut off ");  // a half escape at the end
  EXPECT_EQ(Load(rich, "{\\rtf1 a}}}}} b"), "a b");           // more closing braces than opening

  std::string deep = "{\\rtf1 ";
  for (int i = 0; i < 1000; ++i) deep += "{\\b ";
  deep += "deep";
  for (int i = 0; i < 1000; ++i) deep += (i % 2 ? "}" : "\\par}");
  std::string text;
  ASSERT_TRUE(RtfToText(deep, text));
  EXPECT_EQ(text.substr(0, 6), "deep\r\n");
  EXPECT_EQ(text.size(), 4 + 500 * 2u);
  // A group skipped at the top stays skipped however deep its content goes.
  std::string hidden = "{\\rtf1 {\\*\\x " + std::string(5000, '{') + "secret" + "} shown";
  ASSERT_TRUE(RtfToText(hidden, text));
  EXPECT_EQ(text, "");  // the skipped group never closed
  ASSERT_TRUE(RtfToText("{\\rtf1 {\\fonttbl x}shown\\bin3 abcz}", text));
  EXPECT_EQ(text, "shownz");
  EXPECT_FALSE(RtfToText("", text));
  EXPECT_EQ(TextToRtf("a\nb\rc").find("a\\par\r\nb\\par\r\nc"), TextToRtf("a\nb\rc").find("a\\par"));
}

// The looks, as pictures to look at; each also checks what its picture must show.
TEST_F(RichEditTest, GalleryOfTheTextViews) {
  form->Font()->SetName("Noto Sans CJK SC");
  form->Font()->SetHeight(14);
  auto* memo = Add<TMemo>(10, 10, 170, 90);
  memo->Lines()->SetText("Word wrap breaks at blanks and 在汉字之间断行，不拆开一个字。\r\nSecond\tline");
  form->SetActiveControl(memo);
  Show();
  memo->SetSelStart(5);
  memo->SetSelLength(4);
  xt::PumpUntilIdle();
  memotest::Gallery(form, memo, "memo", "wrapped-selected");
  EXPECT_EQ(Pixel(memo, 2, 2), Rgb(clWindow));

  memo->SetAlignment(taCenter);
  memo->SetScrollBars(ssBoth);
  xt::PumpUntilIdle();
  memotest::Gallery(form, memo, "memo", "centred-bars");
  memo->SetEnabled(false);
  xt::PumpUntilIdle();
  memotest::Gallery(form, memo, "memo", "disabled");

  TRichEdit* rich = ShownRich(170, 6);
  rich->SetLeft(200);
  AnsiString text;
  for (int i = 1; i <= 12; ++i) text += "第" + std::to_string(i) + "段 paragraph\r\n";
  rich->Lines()->SetText(text);
  rich->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 20), 0);
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "scrolled-20px");
  EXPECT_EQ(GetScrollPos(rich->Handle(), SB_VERT), 20);
}

}  // namespace
