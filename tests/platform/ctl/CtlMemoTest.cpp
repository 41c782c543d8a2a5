// The multi-line text engine and the multi-line "EDIT" driven like a user: lines and positions across
// every kind of line break, GBK stepping, undo runs, limits, word wrap at blanks and between
// double-byte characters, the line messages, the scroll state in rows and pixels, keys, the wheel,
// and painting only what is visible.

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/win32/WmModal.h"
#include "platform/win32/ctl/MemoText.h"
#include "tests/platform/ctl/CtlTestUtil.h"

using namespace xj::test;
using namespace ctltest;
using xj::ctl::MemoText;
using xj::ctl::UndoKind;

namespace {

// ---- The engine ----------------------------------------------------------------------------------------------

TEST(MemoTextTest, EveryBreakBecomesCrLfAndPositionsNeverSplitOne) {
  MemoText t;
  t.SetText("ab\ncd\r\n\r中x\r");
  EXPECT_EQ(t.Text(), "ab\r\ncd\r\n\r\n中x\r\n");
  ASSERT_EQ(t.LineCount(), 5);
  EXPECT_EQ(t.LineOffset(3), 10u);
  EXPECT_EQ(t.LineOf(3), 0);  // between CR and LF: still the first line
  EXPECT_EQ(t.Snap(3), 2u);
  EXPECT_EQ(t.Snap(11), 10u);  // inside 中
  EXPECT_EQ(t.NextChar(2), 4u);
  EXPECT_EQ(t.PrevChar(4), 2u);
  EXPECT_EQ(t.PrevChar(13), 12u);
  EXPECT_EQ(t.PrevChar(12), 10u);
  EXPECT_EQ(t.LineEnd(10), 13u);
  EXPECT_EQ(t.Range(1, 9), "b\r\ncd\r\n\r");
  EXPECT_EQ(t.Length(), t.Text().size());
  // The case applies to each line as to the whole: a lead byte before a break stays a character alone.
  MemoText u;
  u.SetCase(xj::ctl::LetterCase::Upper);
  u.SetText("ab\xD6\rc\xD6x\n");
  EXPECT_EQ(u.Text(), "AB\xD6\r\nC\xD6x\r\n");
}

TEST(MemoTextTest, EditsAcrossLinesKeepTheIndexAndUndoRedoes) {
  MemoText t;
  t.SetText("one\r\ntwo\r\nthree");
  t.Select(2, 7);  // "e\r\ntw"
  ASSERT_TRUE(t.ReplaceSelection("X\nY\rZ", UndoKind::Other));
  EXPECT_EQ(t.Text(), "onX\r\nY\r\nZo\r\nthree");
  EXPECT_EQ(t.LineCount(), 4);
  EXPECT_EQ(t.LineOffset(3), 12u);
  EXPECT_EQ(t.Caret(), 9u);
  ASSERT_TRUE(t.Undo());
  EXPECT_EQ(t.Text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(t.SelStart(), 2u);
  EXPECT_EQ(t.SelEnd(), 7u);
  ASSERT_TRUE(t.Undo());  // redo
  EXPECT_EQ(t.Text(), "onX\r\nY\r\nZo\r\nthree");

  // Backspace at a line's start joins the lines; a run of Backspaces is one step.
  t.MoveCaret(t.LineOffset(2), false);
  t.DeleteBackward();
  t.DeleteBackward();
  EXPECT_EQ(t.Text(), "onX\r\nZo\r\nthree");
  t.Undo();
  EXPECT_EQ(t.Text(), "onX\r\nY\r\nZo\r\nthree");
  EXPECT_EQ(t.Caret(), t.LineOffset(2));
}

TEST(MemoTextTest, LimitCutsNeitherACharacterNorABreak) {
  MemoText t;
  t.SetText("abc");
  t.MoveCaret(3, false);
  t.SetLimit(6);
  EXPECT_TRUE(t.ReplaceSelection("x\r\nyz", UndoKind::Other));  // 3 + 1 + 2 would split "\r\n"? no: fits "x\r\n"
  EXPECT_EQ(t.Text(), "abcx\r\n");
  t.SetLimit(8);
  EXPECT_TRUE(t.ReplaceSelection("中文", UndoKind::Other));
  EXPECT_EQ(t.Text(), "abcx\r\n中");
  EXPECT_FALSE(t.ReplaceSelection("q", UndoKind::Typing));
  t.SetLimit(5);
  t.MoveCaret(3, false);
  EXPECT_FALSE(t.ReplaceSelection("\n", UndoKind::Other));  // one byte of room: half a break never goes in
}

TEST(MemoTextTest, WordStepsCrossLinesAndGbkIsStepped) {
  MemoText t;
  t.SetText("ab cd\r\n  中文x");
  EXPECT_EQ(t.WordRight(0), 3u);
  EXPECT_EQ(t.WordRight(3), 5u);  // end of the line's last word
  EXPECT_EQ(t.WordRight(5), 7u);  // to the next line
  EXPECT_EQ(t.WordLeft(7), 3u);   // back to the previous line's last word
  EXPECT_EQ(t.WordLeft(13), 9u);  // the wide run
  EXPECT_EQ(t.WordAt(10), std::make_pair(size_t(9), size_t(13)));
  // Broken GBK: a lead byte without a trail is a character of its own.
  t.SetText("\x81\x81\x41\xfe");
  EXPECT_EQ(t.NextChar(0), 2u);
  EXPECT_EQ(t.NextChar(2), 3u);
  EXPECT_EQ(t.NextChar(3), 4u);
  EXPECT_EQ(t.Snap(1), 0u);
}

// Many edits of every shape (within a line, across lines, adding and removing lines at either end and in
// the middle) against a plain string: the text, every line's offset and the rows the wrapper gave (one row
// per started 4 bytes) stay right, measuring only what changed, single-line edits included.
TEST(MemoTextTest, LinesAndRowsStayRightThroughManyEdits) {
  MemoText t;
  std::string model;
  const auto wrapper = [](const std::string& s, MemoText::Rows& rows) {
    for (uint32_t at = 4; at < s.size(); at += 4) rows.starts.push_back(at);
    rows.width = (int)s.size();
  };
  uint32_t seed = 12345;
  const auto next = [&seed](uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % bound;
  };
  const char* pieces[] = { "", "a", "abcdefghij", "\r\n", "x\r\ny", "one\r\ntwo\r\nthree\r\n", "\r\n\r\n" };
  for (int step = 0; step < 600; ++step) {
    size_t from = next((uint32_t)model.size() + 1), to = from + next(12);
    to = std::min(to, model.size());
    // Positions as the engine snaps them: never between CR and LF.
    if (from > 0 && from < model.size() && model[from] == '\n') --from;
    if (to > 0 && to < model.size() && model[to] == '\n') ++to;
    const std::string piece = pieces[next(7)];
    t.Select(from, to);
    t.ReplaceSelection(piece, UndoKind::Other);
    model.replace(from, to - from, piece);
    t.Relayout(wrapper);
    ASSERT_EQ(t.Text(), model) << "step " << step;
    size_t offset = 0, rows = 0, widest = 0;
    for (int line = 0; line < t.LineCount(); ++line) {
      ASSERT_EQ(t.LineOffset(line), offset) << "step " << step << " line " << line;
      ASSERT_EQ(t.LineOf(offset), line);
      ASSERT_EQ(t.FirstRow(line), (int)rows);
      ASSERT_EQ(t.LineOfRow((int)rows), line);
      const size_t end = model.find("\r\n", offset);
      const size_t length = (end == std::string::npos ? model.size() : end) - offset;
      ASSERT_EQ(t.Line(line).size(), length);
      rows += std::max<size_t>(1, (length + 3) / 4);
      widest = std::max(widest, length);
      offset += length + 2;
    }
    ASSERT_EQ(offset, model.size() + 2);
    ASSERT_EQ(t.RowCount(), (int)rows);
    ASSERT_EQ(t.Widest(), (int)widest);
  }
}

// ---- The window ---------------------------------------------------------------------------------------------------

class MemoTest : public CtlTest {
 protected:
  // A memo of `rows` visible rows of the test face.
  HWND Memo(DWORD style, int width, int rows, const char* text = "") {
    return Make("EDIT", ES_MULTILINE | style, 10, 10, width, rows * kLineH, text);
  }
  static void Focus(HWND e) {
    SetFocus(e);
    PumpUntilIdle();
  }
  static LRESULT Send(HWND h, UINT m, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(h, m, w, l); }
  static std::string Line(HWND h, int row) {
    char buf[256] = {};
    *(WORD*)buf = 255;
    LRESULT n = Send(h, EM_GETLINE, row, (LPARAM)buf);
    return std::string(buf, (size_t)std::max<LRESULT>(n, 0));
  }
  static std::string Lines(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "line" + std::to_string(i) + (i + 1 < n ? "\r\n" : "");
    return s;
  }
  static SCROLLINFO Bar(HWND h, int bar) {
    SCROLLINFO si { sizeof si, SIF_ALL, 0, 0, 0, 0, 0 };
    GetScrollInfo(h, bar, &si);
    return si;
  }
  static std::pair<DWORD, DWORD> Sel(HWND e) {
    DWORD s = 0, t = 0;
    Send(e, EM_GETSEL, (WPARAM)&s, (LPARAM)&t);
    return { s, t };
  }
  // The rows painted on a fresh repaint.
  static std::vector<std::string> Painted(HWND e) {
    ClearTextLog();
    InvalidateRect(e, nullptr, TRUE);
    PumpUntilIdle();
    std::vector<std::string> rows;
    for (const TextRecord& r : TextOutLog())
      if (r.hwnd == e) rows.push_back(r.text);
    return rows;
  }
};

// The window tree's copy of a long memo's text holds its head: it follows edits there, and undoing
// them, whatever was edited further down in between.
TEST_F(MemoTest, TheWindowTreesCopyFollowsEditsAtTheHeadOfALongText) {
  HWND m = Memo(0, 200, 4, Lines(1000).c_str());  // about 9 kB, past what the copy holds
  const std::string path = std::string(XJ_BINARY_DIR) + "/tests/ctl_memo_dump.txt";
  auto dump = [&] {
    EXPECT_TRUE(xj::wm::WriteUiDump(path));
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  auto replace = [&](int from, int to, const char* s) {
    Send(m, EM_SETSEL, from, to);
    Send(m, EM_REPLACESEL, TRUE, (LPARAM)s);
  };
  EXPECT_NE(dump().find("\"line0"), std::string::npos);
  const int far = (int)Send(m, EM_LINEINDEX, 900);
  replace(far, far + 4, "FAR");
  replace(0, 0, "head ");
  EXPECT_NE(dump().find("\"head line0"), std::string::npos);
  replace(far, far, "x");
  replace(5, 9, "LINE");
  EXPECT_NE(dump().find("\"head LINE0"), std::string::npos);
  Send(m, EM_UNDO);
  EXPECT_NE(dump().find("\"head line0"), std::string::npos);
}

// A new memo's copy in the window tree holds its text as the memo reads it: lone breaks made whole, the
// case applied, no more than the head of a long text.
TEST_F(MemoTest, ANewMemosCopyInTheWindowTreeIsItsTextAsRead) {
  const std::string head(4096, 'h');
  const struct {
    DWORD style;
    std::string given, copy;
  } cases[] = {
    { 0, "one\r\ntwo", "one\r\ntwo" }, { 0, "one\ntwo\rthree", "one\r\ntwo\r\nthree" },
    { 0, "a\n\rb", "a\r\n\r\nb" },     { ES_UPPERCASE, "abc\r\nd", "ABC\r\nD" },
    { ES_LOWERCASE, "AB", "ab" },      { 0, head, head },
    { 0, head + "t", head },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given.substr(0, 16));
    HWND m = Memo(c.style, 200, 4, c.given.c_str());
    EXPECT_EQ(FindWindowExA(parent, nullptr, "EDIT", c.copy.c_str()), m);
    DestroyWindow(m);
  }
}

TEST_F(MemoTest, WrapsAtBlanksAndBetweenWideCharactersAndAnswersTheLineMessages) {
  HWND m = Memo(0, 80, 4, "aaaa bbbb cccc\r\n中文中文中文\r\n");  // 80 px: ten narrow cells
  EXPECT_EQ(Send(m, EM_GETLINECOUNT), 5);
  EXPECT_EQ(Line(m, 0), "aaaa bbbb ");
  EXPECT_EQ(Line(m, 1), "cccc");
  EXPECT_EQ(Line(m, 2), "中文中文中");
  EXPECT_EQ(Line(m, 3), "文");
  EXPECT_EQ(Line(m, 4), "");
  EXPECT_EQ(Send(m, EM_LINEINDEX, 1), 10);
  EXPECT_EQ(Send(m, EM_LINEINDEX, 3), 26);
  EXPECT_EQ(Send(m, EM_LINEINDEX, 5), -1);
  EXPECT_EQ(Send(m, EM_LINEFROMCHAR, 10), 1);  // a wrapped row's start belongs to that row
  EXPECT_EQ(Send(m, EM_LINEFROMCHAR, 27), 3);
  EXPECT_EQ(Send(m, EM_LINELENGTH, 12), 4);
  EXPECT_EQ(Send(m, EM_LINELENGTH, 30), 0);

  // Wider, the rows reflow; with ES_AUTOHSCROLL a line is one row however long.
  SetWindowPos(m, nullptr, 0, 0, 200, 4 * kLineH, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Send(m, EM_GETLINECOUNT), 3);
  HWND n = Memo(ES_AUTOHSCROLL, 80, 4, "aaaa bbbb cccc");
  EXPECT_EQ(Send(n, EM_GETLINECOUNT), 1);
  EXPECT_EQ(Line(n, 0), "aaaa bbbb cccc");
}

TEST_F(MemoTest, ScrollStateIsRowsDownAndPixelsAcrossWithoutBars) {
  HWND m = Memo(ES_AUTOHSCROLL, 200, 4, "");
  SetWindowTextA(m, (Lines(10) + "\r\n" + std::string(50, 'w')).c_str());
  SCROLLINFO v = Bar(m, SB_VERT), h = Bar(m, SB_HORZ);
  EXPECT_EQ(v.nMin, 0);
  EXPECT_EQ(v.nMax, 10);  // 11 rows
  EXPECT_EQ(v.nPage, 4u);
  EXPECT_EQ(h.nMax, 50 * kCharW);  // the widest line and a pixel for the caret
  EXPECT_EQ(h.nPage, 200u);

  Send(m, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 1);
  EXPECT_EQ(GetScrollPos(m, SB_VERT), 1);
  Send(m, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100));
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 7);  // the last row at the bottom
  Send(m, WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(GetScrollPos(m, SB_VERT), 6);
  Send(m, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 150));
  EXPECT_EQ(GetScrollPos(m, SB_HORZ), 150);
  Send(m, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 999));
  EXPECT_EQ(GetScrollPos(m, SB_HORZ), 50 * kCharW + 1 - 200);
  EXPECT_EQ(Send(m, EM_LINESCROLL, 0, -2), TRUE);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 4);
  EXPECT_EQ(Send(m, EM_SCROLL, SB_PAGEDOWN), MAKELRESULT(3, TRUE));  // only three rows were left

  // The wheel turned away from the user scrolls up; what fits leaves no range.
  Focus(m);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 4);
  SetWindowTextA(m, "short");
  v = Bar(m, SB_VERT);
  h = Bar(m, SB_HORZ);
  EXPECT_EQ(v.nMax, 0);
  EXPECT_EQ(h.nMax, 0);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 0);
}

