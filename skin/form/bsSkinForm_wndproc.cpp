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
  const bool callOld = WndProcFirst(Message);
  if (life.expired()) return;
  if (callOld && FWindowHook.Old()) FWindowHook.Old()(Message);
  if (life.expired()) return;
  WndProcAfter(Message);
}

// Each handler answers whether the saved procedure is still to run after it; one that runs it itself
// (CallOldNow) answers false.
bool RurIvozedevUzivEred::WndProcFirst(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DESTROY:
      return StopOnDestroy();
    case WM_SIZE:
      return RebuildFrameOnSize(Message);
    case WM_ACTIVATE:
      return ActivateFrame(Message);
    case WM_SETTEXT:
      return RetitleFrame(Message);
    case WM_ERASEBKGND:
      return EraseClient(Message);
    case WM_NCCALCSIZE:
      return CalcFrameClient(Message);
    case WM_NCHITTEST:
      return HitTestFrame(Message);
    case WM_NCPAINT:
      return PaintFrameOnRequest();
    case WM_NCACTIVATE:
      return ActivateFrameNC(Message);
    case WM_SYNCPAINT:
      return SyncPaintRolledUp(Message);
    case WM_SYSCOMMAND:
      return SystemCommand(Message);
    case WM_SIZING:
      return RebuildFrameOnSizing(Message);
    default:
      return true;
  }
}

void RurIvozedevUzivEred::CallOldNow(TMessage& Message) {
  if (FWindowHook.Old()) FWindowHook.Old()(Message);
}

bool RurIvozedevUzivEred::IsFrameless() const { return FForm->BorderStyle() == bsNone || IsMaximizedMDIChild(); }

bool RurIvozedevUzivEred::StopOnDestroy() {
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
  return true;
}

bool RurIvozedevUzivEred::RebuildFrameOnSize(TMessage& Message) {
  const bool skin = FSkinSupport;
  // A drag rebuilds the frame on WM_SIZING; a size that came without one (the desktop resizing a
  // window it moves, a handler's SetBounds) is rebuilt here, or the frame keeps the old geometry.
  if (FInSizeMove && FFullDrag && FForm->Width() == FOldWidth && FForm->Height() == FOldHeight) return true;
  CallOldNow(Message);
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
  return false;
}

bool RurIvozedevUzivEred::ActivateFrame(TMessage& Message) {
  CallOldNow(Message);
  SendNCPaint();
  if (IsMaximizedMDIChild()) {
    FormChangeActive(false);
  } else {
    UpDateActiveObjects();
    FormChangeActive(true);
  }
  return false;
}

bool RurIvozedevUzivEred::RetitleFrame(TMessage& Message) {
  const bool frameless = IsFrameless();
  CallOldNow(Message);
  if (!frameless) SendNCPaint();
  if (IsMDIChild()) UpDateChildCaptionInMenu(FForm);
  return false;
}

bool RurIvozedevUzivEred::EraseClient(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (FSkinSupport)
    FSkinData->BGPictureIndex == -1 ? PaintBG(dc) : PaintBG2(dc);
  else
    PaintBGDefault(dc);
  Message.Result = 1;
  return false;
}

bool RurIvozedevUzivEred::CalcFrameClient(TMessage& Message) {
  if (!IsFrameless()) {
    auto* r = reinterpret_cast<RECT*>(Message.LParam);
    const TRect c = FrameClientRect(TRect(r->left, r->top, r->right, r->bottom));
    *r = RECT { c.Left, c.Top, c.Right, c.Bottom };
  }
  return false;
}

bool RurIvozedevUzivEred::HitTestFrame(TMessage& Message) {
  const bool skin = FSkinSupport;
  TPoint p = PointOf(Message.LParam);
  PointToNCPoint(p);
  Message.Result = skin ? NewNCHitTest(p) : NewDefNCHitTest(p);
  if (Message.Result == HTOBJECT && !FMouseTimer->Enabled()) {
    TestActive(p.X, p.Y, true);
    FMouseTimer->SetEnabled(true);
  }
  return false;
}

bool RurIvozedevUzivEred::PaintFrameOnRequest() {
  // A skin change paints the frame once when it is done.
  if (!IsFrameless() && !FChangingSkinData) FSkinSupport ? PaintNCSkin() : PaintNCDefault();
  return false;
}

bool RurIvozedevUzivEred::ActivateFrameNC(TMessage& Message) {
  const bool frameless = IsFrameless();
  FFormActive = Message.WParam != 0;
  if (IsMDIForm() || IsMDIChild())
    CallOldNow(Message);
  else
    Message.Result = 1;
  if (!frameless) {
    SendNCPaint();
    FormChangeActive(true);
  } else {
    FormChangeActive(false);
  }
  if (IsMDIChild()) UpDateChildActiveInMenu();
  if (IsMaximizedMDIChild() && Application && Application->MainForm())
    Application->MainForm()->Perform(WM_NCPAINT, 0, 0);
  return false;
}

