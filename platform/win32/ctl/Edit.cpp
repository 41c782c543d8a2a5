// The "EDIT" window class, single-line: the view over the text engine (layout in pixels, horizontal
// scrolling, alignment, margins, password display, painting through the parent's WM_CTLCOLOREDIT
// answer), keyboard and mouse editing, the clipboard messages and their context menu, and the EM_*
// protocol. Every change reaches the parent as EN_CHANGE. An edit created with ES_MULTILINE is the
// multi-line view instead (MemoView.h).

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WinBase.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/MemoView.h"

namespace xj::ctl {

namespace {

struct Edit {
  HWND hwnd {};
  bool dead { false };
  EditText text;
  HFONT font {};
  int leftMargin { 0 };
  int rightMargin { 0 };
  char passwordChar { 0 };
  int scrollX { 0 };  // pixels of the text hidden to the left of the format rectangle
  bool focused { false };
  bool tracking { false };  // a mouse selection is in progress
  CharInput input;

  // Layout of what is shown (the text, or one password character per character).
  bool laidOut { false };
  std::string shown;
  std::vector<int> dx;          // advance per byte of `shown`; a trail byte advances 0
  std::vector<int> xAt;         // per text position: x from the text's start
  std::vector<size_t> shownAt;  // per text position: index into `shown`
  int lineHeight { 16 };
};

StateMap<Edit>& Edits() {
  static auto* m = new StateMap<Edit>;
  return *m;
}

DWORD StyleOf(const Edit& e) { return (DWORD)GetWindowLongA(e.hwnd, GWL_STYLE); }
bool ReadOnly(const Edit& e) { return (StyleOf(e) & ES_READONLY) != 0; }
bool Masked(const Edit& e) { return e.passwordChar != 0; }

LetterCase CaseOf(DWORD style) {
  if (style & ES_UPPERCASE) return LetterCase::Upper;
  if (style & ES_LOWERCASE) return LetterCase::Lower;
  return LetterCase::Unchanged;
}

// ---- Layout ------------------------------------------------------------------------------------------------

void Layout(Edit& e) {
  if (e.laidOut) return;
  Measurer m(e.font);
  e.lineHeight = m.Height();
  const std::string& t = e.text.Text();
  size_t n = t.size();
  int maskWidth = Masked(e) ? m.Width(&e.passwordChar, 1) : 0;
  e.shown.clear();
  e.dx.clear();
  e.xAt.assign(n + 1, 0);
  e.shownAt.assign(n + 1, 0);
  int x = 0;
  for (size_t i = 0; i < n;) {
    size_t len = EditText::CharLength(t, i);
    e.xAt[i] = x;
    e.shownAt[i] = e.shown.size();
    if (len == 2) {
      e.xAt[i + 1] = x;
      e.shownAt[i + 1] = e.shown.size();
    }
    int w = Masked(e) ? maskWidth : m.Width(t, i);
    if (Masked(e)) {
      e.shown += e.passwordChar;
      e.dx.push_back(w);
    } else {
      e.shown.append(t, i, len);
      e.dx.push_back(w);
      if (len == 2) e.dx.push_back(0);
    }
    x += w;
    i += len;
  }
  e.xAt[n] = x;
  e.shownAt[n] = e.shown.size();
  e.laidOut = true;
}

int TextWidth(Edit& e) {
  Layout(e);
  return e.xAt.back();
}

RECT FormatRect(const Edit& e) {
  RECT r {};
  GetClientRect(e.hwnd, &r);
  r.left += e.leftMargin;
  r.right = std::max(r.left, r.right - e.rightMargin);
  return r;
}

// Where the text starts, in client coordinates: aligned while it fits (with a pixel left for the
// caret after the last character), scrolled once it does not.
int TextLeft(Edit& e) {
  RECT f = FormatRect(e);
  int room = f.right - f.left, w = TextWidth(e);
  if (w + 1 > room) return f.left - e.scrollX;
  DWORD align = StyleOf(e) & (ES_CENTER | ES_RIGHT);
  if (align == ES_CENTER) return f.left + (room - w) / 2;
  if (align == ES_RIGHT) return f.right - 1 - w;
  return f.left;
}

// The text position nearest to client x (`nearest`), or the one of the character under x.
size_t PosAt(Edit& e, int x, bool nearest) {
  Layout(e);
  const std::string& t = e.text.Text();
  int tx = x - TextLeft(e);
  for (size_t i = 0; i < t.size(); i += EditText::CharLength(t, i)) {
    size_t next = i + EditText::CharLength(t, i);
    if (tx < e.xAt[next]) return nearest && tx - e.xAt[i] >= e.xAt[next] - tx ? next : i;
  }
  return t.size();
}

// Keeps the caret inside the format rectangle, jumping a third of the width when it leaves, and
// never leaves blank room on the right while text is hidden on the left.
void ScrollToCaret(Edit& e) {
  RECT f = FormatRect(e);
  int room = f.right - f.left, w = TextWidth(e);
  if (w + 1 <= room || !(StyleOf(e) & ES_AUTOHSCROLL)) {
    e.scrollX = 0;
    return;
  }
  int cx = e.xAt[e.text.Caret()];
  int third = std::max(1, room / 3);
  if (cx < e.scrollX) e.scrollX = cx - third;
  if (cx > e.scrollX + room - 1) e.scrollX = cx - room + 1 + third;
  e.scrollX = std::clamp(e.scrollX, 0, w + 1 - room);
}

void PlaceCaret(Edit& e) {
  if (!e.focused) return;
  Layout(e);
  SetCaretPos(TextLeft(e) + e.xAt[e.text.Caret()], FormatRect(e).top);
}

// How many bytes of `s` (whole characters) still fit in the format rectangle in place of the
// selection: an edit without ES_AUTOHSCROLL never scrolls, so it takes no more than it can show.
size_t FitWidth(Edit& e, const std::string& s) {
  RECT f = FormatRect(e);
  int used = TextWidth(e);
  used -= e.xAt[e.text.SelEnd()] - e.xAt[e.text.SelStart()];
  int room = f.right - f.left - 1 - used;
  Measurer m(e.font);
  size_t fit = 0;
  for (size_t i = 0; i < s.size(); i += EditText::CharLength(s, i)) {
    room -= Masked(e) ? m.Width(&e.passwordChar, 1) : m.Width(s, i);
    if (room < 0) break;
    fit = i + EditText::CharLength(s, i);
  }
  return fit;
}

// ---- Refreshing ---------------------------------------------------------------------------------------------

// The window manager's copy of the text (tree dumps, FindWindow) shows what the user sees.
void Mirror(Edit& e) {
  Layout(e);
  DefWindowProcA(e.hwnd, WM_SETTEXT, 0, (LPARAM)e.shown.c_str());
}

// After the caret or the selection moved.
void Moved(Edit& e) {
  ScrollToCaret(e);
  InvalidateRect(e.hwnd, nullptr, TRUE);
  PlaceCaret(e);
}

// After the text changed: relayout, repaint, then EN_CHANGE (which may destroy the window).
void Changed(Edit& e) {
  e.laidOut = false;
  Mirror(e);
  Moved(e);
  NotifyParent(e.hwnd, EN_CHANGE);
}

// ---- Painting -----------------------------------------------------------------------------------------------

void Paint(Edit& e, HDC dc) {
  Layout(e);
  int saved = SaveDC(dc);
  HBRUSH brush = AskColours(e.hwnd, dc, WM_CTLCOLOREDIT);
  RECT client {};
  GetClientRect(e.hwnd, &client);
  FillUnlessNull(dc, client, brush);
  SelectObject(dc, FontOrDefault(e.font));
  if (!IsWindowEnabled(e.hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));

  RECT f = FormatRect(e);
  RECT clip { f.left, f.top, f.right, client.bottom };
  int x0 = TextLeft(e);
  const EditText& t = e.text;
  size_t n = t.Length(), s = t.SelStart(), end = t.SelEnd();
  bool showSelection = t.HasSelection() && (e.focused || (StyleOf(e) & ES_NOHIDESEL));
  if (!showSelection) s = end = n;

  auto run = [&](size_t from, size_t to, bool selected) {
    if (from >= to) return;
    size_t a = e.shownAt[from], b = e.shownAt[to];
    int xa = x0 + e.xAt[from], xb = x0 + e.xAt[to];
    RECT r { std::max(xa, clip.left), f.top, std::min(xb, clip.right), std::min(f.top + e.lineHeight, clip.bottom) };
    DrawEditRun(dc, xa, f.top, clip, e.shown.data() + a, UINT(b - a), e.dx.data() + a, selected ? &r : nullptr);
  };
  run(0, s, false);
  run(s, end, true);
  run(end, n, false);
  RestoreDC(dc, saved);
}

// ---- Editing ------------------------------------------------------------------------------------------------

void Type(Edit& e, const std::string& s) {
  if (ReadOnly(e)) {
    MessageBeep(0);
    return;
  }
  std::string cased = s;
  EditText::ApplyCase(cased, e.text.Case());
  if (!(StyleOf(e) & ES_AUTOHSCROLL) && FitWidth(e, cased) < cased.size()) {
    MessageBeep(0);
    return;
  }
  if (e.text.ReplaceSelection(s, UndoKind::Typing)) Changed(e);
}

bool CanCopy(const Edit& e) { return e.text.HasSelection() && !Masked(e); }

void Copy(Edit& e) {
  if (CanCopy(e)) CopyToClipboard(e.hwnd, e.text.SelectedText());
}

void Paste(Edit& e) {
  if (ReadOnly(e)) return;
  std::string s = ClipboardText(e.hwnd);
  s.resize(std::min(s.size(), s.find_first_of("\r\n")));  // one line is all a single-line edit takes
  if (s.empty()) return;
  EditText::ApplyCase(s, e.text.Case());
  if (!(StyleOf(e) & ES_AUTOHSCROLL)) s.resize(FitWidth(e, s));
  if (!s.empty() && e.text.ReplaceSelection(s, UndoKind::Other)) Changed(e);
}

void Cut(Edit& e) {
  if (ReadOnly(e) || !CanCopy(e)) return;
  Copy(e);
  if (e.text.ReplaceSelection("", UndoKind::Other)) Changed(e);
}

void Clear(Edit& e) {
  if (!ReadOnly(e) && e.text.ReplaceSelection("", UndoKind::Other)) Changed(e);
}

LRESULT UndoEdit(Edit& e) {
  if (ReadOnly(e) || !e.text.Undo()) return FALSE;
  Changed(e);
  return TRUE;
}

// ---- Keyboard and mouse -----------------------------------------------------------------------------------

void KeyDown(Edit& e, UINT vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  EditText& t = e.text;
  size_t to;
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
      to = ctrl ? t.WordLeft(t.Caret()) : (!shift && t.HasSelection()) ? t.SelStart() : t.PrevChar(t.Caret());
      break;
    case VK_RIGHT:
    case VK_DOWN:
      to = ctrl ? t.WordRight(t.Caret()) : (!shift && t.HasSelection()) ? t.SelEnd() : t.NextChar(t.Caret());
      break;
    case VK_HOME:
      to = t.LineStart(t.Caret());
      break;
    case VK_END:
      to = t.LineEnd(t.Caret());
      break;
    case VK_DELETE:
      if (shift)
        SendMessageA(e.hwnd, WM_CUT, 0, 0);
      else if (!ReadOnly(e) && t.DeleteForward())
        Changed(e);
      return;
    case VK_INSERT:
      if (shift)
        SendMessageA(e.hwnd, WM_PASTE, 0, 0);
      else if (ctrl)
        SendMessageA(e.hwnd, WM_COPY, 0, 0);
      return;
    default:
      return;
  }
  t.MoveCaret(to, shift);
  Moved(e);
}

void Char(Edit& e, unsigned char c) {
  std::string typed;
  switch (e.input.Take(e.hwnd, c, typed)) {
    case CharInput::Backspace:
      if (!ReadOnly(e) && e.text.DeleteBackward()) Changed(e);
      return;
    case CharInput::Character:
      if (typed.size() == 2 || (c >= 0x20 && c != 0x7F)) Type(e, typed);
      return;
    case CharInput::Nothing:
      return;
  }
}

// Takes the focus for a click; false when the window went away meanwhile.
bool Focus(Edit& e) {
  if (GetFocus() != e.hwnd) SetFocus(e.hwnd);
  return !e.dead;
}

void ButtonDown(Edit& e, int x, WPARAM keys) {
  if (!Focus(e)) return;
  e.text.MoveCaret(PosAt(e, x, true), (keys & MK_SHIFT) != 0);
  e.tracking = true;
  SetCapture(e.hwnd);
  Moved(e);
}

void MouseMove(Edit& e, int x) {
  if (!e.tracking || GetCapture() != e.hwnd) return;
  size_t p = PosAt(e, x, true);
  if (p == e.text.Caret()) return;
  e.text.MoveCaret(p, true);
  Moved(e);
}

void ButtonUp(Edit& e) {
  if (!e.tracking) return;
  e.tracking = false;
  if (GetCapture() == e.hwnd) ReleaseCapture();
}

void DoubleClick(Edit& e, int x) {
  if (!Focus(e)) return;
  auto [from, to] = e.text.WordAt(PosAt(e, x, false));
  e.text.Select(from, to);
  Moved(e);
}

void ContextMenu(Edit& e, LPARAM at) {
  if (!Focus(e)) return;
  Layout(e);
  const EditText& t = e.text;
  POINT caret { TextLeft(e) + e.xAt[t.Caret()], FormatRect(e).top + e.lineHeight };
  EditContextMenu(e.hwnd, at, caret,
                  EditMenuFacts { ReadOnly(e), t.CanUndo(), CanCopy(e), t.HasSelection(),
                                  t.SelStart() == 0 && t.SelEnd() == t.Length(), t.Length() == 0 });
}

// ---- Focus, font, style ---------------------------------------------------------------------------------

void SetFocusTo(Edit& e) {
  e.focused = true;
  Layout(e);
  CreateCaret(e.hwnd, nullptr, 1, e.lineHeight);
  PlaceCaret(e);
  ShowCaret(e.hwnd);
  InvalidateRect(e.hwnd, nullptr, TRUE);
  NotifyParent(e.hwnd, EN_SETFOCUS);
}

void KillFocus(Edit& e) {
  e.focused = false;
  e.input.Reset();
  DestroyCaret();
  InvalidateRect(e.hwnd, nullptr, TRUE);
  NotifyParent(e.hwnd, EN_KILLFOCUS);
}

void SetFont(Edit& e, HFONT font, bool redraw) {
  e.font = font;
  e.laidOut = false;
  Layout(e);
  if (e.focused) {
    CreateCaret(e.hwnd, nullptr, 1, e.lineHeight);
    ShowCaret(e.hwnd);
  }
  ScrollToCaret(e);
  PlaceCaret(e);
  if (redraw) InvalidateRect(e.hwnd, nullptr, TRUE);
}

// Keeps the password character and ES_PASSWORD in step, whichever of them changed.
void SetPasswordChar(Edit& e, char c) {
  e.passwordChar = c;
  DWORD style = StyleOf(e);
  DWORD want = c ? style | ES_PASSWORD : style & ~(DWORD)ES_PASSWORD;
  if (want != style) SetWindowLongA(e.hwnd, GWL_STYLE, (LONG)want);
  e.laidOut = false;
  Mirror(e);
  Moved(e);
}

void StyleChanged(Edit& e, const STYLESTRUCT* ss) {
  bool was = ss->styleOld & ES_PASSWORD, now = ss->styleNew & ES_PASSWORD;
  if (now && !e.passwordChar) e.passwordChar = '*';
  if (was && !now) e.passwordChar = 0;
  e.laidOut = false;
  Mirror(e);
  Moved(e);
}

// ---- Selection messages -----------------------------------------------------------------------------------

// EM_SETSEL: start −1 removes the selection; an end below zero means the end of the text.
void SetSel(Edit& e, int start, int end) {
  EditText& t = e.text;
  int n = (int)t.Length();
  if (start == -1) {
    t.Select(t.Caret(), t.Caret());
  } else {
    if (end < 0 || end > n) end = n;
    t.Select((size_t)std::clamp(start, 0, n), (size_t)end);
  }
  Moved(e);
}

LRESULT GetText(const Edit& e, WPARAM size, LPARAM buf) {
  if (!buf || size == 0) return 0;
  const std::string& t = e.text.Text();
  size_t n = e.text.Snap(std::min(t.size(), (size_t)size - 1));  // never half a character
  memcpy((char*)buf, t.data(), n);
  ((char*)buf)[n] = 0;
  return (LRESULT)n;
}

LRESULT SetMargins(Edit& e, WPARAM which, LPARAM margins) {
  if (which & EC_LEFTMARGIN) e.leftMargin = LOWORD(margins);
  if (which & EC_RIGHTMARGIN) e.rightMargin = HIWORD(margins);
  Moved(e);
  return 0;
}

LRESULT PosFromChar(Edit& e, WPARAM index) {
  if (index > e.text.Length()) return -1;
  Layout(e);
  return MAKELRESULT(TextLeft(e) + e.xAt[e.text.Snap(index)], FormatRect(e).top);
}

LRESULT Create(HWND hwnd, const CREATESTRUCTA* cs) {
  auto e = Edits().Create(hwnd);
  if (cs) {
    e->text.SetCase(CaseOf((DWORD)cs->style));
    if (cs->style & ES_PASSWORD) e->passwordChar = '*';
    e->text.SetText(cs->lpszName && !IS_INTRESOURCE(cs->lpszName) ? cs->lpszName : "");
  }
  return DefWindowProcA(hwnd, WM_NCCREATE, 0, (LPARAM)cs);
}

LRESULT NcDestroy(Edit& e, WPARAM wParam, LPARAM lParam) {
  Edits().Retire(e.hwnd);
  return DefWindowProcA(e.hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT SetTextMessage(Edit& e, LPARAM text) {
  e.text.SetText(text ? (const char*)text : "");
  e.scrollX = 0;
  Changed(e);
  return TRUE;
}

void ReplaceSel(Edit& e, WPARAM canUndo, LPARAM text) {
  if (e.text.ReplaceSelection(text ? (const char*)text : "", canUndo ? UndoKind::Other : UndoKind::NoUndo)) Changed(e);
}

void StyleChangedMessage(Edit& e, WPARAM which, LPARAM change) {
  if (which == (WPARAM)GWL_STYLE && change) StyleChanged(e, (const STYLESTRUCT*)change);
}

void PaintMessage(Edit& e, WPARAM wParam) {
  AnswerPaint(e.hwnd, wParam, RECT {}, [&](HDC dc, const RECT&) { Paint(e, dc); });
}

LRESULT ScrollCaret(Edit& e) {
  Moved(e);
  return TRUE;
}

// The keyboard and the mouse; false for the others, which go on to DefWindowProcA.
bool InputMessage(Edit& e, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      KeyDown(e, (UINT)wParam);
      break;
    case WM_CHAR:
      Char(e, (unsigned char)wParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(e, GET_X_LPARAM(lParam), wParam);
      break;
    case WM_LBUTTONDBLCLK:
      DoubleClick(e, GET_X_LPARAM(lParam));
      break;
    case WM_MOUSEMOVE:
      MouseMove(e, GET_X_LPARAM(lParam));
      break;
    case WM_LBUTTONUP:
      ButtonUp(e);
      break;
    case WM_CAPTURECHANGED:
      e.tracking = false;
      break;
    case WM_CONTEXTMENU:
      ContextMenu(e, lParam);
      break;
    default:
      return false;
  }
  return true;
}

// The editing commands, answered with zero; the others go on to the input messages.
bool EditingMessage(Edit& e, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COPY:
      Copy(e);
      break;
    case WM_CUT:
      Cut(e);
      break;
    case WM_PASTE:
      Paste(e);
      break;
    case WM_CLEAR:
      Clear(e);
      break;
    case EM_SETSEL:
      SetSel(e, (int)(LONG)wParam, (int)(LONG)lParam);
      break;
    case EM_REPLACESEL:
      ReplaceSel(e, wParam, lParam);
      break;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(e, (char)wParam);
      break;
    default:
      return InputMessage(e, msg, wParam, lParam);
  }
  return true;
}

// The window's life, look and focus, answered with zero; the others go on to the editing commands.
bool ZeroMessage(Edit& e, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Mirror(e);
      break;
    case WM_PAINT:
      PaintMessage(e, wParam);
      break;
    case WM_SIZE:
    case WM_ENABLE:
      Moved(e);
      break;
    case WM_STYLECHANGED:
      StyleChangedMessage(e, wParam, lParam);
      break;
    case WM_SETFONT:
      SetFont(e, (HFONT)wParam, LOWORD(lParam) != 0);
      break;
    case WM_SETFOCUS:
      SetFocusTo(e);
      break;
    case WM_KILLFOCUS:
      KillFocus(e);
      break;
    default:
      return EditingMessage(e, msg, wParam, lParam);
  }
  return true;
}

// The EM_* questions answered with a value; the others go on to the messages answered with zero.
LRESULT EditMessage(Edit& e, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_UNDO:
    case EM_UNDO:
      return UndoEdit(e);
    case EM_GETPASSWORDCHAR:
      return (LRESULT)(unsigned char)e.passwordChar;
    case EM_SETMARGINS:
      return SetMargins(e, wParam, lParam);
    case EM_GETMARGINS:
      return MAKELRESULT(e.leftMargin, e.rightMargin);
    case EM_SCROLLCARET:
      return ScrollCaret(e);
    case EM_POSFROMCHAR:
      return PosFromChar(e, wParam);
    case EM_CHARFROMPOS:
      return MAKELRESULT(PosAt(e, GET_X_LPARAM(lParam), true), 0);
    case EM_GETLINECOUNT:
      return 1;
    case EM_GETFIRSTVISIBLELINE:  // a single-line edit answers with its first visible character
      return (LRESULT)PosAt(e, FormatRect(e).left, false);
    default:
      return ZeroMessage(e, msg, wParam, lParam) ? 0 : DefWindowProcA(e.hwnd, msg, wParam, lParam);
  }
}