TEST_F(MemoTest, TypingReturnsArrowsAndBackspaceEditLinesAndFollowTheCaret) {
  HWND m = Memo(ES_AUTOHSCROLL, 200, 3);
  Focus(m);
  TypeText("ab");
  KeyPress(VK_RETURN);
  TypeText("cd中");
  KeyPress(VK_TAB);
  EXPECT_EQ(TextOf(m), "ab\r\ncd中\t");
  KeyPress(VK_UP);
  EXPECT_EQ(Sel(m).first, 2u);  // the end of the shorter line above
  KeyPress(VK_DOWN);
  EXPECT_EQ(Sel(m).first, 9u);  // back to the x it left: after the tab
  KeyPress(VK_HOME);
  KeyPress(VK_BACK);
  EXPECT_EQ(TextOf(m), "abcd中\t");
  EXPECT_EQ(Send(m, EM_GETLINECOUNT), 1);
  KeyPress('Z', ssCtrl);
  EXPECT_EQ(TextOf(m), "ab\r\ncd中\t");

  // Rows below the view scroll into it as the caret goes down.
  for (int i = 0; i < 5; ++i) KeyPress(VK_RETURN);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 4);  // seven rows, three shown
  EXPECT_EQ(Send(m, EM_LINEFROMCHAR, (WPARAM)-1), 6);
  KeyPress(VK_HOME, ssCtrl);
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 0);
  KeyPress(VK_END, ssCtrl | ssShift);
  EXPECT_EQ(Sel(m), std::make_pair(DWORD(0), DWORD(GetWindowTextLengthA(m))));
}

