// The "EDIT" class driven like a user: typing (GBK, limits, case), caret keys, mouse selection,
// clipboard keys and the context menu, undo, read-only and password modes, scrolling, alignment,
// change notices and the parent's colour answers.

#include <map>
#include <set>

#include "tests/platform/ctl/CtlTestUtil.h"

using namespace xj::test;
using namespace ctltest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                   kGreen = RGB(0, 128, 0), kYellow = RGB(255, 255, 0);

// A subclass in front of the edit's own procedure, as the class library installs one.
struct Subclass {
  static inline WNDPROC old;
  static inline std::vector<UINT> seen;
  static inline std::set<UINT> drop;
  static inline std::map<UINT, bool> grayed;  // context-menu items when the menu opened

  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    seen.push_back(m);
    if (m == WM_INITMENUPOPUP)
      for (UINT id : { WM_UNDO, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, EM_SETSEL })
        grayed[id] = (GetMenuState((HMENU)w, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
    if (drop.count(m)) return 0;
    return CallWindowProcA(old, h, m, w, l);
  }
  static void Install(HWND h) {
    seen.clear();
    drop.clear();
    grayed.clear();
    old = WNDPROC(SetWindowLongPtrA(h, GWL_WNDPROC, WNDPROC(Proc).Value()));
  }
  static int Seen(UINT m) { return (int)std::count(seen.begin(), seen.end(), m); }
};

class EditTest : public CtlTest {
 protected:
  HWND Edit(DWORD style = ES_AUTOHSCROLL, int width = 200, const char* text = "") {
    return Make("EDIT", style, 10, 10, width, 20, text);
  }
  static void Focus(HWND e) {
    SetFocus(e);
    PumpUntilIdle();
  }
  static std::pair<DWORD, DWORD> Sel(HWND e) {
    DWORD s = 0, t = 0;
    SendMessageA(e, EM_GETSEL, (WPARAM)&s, (LPARAM)&t);
    return { s, t };
  }
  static int XOf(HWND e, int index) { return (short)LOWORD(SendMessageA(e, EM_POSFROMCHAR, index, 0)); }
  // What the edit draws, run after run, on a fresh repaint.
  static std::string Shown(HWND e) {
    ClearTextLog();
    InvalidateRect(e, nullptr, TRUE);
    PumpUntilIdle();
    std::string s;
    for (const TextRecord& r : TextOutLog())
      if (r.hwnd == e) s += r.text;
    return s;
  }
  static POINT Caret() {
    POINT p {};
    GetCaretPos(&p);
    return p;
  }
};

using Selection = std::pair<DWORD, DWORD>;

TEST_F(EditTest, TypingUnderALimitNeverLeavesHalfACharacter) {
  HWND e = Edit();
  Focus(e);
  SendMessageA(e, EM_LIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 5);
  TypeText("ab中文");
  EXPECT_EQ(TextOf(e), "ab中");  // 文 would need six bytes
  TypeText("cd");
  EXPECT_EQ(TextOf(e), "ab中c");

  SendMessageA(e, EM_SETSEL, 0, 2);
  SetClipboardText("文字x");
  KeyPress('V', ssCtrl);
  EXPECT_EQ(TextOf(e), "文中c");  // the selection's two bytes take one character of the paste

  SetWindowTextA(e, "longer than five");  // the limit is for the user's input only
  EXPECT_EQ(TextOf(e), "longer than five");

  SendMessageA(e, EM_LIMITTEXT, 0, 0);
  SetWindowTextA(e, "");
  ImeCommit("\xD6");    // a lead byte ...
  KeyPress(VK_RETURN);  // ... followed by no trail byte is dropped
  TypeText("ok");
  EXPECT_EQ(TextOf(e), "ok");
}

TEST_F(EditTest, CaretKeysMoveOverWholeCharactersAndShiftSelects) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "a中b文c");  // a0 中1 b3 文4 c6, 7 bytes
  Focus(e);
  struct Step {
    UINT vk;
    unsigned shift;
    Selection sel;
  } steps[] = {
    { VK_RIGHT, ssNone, { 1, 1 } },  { VK_RIGHT, ssNone, { 3, 3 } },  { VK_LEFT, ssShift, { 1, 3 } },
    { VK_END, ssShift, { 3, 7 } },   { VK_LEFT, ssNone, { 3, 3 } },  // a selection collapses to its start
    { VK_RIGHT, ssShift, { 3, 4 } }, { VK_RIGHT, ssShift, { 3, 6 } }, { VK_RIGHT, ssNone, { 6, 6 } },
    { VK_HOME, ssShift, { 0, 6 } },  { VK_DOWN, ssNone, { 6, 6 } },  // down acts as right in one line
    { VK_UP, ssNone, { 4, 4 } },     { VK_HOME, ssNone, { 0, 0 } },
  };
  for (const Step& s : steps) {
    KeyPress(s.vk, s.shift);
    EXPECT_EQ(Sel(e), s.sel) << "key " << s.vk << " shift " << s.shift;
  }
  KeyPress(VK_END);
  KeyPress(VK_LEFT);
  KeyPress(VK_BACK);  // takes 文, both bytes
  EXPECT_EQ(TextOf(e), "a中bc");
  KeyPress(VK_HOME);
  KeyPress(VK_RIGHT);
  KeyPress(VK_DELETE);  // takes 中
  EXPECT_EQ(TextOf(e), "abc");
}