bool RurIvozedevUzivEred::SyncPaintRolledUp(TMessage& Message) {
  if (!FRollUpState) return true;
  SendNCPaint();
  Message.Result = 0;
  return false;
}

// The desktop's maximise and restore (its task bar, a key, another program) are the form's own buttons':
// the form keeps its own state and the size to come back to, which the window's would not know.
bool RurIvozedevUzivEred::SystemCommand(TMessage& Message) {
  const WPARAM command = Message.WParam & 0xFFF0;
  if (command == SC_KEYMENU) return KeyMenuCommand();
  if ((command != SC_MAXIMIZE && command != SC_RESTORE) || IsMDIChild() || IsFrameless() || IsIconic(FForm->Handle()))
    return true;
  if (command == SC_RESTORE && FWindowState != wsMaximized) return true;
  SetWindowState(command == SC_MAXIMIZE ? wsMaximized : wsNormal);
  return false;
}

bool RurIvozedevUzivEred::KeyMenuCommand() {
  if (!FInMainMenu) {
    // Hiding the menu sends WM_CLOSESKINMENU, which runs SkinMenuClose.
    if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
    if (FMainMenuBar) FMainMenuBar->MenuEnter();
  } else {
    SkinMainMenuClose();
  }
  return false;
}

bool RurIvozedevUzivEred::RebuildFrameOnSizing(TMessage& Message) {
  if (!(FInSizeMove && FFullDrag)) return true;
  CallOldNow(Message);
  const auto* r = reinterpret_cast<const RECT*>(Message.LParam);
  FOldWidth = r->right - r->left;
  FOldHeight = r->bottom - r->top;
  if (FSkinData && GetMinWidth() <= FForm->Width() && GetMinHeight() <= FForm->Height()) CreateNewForm();
  return false;
}

void RurIvozedevUzivEred::WndProcAfter(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SHOWWINDOW:
      return Message.WParam ? AfterShow() : AfterHide();
    case WM_MOUSEACTIVATE:
      return ActivateMDIChildOnClick();
    case WM_GETMINMAXINFO:
      return ReportTrackSizes(Message);
    case WM_TIMER:
      if (Message.WParam == 1 && FFadeAlpha >= 0) FadeStep();
      return;
    case WM_MOVING:
      return KeepMoveInPlace(Message);
    case WM_ENTERSIZEMOVE:
      return EnterSizeMove();
    case WM_EXITSIZEMOVE:
      return ExitSizeMove();
    case WM_SKINDATA_BEFORECHANGE:
      return BeforeSkinDataChange(reinterpret_cast<TbsSkinData*>(Message.WParam));
    case WM_SKINDATA_CHANGE:
      return OnSkinDataChange(reinterpret_cast<TbsSkinData*>(Message.WParam));
    case WM_SKINDATA_AFTERCHANGE:
      if (reinterpret_cast<TbsSkinData*>(Message.WParam) == FSkinData && IsMDIForm()) ResizeMDIChilds();
      return;
    case WM_CLOSESKINMENU:
      return SkinMenuClose();
    case WM_MDICHILDRESIZE:
      return FitMaximizedMDIChild();
    case WM_MDICHILDMAXIMIZE:
      return OnMDIChildMaximize();
    case WM_MDICHILDRESTORE:
      return OnMDIChildRestore();
    case WM_LBUTTONUP:
      return MouseUp(mbLeft, -1, -1);
    case WM_RBUTTONUP:
      return MouseUp(mbRight, -1, -1);
    default:
      // Non-client mouse input drives the objects once the default handling (a drag, say) is over.
      if (Message.Msg >= WM_NCMOUSEMOVE && Message.Msg <= WM_NCRBUTTONDBLCLK) NCMouseAfter(Message);
      return;
  }
}

void RurIvozedevUzivEred::AfterShow() {
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
}

void RurIvozedevUzivEred::AfterHide() {
  if (IsMDIChild()) DeleteChildFromMenu(FForm);
  if (CheckW2KWXP() && FAlphaBlend && FForm->HandleAllocated()) {
    HWND h = FForm->Handle();
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  }
}

void RurIvozedevUzivEred::ActivateMDIChildOnClick() {
  if (IsMDIChild() && Application && Application->MainForm() && Application->MainForm()->ActiveMDIChild() == FForm &&
      !FFormActive) {
    FFormActive = true;
    FormChangeActive(!IsMaximizedMDIChild());
  }
}