// The caret stays on its character whatever moves the text under it: the view scrolled down and back,
// lines added after it, a line put in above it (the view following the caret).
TEST_F(MemoTest, TheCaretStaysOnItsCharacterAsTheTextMovesUnderIt) {
  HWND m = Memo(0, 200, 3, "ab\r\ncd\r\nef\r\ngh");
  Focus(m);
  auto caretAt = [&](DWORD index) {
    POINT p {};
    GetCaretPos(&p);
    const LRESULT at = Send(m, EM_POSFROMCHAR, index);
    return p.x == (short)LOWORD(at) && p.y == (short)HIWORD(at);
  };
  Send(m, EM_SETSEL, 9, 9);  // "ef|"
  POINT first {};
  GetCaretPos(&first);
  EXPECT_TRUE(caretAt(9));
  Send(m, EM_LINESCROLL, 0, 1);
  POINT scrolled {};
  GetCaretPos(&scrolled);
  EXPECT_EQ(scrolled.y, first.y - kLineH);
  EXPECT_TRUE(caretAt(9));
  Send(m, EM_LINESCROLL, 0, -1);
  EXPECT_TRUE(caretAt(9));
  // Lines added after it leave it where it is, in place and on screen.
  Send(m, EM_SETSEL, 14, 14);
  Send(m, EM_REPLACESEL, FALSE, (LPARAM) "\r\nij\r\nkl");
  Send(m, EM_SETSEL, 9, 9);
  EXPECT_TRUE(caretAt(9));
  // A line put in above it moves it down a row with its character.
  Send(m, EM_SETSEL, 0, 0);
  Send(m, EM_REPLACESEL, FALSE, (LPARAM) "zz\r\n");
  Send(m, EM_SETSEL, 13, 13);
  EXPECT_TRUE(caretAt(13));
}

