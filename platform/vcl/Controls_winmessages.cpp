// TWinControl's messages: the window procedure's control side, reflected notifications and the key pipeline.

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

// ---- Messages --------------------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST:
      TControl::WndProc(Message);
      if (Message.Result == HTTRANSPARENT && ControlAtPos(ScreenToClient(SmallPointToPoint(Message.LParam)), false))
        Message.Result = HTCLIENT;
      return;
    case WM_MOUSELEAVE:
      if (TControl* mc = xj::vcl::MouseControlSlot(); mc && (mc == this || mc->FParent == this))
        xj::vcl::SetMouseControl(nullptr);
      break;
    case WM_CANCELMODE: {
      TControl* cap = xj::vcl::CaptureControlSlot();
      if (FHandle && GetCapture() == FHandle && cap && cap->FParent == this) cap->Perform(WM_CANCELMODE, 0, 0);
      break;
    }
    default:
      if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL) {
        auto life = LifeToken();
        TrackMouse(Message);
        if (life.expired()) return;
        if (IsControlMouseMsg(reinterpret_cast<TWMMouse&>(Message))) {
          if (Message.Result == 0 && !life.expired() && FHandle) {
            TMessage native = Message;
            DefaultHandler(native);
          }
          return;
        }
      }
      break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      return WMPaint(reinterpret_cast<TWMPaint&>(Message));
    case WM_ERASEBKGND:
      return WMEraseBkgnd(reinterpret_cast<TWMEraseBkgnd&>(Message));
    case WM_WINDOWPOSCHANGING:
      return WMWindowPosChanging(Message);
    case WM_WINDOWPOSCHANGED:
      return WMWindowPosChanged(Message);
    case WM_SIZE:
      return WMSize(Message);
    case WM_NCCALCSIZE:
      return WMNCCalcSize(Message);
    case WM_NCDESTROY:
      return WMNCDestroy(Message);
    case WM_SETCURSOR:
      return WMSetCursor(Message);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return WMKey(Message);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return WMCommandFamily(Message);
    case WM_CONTEXTMENU:
      return WMContextMenu(Message);
    default:
      return DispatchControlMessage(Message);
  }
}

// The CN_ and CM_ messages the class library sends its controls.
void TWinControl::DispatchControlMessage(TMessage& Message) {
  switch (Message.Msg) {
    case CN_KEYDOWN:
      return CNKeyDown(reinterpret_cast<TWMKey&>(Message));
    case CN_CHAR:
      return CNChar(reinterpret_cast<TWMKey&>(Message));
    case CN_SYSKEYDOWN:
      return CNSysKeyDown(reinterpret_cast<TWMKey&>(Message));
    case CN_SYSCHAR:
      return CNSysChar(reinterpret_cast<TWMKey&>(Message));
    case CN_KEYUP:
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      return Broadcast(Message);
    case CM_CHILDKEY:
      return CMChildKey(Message);
    case CM_ENTER:
      return DoEnter();
    case CM_EXIT:
      return DoExit();
    case CM_SHOWINGCHANGED:
      return CMShowingChanged(Message);
    case CM_VISIBLECHANGED:
      return CMVisibleChanged(Message);
    case CM_ENABLEDCHANGED:
      return CMEnabledChanged(Message);
    case CM_COLORCHANGED:
      return CMColorChanged(Message);
    case CM_FONTCHANGED:
      return CMFontChanged(Message);
    case CM_SHOWHINTCHANGED:
      return NotifyControls(CM_PARENTSHOWHINTCHANGED);
    case CM_CTL3DCHANGED:
      return NotifyControls(CM_PARENTCTL3DCHANGED);
    case CM_PARENTCTL3DCHANGED:
      return CMParentCtl3DChanged(Message);
    case CM_RECREATEWND:
      return CMRecreateWnd(Message);
    case CM_INVALIDATE:
      return CMInvalidate(Message);
    case CM_CURSORCHANGED:
      return CMCursorChanged(Message);
    default:
      return TControl::Dispatch(Message);
  }
}

// A size our own SetBounds has not checked yet must pass the constraints and OnCanResize first.
void TWinControl::WMWindowPosChanging(TMessage& Message) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(Message.LParam);
  auto life = LifeToken();  // OnCanResize may free the control
  if (wp && !FSizeChecked && !(wp->flags & SWP_NOSIZE) && !FComponentState.Contains(csReading) &&
      !FComponentState.Contains(csDestroying) && !CheckNewSize(wp->cx, wp->cy))
    wp->flags |= SWP_NOSIZE;
  if (!life.expired()) DefaultHandler(Message);
}

// BorderWidth is a frame inside the native one.
void TWinControl::WMNCCalcSize(TMessage& Message) {
  DefaultHandler(Message);
  if (FBorderWidth && Message.LParam) {
    RECT* r = reinterpret_cast<RECT*>(Message.LParam);
    r->left += FBorderWidth;
    r->top += FBorderWidth;
    r->right -= FBorderWidth;
    r->bottom -= FBorderWidth;
  }
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  FHandle = nullptr;
  FShowing = false;
}

// Over the client area the cursor is the screen's, else the windowless child's under the mouse, else ours.
void TWinControl::WMSetCursor(TMessage& Message) {
  const int hit = static_cast<short>(LOWORD(Message.LParam));
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && hit == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      if (TControl* c = ControlAtPos(ScreenToClient(TPoint(p.x, p.y)), false)) cursor = c->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  TControl::Dispatch(Message);
}

