// TCustomControlBar and TControlBar: bands in rows, dragged by their grips.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/Scoped.h"

TCustomControlBar::TCustomControlBar(TComponent* AOwner)
    : TCustomControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FControlStyle = TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks };
  FPicture->OnChange = TNotifyEvent(this, &TCustomControlBar::PictureChanged);
  SetBounds(0, 0, 100, 50);
  SetColor(clBtnFace);
}

TCustomControlBar::~TCustomControlBar() {
  FPicture->OnChange = TNotifyEvent();
  TearDownWindow();
}

void TCustomControlBar::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_BORDER;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomControlBar::SetRowSize(int Value) {
  Value = std::max(Value, 1);
  if (FRowSize == Value) return;
  FRowSize = Value;
  Realign();
  Invalidate();
}

void TCustomControlBar::SetRowSnap(bool Value) {
  if (FRowSnap == Value) return;
  FRowSnap = Value;
  Realign();
  Invalidate();
}

void TCustomControlBar::PictureChanged(TObject*) { Invalidate(); }

void TCustomControlBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDragControl) FDragControl = nullptr;
}

int TCustomControlBar::LayoutBands(bool Apply) {
  std::vector<TControl*> bands;
  for (int i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Visible()) bands.push_back(Controls(i));
  std::stable_sort(bands.begin(), bands.end(), [](TControl* a, TControl* b) { return a->Top() < b->Top(); });
  // Rows as the children stand now: a band whose frame starts inside the current row joins it.
  struct Row {
    int oldTop, height;
    std::vector<TControl*> bands;
  };
  std::vector<Row> rows;
  for (TControl* c : bands) {
    const int top = c->Top() - kMargin, height = c->Height() + 2 * kMargin;
    if (rows.empty() || top >= rows.back().oldTop + rows.back().height) rows.push_back(Row { top, 0, {} });
    rows.back().height = std::max(rows.back().height, height);
    rows.back().bands.push_back(c);
  }
  int y = 0;
  xj::TemporaryChange<bool> guard(FLayingOut, true);
  for (Row& row : rows) {
    if (FRowSnap) row.height = (row.height + FRowSize - 1) / FRowSize * FRowSize;
    if (Apply) {
      std::stable_sort(row.bands.begin(), row.bands.end(),
                       [](TControl* a, TControl* b) { return a->Left() < b->Left(); });
      int x = 0;
      for (TControl* c : row.bands) {
        x = std::max(x, c->Left() - kGrip);
        c->SetBounds(x + kGrip, y + kMargin, c->Width(), c->Height());
        x = c->Left() + c->Width() + kMargin;
      }
    }
    y += row.height;
  }
  return y;
}

void TCustomControlBar::AlignControls(TControl*, TRect&) {
  if (FLayingOut) return;
  LayoutBands(true);
  if (AutoSize()) AdjustSize();
  Invalidate();
}

bool TCustomControlBar::CanAutoSize(int&, int& NewHeight) {
  NewHeight = LayoutBands(false) + Height() - ClientHeight();
  return true;
}

TControl* TCustomControlBar::GripAt(int X, int Y) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible() && X >= c->Left() - kGrip && X < c->Left() && Y >= c->Top() - kMargin &&
        Y < c->Top() + c->Height() + kMargin)
      return c;
  }
  return nullptr;
}

void TCustomControlBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || !FAutoDrag || FDragControl) return;
  TControl* c = GripAt(X, Y);
  if (!c) return;
  bool drag = true;
  auto band = c->LifeToken();  // the handler may free the bar or the band
  if (OnBandDrag) OnBandDrag(this, c, drag);
  if (!drag || life.expired() || band.expired()) return;
  FDragControl = c;
  FDragControl->FreeNotification(this);
  FDragOffset = TPoint(X - c->Left(), Y - c->Top());
}

void TCustomControlBar::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TCustomControl::MouseMove(Shift, X, Y);
  if (life.expired() || !FDragControl) return;
  TControl* c = FDragControl;
  // The row of the other bands under the mouse; below them all, a new row; elsewhere (the band's own
  // row when it is alone there) the band keeps its row.
  int rowTop = c->Top() - kMargin, last = 0;
  bool found = false;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* o = Controls(i);
    if (o == c || !o->Visible()) continue;
    const int top = o->Top() - kMargin, bottom = o->Top() + o->Height() + kMargin;
    last = std::max(last, bottom);
    if (Y >= top && Y < bottom) {
      rowTop = found ? std::min(rowTop, top) : top;
      found = true;
    }
  }
  if (!found && Y >= last) rowTop = FRowSnap ? (last + FRowSize - 1) / FRowSize * FRowSize : last;
  const int left = std::max(X - FDragOffset.X, kGrip);
  if (left == c->Left() && rowTop + kMargin == c->Top()) return;
  c->SetBounds(left, rowTop + kMargin, c->Width(), c->Height());
  Realign();
  if (FDragControl && OnBandMove) {
    TRect r(c->Left() - kGrip, c->Top() - kMargin, c->Left() + c->Width() + kMargin, c->Top() + c->Height() + kMargin);
    OnBandMove(this, c, r);
  }
}

void TCustomControlBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FDragControl) {
    FDragControl->RemoveFreeNotification(this);
    FDragControl = nullptr;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomControlBar::PaintControlFrame(TCanvas* Canvas, TControl* AControl, TRect& ARect) {
  TBandPaintOptions options { bpoGrabber, bpoFrame };
  auto life = LifeToken();  // the handler may free the bar, and the canvas with it
  if (OnBandPaint) OnBandPaint(this, AControl, Canvas, ARect, options);
  if (life.expired()) return;
  if (options.Contains(bpoFrame)) {
    TRect r = ARect;
    Frame3D(Canvas, r, clBtnHighlight, clBtnShadow, 1);
  }
  if (options.Contains(bpoGrabber)) {
    // Two raised ridges down the grip.
    TPen* pen = Canvas->Pen();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    for (int x : { ARect.Left + 3, ARect.Left + 6 }) {
      pen->SetColor(clBtnHighlight);
      Canvas->Polyline({ TPoint(x, ARect.Bottom - 4), TPoint(x, ARect.Top + 3), TPoint(x + 1, ARect.Top + 3) });
      pen->SetColor(clBtnShadow);
      Canvas->Polyline(
          { TPoint(x + 1, ARect.Top + 4), TPoint(x + 1, ARect.Bottom - 4), TPoint(x - 1, ARect.Bottom - 4) });
    }
  }
}

void TCustomControlBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(ClientRect());
  if (TGraphic* g = FPicture->Graphic(); g && g->Width() > 0 && g->Height() > 0)
    for (int y = 0; y < ClientHeight(); y += g->Height())
      for (int x = 0; x < ClientWidth(); x += g->Width()) c->Draw(x, y, g);
  auto life = LifeToken();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* band = Controls(i);
    if (!band->Visible()) continue;
    TRect r(band->Left() - kGrip, band->Top() - kMargin, band->Left() + band->Width() + kMargin,
            band->Top() + band->Height() + kMargin);
    PaintControlFrame(c, band, r);
    if (life.expired()) return;
  }
  if (OnPaint) OnPaint(this);
}

XJ_PUBLISHED(TControlBar,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoDrag, true)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Color, clBtnFace) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(Picture)
  XJ_PROP(PopupMenu)
  XJ_PROP(RowSize, 26)
  XJ_PROP(RowSnap, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder, -1)
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnBandDrag)
  XJ_EVENT(OnBandInfo)
  XJ_EVENT(OnBandMove)
  XJ_EVENT(OnBandPaint)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnPaint)
  XJ_EVENT(OnResize));