// Disabled, every row is drawn in the grey text colour; enabled again, in black.
TEST_F(MemoTest, ADisabledMemoDrawsEveryRowGrey) {
  HWND m = Memo(ES_AUTOHSCROLL, 200, 3, "ab\r\ncd");
  const int glyph = kCharW + 3;  // inside the second character's box
  for (auto [enabled, ink] : { std::pair { FALSE, GetSysColor(COLOR_GRAYTEXT) }, std::pair { TRUE, RGB(0, 0, 0) } }) {
    EnableWindow(m, enabled);
    PumpUntilIdle();
    EXPECT_EQ(ReadPixel(m, glyph, 5), ink) << "enabled " << enabled;
    EXPECT_EQ(ReadPixel(m, glyph, kLineH + 5), ink) << "enabled " << enabled;
  }
}

TEST_F(MemoTest, ClicksAndDragsSelectByRowAndColumn) {
  HWND m = Memo(ES_AUTOHSCROLL, 200, 4, "first line\r\nsecond\r\nthird");
  ClickAt(m, 3 * kCharW + 2, kLineH + 3);  // row 1, after "sec"
  EXPECT_EQ(Sel(m), std::make_pair(DWORD(15), DWORD(15)));
  POINT a = Screen(m, kCharW + 1, 3), b = Screen(m, 2 * kCharW + 1, 2 * kLineH + 3);
  Drag(a.x, a.y, b.x, b.y);
  EXPECT_EQ(Sel(m), std::make_pair(DWORD(1), DWORD(22)));
  POINT w = Screen(m, 2 * kCharW, kLineH + 3);
  DoubleClick(w.x, w.y);
  EXPECT_EQ(Sel(m), std::make_pair(DWORD(12), DWORD(18)));
  LRESULT at = Send(m, EM_CHARFROMPOS, 0, MAKELPARAM(100, 2 * kLineH + 1));  // past the end of "third"
  EXPECT_EQ(LOWORD(at), 25);
  EXPECT_EQ(HIWORD(at), 2);
  EXPECT_EQ(Send(m, EM_POSFROMCHAR, 22), MAKELRESULT(2 * kCharW, 2 * kLineH));
}