TEST_F(EditTest, CtrlArrowsJumpByWords) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "one two  three");
  Focus(e);
  for (DWORD at : { 4u, 9u, 14u }) {
    KeyPress(VK_RIGHT, ssCtrl);
    EXPECT_EQ(Sel(e), Selection(at, at));
  }
  for (DWORD at : { 9u, 4u, 0u }) {
    KeyPress(VK_LEFT, ssCtrl);
    EXPECT_EQ(Sel(e), Selection(at, at));
  }
  KeyPress(VK_RIGHT, ssCtrl | ssShift);
  EXPECT_EQ(Sel(e), Selection(0, 4));
}

TEST_F(EditTest, MouseDragsSelectAndShiftClickExtends) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "abcdefghij");
  POINT a = Screen(e, 1 * kCharW + 1, 5), b = Screen(e, 4 * kCharW + 2, 5);
  Drag(a.x, a.y, b.x, b.y);
  EXPECT_EQ(GetFocus(), e);  // a press takes the focus
  EXPECT_EQ(Sel(e), Selection(1, 4));

  KeyDown(VK_SHIFT, ssNone, false);
  ClickAt(e, 6 * kCharW + 1, 5);
  KeyUp(VK_SHIFT);
  EXPECT_EQ(Sel(e), Selection(1, 6));

  Advance(1000);
  ClickAt(e, 3 * kCharW + 5, 5);  // past the middle of d: the boundary after it
  EXPECT_EQ(Sel(e), Selection(4, 4));

  Advance(1000);
  a = Screen(e, 8 * kCharW, 5);
  b = Screen(e, 2 * kCharW - 3, 5);
  Drag(a.x, a.y, b.x, b.y);  // right to left
  EXPECT_EQ(Sel(e), Selection(2, 8));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, DoubleClickSelectsTheWordUnderThePointer) {
  HWND e = Edit(ES_AUTOHSCROLL, 300, "hello world 中文");  // 中 at byte 12, x 96; 文 at byte 14, x 112
  struct Case {
    int x;
    Selection sel;
  } cases[] = { { 7 * kCharW + 3, { 6, 11 } }, { 96 + kWideW + 4, { 12, 16 } }, { 5 * kCharW + 3, { 5, 6 } } };
  for (const Case& c : cases) {
    Advance(1000);
    POINT p = Screen(e, c.x, 5);
    DoubleClick(p.x, p.y);
    EXPECT_EQ(Sel(e), c.sel) << "at x " << c.x;
  }
}

