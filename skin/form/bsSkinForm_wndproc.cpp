// The form's window procedure while the component holds it: the skinned non-client area (size, hit
// test, painting, activation), window-state emulation, skin changes and MDI notices, and after the
// saved procedure has run, the active objects driven by the non-client mouse messages.
#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinFormPrivate.h"
#include "skin/form/bsSkinHint.h"

namespace {

// Screen points travel sign-extended: a monitor left of or above the primary one has negative ones.
TPoint PointOf(LPARAM L) {
  return TPoint(static_cast<int16_t>(LOWORD(static_cast<DWORD>(L))),
                static_cast<int16_t>(HIWORD(static_cast<DWORD>(L))));
}

}  // namespace

void RurIvozedevUzivEred::NewWndProc(TMessage& Message) {
  // The component (or the form) may be freed by what a message runs: keep a life token of each.
  const std::weak_ptr<const void> life = LifeToken();
  CheckMenuVisible(Message.Msg);
  if (life.expired()) return;
  bool callOld = true;
  WndProcFirst(Message, callOld);
  if (life.expired()) return;
  if (callOld && FWindowHook.Old()) FWindowHook.Old()(Message);
  if (life.expired()) return;
  WndProcAfter(Message);
}

void RurIvozedevUzivEred::WndProcFirst(TMessage& Message, bool& CallOld) {
  const bool skin = FSkinSupport;
  const bool frameless = FForm->BorderStyle() == bsNone || IsMaximizedMDIChild();
  auto old = [&] {
    CallOld = false;
    if (FWindowHook.Old()) FWindowHook.Old()(Message);
  };
  switch (Message.Msg) {
    case WM_DESTROY:
      FMouseTimer->SetEnabled(false);
      FMorphTimer->SetEnabled(false);
      if (FFadeAlpha >= 0 && FForm->HandleAllocated()) KillTimer(FForm->Handle(), 1);
      FFadeAlpha = -1;
      if (IsMDIChild()) {
        FWindowState = wsNormal;
        // A child freed while visible gets no hide notice: its window-list item goes here.
        DeleteChildFromMenu(FForm);
        if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
          SendMessageA(Application->MainForm()->Handle(), WM_MDICHILDRESTORE, 0, 0);
      }
      break;
    case WM_SIZE:
      // A drag rebuilds the frame on WM_SIZING; a size that came without one (the desktop resizing a
      // window it moves, a handler's SetBounds) is rebuilt here, or the frame keeps the old geometry.
      if (FInSizeMove && FFullDrag && FForm->Width() == FOldWidth && FForm->Height() == FOldHeight) break;
      old();
      FOldWidth = FForm->Width();
      FOldHeight = FForm->Height();
      if (!skin) {
        SendNCPaint();
      } else if (FSkinData && !FChangingSkinData && GetMinWidth() <= FOldWidth && GetMinHeight() <= FOldHeight) {
        CreateNewForm();
      }
      if (FAlphaBlend && FAlphaBlendValue != 255 && CheckW2KWXP()) {
        SendNCPaint();
        FForm->Repaint();
      }
      break;
    case WM_ACTIVATE:
      old();
      SendNCPaint();
      if (IsMaximizedMDIChild()) {
        FormChangeActive(false);
      } else {
        UpDateActiveObjects();
        FormChangeActive(true);
      }
      break;
    case WM_SETTEXT:
      old();
      if (!frameless) SendNCPaint();
      if (IsMDIChild()) UpDateChildCaptionInMenu(FForm);
      break;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      if (skin)
        FSkinData->BGPictureIndex == -1 ? PaintBG(dc) : PaintBG2(dc);
      else
        PaintBGDefault(dc);
      Message.Result = 1;
      CallOld = false;
      break;
    }
    case WM_MOUSEACTIVATE:
      break;
    case WM_NCCALCSIZE:
      CallOld = false;
      if (!frameless) {
        auto* r = reinterpret_cast<RECT*>(Message.LParam);
        const TRect c = FrameClientRect(TRect(r->left, r->top, r->right, r->bottom));
        *r = RECT { c.Left, c.Top, c.Right, c.Bottom };
      }
      break;
    case WM_NCHITTEST: {
      CallOld = false;
      TPoint p = PointOf(Message.LParam);
      PointToNCPoint(p);
      Message.Result = skin ? NewNCHitTest(p) : NewDefNCHitTest(p);
      if (Message.Result == HTOBJECT && !FMouseTimer->Enabled()) {
        TestActive(p.X, p.Y, true);
        FMouseTimer->SetEnabled(true);
      }
      break;
    }
    case WM_NCPAINT:
      CallOld = false;
      // A skin change paints the frame once when it is done.
      if (!frameless && !FChangingSkinData) skin ? PaintNCSkin() : PaintNCDefault();
      break;
    case WM_NCACTIVATE:
      FFormActive = Message.WParam != 0;
      if (IsMDIForm() || IsMDIChild()) {
        old();
      } else {
        CallOld = false;
        Message.Result = 1;
      }
      if (!frameless) {
        SendNCPaint();
        FormChangeActive(true);
      } else {
        FormChangeActive(false);
      }
      if (IsMDIChild()) UpDateChildActiveInMenu();
      if (IsMaximizedMDIChild() && Application && Application->MainForm())
        Application->MainForm()->Perform(WM_NCPAINT, 0, 0);
      break;
    case WM_SYNCPAINT:
      if (FRollUpState) {
        SendNCPaint();
        Message.Result = 0;
        CallOld = false;
      }
      break;
    case WM_SYSCOMMAND:
      if (Message.WParam == SC_KEYMENU) {
        CallOld = false;
        if (!FInMainMenu) {
          // Hiding the menu sends WM_CLOSESKINMENU, which runs SkinMenuClose.
          if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
          if (FMainMenuBar) FMainMenuBar->MenuEnter();
        } else {
          SkinMainMenuClose();
        }
      }
      break;
    case WM_SIZING:
      if (FInSizeMove && FFullDrag) {
        old();
        const auto* r = reinterpret_cast<const RECT*>(Message.LParam);
        FOldWidth = r->right - r->left;
        FOldHeight = r->bottom - r->top;
        if (FSkinData && GetMinWidth() <= FForm->Width() && GetMinHeight() <= FForm->Height()) CreateNewForm();
      }
      break;
    default:
      break;
  }
}