TEST_F(MemoTest, EachRowIsAlignedWithinTheViewAndTabsStopEveryEightCells) {
  struct Case {
    DWORD style;
    int x0, x1;  // where rows "ab" and "abcd" start
  } cases[] = { { ES_LEFT, 0, 0 },
                { ES_CENTER, (200 - 16) / 2, (200 - 32) / 2 },
                { ES_RIGHT, 200 - 1 - 16, 200 - 1 - 32 } };
  for (const Case& c : cases) {
    HWND m = Memo(c.style | ES_AUTOHSCROLL, 200, 3, "ab\r\nabcd\r\n\tx");
    EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 0)), c.x0) << c.style;
    EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 4)), c.x1) << c.style;
    DestroyWindow(m);
  }
  HWND m = Memo(ES_AUTOHSCROLL, 200, 3, "\tx\r\nabc\ty");
  EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 1)), 8 * kCharW);
  EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 8)), 8 * kCharW);
  int four = 16;  // dialog units: four average characters
  Send(m, EM_SETTABSTOPS, 1, (LPARAM)&four);
  EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 1)), 4 * kCharW);
  EXPECT_EQ(LOWORD(Send(m, EM_POSFROMCHAR, 8)), 4 * kCharW);
}

TEST_F(MemoTest, PaintsOnlyTheVisibleRowsOfAHugeText) {
  HWND m = Memo(ES_AUTOHSCROLL, 200, 5);
  SetWindowTextA(m, Lines(100000).c_str());
  EXPECT_EQ(Send(m, EM_GETLINECOUNT), 100000);
  Send(m, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50000));
  EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), 50000);
  std::vector<std::string> rows = Painted(m);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows.front(), "line50000");
  EXPECT_EQ(rows.back(), "line50004");
  // Typing in the middle changes that line only; the text set was past the limit, which typing keeps.
  Focus(m);
  TypeText(">");
  EXPECT_EQ(Count(EN_MAXTEXT, m), 1);
  Send(m, EM_LIMITTEXT, 0);
  Send(m, EM_SETSEL, Send(m, EM_LINEINDEX, 50002), Send(m, EM_LINEINDEX, 50002));
  Focus(m);
  TypeText(">");
  EXPECT_EQ(Line(m, 50002), ">line50002");
  EXPECT_EQ(Line(m, 50003), "line50003");
  EXPECT_EQ(Send(m, EM_LINEINDEX, 99999), (LRESULT)(Lines(99999).size() + 2 + 1));
}

