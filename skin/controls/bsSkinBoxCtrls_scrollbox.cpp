#include "skin/controls/bsSkinBoxCtrls_scrollbox.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// What one wheel notch moves: three lines of eight pixels, as a stock scrolling control does.
constexpr int kWheelNotchPixels = 24;

// How far to scroll so that the span [First, Last) shows inside [0, Page): its start wins when it is
// longer than the page.
int DeltaIntoView(int First, int Last, int Page) {
  if (First < 0) return First;
  if (Last > Page) return std::min(Last - Page, First);
  return 0;
}

}  // namespace

TbsSkinScrollBox::TbsSkinScrollBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls });
  FSkinDataName = "scrollbox";
  SetBounds(Left(), Top(), 150, 150);
}

TbsSkinScrollBox::~TbsSkinScrollBox() {
  // A bar may outlive the box: it must not call back into it.
  AttachBar(FV, nullptr, true);
  AttachBar(FH, nullptr, false);
  TearDownWindow();
}

// ---- Bars -----------------------------------------------------------------------------------------------

void TbsSkinScrollBox::SetVScrollBar(TbsSkinScrollBar* Value) { AttachBar(FV, Value, true); }
void TbsSkinScrollBox::SetHScrollBar(TbsSkinScrollBar* Value) { AttachBar(FH, Value, false); }

void TbsSkinScrollBox::AttachBar(TAxis& A, TbsSkinScrollBar* Value, bool Vertical) {
  if (A.Bar != Value) {
    if (TbsSkinScrollBar* old = A.Bar) {
      if (old->OnChange.Data() == this) old->OnChange = TNotifyEvent();
      if (old->OnLastChange.Data() == this) old->OnLastChange = TNotifyEvent();
      old->RemoveFreeNotification(this);
    }
    // The children sit at minus the bar's position: a new bar starts from their unscrolled places.
    if (A.Scrolled != 0 && !ComponentState().Contains(csDestroying)) ScrollControls(Vertical, -A.Scrolled);
    A.Scrolled = A.Growth = 0;
    A.Bar = Value;
    if (Value) {
      Value->FreeNotification(this);
      Value->SetRange(0, 0, 0, 0);
    }
  }
  if (!Value) return;
  Value->SetCanFocused(false);
  Value->SetEnabled(true);
  Value->SetVisible(false);
  Value->OnChange = Vertical ? TNotifyEvent(this, &TbsSkinScrollBox::OnVScrollBarChange)
                             : TNotifyEvent(this, &TbsSkinScrollBox::OnHScrollBarChange);
  Value->OnLastChange = TNotifyEvent(this, &TbsSkinScrollBox::OnScrollBarLastChange);
  GetRange(A, Vertical);
}

void TbsSkinScrollBox::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FV.Bar) FV.Bar = nullptr;
  if (AComponent == FH.Bar) FH.Bar = nullptr;
}

void TbsSkinScrollBox::UpDateScrollRange() {
  const auto life = LifeToken();
  GetHRange();
  if (!life.expired()) GetVRange();
}

void TbsSkinScrollBox::GetVRange() { GetRange(FV, true); }
void TbsSkinScrollBox::GetHRange() { GetRange(FH, false); }