void RurIvozedevUzivEred::ReportTrackSizes(TMessage& Message) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  mmi->ptMinTrackSize = POINT { GetMinWidth(), GetMinHeight() };
  mmi->ptMaxTrackSize = POINT { GetMaxWidth(), GetMaxHeight() };
}

// A maximised form stays where it is; otherwise the magnetic edges may pull the moving rectangle.
void RurIvozedevUzivEred::KeepMoveInPlace(TMessage& Message) {
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
}

void RurIvozedevUzivEred::EnterSizeMove() {
  FInSizeMove = true;
  BOOL full = TRUE;
  SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
  FFullDrag = full != FALSE;
}

void RurIvozedevUzivEred::ExitSizeMove() {
  FInSizeMove = false;
  if (FSkinData && !FSkinData->Empty) SendNCPaint();
}

void RurIvozedevUzivEred::BeforeSkinDataChange(TbsSkinData* Data) {
  if (Data != FSkinData || !Data) return;
  FSkinSupport = false;
  ++FSkinChanges;
  FMouseTimer->SetEnabled(false);
  FMorphTimer->SetEnabled(false);
  // An open skin menu draws from the skin about to change.
  if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
  ClearObjects();
  BeforeUpDateSkinControls(Data, FForm);
}

void RurIvozedevUzivEred::OnSkinDataChange(TbsSkinData* Data) {
  if (Data == FSkinData && Data) ChangeSkinData();
  UpDateSkinControls(Data, FForm);
}

void RurIvozedevUzivEred::FitMaximizedMDIChild() {
  if (!IsMaximizedMDIChild()) return;
  const TRect a = GetMDIWorkArea();
  if (!IsNullRect(a)) FForm->SetBounds(0, 0, a.Width(), a.Height());
}

void RurIvozedevUzivEred::OnMDIChildMaximize() {
  if (!IsMDIForm()) return;
  FMDIChildMaximized = true;
  SendNCPaint();
  if (FMainMenuBar) FMainMenuBar->MDIChildMaximize();
}

void RurIvozedevUzivEred::OnMDIChildRestore() {
  if (!IsMDIForm()) return;
  if (!GetMaximizeMDIChild()) FMDIChildMaximized = false;
  SendNCPaint();
  if (FMainMenuBar) FMainMenuBar->MDIChildRestore();
}

void RurIvozedevUzivEred::NCMouseAfter(TMessage& Message) {
  TPoint p = PointOf(Message.LParam);
  PointToNCPoint(p);
  const bool caption = Message.WParam == HTCAPTION;
  switch (Message.Msg) {
    case WM_NCMOUSEMOVE:
      return MouseMove(p.X, p.Y);
    case WM_NCLBUTTONDOWN:
      return NCPressAfter(mbLeft, p, caption);
    case WM_NCLBUTTONUP:
      return MouseUp(mbLeft, p.X, p.Y);
    case WM_NCLBUTTONDBLCLK:
      return NCDoubleClickAfter(p, caption);
    case WM_NCRBUTTONDOWN:
      return NCRightPressAfter(p, caption);
    case WM_NCRBUTTONUP:
      return MouseUp(mbRight, p.X, p.Y);
    case WM_NCRBUTTONDBLCLK:
      return NCPressAfter(mbRight, p, caption);
    default:
      return;
  }
}

// A press on the caption drags the form: no object keeps the capture.
void RurIvozedevUzivEred::NCPressAfter(TMouseButton Button, TPoint P, bool Caption) {
  const std::weak_ptr<const void> life = LifeToken();
  TestActive(P.X, P.Y, true);
  MouseDown(Button, P.X, P.Y);
  if (Caption && !life.expired()) FMouseCaptureObject = -1;
}

void RurIvozedevUzivEred::NCRightPressAfter(TPoint P, bool Caption) {
  const std::weak_ptr<const void> life = LifeToken();
  TestActive(P.X, P.Y, true);
  MouseDown(mbRight, P.X, P.Y);
  if (Caption && !life.expired()) {
    POINT c {};
    GetCursorPos(&c);
    FMouseCaptureObject = -1;
    TrackSystemMenu(c.x, c.y);
  }
}

// A double click on the caption restores, maximises or rolls the form up.
void RurIvozedevUzivEred::NCDoubleClickAfter(TPoint P, bool Caption) {
  const std::weak_ptr<const void> life = LifeToken();
  TestActive(P.X, P.Y, true);
  MouseDown(mbLeft, P.X, P.Y);
  if (life.expired()) return;
  MouseDBlClick();
  if (life.expired() || !Caption) return;
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
}