// A paint walks down the rows, through the rows of a wrapped line and on to the next line, each drawn
// from its own span of the text: the selection splits the rows where it starts and ends.
TEST_F(MemoTest, APaintDrawsEachWrappedRowAndSplitsItAtTheSelection) {
  HWND m = Memo(ES_NOHIDESEL, 80, 4, "aaaa bbbb cccc\r\ndd ee");  // 80 px: ten narrow cells
  Send(m, EM_SETSEL, 12, 18);                                     // from "cc|cc" to "dd|"
  EXPECT_EQ(Painted(m), (std::vector<std::string> { "aaaa bbbb ", "cc", "cc", "dd", " ee" }));
}

TEST_F(MemoTest, BadInputStaysWholeAndBounded) {
  // One line of a million bytes, broken GBK in it, and a paste that meets the limit.
  std::string big(1000000, 'x');
  big[500000] = '\x81';  // a lead byte whose "trail" is a blank
  big[500001] = ' ';
  HWND m = Memo(0, 200, 4);
  SetWindowTextA(m, big.c_str());
  EXPECT_EQ(GetWindowTextLengthA(m), 1000000);
  EXPECT_EQ(Send(m, EM_LINEINDEX, 1), 25);  // wrapped at 25 narrow cells
  Send(m, EM_SETSEL, 500001, 500001);
  EXPECT_EQ(Sel(m).first, 500001u);  // the blank after a lone lead byte is a character of its own

  HWND p = Memo(ES_AUTOHSCROLL, 200, 4, "abc");
  Send(p, EM_LIMITTEXT, 8);
  SetClipboardText("12\r\n中文");
  Send(p, EM_SETSEL, 3, 3);
  Notices().clear();
  Send(p, WM_PASTE);
  EXPECT_EQ(TextOf(p), "abc12\r\n");
  EXPECT_EQ(Count(EN_MAXTEXT, p), 1);
  EXPECT_EQ(Count(EN_CHANGE, p), 1);
  Send(p, EM_SETREADONLY, TRUE);
  Focus(p);
  TypeText("z");
  KeyPress(VK_RETURN);
  KeyPress(VK_HOME, ssCtrl);
  KeyPress(VK_DELETE);
  EXPECT_EQ(TextOf(p), "abc12\r\n");
}