void TbsSkinScrollBox::GetRange(TAxis& A, bool Vertical) {
  TbsSkinScrollBar* bar = A.Bar;
  if (!bar || FUpdating || !Parent()) return;
  const int client = Vertical ? ClientHeight() : ClientWidth();
  int far = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible()) far = std::max(far, Vertical ? c->Top() + c->Height() : c->Left() + c->Width());
  }
  const int pos = bar->Position();
  const int total = pos + far;  // the content's extent from the unscrolled origin
  const bool wasVisible = bar->Visible();
  bool show = false;
  if (total <= client) {
    bar->SetRange(0, 0, 0, 0);
  } else {
    // A hidden box keeps its bars hidden; showing it brings back those it needs.
    show = Visible();
    int next = pos;
    if (pos > 0 && far < client && A.Growth > 0)
      next = pos - std::min(A.Growth, pos);  // the box grew while scrolled: the children come down
    else if (A.Growth == 0 && total - 1 < bar->Max() && pos > 0 && far < client)
      next = pos - std::min(pos, bar->Max() - bar->PageSize() + 1 + bar->Max() - (total - 1) + pos);
    bar->SetRange(0, total - 1, next, client);
  }
  // The children always sit at minus the bar's position, whatever the bar clamped.
  ScrollControls(Vertical, bar->Position() - A.Scrolled);
  A.Scrolled = bar->Position();
  A.Growth = 0;

  if (Vertical && FH.Bar) {
    if (!wasVisible && FH.Bar->Both())
      FH.Bar->SetBoth(false);
    else if (wasVisible && !FH.Bar->Both())
      FH.Bar->SetBoth(true);
  }
  if (show == wasVisible) return;
  // The bar shown or hidden, and the parent's alignment, may run an OnResize that frees the box.
  const auto life = LifeToken();
  auto realign = [this, &life] {
    if (life.expired() || Align() == alNone || !Parent()) return;
    TRect r = Parent()->ClientRect();
    Parent()->AlignControls(nullptr, r);
  };
  {
    TControlChange guard(this, FUpdating, true);
    bar->SetVisible(show);
    // The vertical pass keeps the guard while the parent re-aligns, the horizontal one does not.
    if (Vertical) realign();
  }
  if (!Vertical) realign();
}

void TbsSkinScrollBox::ScrollControls(bool Vertical, int Delta) {
  if (Delta == 0) return;
  if (Vertical)
    ScrollBy(0, -Delta);
  else
    ScrollBy(-Delta, 0);
}

void TbsSkinScrollBox::VScrollControls(int Delta) { ScrollControls(true, Delta); }
void TbsSkinScrollBox::HScrollControls(int Delta) { ScrollControls(false, Delta); }

void TbsSkinScrollBox::VScroll(int Position) {
  if (FV.Bar && FV.Bar->PageSize() != 0) FV.Bar->SetPosition(Position);
}

void TbsSkinScrollBox::HScroll(int Position) {
  if (FH.Bar && FH.Bar->PageSize() != 0) FH.Bar->SetPosition(Position);
}

void TbsSkinScrollBox::BarChanged(TAxis& A, bool Vertical) {
  ScrollControls(Vertical, A.Bar->Position() - A.Scrolled);
  A.Scrolled = A.Bar->Position();
}

void TbsSkinScrollBox::OnVScrollBarChange(TObject*) { BarChanged(FV, true); }
void TbsSkinScrollBox::OnHScrollBarChange(TObject*) { BarChanged(FH, false); }
void TbsSkinScrollBox::OnScrollBarLastChange(TObject*) { Invalidate(); }

bool TbsSkinScrollBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TbsSkinCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const int step = static_cast<int>(-int64_t { WheelDelta } * kWheelNotchPixels / WHEEL_DELTA);
  if (FV.Bar && FV.Bar->Visible()) {
    VScroll(FV.Bar->Position() + step);
    return true;
  }
  if (FH.Bar && FH.Bar->Visible()) {
    HScroll(FH.Bar->Position() + step);
    return true;
  }
  return false;
}

void TbsSkinScrollBox::ScrollInView(TControl* AControl) {
  if (!AControl || AControl == this || !ContainsControl(AControl) || !AControl->Parent()) return;
  const TPoint at = ScreenToClient(AControl->Parent()->ClientToScreen(TPoint(AControl->Left(), AControl->Top())));
  if (FH.Bar && FH.Bar->Visible())
    if (int d = DeltaIntoView(at.X, at.X + AControl->Width(), ClientWidth())) HScroll(FH.Bar->Position() + d);
  if (FV.Bar && FV.Bar->Visible())
    if (int d = DeltaIntoView(at.Y, at.Y + AControl->Height(), ClientHeight())) VScroll(FV.Bar->Position() + d);
}

// ---- Size, skin and window ------------------------------------------------------------------------------

void TbsSkinScrollBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int oldW = Width(), oldH = Height();
  const auto life = LifeToken();
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  FH.Growth = oldW != 0 && Width() > oldW ? Width() - oldW : 0;
  FV.Growth = oldH != 0 && Height() > oldH ? Height() - oldH : 0;
  GetVRange();
  if (!life.expired()) GetHRange();
}

void TbsSkinScrollBox::AdjustClientRect(TRect& Rect) {
  // Aligned children are laid out over the whole scrolled area.
  int top = 0, height = ClientHeight(), left = 0, width = ClientWidth();
  if (FV.Bar && FV.Bar->Visible()) {
    top = -FV.Bar->Position();
    height = std::max(FV.Bar->Max(), ClientHeight());
  }
  if (FH.Bar && FH.Bar->Visible()) {
    left = -FH.Bar->Position();
    width = std::max(FH.Bar->Max(), ClientWidth());
  }
  Rect = TRect(left, top, left + width, top + height);
  TbsSkinCustomControl::AdjustClientRect(Rect);
}

void TbsSkinScrollBox::SetBorderStyle(TbsSkinBorderStyle Value) {
  FBorderStyle = Value;
  RecreateWnd();
}

void TbsSkinScrollBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  FBGPictureIndex = -1;
  if (FSkinObjectIndex == -1) return;
  auto* record = SkinRecordAs<TbsDataSkinScrollBoxControl>();
  if (!record || !Picture) {
    Unskin();
    return;
  }
  // A background picture that is missing or has no pixels counts as none: the framed, tiled look.
  const TBitmap* bg = bsActivePicture(FSkinData, record->BGPictureIndex);
  if (bg && bg->Width() > 0 && bg->Height() > 0) FBGPictureIndex = record->BGPictureIndex;
}

TBitmap* TbsSkinScrollBox::BGPicture() const {
  return FBGPictureIndex == -1 ? nullptr : bsActivePicture(FSkinData, FBGPictureIndex);
}

void TbsSkinScrollBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  RecreateWnd();
}

void TbsSkinScrollBox::CreateParams(TCreateParams& Params) {
  TbsSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinScrollBox::CreateWnd() {
  TbsSkinCustomControl::CreateWnd();
  UpDateScrollRange();
}

void TbsSkinScrollBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      const auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired() && HandleAllocated()) SendMessageA(Handle(), WM_NCPAINT, 0, 0);
      return;
    }
    case WM_NCCALCSIZE:
      return WMNCCalcSize(Message);
    case WM_NCPAINT:
      WMNCPaint();
      Message.Result = 0;
      return;
    case CM_VISIBLECHANGED:
      return CMVisibleChanged(Message);
    case CM_FOCUSCHANGED:
      ScrollInView(reinterpret_cast<TControl*>(Message.LParam));
      break;
    default:
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

void TbsSkinScrollBox::CMVisibleChanged(TMessage& Message) {
  TbsSkinCustomControl::Dispatch(Message);
  if (Visible()) {
    // Only the bars the content needs come back.
    UpDateScrollRange();
    return;
  }
  for (TbsSkinScrollBar* bar : { FV.Bar, FH.Bar })
    if (bar) bar->SetVisible(false);
}

// ---- Painting -------------------------------------------------------------------------------------------

void TbsSkinScrollBox::WMNCCalcSize(TMessage& Message) {
  GetSkinData();
  auto* r = reinterpret_cast<RECT*>(Message.LParam);
  if (HasFrame()) {
    if (FSkinObjectIndex == -1) {
      InflateRect(r, -1, -1);
    } else {
      r->left += ClRect.Left;
      r->top += ClRect.Top;
      r->right -= RectWidth(SkinRect) - ClRect.Right;
      r->bottom -= RectHeight(SkinRect) - ClRect.Bottom;
    }
    // A frame thicker than the window leaves an empty client, never an inverted one.
    r->right = std::max(r->right, r->left);
    r->bottom = std::max(r->bottom, r->top);
  }
  Message.Result = 0;
}

