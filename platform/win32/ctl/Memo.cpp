// The multi-line view: rows laid out from the lines an edit touched (word wrap at blanks and around
// double-byte characters, tab stops, alignment), painting only the visible rows through the parent's
// WM_CTLCOLOREDIT answer, the caret, keyboard and mouse editing, scrolling by messages, keys and the
// wheel, the scroll state, the clipboard and its context menu, and the EM_* protocol of the
// multi-line edit. Every change reaches the parent as EN_CHANGE.

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/MemoText.h"
#include "platform/win32/ctl/MemoView.h"
#include "platform/win32/ctl/Notify.h"
#include "platform/win32/ctl/RichText.h"
#include "platform/win32/ctl/RichView.h"
#include "platform/win32/Scoped.h"

namespace xj::ctl {

namespace {

constexpr size_t kMirrorBytes = 4096;  // what the window manager's copy of the text holds at most

struct Memo {
  HWND hwnd {};
  bool dead { false };
  bool rich { false };
  MemoText text;
  HFONT font {};
  int leftMargin { 0 };
  int rightMargin { 0 };
  int scrollX { 0 };  // pixels hidden left of the format rectangle
  int scrollY { 0 };  // pixels hidden above it (whole rows for the edit)
  bool focused { false };
  bool tracking { false };
  CharInput input;
  int desiredX { -1 };  // the x Up and Down keep while they repeat
  int lineHeight { 16 };
  int aveCharWidth { 8 };
  int tabStop { 64 };         // pixels between tab stops
  int tabUnits { 32 };        // the same in dialog units (a quarter of the average character width each)
  int wrapRoom { -2 };        // the width the rows were laid out for; -1 when not wrapping
  bool noWrap { false };      // rich edit: wrapping turned off by request
  DWORD eventMask { 0 };      // rich edit: which notices the parent wants
  size_t lastSelStart { 0 };  // rich edit: the selection last reported
  size_t lastSelEnd { 0 };
  std::unique_ptr<RichText> formats;  // rich edit: the formats of the text
  std::unique_ptr<RichFonts> fonts;   // rich edit: the fonts of those formats
  int caretHeight { 0 };
  bool undoing { false };  // an undo or redo is under way
  int askedHeight { -1 };  // rich edit: the content height last asked of the parent
  MemoMessage current {};  // the message being handled, as EN_PROTECTED reports it
  bool syncing { false };
};

StateMap<Memo>& Memos() {
  static auto* m = new StateMap<Memo>;
  return *m;
}

DWORD StyleOf(const Memo& m) { return (DWORD)GetWindowLongA(m.hwnd, GWL_STYLE); }
bool ReadOnly(const Memo& m) { return (StyleOf(m) & ES_READONLY) != 0; }
bool Wraps(const Memo& m) { return m.rich ? !m.noWrap : !(StyleOf(m) & (ES_AUTOHSCROLL | WS_HSCROLL)); }

LetterCase CaseOf(DWORD style) {
  if (style & ES_UPPERCASE) return LetterCase::Upper;
  if (style & ES_LOWERCASE) return LetterCase::Lower;
  return LetterCase::Unchanged;
}

// ---- Layout ------------------------------------------------------------------------------------------------

RECT FormatRect(const Memo& m) {
  RECT r {};
  GetClientRect(m.hwnd, &r);
  r.left += m.leftMargin;
  r.right = std::max(r.left, r.right - m.rightMargin);
  return r;
}

int Room(const Memo& m) {
  RECT f = FormatRect(m);
  return std::max(1, (int)(f.right - f.left));
}

int ClientHeight(const Memo& m) {
  RECT r {};
  GetClientRect(m.hwnd, &r);
  return std::max(0, (int)(r.bottom - r.top));
}

int Advance(const Memo& m, Measurer& ms, const std::string& s, size_t i, int x) {
  return s[i] == '\t' ? m.tabStop - x % m.tabStop : ms.Width(s, i);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Rows of one line: a row ends where the next character would cross `room` (-1: never), after the
// last blank before it or between double-byte characters, else at that character; blanks may hang
// past the edge.
void WrapLine(const Memo& m, Measurer& ms, int room, const std::string& t, MemoText::Rows& rows) {
  rows.starts.assign(1, 0);
  int x = 0, widest = 0;
  size_t rowStart = 0, breakAt = 0;  // breakAt: the best start of a next row seen so far (0: none)
  for (size_t i = 0; i < t.size();) {
    size_t len = EditText::CharLength(t, i);
    bool wide = len == 2;
    if (wide && i > rowStart) breakAt = i;
    int w = Advance(m, ms, t, i, x);
    if (room >= 0 && x + w > room && i > rowStart && !IsBlank(t[i])) {
      size_t next = breakAt > rowStart ? breakAt : i;
      rows.starts.push_back((uint32_t)next);
      rowStart = next;
      breakAt = 0;
      x = 0;
      for (size_t j = next; j < i; j += EditText::CharLength(t, j)) x += Advance(m, ms, t, j, x);
      widest = std::max(widest, x);
      w = Advance(m, ms, t, i, x);
    }
    x += w;
    widest = std::max(widest, x);
    i += len;
    if (wide || IsBlank(t[i - len])) breakAt = i;
  }
  rows.width = widest;
}

// Brings the rows up to date: all of them when the wrapping width or the font changed, else the
// lines edits touched.
void Settle(Memo& m) {
  int room = Wraps(m) ? Room(m) : -1;
  if (room != m.wrapRoom) {
    m.wrapRoom = room;
    m.text.InvalidateLayout();
  }
  if (m.text.LaidOut()) return;  // asked before every use of the rows: most often nothing to measure
  if (m.formats) {
    m.fonts->SetWindowFont(m.font);
    RichLayout l { m.text, *m.formats, *m.fonts, room };
    m.text.Relayout(
        [&](size_t offset, const std::string& t, MemoText::Rows& rows) { RichWrap(l, offset, t, room, rows); });
    return;
  }
  Measurer ms(m.font);
  m.text.Relayout([&](const std::string& t, MemoText::Rows& rows) { WrapLine(m, ms, room, t, rows); });
}

RichLayout Layout(Memo& m) { return RichLayout { m.text, *m.formats, *m.fonts, m.wrapRoom >= 0 ? Room(m) : -1 }; }

// Rows by height: the rich edit's each as tall as its tallest run, the edit's all of the font's height.
int DocY(const Memo& m, int row) { return m.formats ? (int)m.text.RowPixel(row) : row * m.lineHeight; }
int RowH(const Memo& m, int row) { return m.formats ? m.text.RowHeight(row) : m.lineHeight; }
int RowAtY(const Memo& m, int y) { return m.formats ? m.text.RowAtPixel(y) : y / m.lineHeight; }
int ContentHeight(const Memo& m) { return m.formats ? (int)m.text.Pixels() : m.text.RowCount() * m.lineHeight; }

int VisibleRows(const Memo& m) { return std::max(1, ClientHeight(m) / m.lineHeight); }
int Extent(const Memo& m) { return m.wrapRoom >= 0 ? 0 : m.text.Widest() + 1; }  // +1: the caret after the widest
int MaxScrollX(const Memo& m) { return std::max(0, Extent(m) - Room(m)); }
int MaxScrollY(const Memo& m) {
  int rows = m.text.RowCount();
  if (m.rich) return std::max(0, ContentHeight(m) - ClientHeight(m));
  return std::max(0, rows - VisibleRows(m)) * m.lineHeight;
}

// x from the row's start to `pos`, and the row's width.
int XInRow(Memo& m, Measurer& ms, int row, size_t pos) {
  if (m.formats) {
    RichLayout l = Layout(m);
    return RichX(l, row, pos);
  }
  size_t start = m.text.RowStart(row), end = std::min(pos, m.text.RowEnd(row));
  int line = m.text.LineOf(start);
  const std::string& t = m.text.Line(line);
  size_t off = m.text.LineOffset(line);
  int x = 0;
  for (size_t i = start - off; i < end - off; i += EditText::CharLength(t, i)) x += Advance(m, ms, t, i, x);
  return x;
}

// Where a row of `width` starts, in client x: aligned within the format rectangle when it fits there,
// else from its left edge; scrolling moves every row alike.
int RowLeft(const Memo& m, int width) {
  RECT f = FormatRect(m);
  int span = Room(m);
  int shift = 0;
  DWORD align = StyleOf(m) & (ES_CENTER | ES_RIGHT);
  if (align == ES_CENTER) shift = std::max(0, (span - width) / 2);
  if (align == ES_RIGHT) shift = std::max(0, span - 1 - width);
  return f.left - m.scrollX + shift;
}

int RowTop(const Memo& m, int row) { return FormatRect(m).top + DocY(m, row) - m.scrollY; }

// Where a row's text starts, in client x.
int RowStartX(Memo& m, Measurer& ms, int row) {
  if (!m.formats) return RowLeft(m, XInRow(m, ms, row, m.text.RowEnd(row)));
  RichLayout l = Layout(m);
  return FormatRect(m).left - m.scrollX + RichRowShift(l, row, Room(m));
}

// The last position a caret may take in a row: a wrapped row's end is the next row's start.
size_t RowLast(const Memo& m, int row) {
  size_t end = m.text.RowEnd(row);
  bool soft = row + 1 < m.text.RowCount() && m.text.RowStart(row + 1) == end;
  return soft && end > m.text.RowStart(row) ? m.text.PrevChar(end) : end;
}

POINT CaretPoint(Memo& m, Measurer& ms, size_t pos) {
  int row = m.text.RowOf(pos);
  return POINT { RowStartX(m, ms, row) + XInRow(m, ms, row, pos), RowTop(m, row) };
}

// The position nearest to x in a row.
size_t PosInRow(Memo& m, Measurer& ms, int row, int x) {
  size_t start = m.text.RowStart(row), last = RowLast(m, row);
  int line = m.text.LineOf(start);
  const std::string& t = m.text.Line(line);
  size_t off = m.text.LineOffset(line);
  int tx = x - RowStartX(m, ms, row), cx = 0;
  if (m.formats) {
    RichLayout l = Layout(m);
    return RichPos(l, row, tx, last);
  }
  for (size_t i = start - off; i < last - off;) {
    int w = Advance(m, ms, t, i, cx);
    if (tx < cx + w) return off + (tx - cx >= cx + w - tx ? i + EditText::CharLength(t, i) : i);
    cx += w;
    i += EditText::CharLength(t, i);
  }
  return last;
}

size_t PosAt(Memo& m, int x, int y) {
  Settle(m);
  int rel = y - FormatRect(m).top + m.scrollY;
  int row = std::clamp(rel < 0 ? -1 : RowAtY(m, rel), 0, m.text.RowCount() - 1);
  Measurer ms(m.font);
  return PosInRow(m, ms, row, x);
}

// ---- Scroll state -----------------------------------------------------------------------------------------------

// Publishes the scroll state; a bar that appears or goes changes the room, so this settles over a few
// rounds.
void SyncBars(Memo& m) {
  if (m.syncing) return;
  m.syncing = true;
  for (int round = 0; round < 3 && !m.dead; ++round) {
    Settle(m);
    m.scrollX = std::clamp(m.scrollX, 0, MaxScrollX(m));
    m.scrollY = std::clamp(m.scrollY, 0, MaxScrollY(m));
    RECT before {};
    GetClientRect(m.hwnd, &before);
    SCROLLINFO v { sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0 };
    SCROLLINFO h = v;
    int rows = m.text.RowCount();
    if (m.rich) {
      int total = ContentHeight(m), page = ClientHeight(m);
      if (total > page) {
        v.nMax = total - 1;
        v.nPage = (UINT)page;
        v.nPos = m.scrollY;
      }
    } else if (rows > VisibleRows(m)) {
      v.nMax = rows - 1;
      v.nPage = (UINT)VisibleRows(m);
      v.nPos = m.scrollY / m.lineHeight;
    }
    if (Extent(m) > Room(m)) {
      h.nMax = Extent(m) - 1;
      h.nPage = (UINT)Room(m);
      h.nPos = m.scrollX;
    }
    SetScrollInfo(m.hwnd, SB_VERT, &v, TRUE);
    SetScrollInfo(m.hwnd, SB_HORZ, &h, TRUE);
    RECT after {};
    GetClientRect(m.hwnd, &after);
    if (after.right == before.right && after.bottom == before.bottom) break;
  }
  m.syncing = false;
}

void PlaceCaret(Memo& m);

// The caret moves with the text under it.
void SetScroll(Memo& m, int x, int y) {
  Settle(m);
  if (!m.rich) y = y / m.lineHeight * m.lineHeight;
  x = std::clamp(x, 0, MaxScrollX(m));
  y = std::clamp(y, 0, MaxScrollY(m));
  if (x == m.scrollX && y == m.scrollY) return;
  m.scrollX = x;
  m.scrollY = y;
  SyncBars(m);
  InvalidateRect(m.hwnd, nullptr, TRUE);
  PlaceCaret(m);
}

void PlaceCaret(Memo& m) {
  if (!m.focused) return;
  Settle(m);
  Measurer ms(m.font);
  POINT p = CaretPoint(m, ms, m.text.Caret());
  if (const int h = RowH(m, m.text.RowOf(m.text.Caret())); m.formats && h != m.caretHeight) {
    m.caretHeight = h;  // the rich edit's caret is as tall as its row
    CreateCaret(m.hwnd, nullptr, 1, h);
    ShowCaret(m.hwnd);
  }
  // Where it is already (a line added after the caret): moving it would only take it off and back.
  POINT now {};
  if (GetCaretPos(&now) && now.x == p.x && now.y == p.y) return;
  SetCaretPos(p.x, p.y);
}

// Keeps the caret's row inside the view and its x inside the format rectangle (jumping a third of the
// width when it leaves).
void ScrollToCaret(Memo& m) {
  Settle(m);
  Measurer ms(m.font);
  int row = m.text.RowOf(m.text.Caret());
  int y = m.scrollY, top = DocY(m, row), page = m.rich ? ClientHeight(m) : VisibleRows(m) * m.lineHeight;
  if (top < y) y = top;
  if (top + RowH(m, row) > y + page) y = top + RowH(m, row) - page;
  if (!m.rich) y = (y + m.lineHeight - 1) / m.lineHeight * m.lineHeight;
  int x = m.scrollX;
  if (m.wrapRoom < 0) {
    int room = Room(m), third = std::max(1, room / 3);
    POINT p = CaretPoint(m, ms, m.text.Caret());
    int cx = p.x - FormatRect(m).left + m.scrollX;
    if (cx < x) x = cx - third;
    if (cx > x + room - 1) x = cx - room + 1 + third;
  }
  SetScroll(m, x, y);
}

// ---- Refreshing ---------------------------------------------------------------------------------------------------

void Mirror(Memo& m) {
  if (m.text.TakeChangedFrom() >= kMirrorBytes) return;  // the head the copy holds is as it was
  std::string head = m.text.Range(0, kMirrorBytes);
  DefWindowProcA(m.hwnd, WM_SETTEXT, 0, (LPARAM)head.c_str());
}

void ReportSelection(Memo& m) {
  if (!m.rich || !(m.eventMask & ENM_SELCHANGE)) return;
  size_t s = m.text.SelStart(), e = m.text.SelEnd();
  if (s == m.lastSelStart && e == m.lastSelEnd) return;
  m.lastSelStart = s;
  m.lastSelEnd = e;
  HWND parent = GetParent(m.hwnd);
  if (!parent) return;
  SELCHANGE sc {};
  sc.nmhdr.hwndFrom = m.hwnd;
  sc.nmhdr.idFrom = (UINT_PTR)GetWindowLongPtrA(m.hwnd, GWL_ID);
  sc.nmhdr.code = EN_SELCHANGE;
  sc.chrg = CHARRANGE { (LONG)s, (LONG)e };
  sc.seltyp = s == e ? SEL_EMPTY : SEL_TEXT;
  SendMessageA(parent, WM_NOTIFY, sc.nmhdr.idFrom, (LPARAM)&sc);
}

void Moved(Memo& m) {
  ScrollToCaret(m);
  InvalidateRect(m.hwnd, nullptr, TRUE);
  PlaceCaret(m);
  ReportSelection(m);
}

// The rich edit asks its parent for the height its content takes whenever that height changes (always,
// when asked to by EM_REQUESTRESIZE): the format rectangle with that height.
void RequestResize(Memo& m, bool always = false) {
  if (!m.rich || !(m.eventMask & ENM_REQUESTRESIZE) || m.dead) return;
  Settle(m);
  const int height = m.formats ? std::max(1, ContentHeight(m)) : std::max(1, m.text.RowCount()) * m.lineHeight;
  if (!always && height == m.askedHeight) return;
  m.askedHeight = height;
  REQRESIZE request {};
  request.rc = FormatRect(m);
  request.rc.bottom = request.rc.top + height;
  NotifyParentOf(m.hwnd, EN_REQUESTRESIZE, request.nmhdr);
}

// Before an edit changes protected text, a rich edit whose parent wants to know asks it
// (EN_PROTECTED); a non-zero answer refuses the edit.
bool MayChange(Memo& m, size_t from, size_t to) {
  if (!(m.eventMask & ENM_PROTECTED) || !m.formats->Protected(from, to)) return true;
  ENPROTECTED ask {};
  ask.msg = m.current.msg;
  ask.wParam = m.current.wParam;
  ask.lParam = m.current.lParam;
  ask.chrg = CHARRANGE { (LONG)from, (LONG)to };
  const bool refused = NotifyParentOf(m.hwnd, EN_PROTECTED, ask.nmhdr) != 0;
  return !refused && !m.dead;
}

// After the text changed: rows, bars, repaint, the size request, then EN_CHANGE (which may destroy the
// window). A text set as a whole (WM_SETTEXT) is not reported as a change: whoever set it knows.
void Changed(Memo& m, bool notify = true) {
  HWND hwnd = m.hwnd;
  Mirror(m);
  SyncBars(m);
  m.desiredX = -1;
  Moved(m);
  RequestResize(m);
  if (m.dead || !notify) return;
  if (!m.rich || (m.eventMask & ENM_CHANGE)) NotifyParent(hwnd, EN_CHANGE);
}

// ---- Painting -------------------------------------------------------------------------------------------------------

void PaintRow(Memo& m, Measurer& ms, HDC dc, int row, const MemoText::RowSpan& span, const RECT& clip, size_t selS,
              size_t selE) {
  const size_t start = span.start, end = span.end, off = span.lineOffset;
  const std::string& t = *span.text;
  std::string shown;        // the row's bytes, tabs as blanks
  std::vector<int> dx, xs;  // per byte: advance; x before it
  int x = 0;
  for (size_t i = start - off; i < end - off;) {
    size_t len = EditText::CharLength(t, i);
    int w = Advance(m, ms, t, i, x);
    for (size_t k = 0; k < len; ++k) {
      shown += t[i] == '\t' ? ' ' : t[i + k];
      dx.push_back(k == 0 ? w : 0);
      xs.push_back(x);
    }
    x += w;
    i += len;
  }
  xs.push_back(x);
  int x0 = RowLeft(m, x), y = RowTop(m, row);
  auto run = [&](size_t from, size_t to, bool selected) {  // byte offsets within the row
    if (from >= to) return;
    RECT r { std::max((int)clip.left, x0 + xs[from]), std::max((int)clip.top, y),
             std::min((int)clip.right, x0 + xs[to]), std::min((int)clip.bottom, y + m.lineHeight) };
    DrawEditRun(dc, x0 + xs[from], y, clip, shown.data() + from, UINT(to - from), dx.data() + from,
                selected ? &r : nullptr);
  };
  size_t n = shown.size();
  size_t a = std::clamp(selS, start, end) - start, b = std::clamp(selE, start, end) - start;
  run(0, a, false);
  run(a, b, true);
  run(b, n, false);
}

void Paint(Memo& m, HDC dc) {
  Settle(m);
  int saved = SaveDC(dc);
  HBRUSH brush = AskColours(m.hwnd, dc, WM_CTLCOLOREDIT);
  RECT client {};
  GetClientRect(m.hwnd, &client);
  FillUnlessNull(dc, client, brush);
  SelectObject(dc, FontOrDefault(m.font));
  if (!IsWindowEnabled(m.hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT f = FormatRect(m);
  RECT clip { f.left, client.top, f.right, client.bottom };
  const MemoText& t = m.text;
  bool showSelection = t.HasSelection() && (m.focused || (StyleOf(m) & ES_NOHIDESEL));
  size_t s = showSelection ? t.SelStart() : 0, e = showSelection ? t.SelEnd() : 0;
  Measurer ms(m.font);
  RichFonts none;
  RichText plain;
  RichLayout rich = m.formats ? Layout(m) : RichLayout { m.text, plain, none, -1 };
  const RichPaint paint { dc, clip, s, e, GetTextColor(dc), IsWindowEnabled(m.hwnd) != FALSE };
  const int rows = t.RowCount(), first = std::max(0, RowAtY(m, m.scrollY));
  if (first < rows) {
    MemoText::RowSpan span = t.Span(first);
    for (int row = first; row < rows && RowTop(m, row) < client.bottom; ++row, t.NextSpan(span))
      if (m.formats)
        RichPaintRow(rich, paint, row, RowStartX(m, ms, row), RowTop(m, row));
      else
        PaintRow(m, ms, dc, row, span, clip, s, e);
  }
  RestoreDC(dc, saved);
}

// ---- Editing --------------------------------------------------------------------------------------------------------

// Replaces the selection as the user does; a limit that cuts the insertion tells the parent.
void Insert(Memo& m, const std::string& s, UndoKind kind) {
  if (ReadOnly(m)) {
    MessageBeep(0);
    return;
  }
  size_t before = m.text.Length() - (m.text.SelEnd() - m.text.SelStart());
  bool changed = m.text.ReplaceSelection(s, kind);
  if (changed) Changed(m);
  if (m.dead) return;
  if (m.text.Length() - before < MemoText::NormalBreaks(s).size()) NotifyParent(m.hwnd, EN_MAXTEXT);
}

bool CanCopy(const Memo& m) { return m.text.HasSelection(); }

void Copy(Memo& m) {
  if (CanCopy(m)) CopyToClipboard(m.hwnd, m.text.SelectedText());
}

void Cut(Memo& m) {
  if (ReadOnly(m) || !CanCopy(m)) return;
  Copy(m);
  if (m.text.ReplaceSelection("", UndoKind::Other)) Changed(m);
}

void Clear(Memo& m) {
  if (!ReadOnly(m) && m.text.ReplaceSelection("", UndoKind::Other)) Changed(m);
}

void Paste(Memo& m) {
  if (ReadOnly(m)) return;
  std::string s = ClipboardText(m.hwnd);
  if (!s.empty()) Insert(m, s, UndoKind::Other);
}

LRESULT UndoEdit(Memo& m) {
  xj::TemporaryChange<bool> undoing(m.undoing, true);
  if (ReadOnly(m) || !m.text.Undo()) return FALSE;
  Changed(m);
  return TRUE;
}

// ---- Keyboard and mouse ---------------------------------------------------------------------------------------------

// The position Up / Down / Page Up / Page Down reach: `rows` rows away at the remembered x.
size_t RowsAway(Memo& m, int rows) {
  Measurer ms(m.font);
  size_t caret = m.text.Caret();
  int row = m.text.RowOf(caret);
  if (m.desiredX < 0) m.desiredX = CaretPoint(m, ms, caret).x;
  int to = std::clamp(row + rows, 0, m.text.RowCount() - 1);
  return to == row ? caret : PosInRow(m, ms, to, m.desiredX);
}

void KeyDown(Memo& m, UINT vk) {
  Settle(m);
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  MemoText& t = m.text;
  size_t caret = t.Caret(), to;
  bool vertical = false;
  switch (vk) {
    case VK_LEFT:
      to = ctrl ? t.WordLeft(caret) : (!shift && t.HasSelection()) ? t.SelStart() : t.PrevChar(caret);
      break;
    case VK_RIGHT:
      to = ctrl ? t.WordRight(caret) : (!shift && t.HasSelection()) ? t.SelEnd() : t.NextChar(caret);
      break;
    case VK_UP:
    case VK_DOWN:
      if (ctrl) {  // scrolls without moving the caret
        SetScroll(m, m.scrollX, m.scrollY + (vk == VK_UP ? -m.lineHeight : m.lineHeight));
        return;
      }
      to = RowsAway(m, vk == VK_UP ? -1 : 1);
      vertical = true;
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      int page = std::max(1, VisibleRows(m) - 1) * (vk == VK_PRIOR ? -1 : 1);
      to = RowsAway(m, page);
      SetScroll(m, m.scrollX, m.scrollY + page * m.lineHeight);
      vertical = true;
      break;
    }
    case VK_HOME:
      to = ctrl ? 0 : t.RowStart(t.RowOf(caret));
      break;
    case VK_END:
      to = ctrl ? t.Length() : RowLast(m, t.RowOf(caret));
      break;
    case VK_DELETE:
      if (shift)
        SendMessageA(m.hwnd, WM_CUT, 0, 0);
      else if (!ReadOnly(m) && t.DeleteForward())
        Changed(m);
      return;
    case VK_INSERT:
      if (shift)
        SendMessageA(m.hwnd, WM_PASTE, 0, 0);
      else if (ctrl)
        SendMessageA(m.hwnd, WM_COPY, 0, 0);
      return;
    default:
      return;
  }
  int keepX = m.desiredX;
  t.MoveCaret(to, shift);
  m.desiredX = vertical ? keepX : -1;
  Moved(m);
}

void Char(Memo& m, unsigned char c) {
  std::string typed;
  switch (m.input.Take(m.hwnd, c, typed)) {
    case CharInput::Backspace:
      if (!ReadOnly(m) && m.text.DeleteBackward()) Changed(m);
      return;
    case CharInput::Nothing:
      return;
    case CharInput::Character:
      break;
  }
  switch (c) {
    case 0x01:  // Ctrl+A
      SendMessageA(m.hwnd, EM_SETSEL, 0, -1);
      return;
    case '\r':
    case '\n':  // Shift+Enter in a rich edit breaks the line within its paragraph
      Insert(m, m.rich && GetKeyState(VK_SHIFT) < 0 ? "\v" : "\r\n", UndoKind::Other);
      return;
    case '\t':
      Insert(m, "\t", UndoKind::Typing);
      return;
  }
  if (typed.size() == 2 || (c >= 0x20 && c != 0x7F)) Insert(m, typed, UndoKind::Typing);
}

bool Focus(Memo& m) {
  if (GetFocus() != m.hwnd) SetFocus(m.hwnd);
  return !m.dead;
}

void ButtonDown(Memo& m, LPARAM at, WPARAM keys) {
  if (!Focus(m)) return;
  m.text.MoveCaret(PosAt(m, GET_X_LPARAM(at), GET_Y_LPARAM(at)), (keys & MK_SHIFT) != 0);
  m.desiredX = -1;
  m.tracking = true;
  SetCapture(m.hwnd);
  Moved(m);
}

void MouseMove(Memo& m, LPARAM at) {
  if (!m.tracking || GetCapture() != m.hwnd) return;
  size_t p = PosAt(m, GET_X_LPARAM(at), GET_Y_LPARAM(at));
  if (p == m.text.Caret()) return;
  m.text.MoveCaret(p, true);
  Moved(m);
}

void ButtonUp(Memo& m) {
  if (!m.tracking) return;
  m.tracking = false;
  if (GetCapture() == m.hwnd) ReleaseCapture();
}

void DoubleClick(Memo& m, LPARAM at) {
  if (!Focus(m)) return;
  auto [from, to] = m.text.WordAt(PosAt(m, GET_X_LPARAM(at), GET_Y_LPARAM(at)));
  m.text.Select(from, to);
  Moved(m);
}

// The wheel turned away from the user scrolls up.
void Wheel(Memo& m, WPARAM wParam) {
  int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  if (notches == 0) return;
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  SetScroll(m, m.scrollX, m.scrollY - notches * (int)lines * m.lineHeight);
}

void ContextMenu(Memo& m, LPARAM at) {
  if (!Focus(m)) return;
  Settle(m);
  Measurer ms(m.font);
  POINT caret = CaretPoint(m, ms, m.text.Caret());
  caret.y += RowH(m, m.text.RowOf(m.text.Caret()));
  const MemoText& t = m.text;
  EditContextMenu(m.hwnd, at, caret,
                  EditMenuFacts { ReadOnly(m), t.CanUndo(), CanCopy(m), t.HasSelection(),
                                  t.SelStart() == 0 && t.SelEnd() == t.Length(), t.Length() == 0 });
}

// ---- Scroll messages ------------------------------------------------------------------------------------------------

void VScroll(Memo& m, WPARAM wParam, LPARAM lParam) {
  Settle(m);
  int code = LOWORD(wParam);
  if (m.rich) {
    int page = std::max(m.lineHeight, ClientHeight(m));
    SetScroll(m, m.scrollX, ScrollTarget(code, wParam, lParam, m.scrollY, m.lineHeight, page, MaxScrollY(m)));
    return;
  }
  int first = m.scrollY / m.lineHeight;
  int to = ScrollTarget(code, wParam, lParam, first, 1, VisibleRows(m), MaxScrollY(m) / m.lineHeight);
  SetScroll(m, m.scrollX, to * m.lineHeight);
}

void HScroll(Memo& m, WPARAM wParam, LPARAM lParam) {
  Settle(m);
  SetScroll(m, ScrollTarget(LOWORD(wParam), wParam, lParam, m.scrollX, m.aveCharWidth, Room(m), MaxScrollX(m)),
            m.scrollY);
}

// EM_SCROLL: the rows it moved in the low word, TRUE in the high word.
LRESULT ScrollBy(Memo& m, WPARAM code) {
  int before = m.scrollY;
  int rows = code == SB_LINEUP ? -1 : code == SB_LINEDOWN ? 1 : 0;
  if (code == SB_PAGEUP) rows = -VisibleRows(m);
  if (code == SB_PAGEDOWN) rows = VisibleRows(m);
  if (code > SB_PAGEDOWN) return FALSE;
  SetScroll(m, m.scrollX, m.scrollY + rows * m.lineHeight);
  return MAKELRESULT((WORD)(short)((m.scrollY - before) / m.lineHeight), TRUE);
}

// ---- Line messages -------------------------------------------------------------------------------------------------

int RowArg(Memo& m, WPARAM wParam) { return (int)(LONG)wParam < 0 ? m.text.RowOf(m.text.Caret()) : (int)(LONG)wParam; }

LRESULT LineIndex(Memo& m, WPARAM wParam) {
  Settle(m);
  int row = RowArg(m, wParam);
  return row < m.text.RowCount() ? (LRESULT)m.text.RowStart(row) : -1;
}

LRESULT LineFromChar(Memo& m, WPARAM wParam) {
  Settle(m);
  size_t pos = (int)(LONG)wParam < 0 ? m.text.SelStart() : std::min((size_t)wParam, m.text.Length());
  return m.text.RowOf(pos);
}

// Where a row's text ends for the line messages: before a rich edit's soft break that ends it.
size_t RowTextEnd(const Memo& m, int row) {
  const MemoText::RowSpan s = m.text.Span(row);
  return s.end > s.start && (*s.text)[s.end - s.lineOffset - 1] == '\v' ? s.end - 1 : s.end;
}

// EM_LINELENGTH: the length of the row holding the character; −1: the characters left unselected on
// the rows the selection touches.
LRESULT LineLength(Memo& m, WPARAM wParam) {
  Settle(m);
  const MemoText& t = m.text;
  if ((int)(LONG)wParam >= 0) {
    if ((size_t)wParam > t.Length()) return 0;
    int row = t.RowOf(wParam);
    return (LRESULT)(RowTextEnd(m, row) - t.RowStart(row));
  }
  if (!t.HasSelection()) {
    int row = t.RowOf(t.Caret());
    return (LRESULT)(RowTextEnd(m, row) - t.RowStart(row));
  }
  size_t s = t.SelStart(), e = t.SelEnd(), end = RowTextEnd(m, t.RowOf(e));
  return (LRESULT)((s - t.RowStart(t.RowOf(s))) + (end - std::min(e, end)));
}

// EM_GETLINE: the buffer's first word holds its size; the row is copied without a terminator.
LRESULT GetLine(Memo& m, WPARAM wParam, LPARAM lParam) {
  Settle(m);
  int row = (int)(LONG)wParam;
  if (!lParam || row < 0 || row >= m.text.RowCount()) return 0;
  WORD size = 0;
  memcpy(&size, (const void*)lParam, sizeof size);
  std::string s = m.text.Range(m.text.RowStart(row), RowTextEnd(m, row));
  size_t n = std::min(s.size(), (size_t)size);
  memcpy((void*)lParam, s.data(), n);
  return (LRESULT)n;
}

LRESULT LineScroll(Memo& m, WPARAM chars, LPARAM rows) {
  SetScroll(m, m.scrollX + (int)(LONG)chars * m.aveCharWidth, m.scrollY + (int)rows * m.lineHeight);
  return TRUE;
}

LRESULT PosFromChar(Memo& m, WPARAM index) {
  if (index > m.text.Length()) return -1;
  Settle(m);
  Measurer ms(m.font);
  POINT p = CaretPoint(m, ms, m.text.Snap(index));
  return MAKELRESULT((WORD)(short)p.x, (WORD)(short)p.y);
}

LRESULT CharFromPos(Memo& m, LPARAM at) {
  size_t pos = PosAt(m, GET_X_LPARAM(at), GET_Y_LPARAM(at));
  return MAKELRESULT((WORD)pos, (WORD)m.text.RowOf(pos));
}

// EM_SETTABSTOPS with none or one stop (in dialog units, a quarter of the average character width);
// several stops keep the first.
LRESULT SetTabStops(Memo& m, WPARAM count, LPARAM stops) {
  int units = 32;
  if (count >= 1 && stops) units = *(const int*)stops;
  if (units <= 0) return FALSE;
  m.tabUnits = units;
  m.tabStop = std::max(1, units * m.aveCharWidth / 4);
  m.text.InvalidateLayout();
  m.wrapRoom = -2;
  SyncBars(m);
  InvalidateRect(m.hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT GetText(Memo& m, WPARAM size, LPARAM buf) {
  if (!buf || size == 0) return 0;
  size_t n = m.text.Snap(std::min(m.text.Length(), (size_t)size - 1));
  std::string s = m.text.Range(0, n);
  memcpy((char*)buf, s.data(), s.size());
  ((char*)buf)[s.size()] = 0;
  return (LRESULT)s.size();
}

void SetSel(Memo& m, int start, int end) {
  MemoText& t = m.text;
  int n = (int)std::min<size_t>(t.Length(), 0x7FFFFFFF);
  if (start == -1) {
    t.Select(t.Caret(), t.Caret());
  } else {
    if (end < 0 || end > n) end = n;
    t.Select((size_t)std::clamp(start, 0, n), (size_t)end);
  }
  m.desiredX = -1;
  Moved(m);
}

// ---- Focus, font, style ---------------------------------------------------------------------------------------------

void SetFocusTo(Memo& m) {
  m.focused = true;
  CreateCaret(m.hwnd, nullptr, 1, m.lineHeight);
  m.caretHeight = m.lineHeight;
  PlaceCaret(m);
  ShowCaret(m.hwnd);
  InvalidateRect(m.hwnd, nullptr, TRUE);
  NotifyParent(m.hwnd, EN_SETFOCUS);
}

void KillFocus(Memo& m) {
  m.focused = false;
  m.input.Reset();
  DestroyCaret();
  InvalidateRect(m.hwnd, nullptr, TRUE);
  NotifyParent(m.hwnd, EN_KILLFOCUS);
}

// The font and its measures; the rows are laid out anew when next asked for.
void SetFont(Memo& m, HFONT font, bool redraw) {
  m.font = font;
  TEXTMETRICA tm = MetricsOf(font);
  m.lineHeight = std::max(1, (int)tm.tmHeight);
  m.aveCharWidth = std::max(1, (int)tm.tmAveCharWidth);
  m.tabStop = std::max(1, m.tabUnits * m.aveCharWidth / 4);
  m.wrapRoom = -2;
  if (m.focused) {
    CreateCaret(m.hwnd, nullptr, 1, m.lineHeight);
    m.caretHeight = m.lineHeight;
    ShowCaret(m.hwnd);
  }
  SyncBars(m);
  ScrollToCaret(m);
  PlaceCaret(m);
  if (redraw) InvalidateRect(m.hwnd, nullptr, TRUE);
  RequestResize(m);
}

// Wrapping or the room changed.
void Reflow(Memo& m) {
  SyncBars(m);
  ScrollToCaret(m);
  PlaceCaret(m);
  InvalidateRect(m.hwnd, nullptr, TRUE);
  RequestResize(m);
}

void Create(Memo& m) {
  SetFont(m, nullptr, false);
  Mirror(m);
}

LRESULT NcDestroy(Memo& m, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = m.hwnd;
  Memos().Retire(hwnd);
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

// WM_PAINT, into the DC in wParam when there is one.
void PaintMessage(Memo& m, WPARAM wParam) {
  AnswerPaint(m.hwnd, wParam, RECT {}, [&](HDC dc, const RECT&) { Paint(m, dc); });
}

// The whole text, and with a document its formats (unless its breaks or a NUL made the text another
// length), laid out once.
LRESULT SetTextMessage(Memo& m, const char* text, RichDocument* doc = nullptr) {
  m.text.SetText(text ? text : "");
  if (m.formats && doc && doc->text.size() == m.text.Length()) {
    *m.formats = std::move(doc->rich);
    m.fonts->Clear();  // the format numbers are the new document's
  } else if (m.formats) {
    m.formats->Reset(m.text.Length());
  }
  m.scrollX = m.scrollY = 0;
  Changed(m, false);
  return TRUE;
}

void ReplaceSel(Memo& m, bool undoable, const char* text) {
  if (m.text.ReplaceSelection(text ? text : "", undoable ? UndoKind::Other : UndoKind::NoUndo)) Changed(m);
}

void SetMargins(Memo& m, WPARAM which, LPARAM margins) {
  if (which & EC_LEFTMARGIN) m.leftMargin = LOWORD(margins);
  if (which & EC_RIGHTMARGIN) m.rightMargin = HIWORD(margins);
  Reflow(m);
}

void GetRect(Memo& m, RECT* rc) {
  if (rc) *rc = FormatRect(m);
}

LRESULT ScrollCaret(Memo& m) {
  Moved(m);
  return TRUE;
}

LRESULT LineCount(Memo& m) {
  Settle(m);
  return m.text.RowCount();
}

// Keyboard, mouse and the clipboard, answered with zero; false for other messages.
bool InputMessage(Memo& m, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      KeyDown(m, (UINT)wParam);
      break;
    case WM_CHAR:
      Char(m, (unsigned char)wParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(m, lParam, wParam);
      break;
    case WM_LBUTTONDBLCLK:
      DoubleClick(m, lParam);
      break;
    case WM_MOUSEMOVE:
      MouseMove(m, lParam);
      break;
    case WM_LBUTTONUP:
      ButtonUp(m);
      break;
    case WM_CAPTURECHANGED:
      m.tracking = false;
      break;
    case WM_MOUSEWHEEL:
      Wheel(m, wParam);
      break;
    case WM_VSCROLL:
      VScroll(m, wParam, lParam);
      break;
    case WM_HSCROLL:
      HScroll(m, wParam, lParam);
      break;
    case WM_CONTEXTMENU:
      ContextMenu(m, lParam);
      break;
    case WM_COPY:
      Copy(m);
      break;
    case WM_CUT:
      Cut(m);
      break;
    case WM_PASTE:
      Paste(m);
      break;
    case WM_CLEAR:
      Clear(m);
      break;
    default:
      return false;
  }
  return true;
}

// The other messages answered with zero; false for the rest.
bool ZeroMessage(Memo& m, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Create(m);
      break;
    case WM_PAINT:
      PaintMessage(m, wParam);
      break;
    case WM_SIZE:
    case WM_STYLECHANGED:
      Reflow(m);
      break;
    case WM_ENABLE:
      InvalidateRect(m.hwnd, nullptr, TRUE);
      break;
    case WM_SETFONT:
      SetFont(m, (HFONT)wParam, LOWORD(lParam) != 0);
      break;
    case WM_SETFOCUS:
      SetFocusTo(m);
      break;
    case WM_KILLFOCUS:
      KillFocus(m);
      break;
    case EM_SETSEL:
      SetSel(m, (int)(LONG)wParam, (int)(LONG)lParam);
      break;
    case EM_REPLACESEL:
      ReplaceSel(m, wParam != 0, (const char*)lParam);
      break;
    case EM_SETMARGINS:
      SetMargins(m, wParam, lParam);
      break;
    case EM_GETRECT:
      GetRect(m, (RECT*)lParam);
      break;
    default:
      return InputMessage(m, msg, wParam, lParam);
  }
  return true;
}

// The lines and the scrolling; the others go on to the messages answered with zero.
LRESULT LineMessage(Memo& m, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case EM_SCROLLCARET:
      return ScrollCaret(m);
    case EM_SCROLL:
      return ScrollBy(m, wParam);
    case EM_LINESCROLL:
      return LineScroll(m, wParam, lParam);
    case EM_GETLINECOUNT:
      return LineCount(m);
    case EM_GETFIRSTVISIBLELINE:
      return RowAtY(m, m.scrollY);
    case EM_LINEINDEX:
      return LineIndex(m, wParam);
    case EM_LINEFROMCHAR:
      return LineFromChar(m, wParam);
    case EM_LINELENGTH:
      return LineLength(m, wParam);
    case EM_GETLINE:
      return GetLine(m, wParam, lParam);
    case EM_POSFROMCHAR:
      return PosFromChar(m, wParam);
    case EM_CHARFROMPOS:
      return CharFromPos(m, lParam);
    case EM_SETTABSTOPS:
      return SetTabStops(m, wParam, lParam);
    default:
      return ZeroMessage(m, msg, wParam, lParam) ? 0 : DefWindowProcA(m.hwnd, msg, wParam, lParam);
  }
}

LRESULT Handle(Memo& m, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = m.hwnd;
  if (LRESULT answer; AnswerEngineMessage(m.text, hwnd, msg, wParam, lParam, answer)) return answer;
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(m, wParam, lParam);
    case WM_ERASEBKGND:
      return EraseEditBackground(hwnd, (HDC)wParam);
    case WM_GETFONT:
      return (LRESULT)m.font;
    case WM_SETTEXT:
      return SetTextMessage(m, (const char*)lParam);
    case WM_GETTEXT:
      return GetText(m, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return (LRESULT)m.text.Length();
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_SETCURSOR:
      return SetEditCursor(hwnd, wParam, lParam);
    case WM_UNDO:
    case EM_UNDO:
      return UndoEdit(m);
    case EM_GETMARGINS:
      return MAKELRESULT(m.leftMargin, m.rightMargin);
    default:
      return LineMessage(m, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT MemoCreate(HWND hwnd, const CREATESTRUCTA* cs, bool rich) {
  auto m = Memos().Create(hwnd);
  m->rich = rich;
  if (rich) {
    Memo* p = m.get();  // the text is the memo's own: it goes with it
    p->formats = std::make_unique<RichText>();
    p->fonts = std::make_unique<RichFonts>();
    p->text.SetWatchers([p](size_t from, size_t to) { return MayChange(*p, from, to); },
                        [p](size_t from, size_t removed, size_t inserted) {
                          p->formats->Edited(from, removed, inserted, p->text.UndoSteps(), p->undoing);
                        });
  }
  if (cs) {
    m->text.SetCase(CaseOf((DWORD)cs->style));
    m->text.SetText(cs->lpszName && !IS_INTRESOURCE(cs->lpszName) ? cs->lpszName : "");
    if (m->formats) m->formats->Reset(m->text.Length());
  }
  return DefWindowProcA(hwnd, WM_NCCREATE, 0, (LPARAM)cs);
}

bool MemoHandles(HWND hwnd) { return Memos().Find(hwnd) != nullptr; }

LRESULT MemoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m) return DefWindowProcA(hwnd, msg, wParam, lParam);
  m->text.SetCase(CaseOf(StyleOf(*m)));
  xj::TemporaryChange<MemoMessage> now(m->current, MemoMessage { msg, wParam, lParam });
  return Handle(*m, msg, wParam, lParam);
}

void MemoSetWrap(HWND hwnd, bool wrap) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m || m->noWrap == !wrap) return;
  m->noWrap = !wrap;
  if (!wrap) m->scrollX = 0;
  Reflow(*m);
}

DWORD MemoEventMask(HWND hwnd) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  return m ? m->eventMask : 0;
}

void MemoSetEventMask(HWND hwnd, DWORD mask) {
  if (std::shared_ptr<Memo> m = Memos().Find(hwnd)) {
    m->eventMask = mask;
    m->lastSelStart = m->text.SelStart();
    m->lastSelEnd = m->text.SelEnd();
    m->askedHeight = -1;
  }
}

void MemoRequestResize(HWND hwnd) {
  if (std::shared_ptr<Memo> m = Memos().Find(hwnd)) RequestResize(*m, true);
}

MemoText* MemoTextOf(HWND hwnd) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  return m && m->formats ? &m->text : nullptr;
}

RichText* MemoFormatsOf(HWND hwnd) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  return m ? m->formats.get() : nullptr;
}

void MemoRestyled(HWND hwnd, size_t from, size_t to) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m) return;
  if (to == SIZE_MAX)
    m->text.InvalidateLayout();
  else
    m->text.Remeasure(from, to);
  Reflow(*m);
}

bool MemoRestyle(HWND hwnd, const MemoMessage& why, bool ask, size_t from, size_t to,
                 const std::function<void()>& restyle) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m || !m->formats) return false;
  xj::TemporaryChange<MemoMessage> now(m->current, why);
  if (ask && !m->text.Allowed(from, to)) return false;
  m->text.Restyling(from, to);
  m->formats->Keep(from, to, m->text.UndoSteps());
  restyle();
  MemoRestyled(hwnd, from, to);
  return true;
}

void MemoSetDocument(HWND hwnd, RichDocument&& doc) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m || !m->formats) return;
  SetTextMessage(*m, doc.text.c_str(), &doc);
}

bool MemoInsertDocument(HWND hwnd, const RichDocument& doc) {
  std::shared_ptr<Memo> m = Memos().Find(hwnd);
  if (!m || !m->formats || ReadOnly(*m)) return false;
  const size_t at = m->text.SelStart();
  Insert(*m, doc.text, UndoKind::Other);
  if (m->dead || m->text.Caret() != at + doc.text.size()) return false;  // refused or cut by the limit
  PasteFormats(*m->formats, at, doc);
  MemoRestyled(hwnd, at, at + doc.text.size());
  return true;
}

}  // namespace xj::ctl