TEST_F(EditTest, ClipboardKeysCutCopyAndPaste) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "hello world");
  Focus(e);
  SendMessageA(e, EM_SETSEL, 6, 11);
  KeyPress('C', ssCtrl);
  EXPECT_EQ(ClipboardText(), "world");
  EXPECT_EQ(TextOf(e), "hello world");
  KeyPress('X', ssCtrl);
  EXPECT_EQ(TextOf(e), "hello ");
  KeyPress(VK_HOME);
  KeyPress('V', ssCtrl);
  EXPECT_EQ(TextOf(e), "worldhello ");

  SendMessageA(e, EM_SETSEL, 0, 5);
  SetClipboardText("");
  KeyPress(VK_INSERT, ssCtrl);
  EXPECT_EQ(ClipboardText(), "world");
  KeyPress(VK_DELETE, ssShift);
  EXPECT_EQ(TextOf(e), "hello ");
  KeyPress(VK_END);
  KeyPress(VK_INSERT, ssShift);
  EXPECT_EQ(TextOf(e), "hello world");

  SetClipboardText("one\r\ntwo");  // a single-line edit takes the first line
  SendMessageA(e, EM_SETSEL, 0, -1);
  KeyPress('V', ssCtrl);
  EXPECT_EQ(TextOf(e), "one");
  SendMessageA(e, WM_CLEAR, 0, 0);  // nothing selected: nothing cleared
  EXPECT_EQ(TextOf(e), "one");
}

TEST_F(EditTest, ContextMenuSendsItsCommandsThroughTheWindowProcedure) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "hello world");
  Focus(e);
  Subclass::Install(e);
  SendMessageA(e, EM_SETSEL, 0, 5);
  SetClipboardText("X");

  AnswerModal(WM_PASTE);
  ClickAt(e, 20, 5, mbRight);
  ASSERT_EQ(ModalRecords().size(), 1u);
  EXPECT_EQ(ModalRecords()[0].kind, ModalRecord::Menu);
  EXPECT_EQ(TextOf(e), "X world");
  EXPECT_EQ(Subclass::Seen(WM_PASTE), 1);
  EXPECT_EQ((std::map<UINT, bool> { { WM_UNDO, true },
                                    { WM_CUT, false },
                                    { WM_COPY, false },
                                    { WM_PASTE, false },
                                    { WM_CLEAR, false },
                                    { EM_SETSEL, false } }),
            Subclass::grayed);

  AnswerModal(EM_SETSEL);  // select all, from the keyboard's menu key
  KeyPress(VK_APPS);
  EXPECT_EQ(Sel(e), Selection(0, 7));

  // Read-only: the editing commands are grayed, and a filter in front of the edit still sees them.
  SendMessageA(e, EM_SETREADONLY, TRUE, 0);
  Subclass::drop = { WM_COPY };
  AnswerModal(WM_CUT);
  ClickAt(e, 20, 5, mbRight);
  EXPECT_EQ(TextOf(e), "X world");
  EXPECT_TRUE(Subclass::grayed[WM_CUT]);
  EXPECT_TRUE(Subclass::grayed[WM_PASTE]);
  EXPECT_TRUE(Subclass::grayed[WM_CLEAR]);
  EXPECT_TRUE(Subclass::grayed[WM_UNDO]);
  EXPECT_FALSE(Subclass::grayed[WM_COPY]);
  AnswerModal(WM_COPY);
  SetClipboardText("before");
  ClickAt(e, 20, 5, mbRight);
  EXPECT_EQ(Subclass::Seen(WM_COPY), 1);
  EXPECT_EQ(ClipboardText(), "before");  // the filter swallowed it
  EXPECT_EQ(UnscriptedModals(), 0);
}

TEST_F(EditTest, AFilterInFrontOfTheEditSeesEveryClipboardKey) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "abc");
  Focus(e);
  Subclass::Install(e);
  Subclass::drop = { WM_PASTE, WM_CUT, WM_CLEAR, WM_UNDO };
  SetClipboardText("zz");
  SendMessageA(e, EM_SETSEL, 0, -1);
  KeyPress('V', ssCtrl);
  KeyPress(VK_INSERT, ssShift);
  KeyPress('X', ssCtrl);
  KeyPress(VK_DELETE, ssShift);
  KeyPress('Z', ssCtrl);
  EXPECT_EQ(TextOf(e), "abc");
  EXPECT_EQ(Subclass::Seen(WM_PASTE), 2);
  EXPECT_EQ(Subclass::Seen(WM_CUT), 2);
  EXPECT_EQ(Subclass::Seen(WM_UNDO), 1);
  KeyPress('C', ssCtrl);
  EXPECT_EQ(ClipboardText(), "abc");
}

