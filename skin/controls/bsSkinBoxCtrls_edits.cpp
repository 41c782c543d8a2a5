#include "skin/controls/bsSkinBoxCtrls_edits.h"

#include "platform/vcl/Messages.h"
#include "platform/vcl/SysUtils.h"

// ---- TbsCustomEdit ----------------------------------------------------------------------------------------

TbsCustomEdit::TbsCustomEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csOpaque });
}

TbsCustomEdit::~TbsCustomEdit() = default;

void TbsCustomEdit::SetEditTransparent(bool Value) {
  FEditTransparent = Value;
  RecreateWnd();
}

void TbsCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
  if (FEditTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TbsCustomEdit::Invalidate() {
  if (!FEditTransparent) {
    TCustomMaskEdit::Invalidate();
    return;
  }
  if (!Parent() || !HandleAllocated()) return;
  // The owner repaints its face under the text first, then the text is drawn over it.
  const TRect c = ClientRect();
  const TPoint tl = Parent()->ScreenToClient(ClientToScreen(TPoint(c.Left, c.Top)));
  const TPoint br = Parent()->ScreenToClient(ClientToScreen(TPoint(c.Right, c.Bottom)));
  const RECT r { tl.X, tl.Y, br.X, br.Y };
  if (Parent()->HandleAllocated()) InvalidateRect(Parent()->Handle(), &r, TRUE);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TbsCustomEdit::Change() {
  auto life = LifeToken();
  TCustomMaskEdit::Change();
  if (!life.expired() && FEditTransparent) Invalidate();
}

void TbsCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (FReadOnly) return;
      break;
    case WM_KEYDOWN:
      if (FReadOnly && Message.WParam == VK_DELETE) return;
      break;
    case CN_CTLCOLOREDIT:
      if (FEditTransparent) {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())) & 0xFFFFFF);
        Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (FEditTransparent) {
        Invalidate();
        Message.Result = 1;
        return;
      }
      break;
    case WM_SETFONT:
      TCustomMaskEdit::Dispatch(Message);
      if (HandleAllocated()) SendMessageA(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(2, 0));
      return;
    case CM_CANCELMODE: {
      auto life = LifeToken();
      TCustomMaskEdit::Dispatch(Message);
      if (!life.expired() && OnEditCancelMode) OnEditCancelMode(reinterpret_cast<TControl*>(Message.LParam));
      return;
    }
    default:
      break;
  }
  auto life = LifeToken();
  TCustomMaskEdit::Dispatch(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      FLBDown = true;
      break;
    case WM_LBUTTONUP:
      FLBDown = false;
      return;
    case WM_MOUSEMOVE:
      if (!FLBDown) return;
      break;
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case WM_MOVE:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      break;
    default:
      return;
  }
  if (FEditTransparent) Invalidate();
}

// ---- TbsSkinNumEdit ---------------------------------------------------------------------------------------

TbsSkinNumEdit::TbsSkinNumEdit(TComponent* AOwner) : TbsCustomEdit(AOwner) {}

TbsSkinNumEdit::~TbsSkinNumEdit() = default;

bool TbsSkinNumEdit::IsValidChar(char Key) const {
  const unsigned char k = static_cast<unsigned char>(Key);
  bool valid = Key == '-' || (Key >= '0' && Key <= '9') || (FloatMode && Key == DecimalSeparator) ||
               (k < 32 && Key != '\r');
  if (valid && !EditorEnabled && (k >= 32 || Key == '\b')) valid = false;
  return valid;
}

void TbsSkinNumEdit::KeyDown(WORD& Key, TShiftState Shift) {
  // The arrows only ask the owner for a step; the edit's own key events do not see them.
  if (Key == VK_UP) {
    if (OnUpClick) OnUpClick(this);
    return;
  }
  if (Key == VK_DOWN) {
    if (OnDownClick) OnDownClick(this);
    return;
  }
  TbsCustomEdit::KeyDown(Key, Shift);
}

void TbsSkinNumEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TbsCustomEdit::KeyPress(Key);
}

void TbsSkinNumEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    // One step per message, whatever the delta; a turn away from the user asks for a step down.
    TNotifyEvent& step = static_cast<int32_t>(Message.WParam) > 0 ? OnDownClick : OnUpClick;
    if (step) step(this);
    return;
  }
  TbsCustomEdit::Dispatch(Message);
}

XJ_PUBLISHED(TbsCustomEdit,
  XJ_PROP(ReadOnly, false));