LRESULT Handle(Edit& e, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (LRESULT answer; AnswerEngineMessage(e.text, e.hwnd, msg, wParam, lParam, answer)) return answer;
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(e, wParam, lParam);
    case WM_ERASEBKGND:
      return EraseEditBackground(e.hwnd, (HDC)wParam);
    case WM_GETFONT:
      return (LRESULT)e.font;
    case WM_SETTEXT:
      return SetTextMessage(e, lParam);
    case WM_GETTEXT:
      return GetText(e, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return (LRESULT)e.text.Length();
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETCURSOR:
      return SetEditCursor(e.hwnd, wParam, lParam);
    default:
      return EditMessage(e, msg, wParam, lParam);
  }
}

}  // namespace

// A multi-line edit is the multi-line view from its creation on.
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = (const CREATESTRUCTA*)lParam;
    return cs && (cs->style & ES_MULTILINE) ? MemoCreate(hwnd, cs, false) : Create(hwnd, cs);
  }
  std::shared_ptr<Edit> e = Edits().Find(hwnd);
  if (!e) return MemoWindowProc(hwnd, msg, wParam, lParam);
  e->text.SetCase(CaseOf(StyleOf(*e)));
  return Handle(*e, msg, wParam, lParam);
}

}  // namespace xj::ctl