TEST_F(EditTest, UndoRestoresAndASecondUndoRedoes) {
  HWND e = Edit();
  Focus(e);
  TypeText("abc");
  EXPECT_TRUE(SendMessageA(e, EM_CANUNDO, 0, 0));
  EXPECT_TRUE(SendMessageA(e, EM_GETMODIFY, 0, 0));
  KeyPress('Z', ssCtrl);
  EXPECT_EQ(TextOf(e), "");
  KeyPress('Z', ssCtrl);
  EXPECT_EQ(TextOf(e), "abc");
  EXPECT_TRUE(SendMessageA(e, EM_UNDO, 0, 0));
  EXPECT_EQ(TextOf(e), "");
  SendMessageA(e, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageA(e, EM_CANUNDO, 0, 0));
  EXPECT_FALSE(SendMessageA(e, EM_UNDO, 0, 0));

  SetWindowTextA(e, "set");
  EXPECT_FALSE(SendMessageA(e, EM_CANUNDO, 0, 0));
  EXPECT_FALSE(SendMessageA(e, EM_GETMODIFY, 0, 0));
  SendMessageA(e, EM_SETMODIFY, TRUE, 0);
  EXPECT_TRUE(SendMessageA(e, EM_GETMODIFY, 0, 0));

  SendMessageA(e, EM_SETSEL, 0, -1);
  SendMessageA(e, EM_REPLACESEL, TRUE, (LPARAM) "replaced");
  EXPECT_EQ(TextOf(e), "replaced");
  SendMessageA(e, WM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), "set");
  SendMessageA(e, EM_REPLACESEL, FALSE, (LPARAM) "!");
  EXPECT_FALSE(SendMessageA(e, EM_CANUNDO, 0, 0));
}