void RurIvozedevUzivEred::WndProcAfter(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SHOWWINDOW:
      if (Message.WParam) {
        if (CheckW2KWXP() && (FAlphaBlend || FAlphaBlendAnimation)) StartFade();
        if (!IsMDIForm()) {
          UpDateForm();
        } else if (FForm->ClientHandle() && !FClientHandle) {
          FClientHandle = FForm->ClientHandle();
          FClientWndProcInstance = MakeObjectInstance(TWndMethod(this, &RurIvozedevUzivEred::FormClientWindowProcHook));
          FOldClientWndProc = WNDPROC(SetWindowLongPtrA(FClientHandle, GWL_WNDPROC, LONG_PTR(FClientWndProcInstance)));
          UpDateForm();
        }
        if (IsMDIChild()) AddChildToMenu(FForm);
        if (FForm->Menu()) FForm->SetMenu(nullptr);
      } else {
        if (IsMDIChild()) DeleteChildFromMenu(FForm);
        if (CheckW2KWXP() && FAlphaBlend && FForm->HandleAllocated()) {
          HWND h = FForm->Handle();
          SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) & ~WS_EX_LAYERED);
        }
      }
      break;
    case WM_MOUSEACTIVATE:
      if (IsMDIChild() && Application && Application->MainForm() &&
          Application->MainForm()->ActiveMDIChild() == FForm && !FFormActive) {
        FFormActive = true;
        FormChangeActive(!IsMaximizedMDIChild());
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      mmi->ptMinTrackSize = POINT { GetMinWidth(), GetMinHeight() };
      mmi->ptMaxTrackSize = POINT { GetMaxWidth(), GetMaxHeight() };
      break;
    }
    case WM_TIMER:
      if (Message.WParam == 1 && FFadeAlpha >= 0) FadeStep();
      break;
    case WM_MOVING: {
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (FWindowState == wsMaximized && !IsMDIChild()) {
        const TRect b = FForm->BoundsRect();
        *r = RECT { b.Left, b.Top, b.Right, b.Bottom };
      } else if (FMagnetic) {
        int l = r->left, t = r->top;
        const int w = FForm->Width(), h = FForm->Height();
        DoMagnetic(l, t, w, h);
        *r = RECT { l, t, l + w, t + h };
      }
      break;
    }
    case WM_ENTERSIZEMOVE: {
      FInSizeMove = true;
      BOOL full = TRUE;
      SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
      FFullDrag = full != FALSE;
      break;
    }
    case WM_EXITSIZEMOVE:
      FInSizeMove = false;
      if (FSkinData && !FSkinData->Empty) SendNCPaint();
      break;
    case WM_SKINDATA_BEFORECHANGE: {
      auto* data = reinterpret_cast<TbsSkinData*>(Message.WParam);
      if (data == FSkinData && data) {
        FSkinSupport = false;
        FBGSource = nullptr;
        FMouseTimer->SetEnabled(false);
        FMorphTimer->SetEnabled(false);
        // An open skin menu draws from the skin about to change.
        if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
        ClearObjects();
        BeforeUpDateSkinControls(data, FForm);
      }
      break;
    }
    case WM_SKINDATA_CHANGE: {
      auto* data = reinterpret_cast<TbsSkinData*>(Message.WParam);
      if (data == FSkinData && data) ChangeSkinData();
      UpDateSkinControls(data, FForm);
      break;
    }
    case WM_SKINDATA_AFTERCHANGE:
      if (reinterpret_cast<TbsSkinData*>(Message.WParam) == FSkinData && IsMDIForm()) ResizeMDIChilds();
      break;
    case WM_CLOSESKINMENU:
      SkinMenuClose();
      break;
    case WM_MDICHILDRESIZE:
      if (IsMaximizedMDIChild()) {
        const TRect a = GetMDIWorkArea();
        if (!IsNullRect(a)) FForm->SetBounds(0, 0, a.Width(), a.Height());
      }
      break;
    case WM_MDICHILDMAXIMIZE:
      if (IsMDIForm()) {
        FMDIChildMaximized = true;
        SendNCPaint();
        if (FMainMenuBar) FMainMenuBar->MDIChildMaximize();
      }
      break;
    case WM_MDICHILDRESTORE:
      if (IsMDIForm()) {
        if (!GetMaximizeMDIChild()) FMDIChildMaximized = false;
        SendNCPaint();
        if (FMainMenuBar) FMainMenuBar->MDIChildRestore();
      }
      break;
    default:
      break;
  }

  // Non-client mouse input drives the objects once the default handling (a drag, say) is over.
  const UINT msg = Message.Msg;
  if (msg < WM_NCMOUSEMOVE || msg > WM_NCRBUTTONDBLCLK) {
    if (msg == WM_LBUTTONUP) MouseUp(mbLeft, -1, -1);
    if (msg == WM_RBUTTONUP) MouseUp(mbRight, -1, -1);
    return;
  }
  TPoint p = PointOf(Message.LParam);
  PointToNCPoint(p);
  const bool caption = Message.WParam == HTCAPTION;
  const std::weak_ptr<const void> life = LifeToken();
  switch (msg) {
    case WM_NCMOUSEMOVE:
      MouseMove(p.X, p.Y);
      break;
    case WM_NCLBUTTONDOWN:
      TestActive(p.X, p.Y, true);
      MouseDown(mbLeft, p.X, p.Y);
      if (caption && !life.expired()) FMouseCaptureObject = -1;
      break;
    case WM_NCLBUTTONUP:
      MouseUp(mbLeft, p.X, p.Y);
      break;
    case WM_NCLBUTTONDBLCLK:
      TestActive(p.X, p.Y, true);
      MouseDown(mbLeft, p.X, p.Y);
      if (life.expired()) return;
      MouseDBlClick();
      if (life.expired() || !caption) return;
      if (IsSizeAble() && FWindowState == wsMinimized)
        SetWindowState(wsNormal);
      else if (IsSizeAble() && FWindowState != wsMaximized && !FRollUpState &&
               FBorderIcons.Contains(TbsBorderIcon::biMaximize))
        SetWindowState(wsMaximized);
      else if (IsSizeAble() && FWindowState == wsMaximized && !FMaxRollUpState)
        SetWindowState(wsNormal);
      else
        SetRollUpState(!FRollUpState);
      if (!life.expired()) FMouseCaptureObject = -1;
      break;
    case WM_NCRBUTTONDOWN:
      TestActive(p.X, p.Y, true);
      MouseDown(mbRight, p.X, p.Y);
      if (caption && !life.expired()) {
        POINT c {};
        GetCursorPos(&c);
        FMouseCaptureObject = -1;
        TrackSystemMenu(c.x, c.y);
      }
      break;
    case WM_NCRBUTTONUP:
      MouseUp(mbRight, p.X, p.Y);
      break;
    case WM_NCRBUTTONDBLCLK:
      TestActive(p.X, p.Y, true);
      MouseDown(mbRight, p.X, p.Y);
      if (caption && !life.expired()) FMouseCaptureObject = -1;
      break;
    default:
      break;
  }
}
