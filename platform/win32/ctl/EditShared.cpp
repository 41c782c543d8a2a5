// Widths, clipboard, context menu and scroll targets, as both edit views use them.

#include "platform/win32/ctl/EditShared.h"

#include <cstring>

#include "platform/win32/WinBase.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditText.h"

namespace xj::ctl {

// ---- Measuring -----------------------------------------------------------------------------------------------

Measurer::Measurer(HFONT font) : FFont(font) {}

Measurer::~Measurer() {
  if (!FDc) return;
  SelectObject(FDc, FOld);
  DeleteDC(FDc);
}

HDC Measurer::Dc() {
  if (!FDc) {
    FDc = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDc, FontOrDefault(FFont));
  }
  return FDc;
}

int Measurer::Measure(const char* p, size_t n) {
  SIZE sz {};
  GetTextExtentPoint32A(Dc(), p, (int)n, &sz);
  return sz.cx;
}

int Measurer::Width(const std::string& s, size_t i) { return Width(s.data() + i, EditText::CharLength(s, i)); }

int Measurer::Height() { return MetricsOf(FFont).tmHeight; }

// ---- Clipboard ---------------------------------------------------------------------------------------------------

void PutOnClipboard(UINT format, const std::string& s) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
  if (char* p = (char*)GlobalLock(block)) {
    memcpy(p, s.c_str(), s.size() + 1);
    GlobalUnlock(block);
  }
  if (!SetClipboardData(format, block)) GlobalFree(block);
}

void CopyToClipboard(HWND owner, const std::string& s) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  PutOnClipboard(CF_TEXT, s);
  CloseClipboard();
}

std::string ClipboardText(HWND owner) {
  std::string s;
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(owner)) return s;
  if (HANDLE block = GetClipboardData(CF_TEXT))
    if (const char* p = (const char*)GlobalLock(block)) {
      s.assign(p, strnlen(p, GlobalSize(block)));
      GlobalUnlock(block);
    }
  CloseClipboard();
  return s;
}

// ---- Context menu ------------------------------------------------------------------------------------------------

namespace {

// The menu sends the same messages as the keys; its ids are those messages.
struct MenuEntry {
  UINT id;
  const char* text;
};
constexpr MenuEntry kMenu[] = { { WM_UNDO, "撤消(&U)" }, { 0, nullptr },           { WM_CUT, "剪切(&T)" },
                                { WM_COPY, "复制(&C)" }, { WM_PASTE, "粘贴(&P)" }, { WM_CLEAR, "删除(&D)" },
                                { 0, nullptr },          { EM_SETSEL, "全选(&A)" } };

bool MenuEnabled(UINT id, const EditMenuFacts& f) {
  switch (id) {
    case WM_UNDO:
      return !f.readOnly && f.canUndo;
    case WM_CUT:
      return !f.readOnly && f.canCopy;
    case WM_COPY:
      return f.canCopy;
    case WM_PASTE:
      return !f.readOnly && IsClipboardFormatAvailable(CF_TEXT);
    case WM_CLEAR:
      return !f.readOnly && f.hasSelection;
    case EM_SETSEL:
      return !f.empty && !f.allSelected;
  }
  return false;
}

}  // namespace

void EditContextMenu(HWND hwnd, LPARAM at, POINT caret, const EditMenuFacts& facts) {
  POINT pt { GET_X_LPARAM(at), GET_Y_LPARAM(at) };
  if (pt.x == -1 && pt.y == -1) {
    pt = caret;
    ClientToScreen(hwnd, &pt);
  }
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& m : kMenu)
    AppendMenuA(menu, m.id ? MF_STRING | (MenuEnabled(m.id, facts) ? MF_ENABLED : MF_GRAYED) : MF_SEPARATOR, m.id,
                m.text);
  UINT cmd = (UINT)TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, pt.x, pt.y, 0, hwnd, nullptr);
  DestroyMenu(menu);
  if (cmd && IsWindow(hwnd)) SendMessageA(hwnd, cmd, 0, cmd == EM_SETSEL ? -1 : 0);
}

// ---- Painting and input ------------------------------------------------------------------------------------------

LRESULT EraseEditBackground(HWND hwnd, HDC dc) {
  int saved = SaveDC(dc);
  HBRUSH brush = AskColours(hwnd, dc, WM_CTLCOLOREDIT);
  RECT client {};
  GetClientRect(hwnd, &client);
  FillUnlessNull(dc, client, brush);
  RestoreDC(dc, saved);
  return 1;
}

void DrawEditRun(HDC dc, int x, int y, const RECT& clip, const char* s, UINT n, const int* dx, const RECT* highlight) {
  if (n == 0) return;
  if (!highlight) {
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, s, n, dx);
    return;
  }
  if (highlight->right <= highlight->left || highlight->bottom <= highlight->top) return;
  COLORREF text = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  COLORREF back = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, highlight, s, n, dx);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

CharInput::Kind CharInput::Take(HWND hwnd, unsigned char c, std::string& text) {
  if (pendingLead >= 0) {
    char lead = (char)pendingLead;
    pendingLead = -1;
    if (EditText::IsTrail(c)) {
      text = std::string { lead, (char)c };
      return Character;
    }
  }
  if (EditText::IsLead(c)) {
    pendingLead = c;
    return Nothing;
  }
  UINT message = c == 0x03 ? WM_COPY : c == 0x16 ? WM_PASTE : c == 0x18 ? WM_CUT : c == 0x1A ? WM_UNDO : 0;
  if (message) {
    SendMessageA(hwnd, message, 0, 0);
    return Nothing;
  }
  if (c == 0x08) return Backspace;
  text = std::string(1, (char)c);
  return Character;
}

// ---- Small answers --------------------------------------------------------------------------------------------------

LRESULT SetEditCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return DefWindowProcA(hwnd, WM_SETCURSOR, wParam, lParam);
  HWND parent = GetParent(hwnd);
  if (parent && SendMessageA(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
  SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
  return TRUE;
}

LRESULT AnswerGetSel(size_t start, size_t end, WPARAM startOut, LPARAM endOut) {
  DWORD s = (DWORD)start, e = (DWORD)end;
  if (startOut) *(DWORD*)startOut = s;
  if (endOut) *(DWORD*)endOut = e;
  return s > 0xFFFF || e > 0xFFFF ? -1 : MAKELRESULT(s, e);
}

}  // namespace xj::ctl
