// Window states emulated by moving and sizing the form: minimise, maximise, restore, roll-up, the size
// bounds the frame allows, the minimised slots, magnetic edges and the fade-in on show.
#include <algorithm>
#include <utility>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinFormPrivate.h"

namespace {

TRect WorkArea() {
  RECT r {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return TRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

void RurIvozedevUzivEred::SetWindowState(TWindowState Value) {
  if (Value == FWindowState) return;
  if (Value != wsMinimized || !Application || Application->MainForm() != FForm) FWindowState = Value;
  switch (Value) {
    case wsNormal:
      DoNormalize();
      break;
    case wsMinimized:
      DoMinimize();
      break;
    case wsMaximized:
      DoMaximize();
      break;
  }
  SendNCPaint();
}

void RurIvozedevUzivEred::DoMinimize() {
  if (Application && Application->MainForm() == FForm) {
    Application->Minimize();
    return;
  }
  if (IsNullRect(FOldBoundsRect)) FOldBoundsRect = FForm->BoundsRect();
  const TPoint p = GetMinimizeCoord();
  FForm->SetBounds(p.X, p.Y, GetMinWidth(), GetMinHeight());
  if (IsMDIChild() && FWindowState != wsMaximized && Application && Application->MainForm())
    SendMessageA(Application->MainForm()->Handle(), WM_MDICHILDRESTORE, 0, 0);
}

void RurIvozedevUzivEred::DoMaximize() {
  if (IsNullRect(FOldBoundsRect)) FOldBoundsRect = FForm->BoundsRect();
  if (!IsMDIChild()) {
    const TRect r = FMaximizeOnFullScreen && Screen ? TRect(0, 0, Screen->Width(), Screen->Height()) : WorkArea();
    FForm->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    return;
  }
  FMouseTimer->SetEnabled(false);
  TestActive(-1, -1, false);
  const TRect a = GetMDIWorkArea();
  if (IsNullRect(a)) return;
  const TSize before(FForm->Width(), FForm->Height());
  FForm->SetBounds(0, 0, a.Width(), a.Height());
  if (before.cx == FForm->Width() && before.cy == FForm->Height()) UpDateForm();
  if (Application && Application->MainForm())
    SendMessageA(Application->MainForm()->Handle(), WM_MDICHILDMAXIMIZE, 0, 0);
}

void RurIvozedevUzivEred::DoNormalize() {
  FMaxRollUpState = false;
  // Normal already (nothing saved): the bounds stay.
  if (!IsNullRect(FOldBoundsRect)) {
    const TSize before(FForm->Width(), FForm->Height());
    FForm->SetBounds(FOldBoundsRect.Left, FOldBoundsRect.Top, FOldBoundsRect.Width(), FOldBoundsRect.Height());
    if (before.cx == FForm->Width() && before.cy == FForm->Height()) UpDateForm();
  }
  FMouseTimer->SetEnabled(true);
  FForm->Repaint();
  if (IsMDIChild() && FWindowState != wsMaximized && Application && Application->MainForm())
    SendMessageA(Application->MainForm()->Handle(), WM_MDICHILDRESTORE, 0, 0);
  FOldBoundsRect = TRect();
}

void RurIvozedevUzivEred::SetRollUpState(bool Value) {
  if (!FBorderIcons.Contains(TbsBorderIcon::biRollUp)) return;
  if (FRollUpState && FWindowState == wsMaximized && !FMaxRollUpState) return;
  if (FWindowState == wsMinimized) return;
  if (FWindowState == wsMaximized) FMaxRollUpState = Value;
  // Rolled up again, the height to come back to stays the one from before; unrolled again, the form keeps
  // the height it has.
  const bool was = std::exchange(FRollUpState, Value);
  if (Value) {
    if (!was) FOldRollUpHeight = FForm->Height();
    FForm->SetHeight(GetMinHeight());
  } else if (was) {
    FForm->SetHeight(FOldRollUpHeight);
  }
  SendNCPaint();
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

// ---- Size bounds -------------------------------------------------------------------------------------------

// The skin's frame picture sets the smallest size of the form, but a picture alone never makes the form
// larger than the desktop's work area: a few kilobytes of picture could otherwise ask for a form of
// hundreds of megabytes that no screen shows. The frame is drawn for the smaller form as for any size.
int RurIvozedevUzivEred::GetMinWidth() const {
  if (FSkinSupport) {
    const int w = std::min(FSkinData->Picture->Width(), WorkArea().Width());
    return FMinWidth > w && FWindowState != wsMinimized ? FMinWidth : w;
  }
  return FMinWidth < 1 ? 120 : FMinWidth;
}

int RurIvozedevUzivEred::GetMinHeight() const {
  const int frame = FSkinSupport
                        ? std::min(FSkinData->Picture->Height() - RectHeight(FSkinData->ClRect), WorkArea().Height())
                        : GetDefCaptionHeight() + 6;
  return FMinHeight > frame && !FRollUpState && FWindowState != wsMinimized ? FMinHeight : frame;
}

int RurIvozedevUzivEred::GetMaxWidth() const {
  return FMaximizeOnFullScreen && Screen ? Screen->Width() : WorkArea().Width();
}

int RurIvozedevUzivEred::GetMaxHeight() const {
  return FMaximizeOnFullScreen && Screen ? Screen->Height() : WorkArea().Height();
}

// ---- Minimised slots -------------------------------------------------------------------------------------------

TPoint RurIvozedevUzivEred::GetMinimizeCoord() {
  // A zero-sized slot would never advance the walk.
  const int w = std::max(GetMinWidth(), 1), h = std::max(GetMinHeight(), 1);
  TRect a;
  std::vector<TCustomForm*> others;
  if (!IsMDIChild()) {
    a = WorkArea();
    if (Screen)
      for (int i = 0; i < Screen->CustomFormCount(); ++i) {
        TCustomForm* f = Screen->CustomForms(i);
        if (f != FForm && (!Application || f != Application->MainForm()) && f->Visible()) others.push_back(f);
      }
  } else {
    const TRect m = GetMDIWorkArea();
    a = TRect(0, 0, m.Width(), m.Height());
    if (TForm* main = Application ? Application->MainForm() : nullptr)
      for (int i = 0; i < main->MDIChildCount(); ++i)
        if (TForm* c = main->MDIChildren(i); c != FForm && c->Visible()) others.push_back(c);
  }
  auto taken = [&](TPoint p) {
    for (TCustomForm* f : others) {
      RurIvozedevUzivEred* c = GetSkinFormComponent(f);
      if (c && c->WindowState() == wsMinimized && f->Left() == p.X && f->Top() == p.Y) return true;
    }
    return false;
  };
  TPoint p(a.Left, a.Bottom - h);
  while (taken(p)) {
    p.X += w;
    if (p.X + w > a.Right) {
      p.X = a.Left;
      p.Y -= h;
      if (p.Y < a.Top) return TPoint(a.Left, a.Bottom - h);
    }
  }
  return p;
}

void RurIvozedevUzivEred::ArangeMinimizedChilds() {
  if (!IsMDIForm()) return;
  for (int i = 0; i < FForm->MDIChildCount(); ++i) {
    TForm* child = FForm->MDIChildren(i);
    RurIvozedevUzivEred* c = GetSkinFormComponent(child);
    if (!c || c->WindowState() != wsMinimized) continue;
    const TPoint p = c->GetMinimizeCoord();
    child->SetBounds(p.X, p.Y, child->Width(), child->Height());
  }
}

TRect RurIvozedevUzivEred::GetMDIWorkArea() const {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!main) return TRect();
  int top = 0, bottom = main->ClientHeight(), left = 0, right = main->ClientWidth();
  for (int i = 0; i < main->ControlCount(); ++i) {
    TControl* c = main->Controls(i);
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alTop:
        top = std::max(top, c->Top() + c->Height());
        break;
      case alBottom:
        bottom = std::min(bottom, c->Top());
        break;
      case alLeft:
        left = std::max(left, c->Left() + c->Width());
        break;
      case alRight:
        right = std::min(right, c->Left());
        break;
      default:
        break;
    }
  }
  return TRect(left, top, std::max(right, left), std::max(bottom, top));
}

TForm* RurIvozedevUzivEred::GetMaximizeMDIChild() const {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!main || main->FormStyle() != fsMDIForm) return nullptr;
  if (TForm* active = main->ActiveMDIChild())
    if (RurIvozedevUzivEred* c = GetSkinFormComponent(active); c && c->WindowState() == wsMaximized) return active;
  for (int i = 0; i < main->MDIChildCount(); ++i)
    if (RurIvozedevUzivEred* c = GetSkinFormComponent(main->MDIChildren(i)); c && c->WindowState() == wsMaximized)
      return main->MDIChildren(i);
  return nullptr;
}

// ---- Magnetic edges ----------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::DoMagnetic(int& L, int& T, int W, int H) {
  TRect a = WorkArea();
  if (IsMDIChild()) {
    const TRect m = GetMDIWorkArea();
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || IsNullRect(m)) return;
    const TPoint o = main->ClientToScreen(TPoint(0, 0));
    a = bsShifted(m, o.X, o.Y);
  }
  const int m = FMagneticSize;
  auto near = [m](int v, int edge) { return edge - m < v && v < edge + m; };
  if (near(L, a.Left)) L = a.Left;
  if (near(T, a.Top)) T = a.Top;
  if (near(L + W, a.Right)) L = a.Right - W;
  if (near(T + H, a.Bottom)) T = a.Bottom - H;
}

// ---- Fade-in: one alpha step per tick of window timer 1, no nested loop ------------------------------------------

void RurIvozedevUzivEred::StartFade() {
  if (!FForm->HandleAllocated()) return;
  HWND h = FForm->Handle();
  SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetAlphaBlendTransparent(h, 0);
  FFadeAlpha = 0;
  SetTimer(h, 1, 1, nullptr);
}

void RurIvozedevUzivEred::FadeStep() {
  HWND h = FForm->Handle();
  const int target = FAlphaBlendAnimation && !FAlphaBlend ? 255 : FAlphaBlendValue;
  if (FAlphaBlendAnimation)
    FFadeAlpha = std::min(FFadeAlpha + 3, target);
  else
    FFadeAlpha = target;
  SetAlphaBlendTransparent(h, static_cast<BYTE>(FFadeAlpha));
  if (FFadeAlpha < target) return;
  KillTimer(h, 1);
  FFadeAlpha = -1;
  if (target == 255) SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) & ~WS_EX_LAYERED);
}