// WM_GETTEXT copies the text straight into the caller's buffer: nothing past what it answers but the
// closing zero, never half a break or half a character.
TEST_F(MemoTest, TextReadIntoAShortBufferEndsOnABoundary) {
  HWND m = Memo(0, 200, 4, "a\r\n中");
  const std::pair<int, std::string> cases[] = { { 1, "" }, { 3, "a" }, { 5, "a\r\n" }, { 6, "a\r\n中" } };
  for (const auto& [size, text] : cases) {
    char buf[8];
    memset(buf, '#', sizeof buf);
    ASSERT_EQ(Send(m, WM_GETTEXT, (WPARAM)size, (LPARAM)buf), (LRESULT)text.size()) << size;
    EXPECT_EQ(std::string(buf, text.size() + 2), text + '\0' + '#') << size;
  }
}

// A selection that scrolls the view and one that does not both leave the whole view to repaint.
TEST_F(MemoTest, ASelectionRepaintsTheWholeViewWhetherOrNotItScrolls) {
  HWND m = Memo(0, 200, 3, Lines(9).c_str());
  RECT client {}, dirty {};
  GetClientRect(m, &client);
  for (const auto& [at, first] : { std::pair { 1, 0 }, { 60, 6 }, { 58, 6 }, { 0, 0 } }) {
    ValidateRect(m, nullptr);
    Send(m, EM_SETSEL, at, at);
    EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), first) << at;
    EXPECT_TRUE(GetUpdateRect(m, &dirty, FALSE) && EqualRect(&dirty, &client)) << at;
  }
}

// The caret's row just below or above the view, or the caret one pixel past its right or left edge,
// scrolls the view; the last row or pixel inside it does not.
TEST_F(MemoTest, TheCaretJustPastTheViewScrollsIt) {
  HWND m = Memo(ES_AUTOHSCROLL, 80, 3, "a\r\nb\r\nc\r\nd");
  Focus(m);
  KeyPress(VK_HOME, ssCtrl);
  const UINT keys[] = { VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_UP };
  const int firstVisible[] = { 0, 0, 1, 1, 1, 0 };
  for (size_t i = 0; i < std::size(keys); ++i) {
    KeyPress(keys[i]);
    EXPECT_EQ(Send(m, EM_GETFIRSTVISIBLELINE), firstVisible[i]) << "after key " << i;
  }

  KeyPress(VK_END, ssCtrl);
  TypeText(std::string(8, 'x'));  // nine cells: the caret at pixel 72
  EXPECT_EQ(GetScrollPos(m, SB_HORZ), 0);
  TypeText("x");                           // ten: the caret at pixel 80, past the view
  EXPECT_EQ(GetScrollPos(m, SB_HORZ), 1);  // as far as the caret's pixel needs
  POINT caret {};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, 79);
  KeyPress(VK_HOME);  // the caret at pixel 0, one left of the view
  EXPECT_EQ(GetScrollPos(m, SB_HORZ), 0);
}

// The width of `s` in f (null: the system font), or with no `s` the height of a row.
int Measure(HFONT f, const char* s) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f ? f : GetStockObject(SYSTEM_FONT));
  SIZE sz {};
  TEXTMETRICA tm {};
  GetTextExtentPoint32A(dc, s ? s : "", s ? (int)strlen(s) : 0, &sz);
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return s ? (int)sz.cx : (int)tm.tmHeight;
}

