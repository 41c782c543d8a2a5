// MessageBoxA: a modal window centred on its owner (or the screen) with word-wrapped GBK text, an
// icon and a row of buttons, run in a nested loop that keeps timers and painting going while the
// application's other windows take no input.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WinGdi.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

void RegisterSystemClass(const char* name, WNDPROCFN proc, UINT style, HBRUSH background);

namespace {

struct ButtonSpec {
  int id;
  const char* text;
};

std::vector<ButtonSpec> ButtonsFor(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return { { IDOK, "确定" }, { IDCANCEL, "取消" } };
    case MB_ABORTRETRYIGNORE:
      return { { IDABORT, "中止(&A)" }, { IDRETRY, "重试(&R)" }, { IDIGNORE, "忽略(&I)" } };
    case MB_YESNOCANCEL:
      return { { IDYES, "是(&Y)" }, { IDNO, "否(&N)" }, { IDCANCEL, "取消" } };
    case MB_YESNO:
      return { { IDYES, "是(&Y)" }, { IDNO, "否(&N)" } };
    case MB_RETRYCANCEL:
      return { { IDRETRY, "重试(&R)" }, { IDCANCEL, "取消" } };
    default:
      return { { IDOK, "确定" } };
  }
}

// What Escape and the close box answer: Cancel when there is one, OK for a lone OK, else nothing.
int EscapeAnswer(UINT type) {
  for (const ButtonSpec& b : ButtonsFor(type))
    if (b.id == IDCANCEL) return IDCANCEL;
  return (type & MB_TYPEMASK) == MB_OK ? IDOK : 0;
}

struct Box {
  UINT type { 0 };
  std::string text;
  RECT textRect {};
  HICON icon {};
  std::vector<HWND> buttons;
  int focus { 0 };
  ModalScope* scope {};
};

Box* BoxOf(HWND h) { return (Box*)GetPropA(h, "XjMessageBox"); }

const int kButtonW = 75, kButtonH = 23, kGap = 6, kMargin = 12;

void Answer(HWND box, int id) {
  if (Box* b = BoxOf(box))
    if (b->scope && id) b->scope->End(id);
}

