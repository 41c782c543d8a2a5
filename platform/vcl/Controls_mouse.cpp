// The mouse in the control layer: the windowless capture control, enter and leave tracked as mouse
// messages are routed (capture-aware), routing of a window's mouse messages to its windowless children,
// the mouse object, cursors, accelerators, hints' text, object-bound window procedures and the
// application's dispatch guard.

#include <algorithm>
#include <cstring>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/WmModal.h"

namespace xj::vcl {

namespace {
TControl* gCaptureControl = nullptr;
TControl* gMouseControl = nullptr;
std::vector<xj::wm::ModalFrame*> gGuards;
}  // namespace

TControl*& CaptureControlSlot() { return gCaptureControl; }
TControl*& MouseControlSlot() { return gMouseControl; }

void SetMouseControl(TControl* Control) {
  TControl* old = gMouseControl;
  if (old == Control) return;
  gMouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // The leave handler may have freed the new control or moved the pointer's owner on.
  if (Control && gMouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
  if (!gMouseControl && Application) Application->CancelHint();
}

void ControlGone(TControl* Control) {
  if (gCaptureControl == Control) gCaptureControl = nullptr;
  if (gMouseControl == Control) gMouseControl = nullptr;
  if (Application) Application->ControlDestroyed(Control);
}

TDispatchGuard::TDispatchGuard() { gGuards.push_back(xj::wm::TopModal()); }

TDispatchGuard::~TDispatchGuard() { gGuards.pop_back(); }

// A modal loop of the window manager opened since the innermost dispatch of ours: nothing of ours would
// see the exception, so the window procedure shows it.
bool ReportExceptionInWindowProc() { return !gGuards.empty() && xj::wm::TopModal() != gGuards.back(); }

}  // namespace xj::vcl

using xj::vcl::MouseControlSlot;

// ---- Capture ----------------------------------------------------------------------------------------------

TControl* GetCaptureControl() {
  TControl* result = FindControl(GetCapture());
  TControl* windowless = xj::vcl::CaptureControlSlot();
  if (result && windowless && windowless->Parent() == result) result = windowless;
  return result;
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  xj::vcl::CaptureControlSlot() = nullptr;
  if (!Control) return;
  TWinControl* w = dynamic_cast<TWinControl*>(Control);
  if (!w) {
    if (!Control->Parent()) return;
    xj::vcl::CaptureControlSlot() = Control;
    w = Control->Parent();
  }
  SetCapture(w->Handle());
}

TControl* GetMouseControl() { return MouseControlSlot(); }

// ---- Routing in a window --------------------------------------------------------------------------------

// Before a mouse message is handled: the control under the point gets CM_MOUSEENTER (the one before
// CM_MOUSELEAVE). While a control holds the capture only it hears of leaving and re-entering.
void TWinControl::TrackMouse(TMessage& Message) {
  const TPoint p = SmallPointToPoint(Message.LParam);
  if (TControl* cap = GetCaptureControl()) {
    if (cap != this && cap->FParent != this) return;
    const TPoint local = cap == this ? p : TPoint(p.X - cap->FLeft, p.Y - cap->FTop);
    const TRect r = cap->ClientRect();
    const bool inside = local.X >= r.Left && local.X < r.Right && local.Y >= r.Top && local.Y < r.Bottom;
    TControl*& slot = MouseControlSlot();
    if (inside && slot != cap) {
      slot = cap;
      cap->Perform(CM_MOUSEENTER, 0, 0);
    } else if (!inside && slot == cap) {
      slot = nullptr;
      cap->Perform(CM_MOUSELEAVE, 0, 0);
    }
    return;
  }
  TControl* target = ControlAtPos(p, true);
  xj::vcl::SetMouseControl(target ? target : this);
}

bool TWinControl::IsControlMouseMsg(TWMMouse& Message) {
  TControl* control = nullptr;
  if (FHandle && GetCapture() == FHandle) {
    TControl* cap = xj::vcl::CaptureControlSlot();
    if (cap && cap->FParent == this) control = cap;
  } else {
    control = ControlAtPos(TPoint(Message.XPos, Message.YPos), false);
  }
  if (!control) return false;
  const TPoint p(Message.XPos - control->FLeft, Message.YPos - control->FTop);
  Message.Result = control->Perform(Message.Msg, Message.Keys, PointToLParam(p));
  return true;
}

// ---- Lookup ------------------------------------------------------------------------------------------------

TWinControl* FindVCLWindow(const TPoint& Pos) {
  HWND h = WindowFromPoint(POINT { Pos.X, Pos.Y });
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    h = GetParent(h);
  }
  return nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  TWinControl* w = FindVCLWindow(Pos);
  if (!w) return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled)) return c;
  return w;
}

// ---- TMouse --------------------------------------------------------------------------------------------

TMouse* Mouse = new TMouse;

void TMouse::SetCapture(HWND Value) {
  if (Value)
    ::SetCapture(Value);
  else
    ReleaseCapture();
}

TPoint TMouse::CursorPos() const {
  POINT p {};
  GetCursorPos(&p);
  return TPoint(p.x, p.y);
}

