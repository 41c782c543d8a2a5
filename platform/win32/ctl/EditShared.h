#pragma once
// What the single-line and the multi-line edit views share: character widths measured with a font, the
// clipboard, the context menu that sends the editing messages, the I-beam cursor, EM_GETSEL's
// answer and the target of a scroll message.

#include <array>
#include <string>
#include <unordered_map>

#include "platform/win32/WinGdi.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/ctl/EditText.h"

namespace xj::ctl {

// Widths per character code of one font.
struct WidthCache {
  WidthCache() { single.fill(-1); }
  std::array<int, 256> single;
  std::unordered_map<unsigned, int> wide;
};

// Measures with a window's font, taking a memory DC (text depends on the font alone) only when a width is
// not yet known; each character is measured once by one measurer.
class Measurer {
 public:
  explicit Measurer(HFONT font);
  ~Measurer();
  Measurer(const Measurer&) = delete;
  Measurer& operator=(const Measurer&) = delete;

  int Width(const char* p, size_t n) {
    if (n == 1) {
      int& w = FCache.single[(unsigned char)p[0]];
      return w >= 0 ? w : (w = Measure(p, 1));
    }
    unsigned key = (unsigned)(unsigned char)p[0] << 8 | (unsigned char)p[1];
    auto it = FCache.wide.find(key);
    return it != FCache.wide.end() ? it->second : (FCache.wide[key] = Measure(p, 2));
  }
  int Width(const std::string& s, size_t i);
  int Height();

 private:
  HDC Dc();
  int Measure(const char* p, size_t n);

  HFONT FFont;
  WidthCache FCache;
  HDC FDc {};
  HGDIOBJ FOld {};
};

// Puts `s` on the clipboard as CF_TEXT; the clipboard's text, or "" when it holds none.
void CopyToClipboard(HWND owner, const std::string& s);
// Puts a copy of `s` on the clipboard the caller has open, in `format`, beside what it holds.
void PutOnClipboard(UINT format, const std::string& s);
std::string ClipboardText(HWND owner);

// What the edit's context menu offers and when.
struct EditMenuFacts {
  bool readOnly;
  bool canUndo;
  bool canCopy;  // a selection that may leave the edit (not a password)
  bool hasSelection;
  bool allSelected;
  bool empty;
};
// Shows the context menu at `at` (the message's lParam; −1,−1 from the keyboard: at `caret`, in
// client coordinates) and sends the chosen editing message to the window.
void EditContextMenu(HWND hwnd, LPARAM at, POINT caret, const EditMenuFacts& facts);

// WM_SETCURSOR: the parent may choose; else the I-beam over the client area.
LRESULT SetEditCursor(HWND hwnd, WPARAM wParam, LPARAM lParam);
// EM_GETSEL: the ends through the pointers, and both in one result while they fit 16 bits.
LRESULT AnswerGetSel(size_t start, size_t end, WPARAM startOut, LPARAM endOut);

// WM_ERASEBKGND: the parent's WM_CTLCOLOREDIT brush over the client area (nothing for a null brush).
LRESULT EraseEditBackground(HWND hwnd, HDC dc);
// A run of text at (x, y) clipped to `clip`, with per-byte advances; with `highlight`, drawn in the
// selection colours over that rectangle.
void DrawEditRun(HDC dc, int x, int y, const RECT& clip, const char* s, UINT n, const int* dx, const RECT* highlight);

// One WM_CHAR byte of GBK input. A lead byte waits for its trail (a lead byte without one is dropped:
// half a character never enters the text); the control characters of Ctrl+C, Ctrl+V, Ctrl+X and
// Ctrl+Z go through the window procedure as messages, so that a subclass filtering them sees them.
struct CharInput {
  enum Kind { Nothing, Character, Backspace };
  // What the byte makes: a character to type (in `text`), a Backspace, or nothing more to do.
  Kind Take(HWND hwnd, unsigned char c, std::string& text);
  void Reset() { pendingLead = -1; }
  int pendingLead { -1 };
};

// The EM_* answers both text engines give alike (undo, modified flag, selection read-back, limit,
// read-only); false when `msg` is none of them.
template <class Text>
bool AnswerEngineMessage(Text& t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case EM_CANUNDO:
      result = t.CanUndo() ? TRUE : FALSE;
      return true;
    case EM_EMPTYUNDOBUFFER:
      t.EmptyUndo();
      return true;
    case EM_GETMODIFY:
      result = t.Modified() ? TRUE : FALSE;
      return true;
    case EM_SETMODIFY:
      t.SetModified(wParam != 0);
      return true;
    case EM_GETSEL:
      result = AnswerGetSel(t.SelStart(), t.SelEnd(), wParam, lParam);
      return true;
    case EM_LIMITTEXT:
      t.SetLimit(wParam && wParam < EditText::kNoLimit ? (size_t)wParam : EditText::kNoLimit);
      return true;
    case EM_GETLIMITTEXT:
      result = (LRESULT)t.Limit();
      return true;
    case EM_SETREADONLY: {
      DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
      SetWindowLongA(hwnd, GWL_STYLE, (LONG)(wParam ? style | ES_READONLY : style & ~(DWORD)ES_READONLY));
      InvalidateRect(hwnd, nullptr, TRUE);
      result = TRUE;
      return true;
    }
  }
  return false;
}

}  // namespace xj::ctl