void FocusButton(HWND box, int index) {
  Box* b = BoxOf(box);
  if (!b || b->buttons.empty()) return;
  b->focus = (index % (int)b->buttons.size() + (int)b->buttons.size()) % (int)b->buttons.size();
  for (HWND bt : b->buttons) InvalidateRect(bt, nullptr, TRUE);
}

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      SetCapture(h);
      return 0;
    case WM_LBUTTONUP: {
      bool captured = GetCapture() == h;
      if (captured) ReleaseCapture();
      RECT r;
      GetClientRect(h, &r);
      POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
      if (captured && InRect(r, pt)) Answer(GetParent(h), (int)GetWindowLongPtrA(h, GWL_ID));
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc) {
        RECT r;
        GetClientRect(h, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        Box* b = BoxOf(GetParent(h));
        bool focused = b && b->focus < (int)b->buttons.size() && b->buttons[b->focus] == h;
        if (focused) {
          FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
          r = RECT { r.left + 1, r.top + 1, r.right - 1, r.bottom - 1 };
        }
        RECT e = r;
        DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
        char text[64];
        int n = GetWindowTextA(h, text, sizeof text);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ old = SelectObject(dc, MenuFont());
        DrawTextA(dc, text, n, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProcA(h, msg, wParam, lParam);
}

void PaintBox(HWND h, const Box* b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (dc && b) {
    if (b->icon) DrawIconEx(dc, kMargin, kMargin, b->icon, 32, 32, 0, nullptr, DI_NORMAL);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT r = b->textRect;
    HGDIOBJ old = SelectObject(dc, MenuFont());
    DrawTextA(dc, b->text.c_str(), (int)b->text.size(), &r, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
  }
  EndPaint(h, &ps);
}

// Escape answers, Enter and Space press the focused button, the arrows and Tab move the focus; true
// when the key was the box's.
bool BoxKey(HWND h, Box* b, WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      Answer(h, EscapeAnswer(b->type));
      return true;
    case VK_RETURN:
    case VK_SPACE:
      if (!b->buttons.empty()) Answer(h, (int)GetWindowLongPtrA(b->buttons[b->focus], GWL_ID));
      return true;
    case VK_LEFT:
    case VK_UP:
      FocusButton(h, b->focus - 1);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_TAB:
      FocusButton(h, b->focus + ((GetKeyState(VK_SHIFT) < 0 && key == VK_TAB) ? -1 : 1));
      return true;
  }
  return false;
}

// A button's mnemonic answers at once; true when the character was one.
bool BoxMnemonic(HWND h, const Box* b, WPARAM ch) {
  for (HWND bt : b->buttons) {
    char text[64];
    GetWindowTextA(bt, text, sizeof text);
    const char* amp = strchr(text, '&');
    if (amp && amp[1] && (char)tolower((unsigned char)amp[1]) == (char)tolower((int)ch)) {
      Answer(h, (int)GetWindowLongPtrA(bt, GWL_ID));
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Box* b = BoxOf(h);
  switch (msg) {
    case WM_PAINT:
      PaintBox(h, b);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      [[fallthrough]];
    case WM_CLOSE:
      if (b) Answer(h, EscapeAnswer(b->type));
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (b && BoxKey(h, b, wParam)) return 0;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (b && BoxMnemonic(h, b, wParam)) return 0;
      break;
  }
  return DefWindowProcA(h, msg, wParam, lParam);
}

LPCSTR IconFor(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
  }
  return nullptr;
}

SIZE MeasureText(const std::string& text, int maxWidth) {
  HDC dc = GetDC(nullptr);
  RECT r { 0, 0, maxWidth, 0 };
  HGDIOBJ old = SelectObject(dc, MenuFont());
  DrawTextA(dc, text.c_str(), (int)text.size(), &r, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(dc, old);
  if (dc) ReleaseDC(nullptr, dc);
  return SIZE { std::max<LONG>(r.right - r.left, 1), std::max<LONG>(r.bottom - r.top, 13) };
}

}  // namespace

}  // namespace xj::wm

using namespace xj::wm;

namespace {

// Where the box goes and how its parts lie: icon, text to its right, buttons centred below; the box
// centred on its owner (or the work area) and kept inside the work area.
struct BoxLayout {
  int clientW { 0 }, clientH { 0 }, buttonsW { 0 };
  RECT window {};
};

BoxLayout LayOut(Box& box, UINT type, size_t buttonCount, Wnd* ownerWnd, DWORD style) {
  BoxLayout l;
  RECT work {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int iconW = box.icon || IconFor(type) ? 32 + kMargin : 0;
  SIZE t = MeasureText(box.text, std::max<int>(200, (work.right - work.left) / 2 - iconW));
  l.buttonsW = (int)buttonCount * kButtonW + ((int)buttonCount - 1) * kGap;
  l.clientW = std::max<int>(iconW + t.cx, l.buttonsW) + 2 * kMargin;
  int textH = std::max<int>(t.cy, iconW ? 32 : 0);
  l.clientH = kMargin + textH + kMargin + kButtonH + kMargin;
  box.textRect = RECT { kMargin + iconW, kMargin + (textH - t.cy) / 2, kMargin + iconW + t.cx,
                        kMargin + (textH - t.cy) / 2 + t.cy };
  RECT wr { 0, 0, l.clientW, l.clientH };
  AdjustWindowRectEx(&wr, style, FALSE, WS_EX_DLGMODALFRAME);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  RECT around = ownerWnd ? ScreenRect(Root(ownerWnd)) : work;
  int x = around.left + ((around.right - around.left) - w) / 2;
  int y = around.top + ((around.bottom - around.top) - h) / 2;
  x = std::clamp(x, (int)work.left, std::max<int>(work.left, work.right - w));
  y = std::clamp(y, (int)work.top, std::max<int>(work.top, work.bottom - h));
  l.window = RECT { x, y, x + w, y + h };
  return l;
}

void AddButtons(HWND hbox, Box& box, const std::vector<ButtonSpec>& specs, const BoxLayout& l) {
  int bx = (l.clientW - l.buttonsW) / 2, by = l.clientH - kMargin - kButtonH;
  for (const ButtonSpec& s : specs) {
    HWND bt = CreateWindowExA(0, "XjMessageBoxButton", s.text, WS_CHILD | WS_VISIBLE, bx, by, kButtonW, kButtonH, hbox,
                              (HMENU)(uintptr_t)s.id, nullptr, nullptr);
    box.buttons.push_back(bt);
    bx += kButtonW + kGap;
  }
  int def = (int)((box.type & MB_DEFMASK) >> 8);
  box.focus = std::min(def, (int)box.buttons.size() - 1);
}

// Every other top-level window of the application takes no input while the box is up.
std::vector<HWND> DisableOthers(HWND hbox) {
  std::vector<HWND> disabled;
  for (Wnd* top : TopLevels())
    if (top->handle != hbox && top->Visible() && top->Enabled()) disabled.push_back(top->handle);
  for (HWND d : disabled) EnableWindow(d, FALSE);
  return disabled;
}

// Whatever way the box's loop is left (an exception from a handler included), the other windows get
// their input back, the box goes and its owner is active again.
struct BoxTeardown {
  std::vector<HWND>& disabled;
  HWND box, owner;
  ~BoxTeardown() {
    for (HWND d : disabled) EnableWindow(d, TRUE);
    if (IsWindow(box)) {
      RemovePropA(box, "XjMessageBox");
      DestroyWindow(box);
    }
    if (IsWindow(owner)) SetActiveWindow(GetAncestor(owner, GA_ROOT));
  }
};

// Shows the box and runs its loop. The loop also ends when the box is destroyed under it (its owner
// went) or WM_QUIT arrives; the answer is then what Escape would give.
int RunBox(HWND hbox, Box& box, const std::string& title) {
  ModalFrame frame;
  frame.kind = ModalFrame::MessageBox;
  frame.hwnd = hbox;
  frame.caption = title;
  frame.text = box.text;
  frame.type = box.type;
  ModalScope scope(frame);
  box.scope = &scope;
  ShowWindow(hbox, SW_SHOW);
  SetFocus(hbox);
  while (!scope.Ended() && IsWindow(hbox) && ModalStep()) {
  }
  int result = scope.Ended() ? (int)scope.Frame().result : EscapeAnswer(box.type);
  if (!result) result = IDCANCEL;
  box.scope = nullptr;
  return result;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  RegisterSystemClass("#32770", BoxProc, CS_SAVEBITS, (HBRUSH)(uintptr_t)(COLOR_BTNFACE + 1));
  RegisterSystemClass("XjMessageBoxButton", ButtonProc, 0, nullptr);
  Wnd* ownerWnd = owner ? FromHandle(owner) : nullptr;
  if (owner && !ownerWnd) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  Box box;
  box.type = type;
  box.text = text ? text : "";
  if (LPCSTR id = IconFor(type)) box.icon = LoadIconA(nullptr, id);
  std::string title = caption ? caption : "错误";
  std::vector<ButtonSpec> specs = ButtonsFor(type);
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
  BoxLayout l = LayOut(box, type, specs.size(), ownerWnd, style);
  RECT& wr = l.window;
  HWND hbox = CreateWindowExA(WS_EX_DLGMODALFRAME | ((type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0),
                              "#32770", title.c_str(), style, wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top,
                              ownerWnd ? Root(ownerWnd)->handle : nullptr, nullptr, nullptr, nullptr);
  if (!hbox) return 0;
  SetPropA(hbox, "XjMessageBox", &box);
  AddButtons(hbox, box, specs, l);
  std::vector<HWND> disabled = DisableOthers(hbox);
  BoxTeardown teardown { disabled, hbox, owner };
  return RunBox(hbox, box, title);
}