void TMouse::SetCursorPos(const TPoint& Value) { ::SetCursorPos(Value.X, Value.Y); }

// ---- Small helpers ----------------------------------------------------------------------------------------

LPARAM PointToLParam(const TPoint& P) { return MAKELPARAM(static_cast<WORD>(P.X), static_cast<WORD>(P.Y)); }

TPoint SmallPointToPoint(LPARAM LParam) { return TPoint(GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)); }

namespace {

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

}  // namespace

char GetHotkey(const AnsiString& Text) {
  for (size_t i = 0; i < Text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsLead(c)) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= Text.size()) continue;
    if (Text[i + 1] == '&') {
      ++i;
      continue;
    }
    if (IsLead(static_cast<unsigned char>(Text[i + 1]))) return 0;
    return Text[i + 1];
  }
  return 0;
}

AnsiString StripHotkey(const AnsiString& Text) {
  AnsiString out;
  for (size_t i = 0; i < Text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsLead(c) && i + 1 < Text.size()) {
      out += Text[i];
      out += Text[++i];
      continue;
    }
    if (c == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') out += '&';
      if (i + 1 < Text.size()) {
        ++i;
        if (Text[i] != '&') out += Text[i];
      }
      continue;
    }
    out += Text[i];
  }
  return out;
}

bool IsAccel(WORD VK, const AnsiString& Caption) {
  const char hot = GetHotkey(Caption);
  return hot != 0 && VK < 0x100 && UpperAscii(hot) == UpperAscii(static_cast<char>(VK));
}

AnsiString GetShortHint(const AnsiString& Hint) {
  const size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& Hint) {
  const size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(bar + 1);
}

// ---- Cursors -----------------------------------------------------------------------------------------------

namespace {

struct TCursorName {
  int Value;
  const char* Name;
};

const TCursorName kCursorNames[] = {
  { 0, "crDefault" },     { -1, "crNone" },     { -2, "crArrow" },    { -3, "crCross" },     { -4, "crIBeam" },
  { -6, "crSizeNESW" },   { -7, "crSizeNS" },   { -8, "crSizeNWSE" }, { -9, "crSizeWE" },    { -10, "crUpArrow" },
  { -11, "crHourGlass" }, { -12, "crDrag" },    { -13, "crNoDrop" },  { -14, "crHSplit" },   { -15, "crVSplit" },
  { -16, "crMultiDrag" }, { -17, "crSQLWait" }, { -18, "crNo" },      { -19, "crAppStart" }, { -20, "crHelp" },
  { -21, "crHandPoint" }, { -22, "crSizeAll" }, { -22, "crSize" },
};

}  // namespace

bool CursorToIdent(int Cursor, AnsiString& Ident) {
  for (const TCursorName& n : kCursorNames)
    if (n.Value == Cursor) {
      Ident = n.Name;
      return true;
    }
  return false;
}

bool IdentToCursor(const AnsiString& Ident, int& Cursor) {
  for (const TCursorName& n : kCursorNames)
    if (SameText(Ident, n.Name)) {
      Cursor = n.Value;
      return true;
    }
  return false;
}

const TTypeInfo* TTypeTraits<TCursor>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = "TCursor";
    t.MinValue = -32768;
    t.MaxValue = 32767;
    t.IdentToInt = [](const AnsiString& Ident, int64_t& Value) {
      int v = 0;
      if (!IdentToCursor(Ident, v)) return false;
      Value = v;
      return true;
    };
    t.IntToIdent = [](int64_t Value, AnsiString& Ident) { return CursorToIdent(static_cast<int>(Value), Ident); };
    return t;
  }();
  return &info;
}

// ---- Object-bound window procedures --------------------------------------------------------------------

WNDPROC MakeObjectInstance(TWndMethod Method) {
  return MakeWndProcInstance([Method](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    TMessage m { msg, w, l, 0 };
    Method(m);
    return m.Result;
  });
}

void FreeObjectInstance(WNDPROC ObjectInstance) { FreeWndProcInstance(ObjectInstance); }

namespace {

const char* const kUtilWindowClass = "TPUtilWindow";
const char* const kUtilProcProp = "XjUtilProc";

void RegisterUtilClass() {
  WNDCLASSA wc {};
  if (GetClassInfoA(nullptr, kUtilWindowClass, &wc)) return;
  wc.lpfnWndProc = WNDPROC(DefWindowProcA);
  wc.lpszClassName = kUtilWindowClass;
  RegisterClassA(&wc);
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  RegisterUtilClass();
  HWND h =
      CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!h) throw EOutOfResources("Cannot create a message window");
  if (Method) {
    WNDPROC proc = MakeObjectInstance(Method);
    SetPropA(h, kUtilProcProp, reinterpret_cast<HANDLE>(proc.Value()));
    SetWindowLongPtrA(h, GWL_WNDPROC, proc.Value());
  }
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  if (!IsWindow(Wnd)) return;
  auto proc = reinterpret_cast<LONG_PTR>(GetPropA(Wnd, kUtilProcProp));
  // The window goes first: its last messages still reach the method.
  DestroyWindow(Wnd);
  if (proc) FreeWndProcInstance(WNDPROC(proc));
}
