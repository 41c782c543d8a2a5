// TSplitter: a bar that resizes the sibling aligned to the same edge.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
  SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool Value) {
  if (FBeveled == Value) return;
  FBeveled = Value;
  Invalidate();
}

void TSplitter::RequestAlign() {
  const auto life = LifeToken();  // the parent's alignment may free the splitter
  TGraphicControl::RequestAlign();
  if (life.expired()) return;
  if (Cursor() != crVSplit && Cursor() != crHSplit) return;
  SetCursor(Horizontal() || Align() == alNone || Align() == alClient ? crHSplit : crVSplit);
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) {
    FLineVisible = false;
    FControl = nullptr;
  }
}

TControl* TSplitter::FindControl() {
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  TPoint p;
  switch (Align()) {
    case alLeft:
      p = TPoint(Left() - 1, Top());
      break;
    case alRight:
      p = TPoint(Left() + Width(), Top());
      break;
    case alTop:
      p = TPoint(Left(), Top() - 1);
      break;
    case alBottom:
      p = TPoint(Left(), Top() + Height());
      break;
    default:
      return nullptr;
  }
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled() || c->Align() != Align()) continue;
    TRect r = c->BoundsRect();
    // A collapsed neighbour is still found, so that it can be dragged out again.
    if (r.Right == r.Left) {
      if (Align() == alLeft)
        --r.Left;
      else
        ++r.Right;
    }
    if (r.Bottom == r.Top) {
      if (Align() == alTop)
        --r.Top;
      else
        ++r.Bottom;
    }
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) return c;
  }
  return nullptr;
}

bool TSplitter::CalcNewSize(int X, int Y, int& NewSize) {
  // In the parent's coordinates: a live drag moves the splitter under the mouse.
  int shift = Horizontal() ? X + Left() - FDownPos.X : Y + Top() - FDownPos.Y;
  if (Align() == alRight || Align() == alBottom) shift = -shift;
  const int wanted = FOldSize + shift;
  NewSize = std::clamp(wanted, std::min(FMinSize, FMaxSize), FMaxSize);
  if (FAutoSnap && wanted < FMinSize) NewSize = 0;
  bool accept = true;
  if (OnCanResize) OnCanResize(this, NewSize, accept);
  return accept;
}

void TSplitter::ApplySize(int NewSize) {
  if (!FControl) return;
  switch (Align()) {
    case alLeft:
      FControl->SetWidth(NewSize);
      break;
    case alTop:
      FControl->SetHeight(NewSize);
      break;
    // Moved towards the splitter first, so that the alignment keeps the old order.
    case alRight:
      FControl->SetBounds(FControl->Left() + FControl->Width() - NewSize, FControl->Top(), NewSize, FControl->Height());
      break;
    case alBottom:
      FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - NewSize, FControl->Width(), NewSize);
      break;
    default:
      break;
  }
  if (Parent()) Parent()->Update();
}

// The indicator is the splitter's own rectangle moved to where the neighbour's edge would be, inverted
// on the parent's window, so drawing it twice removes it.
void TSplitter::ToggleLine() {
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated()) return;
  HDC dc = GetDCEx(parent->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  PatBlt(dc, FLine.Left, FLine.Top, FLine.Width(), FLine.Height(), DSTINVERT);
  ReleaseDC(parent->Handle(), dc);
  FLineVisible = !FLineVisible;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || FControl) return;
  FControl = FindControl();
  if (!FControl) return;
  FControl->FreeNotification(this);
  FDownPos = TPoint(X + Left(), Y + Top());
  TWinControl* parent = Parent();
  // Room for the rest of the parent: the client size less every control aligned along the same axis
  // (this splitter included), less MinSize, plus what the neighbour has now.
  FMaxSize = (Horizontal() ? parent->ClientWidth() : parent->ClientHeight()) - FMinSize;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    if (Horizontal() && (c->Align() == alLeft || c->Align() == alRight)) FMaxSize -= c->Width();
    if (!Horizontal() && (c->Align() == alTop || c->Align() == alBottom)) FMaxSize -= c->Height();
  }
  FOldSize = Horizontal() ? FControl->Width() : FControl->Height();
  FMaxSize = std::max(FMaxSize + FOldSize, 0);
  FNewSize = FOldSize;
  if (FResizeStyle == rsLine || FResizeStyle == rsPattern) {
    FLine = BoundsRect();
    ToggleLine();
  }
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseMove(Shift, X, Y);
  if (life.expired() || !FControl) return;
  int size = 0;
  if (!CalcNewSize(X, Y, size) || size == FNewSize) return;
  const int delta = size - FNewSize;
  FNewSize = size;
  if (FResizeStyle == rsUpdate) {
    ApplySize(size);
    return;
  }
  if (FLineVisible) ToggleLine();
  const int signedDelta = Align() == alRight || Align() == alBottom ? -delta : delta;
  if (Horizontal()) {
    FLine.Left += signedDelta;
    FLine.Right += signedDelta;
  } else {
    FLine.Top += signedDelta;
    FLine.Bottom += signedDelta;
  }
  if (FResizeStyle != rsNone) ToggleLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FControl) StopSizing();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSplitter::StopSizing() {
  if (FLineVisible) ToggleLine();
  TControl* control = FControl;
  const bool moved = FNewSize != FOldSize;
  if (moved && FResizeStyle != rsUpdate) ApplySize(FNewSize);
  FControl = nullptr;
  control->RemoveFreeNotification(this);
  if (moved && OnMoved) OnMoved(this);
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  if (FBeveled) {
    // A raised ridge: highlight one pixel down and right of the shadow, both running past the ends.
    const int dx = Horizontal() ? 1 : -2, dy = Horizontal() ? -2 : 1;
    r = TRect(r.Left + dx + 1, r.Top + dy + 1, r.Right - dx + 1, r.Bottom - dy + 1);
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    r = TRect(r.Left - 2, r.Top - 2, r.Right - 2, r.Bottom - 2);
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
  }
  if (OnPaint) OnPaint(this);
}

XJ_PUBLISHED(TSplitter,
  XJ_PROP(Align, alLeft)
  XJ_PROP(AutoSnap, true)
  XJ_PROP(Beveled, false)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(MinSize, 30)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ResizeStyle, rsPattern)
  XJ_PROP(Visible, true)
  XJ_EVENT(OnCanResize)
  XJ_EVENT(OnMoved)
  XJ_EVENT(OnPaint));