void TbsSkinScrollBox::WMNCPaint() {
  GetSkinData();
  if (!HasFrame() || Width() < 1 || Height() < 1 || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  TCanvas c;
  c.SetHandle(dc);
  PaintFrame(&c);
  c.SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

void TbsSkinScrollBox::PaintFrame(TCanvas* Canvas) {
  GetSkinData();
  if (FSkinObjectIndex == -1) {
    if (FBorderStyle == bs::bvNone) return;
    Canvas->Brush()->SetStyle(bsClear);
    TRect r(0, 0, Width(), Height());
    // bvRaised draws the sunken-looking edge and bvLowered the raised one.
    const TColor topLeft = FBorderStyle == bs::bvLowered ? clBtnHighlight : clBtnShadow;
    const TColor bottomRight = FBorderStyle == bs::bvRaised ? clBtnHighlight : clBtnShadow;
    Frame3D(Canvas, r, topLeft, bottomRight, 1);
    return;
  }
  const int dW = Width() - RectWidth(SkinRect), dH = Height() - RectHeight(SkinRect);
  const TPoint newRT(RTPoint.X + dW, RTPoint.Y), newLB(LBPoint.X, LBPoint.Y + dH),
      newRB(RBPoint.X + dW, RBPoint.Y + dH);
  const TRect newCl(ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH);
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, LTPoint, newRT, newLB, newRB, newCl, &left, &top,
                         &right, &bottom, Picture, SkinRect, Width(), Height());
  Canvas->Draw(0, 0, &top);
  Canvas->Draw(0, top.Height(), &left);
  Canvas->Draw(Width() - right.Width(), top.Height(), &right);
  Canvas->Draw(0, Height() - bottom.Height(), &bottom);
}

void TbsSkinScrollBox::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(clBtnFace);
  B->Canvas()->FillRect(ClientRect());
}

void TbsSkinScrollBox::Paint() {
  GetSkinData();
  if (FSkinObjectIndex == -1) {
    TbsSkinCustomControl::Paint();
    return;
  }
  if (ClientWidth() < 1 || ClientHeight() < 1) return;
  if (TBitmap* p = BGPicture()) {
    // Tiled over the control's whole size, straight onto the window.
    const int nx = Width() / p->Width(), ny = Height() / p->Height();
    for (int i = 0; i <= nx; ++i)
      for (int j = 0; j <= ny; ++j) Canvas()->Draw(i * p->Width(), j * p->Height(), p);
    return;
  }
  TBitmap b;
  b.SetSize(ClientWidth(), ClientHeight());
  PaintTiles(b.Canvas());
  Canvas()->Draw(0, 0, &b);
}

void TbsSkinScrollBox::PaintTiles(TCanvas* C) {
  const int bw = ClientWidth(), bh = ClientHeight();
  const int w = RectWidth(ClRect), h = RectHeight(ClRect);
  if (w < 1 || h < 1) {
    // A skin client rectangle without pixels has nothing to tile: the button face shows instead.
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, bw, bh));
    return;
  }
  const int nx = bw / w, ny = bh / h;
  const TRect src(SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                  SkinRect.Top + ClRect.Bottom);
  for (int i = 0; i <= nx; ++i)
    for (int j = 0; j <= ny; ++j) {
      // The last tile of a row or column is cut at the buffer's edge.
      const int ox = std::max(0, i * w + w - bw), oy = std::max(0, j * h + h - bh);
      if (ox >= w || oy >= h) continue;
      C->CopyRect(TRect(i * w, j * h, i * w + w - ox, j * h + h - oy), Picture->Canvas(),
                  TRect(src.Left, src.Top, src.Right - ox, src.Bottom - oy));
    }
}

// ---- Streaming ------------------------------------------------------------------------------------------

// clang-format off
XJ_PUBLISHED(TbsSkinScrollBox,
  XJ_PROP(HScrollBar)
  XJ_PROP(VScrollBar)
  XJ_PROP(BorderStyle)
  XJ_PROP(Align, alNone)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabStop, false)
  XJ_EVENT(OnCanResize)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnConstrainedResize)
  XJ_EVENT(OnDockDrop)
  XJ_EVENT(OnDockOver)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnGetSiteInfo)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag)
  XJ_EVENT(OnUnDock));
// clang-format on