// Widths and row heights measured for one font serve every window of that font and no other: a
// single-line edit and a memo of a face twice as tall, and a memo left with the system font, each measured
// after the others, put their characters and rows where their own font does.
TEST_F(MemoTest, EachWindowMeasuresWithItsOwnFont) {
  HFONT tall = CreateFontA(26, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Serif");
  HWND small = Memo(0, 300, 2, "WWWWiiii\r\nW");
  HWND big = Memo(0, 300, 2, "WWWWiiii\r\nW");
  HWND edit = Make("EDIT", 0, 10, 100, 300, 30, "WWWWiiii");
  HWND plain = CreateWindowExA(0, "EDIT", "WWWWiiii\r\nW", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 150, 300, 40,
                               parent, nullptr, nullptr, nullptr);
  Send(big, WM_SETFONT, (WPARAM)tall, TRUE);
  Send(edit, WM_SETFONT, (WPARAM)tall, TRUE);
  PumpUntilIdle();
  ASSERT_NE(Measure(tall, "WWWW"), Measure(font, "WWWW"));
  ASSERT_NE(Measure(nullptr, "WWWW"), Measure(font, "WWWW"));
  ASSERT_NE(Measure(tall, nullptr), Measure(font, nullptr));
  const struct {
    HWND h;
    HFONT f;
  } cases[] = { { small, font }, { big, tall }, { edit, tall }, { plain, nullptr }, { small, font } };
  for (const auto& c : cases) {
    const int x0 = (short)LOWORD(Send(c.h, EM_POSFROMCHAR, 0));
    EXPECT_EQ((short)LOWORD(Send(c.h, EM_POSFROMCHAR, 4)) - x0, Measure(c.f, "WWWW"));
    EXPECT_EQ((short)LOWORD(Send(c.h, EM_POSFROMCHAR, 7)) - x0, Measure(c.f, "WWWWiii"));
    if (c.h != edit) {
      EXPECT_EQ((short)HIWORD(Send(c.h, EM_POSFROMCHAR, 10)) - (short)HIWORD(Send(c.h, EM_POSFROMCHAR, 0)),
                Measure(c.f, nullptr));
    }
  }
  DestroyWindow(edit);
  DestroyWindow(big);
  DeleteObject(tall);
}

// Each font given is the one the text is laid out and published in, and the repaint asked for is owed;
// another font of the same height lays the text out anew (a memo and a single-line edit alike). A memo
// never given a font publishes its rows as soon as it is made.
TEST_F(MemoTest, EachFontGivenLaysTheTextOutAndTheRowsArePublishedFromCreation) {
  HFONT sans = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
  HFONT mono = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans Mono");
  ASSERT_EQ(Measure(sans, nullptr), Measure(mono, nullptr));
  ASSERT_NE(Measure(sans, "mmmm"), Measure(mono, "mmmm"));
  const std::string text = "mmmm mmmm mmmm mmmm\r\n" + Lines(8);
  auto make = [&](HFONT f, DWORD style) {
    HWND h = CreateWindowExA(0, "EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | style, 10, 10, 90, 40, parent, nullptr,
                             nullptr, nullptr);
    if (f) Send(h, WM_SETFONT, (WPARAM)f, FALSE);
    return h;
  };
  auto laidOutIn = [&](HWND h, HFONT f) {
    EXPECT_EQ((HFONT)Send(h, WM_GETFONT), f);
    EXPECT_EQ((short)LOWORD(Send(h, EM_POSFROMCHAR, 4)) - (short)LOWORD(Send(h, EM_POSFROMCHAR, 0)),
              Measure(f, "mmmm"));
    const int rows = (int)Send(h, EM_GETLINECOUNT);
    if (rows > 1) {
      EXPECT_EQ(Bar(h, SB_VERT).nMax, rows - 1);  // published, not only answered
    }
    return rows;
  };
  HWND memo = make(mono, ES_MULTILINE), line = make(mono, 0);
  const int monoRows = laidOutIn(memo, mono);
  laidOutIn(line, mono);
  for (HFONT f : { mono, sans, sans, mono }) {
    PumpUntilIdle();
    for (HWND h : { memo, line }) {
      Send(h, WM_SETFONT, (WPARAM)f, TRUE);
      EXPECT_TRUE(GetUpdateRect(h, nullptr, FALSE));
    }
    EXPECT_EQ(laidOutIn(memo, f) == monoRows, f == mono);  // the text wraps otherwise in each
    laidOutIn(line, f);
  }
  EXPECT_GT(laidOutIn(make(nullptr, ES_MULTILINE), nullptr), 4);
  DestroyWindow(memo);
  DestroyWindow(line);
  DeleteObject(sans);
  DeleteObject(mono);
}

}  // namespace