TEST_F(EditTest, ReadOnlyRefusesEditsButMovesAndCopies) {
  HWND e = Edit(ES_AUTOHSCROLL | ES_READONLY, 200, "fixed text");
  Focus(e);
  Notices().clear();
  SetClipboardText("zz");
  TypeText("x中");
  KeyPress(VK_BACK);
  KeyPress(VK_DELETE);
  KeyPress('V', ssCtrl);
  SendMessageA(e, EM_SETSEL, 0, 5);
  KeyPress('X', ssCtrl);
  SendMessageA(e, WM_CLEAR, 0, 0);
  SendMessageA(e, WM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), "fixed text");
  EXPECT_EQ(Count(EN_CHANGE), 0);

  KeyPress(VK_HOME);
  KeyPress(VK_END, ssShift);
  EXPECT_EQ(Sel(e), Selection(0, 10));
  KeyPress('C', ssCtrl);
  EXPECT_EQ(ClipboardText(), "fixed text");

  EXPECT_TRUE(SendMessageA(e, EM_SETREADONLY, FALSE, 0));
  EXPECT_EQ(GetWindowLongA(e, GWL_STYLE) & ES_READONLY, 0);
  TypeText("!");
  EXPECT_EQ(TextOf(e), "!");
  SendMessageA(e, EM_SETREADONLY, TRUE, 0);
  EXPECT_NE(GetWindowLongA(e, GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(EditTest, PasswordShowsOneMaskPerCharacterAndKeepsTheText) {
  HWND e = Edit(ES_AUTOHSCROLL | ES_PASSWORD);
  Focus(e);
  TypeText("ab中");
  EXPECT_EQ(TextOf(e), "ab中");
  EXPECT_EQ(SendMessageA(e, EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(Shown(e), "***");
  EXPECT_EQ(Caret().x, 3 * kCharW);  // the caret follows the masks, not the hidden text

  SetClipboardText("before");
  SendMessageA(e, EM_SETSEL, 0, -1);
  KeyPress('C', ssCtrl);
  KeyPress('X', ssCtrl);
  EXPECT_EQ(ClipboardText(), "before");  // what is hidden is not copied
  EXPECT_EQ(TextOf(e), "ab中");

  SendMessageA(e, EM_SETSEL, -1, 0);
  SendMessageA(e, EM_SETPASSWORDCHAR, '#', 0);
  EXPECT_EQ(Shown(e), "###");
  // The window manager's copy of the text (window lookups, the UI dump) never holds the secret.
  EXPECT_EQ(FindWindowExA(parent, nullptr, "EDIT", "###"), e);
  EXPECT_EQ(FindWindowExA(parent, nullptr, "EDIT", "ab中"), nullptr);
  SendMessageA(e, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_EQ(Shown(e), "ab中");
  EXPECT_EQ(GetWindowLongA(e, GWL_STYLE) & ES_PASSWORD, 0);
}

TEST_F(EditTest, LongTextScrollsToKeepTheCaretVisible) {
  HWND e = Edit(ES_AUTOHSCROLL, 80);
  Focus(e);
  const std::string text = "abcdefghijklmnopqrstuvwxyz0123";
  TypeText(text);
  auto visible = [&](int index) {
    int x = XOf(e, index);
    EXPECT_GE(x, 0) << "caret at " << index;
    EXPECT_LT(x, 80) << "caret at " << index;
    EXPECT_EQ(Caret().x, x) << "caret at " << index;
  };
  visible(30);
  EXPECT_GT(SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  KeyPress(VK_HOME);
  EXPECT_EQ(XOf(e, 0), 0);
  for (int i = 1; i <= 30; ++i) {
    KeyPress(VK_RIGHT);
    visible(i);
  }
  SendMessageA(e, EM_SETSEL, 0, -1);
  KeyPress(VK_DELETE);
  EXPECT_EQ(XOf(e, 0), 0);
  TypeText("中中中中中中中中中中");
  visible(20);
  KeyPress(VK_HOME);
  visible(0);
}

TEST_F(EditTest, WithoutAutoHScrollInputStopsAtTheRightEdge) {
  // Ten cells and the caret's pixel fill 81 pixels exactly; in 80 only nine go (73 pixels).
  for (auto [width, fits] : { std::pair { 81, 10u }, std::pair { 80, 9u } }) {
    HWND n = Edit(0, width);
    Focus(n);
    TypeText(std::string(20, 'x'));
    EXPECT_EQ(TextOf(n).size(), fits) << "width " << width;
    DestroyWindow(n);
  }
  HWND e = Edit(0, 80);
  Focus(e);
  TypeText(std::string(20, 'x'));
  SetClipboardText("中中");
  SendMessageA(e, EM_SETSEL, 0, 2);
  KeyPress('V', ssCtrl);
  EXPECT_EQ(TextOf(e), "中xxxxxxx");  // the second 中 would not fit
}

// Text and the caret's pixel that just fit stay aligned; text that fills the view exactly leaves the
// caret no pixel, so the view scrolls by one.
TEST_F(EditTest, TextThatExactlyFillsTheViewScrollsByTheCaretsPixel) {
  struct Case {
    DWORD style;
    int width, x;
  } cases[] = {
    { ES_LEFT, 81, 0 },  { ES_RIGHT, 81, 0 },  { ES_CENTER, 81, 0 },
    { ES_LEFT, 80, -1 }, { ES_RIGHT, 80, -1 }, { ES_CENTER, 80, -1 },
  };
  for (const Case& c : cases) {
    HWND e = Edit(ES_AUTOHSCROLL | c.style, c.width);
    Focus(e);
    TypeText(std::string(10, 'x'));
    EXPECT_EQ(XOf(e, 0), c.x) << "style " << c.style << " width " << c.width;
    EXPECT_EQ(Caret().x, c.x + 10 * kCharW) << "style " << c.style << " width " << c.width;
    KeyPress(VK_HOME);  // back to the first character, one pixel left of a scrolled view
    EXPECT_EQ(XOf(e, 0), 0) << "style " << c.style << " width " << c.width;
    DestroyWindow(e);
  }
}

TEST_F(EditTest, AlignmentAndMarginsPlaceTheText) {
  struct Case {
    DWORD style;
    int left, right, x;
  } cases[] = {
    { ES_LEFT, 0, 0, 0 }, { ES_CENTER, 0, 0, 38 }, { ES_RIGHT, 0, 0, 75 },
    { ES_LEFT, 5, 7, 5 }, { ES_CENTER, 5, 7, 37 }, { ES_RIGHT, 5, 7, 68 },
  };
  for (const Case& c : cases) {
    HWND e = Edit(ES_AUTOHSCROLL | c.style, 100, "abc");
    SendMessageA(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(c.left, c.right));
    EXPECT_EQ(SendMessageA(e, EM_GETMARGINS, 0, 0), MAKELONG(c.left, c.right));
    EXPECT_EQ(XOf(e, 0), c.x) << "style " << c.style << " margins " << c.left << "," << c.right;
    PumpUntilIdle();
    EXPECT_EQ(ReadPixel(e, c.x + 2 * kCharW + 3, 5), kBlack) << "style " << c.style;
    EXPECT_EQ(ReadPixel(e, c.x + 3 * kCharW, 5), kWhite) << "style " << c.style;  // after c
    DestroyWindow(e);
  }
}

TEST_F(EditTest, LetterCaseStylesConvertTypedAndSetText) {
  HWND up = Edit(ES_AUTOHSCROLL | ES_UPPERCASE);
  Focus(up);
  TypeText("aBc");
  EXPECT_EQ(TextOf(up), "ABC");
  SetWindowTextA(up, "xyz");
  KeyPress(VK_END);
  ImeCommit("\x81\x61");  // a double-byte character whose trail byte is 'a' stays as it is
  EXPECT_EQ(TextOf(up), "XYZ\x81\x61");

  HWND down = Make("EDIT", ES_AUTOHSCROLL | ES_LOWERCASE, 10, 40, 200, 20);
  Focus(down);
  TypeText("AbC");
  EXPECT_EQ(TextOf(down), "abc");
}

TEST_F(EditTest, EveryChangeIsNoticedByTheParent) {
  HWND e = Edit();
  EXPECT_EQ(SendMessageA(e, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
  Focus(e);
  EXPECT_EQ(Count(EN_SETFOCUS, e), 1);
  Notices().clear();
  struct Step {
    std::function<void()> act;
    int changes;
    const char* what;
  } steps[] = {
    { [] { TypeText("abc"); }, 3, "typing" },
    { [&] { SetWindowTextA(e, "abc"); }, 1, "setting the same text" },
    { [&] { SetWindowTextA(e, ""); }, 1, "clearing the text" },
    { [&] { SendMessageA(e, EM_SETSEL, 0, 0); }, 0, "selecting" },
    { [&] {
       SendMessageA(e, EM_LIMITTEXT, 1, 0);
       TypeText("xy");
     },
      1, "typing past the limit" },
    { [] { KeyPress(VK_LEFT); }, 0, "moving" },
    { [] { KeyPress(VK_DELETE); }, 1, "deleting" },
    { [] { KeyPress(VK_BACK); }, 0, "deleting nothing" },
  };
  for (const Step& s : steps) {
    int before = Count(EN_CHANGE, e);
    s.act();
    EXPECT_EQ(Count(EN_CHANGE, e) - before, s.changes) << s.what;
  }
  for (const Notice& n : Notices()) EXPECT_EQ(n.id, 7) << "notice " << n.code;
  SetFocus(parent);
  EXPECT_EQ(Count(EN_KILLFOCUS, e), 1);
}

TEST_F(EditTest, ParentColourAnswersDecideThePixels) {
  HBRUSH red = CreateSolidBrush(kRed);
  const int glyph = kCharW + 3, gap = kCharW, outside = 150;  // in b's box, left of it, past the text
  struct Case {
    const char* what;
    std::function<LRESULT(HDC, HWND)> answer;
    COLORREF ink, cellGap, background;
  } cases[] = {
    { "default", nullptr, kBlack, kWhite, kWhite },
    { "brush and text colour",
      [&](HDC dc, HWND) {
        SetTextColor(dc, kBlue);
        SetBkColor(dc, kRed);
        return (LRESULT)red;
      },
      kBlue, kRed, kRed },
    { "transparent on a null brush",
      [](HDC dc, HWND) {
        SetTextColor(dc, kGreen);
        SetBkMode(dc, TRANSPARENT);
        return (LRESULT)GetStockObject(NULL_BRUSH);
      },
      kGreen, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE) },
    { "opaque cells on a null brush",
      [](HDC dc, HWND) {
        SetBkColor(dc, kYellow);
        return (LRESULT)GetStockObject(NULL_BRUSH);
      },
      kBlack, kYellow, GetSysColor(COLOR_BTNFACE) },
  };
  for (const Case& c : cases) {
    Behaviour().ctlColor = c.answer;
    HWND e = Edit(ES_AUTOHSCROLL, 200, "ab");
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntilIdle();
    EXPECT_EQ(ReadPixel(e, glyph, 5), c.ink) << c.what;
    EXPECT_EQ(ReadPixel(e, gap, 5), c.cellGap) << c.what;
    EXPECT_EQ(ReadPixel(e, outside, 5), c.background) << c.what;
    DestroyWindow(e);
  }
  Behaviour().ctlColor = nullptr;
  HWND e = Edit(ES_AUTOHSCROLL, 200, "ab");
  EnableWindow(e, FALSE);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(e, glyph, 5), GetSysColor(COLOR_GRAYTEXT));  // disabled text stays readable
  DeleteObject(red);
}

TEST_F(EditTest, SelectionIsHighlightedWithTheFocusOrWithNoHideSel) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "abcd");
  HWND keep = Make("EDIT", ES_AUTOHSCROLL | ES_NOHIDESEL, 10, 40, 200, 20, "abcd");
  SendMessageA(e, EM_SETSEL, 1, 3);
  SendMessageA(keep, EM_SETSEL, 1, 3);
  PumpUntilIdle();
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  EXPECT_EQ(ReadPixel(e, kCharW, 5), kWhite);
  EXPECT_EQ(ReadPixel(keep, kCharW, 5), highlight);
  EXPECT_EQ(ReadPixel(keep, kCharW + 3, 5), highlightText);
  EXPECT_EQ(ReadPixel(keep, 3 * kCharW + 3, 5), kBlack);  // d is not selected
  Focus(e);
  EXPECT_EQ(ReadPixel(e, kCharW, 5), highlight);
  EXPECT_EQ(ReadPixel(e, 2 * kCharW + 3, 5), highlightText);
  SetFocus(parent);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(e, kCharW, 5), kWhite);
}

TEST_F(EditTest, AParentMayDestroyTheEditFromItsChangeNotice) {
  HWND e = Edit();
  Focus(e);
  Behaviour().onCommand = [](const Notice& n) {
    if (n.code == EN_CHANGE) DestroyWindow(n.from);
  };
  TypeText("ab");
  EXPECT_FALSE(IsWindow(e));
}

TEST_F(EditTest, GetTextStopsBeforeAHalfCharacter) {
  HWND e = Edit(ES_AUTOHSCROLL, 200, "a中b");
  char buf[8];
  EXPECT_EQ(GetWindowTextA(e, buf, 3), 1);  // room for two bytes: "a" and not half of 中
  EXPECT_STREQ(buf, "a");
  EXPECT_EQ(GetWindowTextA(e, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "a中b");
  EXPECT_EQ(GetWindowTextLengthA(e), 4);
}

TEST_F(EditTest, TheClassWorksUnderACopiedClassName) {
  // The class library registers a copy of the class under its own name and subclasses each window.
  WNDCLASSA wc {};
  ASSERT_TRUE(GetClassInfoA(nullptr, "Edit", &wc));  // class names are case-blind
  EXPECT_NE(wc.style & CS_DBLCLKS, 0u);
  wc.lpszClassName = "CopiedEdit";
  wc.style |= CS_HREDRAW | CS_VREDRAW;
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND e = Make("CopiedEdit", ES_AUTOHSCROLL, 10, 10, 200, 20, "copy");
  Subclass::Install(e);
  Focus(e);
  KeyPress(VK_END);
  TypeText("!");
  EXPECT_EQ(TextOf(e), "copy!");
  EXPECT_EQ(Count(EN_CHANGE, e), 1);
  DestroyWindow(e);
  UnregisterClassA("CopiedEdit", nullptr);
}

}  // namespace