// The windowless child under the point is asked first (a key-made request, at -1,-1, goes to us).
void TWinControl::WMContextMenu(TMessage& Message) {
  if (Message.Result) return;
  TPoint p = SmallPointToPoint(Message.LParam);
  if (!(p.X == -1 && p.Y == -1) && FHandle) p = ScreenToClient(p);
  if (TControl* c = ControlAtPos(p, false)) Message.Result = c->Perform(WM_CONTEXTMENU, 0, Message.LParam);
  if (!Message.Result) TControl::Dispatch(Message);
}

void TWinControl::CNSysKeyDown(TWMKey& Message) {
  if (IsMenuKey(Message)) Message.Result = 1;
}

void TWinControl::CMChildKey(TMessage& Message) {
  if (FParent) FParent->WindowProc(Message);
}

void TWinControl::CMColorChanged(TMessage&) {
  FBrush->SetColor(FColor);
  NotifyControls(CM_PARENTCOLORCHANGED);
  Invalidate();
}

void TWinControl::CMFontChanged(TMessage&) {
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
  Invalidate();
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (FParentCtl3D && FParent) {
    SetCtl3D(FParent->FCtl3D);
    FParentCtl3D = true;
  }
}

void TWinControl::CMInvalidate(TMessage& Message) {
  if (FHandle && Message.WParam == 0) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

// A new cursor shows at once when the mouse rests over the window.
void TWinControl::CMCursorChanged(TMessage&) {
  POINT p;
  GetCursorPos(&p);
  if (FHandle && !GetCapture() && WindowFromPoint(p) == FHandle)
    Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(FHandle), HTCLIENT);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    TControl::DefaultHandler(Message);
    return;
  }
  // A context-menu request nobody here took goes to the parent control (and only that way).
  if (Message.Msg == WM_CONTEXTMENU && FParent) {
    Message.Result = FParent->Perform(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg >= WM_CTLCOLORMSGBOX && Message.Msg <= WM_CTLCOLORSTATIC) {
    Message.Result =
        SendMessageA(reinterpret_cast<HWND>(Message.LParam), CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())) & 0xFFFFFF);
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(FBrush->Color())) & 0xFFFFFF);
    Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
    return;
  }
  Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message) {
  TWinControl* c = FindControl(ControlHandle);
  if (!c) return false;
  Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

// Notifications from child windows go back to the child as CN_* messages.
void TWinControl::WMCommandFamily(TMessage& Message) {
  HWND from = nullptr;
  switch (Message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      from = reinterpret_cast<HWND>(Message.LParam);
      break;
    case WM_NOTIFY:
      if (auto* n = reinterpret_cast<NMHDR*>(Message.LParam)) from = n->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)) from = d->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
        from = reinterpret_cast<HWND>(static_cast<uintptr_t>(m->CtlID));
      break;
  }
  if (from && DoControlMsg(from, Message)) return;
  TControl::Dispatch(Message);
}

// ---- Keys ---------------------------------------------------------------------------------------------

void TWinControl::WMKey(TMessage& Message) {
  auto& key = reinterpret_cast<TWMKey&>(Message);
  bool handled = false;
  auto life = LifeToken();  // a key handler may free the control
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      handled = DoKeyDown(key);
      break;
    case WM_CHAR:
      handled = DoKeyPress(key);
      break;
    default:
      handled = DoKeyUp(key);
      break;
  }
  if (!handled && !life.expired()) DefaultHandler(Message);
}

bool TWinControl::DoKeyDown(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  WORD key = Message.CharCode;
  KeyDown(key, KeyDataToShiftState(Message.KeyData));
  Message.CharCode = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  char ch = static_cast<char>(Message.CharCode);
  KeyPress(ch);
  Message.CharCode = static_cast<unsigned char>(ch);
  return ch == 0;
}

bool TWinControl::DoKeyUp(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  WORD key = Message.CharCode;
  KeyUp(key, KeyDataToShiftState(Message.KeyData));
  Message.CharCode = key;
  return key == 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

// The short-cut path: popup menus of the control and its parents, the form (OnShortCut, its main menu),
// then the application; each form is asked once.
bool TWinControl::IsMenuKey(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning)) return false;
  for (TWinControl* c = this; c; c = c->FParent) {
    TPopupMenu* menu = c->PopupMenu();
    if (menu && menu->WindowHandle() && menu->IsShortCut(Message)) return true;
  }
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return true;
  return Application && Application->IsShortCut(Message, form);
}

// A key the control does not want (Tab, arrows, Return, Escape) becomes a dialog key of its form.
void TWinControl::CNKeyDown(TWMKey& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (!FComponentState.Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.CharCode, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.CharCode) {
      case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
      case VK_RETURN:
      case VK_ESCAPE:
      case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.CharCode, 0) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
      TCustomForm* form = GetParentForm(this);
      if (form && form->Perform(CM_DIALOGKEY, Message.CharCode, Message.KeyData) != 0) return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning)) return;
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning) || Message.CharCode == VK_SPACE) return;
  if (TCustomForm* form = GetParentForm(this))
    Message.Result = form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData);
}

XJ_PUBLISHED(TWinControl);
