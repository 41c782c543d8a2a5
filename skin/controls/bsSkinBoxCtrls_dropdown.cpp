#include "skin/controls/bsSkinBoxCtrls_dropdown.h"

#include <algorithm>

#include "platform/vcl/Messages.h"
#include "skin/data/bsUtils.h"

void TbsDropDownWindow::CreateParams(TCreateParams& Params, DWORD ExtraStyle, bool KeepClassStyle) {
  Params.Style = WS_POPUP | ExtraStyle;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style = (KeepClassStyle ? Params.WindowClass.style : 0) | CS_SAVEBITS;
}

bool TbsDropDownWindow::MouseActivate(TMessage& Message) {
  if (Message.Msg != WM_MOUSEACTIVATE) return false;
  Message.Result = MA_NOACTIVATE;
  return true;
}

TPoint TbsDropDownWindow::Place(const RECT& OwnerRect, int W, int H) {
  RECT work {};
  MONITORINFO mi {};
  mi.cbSize = sizeof(mi);
  if (GetMonitorInfoA(MonitorFromRect(&OwnerRect, MONITOR_DEFAULTTONEAREST), &mi))
    work = mi.rcWork;
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int y = OwnerRect.bottom;
  if (y + H > work.bottom) y = OwnerRect.top - H;
  // Where neither below nor above fits, it still stays on the work area, its top edge first.
  y = std::max<int>(std::min<int>(y, work.bottom - H), work.top);
  const int x = std::max<int>(std::min<int>(OwnerRect.left, work.right - W), work.left);
  return TPoint(x, y);
}

TPoint TbsDropDownWindow::Place(TWinControl* Owner, int W, int H) {
  RECT r {};
  GetWindowRect(Owner->Handle(), &r);
  return Place(r, W, H);
}

void TbsDropDownWindow::SetLayered(HWND Handle, bool On) {
  const LONG ex = GetWindowLongA(Handle, GWL_EXSTYLE);
  SetWindowLongA(Handle, GWL_EXSTYLE, On ? ex | WS_EX_LAYERED : ex & ~WS_EX_LAYERED);
  FLayeredApplied = On;
  FCurrentAlpha = 0;
}

void TbsDropDownWindow::Show(TWinControl* Window, const TPoint& P, const TbsDropDownAlpha& Alpha) {
  const HWND h = Window->Handle();
  const BYTE target = static_cast<BYTE>(std::clamp(Alpha.AlphaBlendValue, 0, 255));
  const bool layeredPaths = CheckW2KWXP();
  if (layeredPaths) {
    const bool added = Alpha.AlphaBlend && !FLayeredApplied;
    if (Alpha.AlphaBlend != FLayeredApplied) SetLayered(h, Alpha.AlphaBlend);
    // A layered window shows nothing until it has an alpha: a style just (re)added always gets one.
    if (Alpha.AlphaBlend && (added || FCurrentAlpha != target)) {
      FCurrentAlpha = Alpha.AlphaBlendAnimation ? 0 : target;
      SetAlphaBlendTransparent(h, FCurrentAlpha);
    }
  }
  SetWindowPos(h, HWND_TOP, P.X, P.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Window->SetVisible(true);
  if (!(layeredPaths && Alpha.AlphaBlend && Alpha.AlphaBlendAnimation)) return;
  // The contents are painted here and now, so the fade shows them; no queued input runs inside Show.
  RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const int step = std::max(1, Alpha.Step);
  int a = 0;
  do {
    a = std::min<int>(a + step, target);
    SetAlphaBlendTransparent(h, static_cast<BYTE>(a));
  } while (a < target);
  FCurrentAlpha = 0;
}

void TbsDropDownWindow::Hide(TWinControl* Window, bool DropLayered) {
  if (Window->HandleAllocated()) {
    SetWindowPos(Window->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (DropLayered && FLayeredApplied) SetLayered(Window->Handle(), false);
  }
  Window->SetVisible(false);
}
