// Self-painting controls: the windowless TGraphicControl, TCustomControl, the control canvas with its
// on-demand device context, and the hint window.

#include <algorithm>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/IntMath.h"

namespace {

// Canvases that took a device context outside a paint cycle.
std::vector<TControlCanvas*>& CanvasList() {
  static std::vector<TControlCanvas*>* list = new std::vector<TControlCanvas*>;
  return *list;
}

}  // namespace

void FreeDeviceContexts() {
  auto& list = CanvasList();
  while (!list.empty()) list.back()->FreeHandle();
}

// ---- TControlCanvas -----------------------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* AControl) {
  if (FControl == AControl) return;
  FreeHandle();
  FControl = AControl;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (!FDeviceContext) {
    FDeviceContext = FControl->GetDeviceContext(FWindowHandle);
    CanvasList().push_back(this);
  }
  SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  auto& list = CanvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

// ---- Paint errors ------------------------------------------------------------------------------------------

// A control that cannot paint (a size past any bitmap the system gives, a broken look) raises on every
// paint, and a paint comes again whenever anything is drawn over it: the user is told once, not in a box
// per paint that leaves no way back to the program.
void TControl::PaintFailed(TControl* Control) {
  if (Control) {
    const TPoint size(Control->FWidth, Control->FHeight);
    if (Control->FPaintErrorSize == size) return;
    Control->FPaintErrorSize = size;
  }
  if (Application) Application->HandleException(Control);
}

// ---- TGraphicControl -----------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas.reset(); }

TCanvas* TGraphicControl::Canvas() const { return FCanvas.get(); }

// The parent's paint cycle hands the DC (origin and clip on this control) in WParam.
void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_PAINT) {
    TControl::Dispatch(Message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  TCanvasDCScope lend(FCanvas.get(), dc, LifeToken());
  Paint();
}

// ---- TCustomControl -------------------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
  // The window goes while the canvas still exists (its last messages may paint).
  TearDownWindow();
  FCanvas.reset();
}

TCanvas* TCustomControl::Canvas() const { return FCanvas.get(); }

void TCustomControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) return WMCustomPaint(Message);
  TWinControl::Dispatch(Message);
}

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasDCScope lend(FCanvas.get(), DC, LifeToken());
  Paint();
}

// ---- THintWindow ------------------------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  if (Screen) Canvas()->Font()->Assign(Screen->HintFont());
  Font()->Assign(Canvas()->Font());
  SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;
      break;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      break;
    default:
      TCustomControl::Dispatch(Message);
  }
}

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  RECT r { 0, 0, MaxWidth, 0 };
  DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& AHint) {
  SetCaption(AHint);
  Rect.Bottom += 4;
  const int w = xj::ClampExtent(Rect.Width()), h = xj::ClampExtent(Rect.Height());
  RECT work {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (Rect.Top + h > work.bottom) Rect.Top = work.bottom - h;
  if (Rect.Left + w > work.right) Rect.Left = work.right - w;
  Rect.Left = std::max<LONG>(Rect.Left, work.left);
  Rect.Top = std::max<LONG>(Rect.Top, work.top);
  FLeft = Rect.Left;
  FTop = Rect.Top;
  FWidth = w;
  FHeight = h;
  SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

bool THintWindow::IsHintMsg(const MSG& Msg) {
  const UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == CM_APPSYSCOMMAND || m == WM_COMMAND || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  r.left += 2;
  r.top += 2;
  Canvas()->Font()->SetColor(Screen ? Screen->HintFont()->Color() : clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
  const AnsiString text = Caption();
  DrawTextA(Canvas()->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

XJ_PUBLISHED(TGraphicControl);
XJ_PUBLISHED(TCustomControl);
XJ_PUBLISHED(THintWindow);
