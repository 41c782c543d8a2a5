// TCustomControlBar and TControlBar: bands in rows, dragged by their grips.

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/IntMath.h"
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

// Held to what a window can hold, so a handler's wild answer cannot overflow the layout.
std::vector<TCustomControlBar::TBandPlace> TCustomControlBar::BandPlaces() {
  std::vector<TBandPlace> places;
  for (int i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Visible())
      places.push_back(TBandPlace { Controls(i), TRect(kGrip, kMargin, kMargin, kMargin), 0, 1 });
  std::stable_sort(places.begin(), places.end(),
                   [](const TBandPlace& a, const TBandPlace& b) { return a.Control->Top() < b.Control->Top(); });
  if (!OnBandInfo) {
    for (TBandPlace& p : places) p.PreferredSize = p.Control->Width();
    return places;
  }
  std::vector<std::weak_ptr<const void>> lives;
  for (const TBandPlace& p : places) lives.push_back(p.Control->LifeToken());
  auto life = LifeToken();
  for (size_t i = 0; i < places.size() && !life.expired(); ++i) {
    TBandPlace& p = places[i];
    if (lives[i].expired()) continue;
    p.PreferredSize = p.Control->Width();
    OnBandInfo(this, p.Control, p.Insets, p.PreferredSize, p.RowCount);
    p.Insets = TRect(xj::ClampExtent(p.Insets.Left), xj::ClampExtent(p.Insets.Top), xj::ClampExtent(p.Insets.Right),
                     xj::ClampExtent(p.Insets.Bottom));
    p.PreferredSize = xj::ClampExtent(p.PreferredSize);
    p.RowCount = std::clamp(p.RowCount, 1, 1000);
  }
  if (life.expired()) return {};
  std::vector<TBandPlace> kept;
  for (size_t i = 0; i < places.size(); ++i)
    if (!lives[i].expired()) kept.push_back(places[i]);
  return kept;
}

int TCustomControlBar::LayoutBands(bool Apply) {
  auto life = LifeToken();
  std::vector<TBandPlace> places = BandPlaces();
  if (life.expired()) return -1;
  FInsets.clear();
  for (const TBandPlace& p : places) FInsets[p.Control] = p.Insets;
  // Rows as the children stand now: a band whose frame starts inside the current row joins it. A band
  // asking for more than one row makes its row that many RowSizes high at least.
  struct Row {
    int oldTop, height;
    std::vector<const TBandPlace*> bands;
  };
  std::vector<Row> rows;
  for (const TBandPlace& p : places) {
    TControl* c = p.Control;
    const int top = c->Top() - p.Insets.Top, height = c->Height() + p.Insets.Top + p.Insets.Bottom;
    if (rows.empty() || top >= rows.back().oldTop + rows.back().height) rows.push_back(Row { top, 0, {} });
    rows.back().height = std::max(rows.back().height, height);
    if (p.RowCount > 1)
      rows.back().height =
          std::max(rows.back().height,
                   static_cast<int>(std::min<int64_t>(int64_t { p.RowCount } * FRowSize, xj::MaxWindowExtent)));
    rows.back().bands.push_back(&p);
  }
  int y = 0;
  xj::TemporaryChange<bool> guard(FLayingOut, true);
  for (Row& row : rows) {
    if (FRowSnap) row.height = (row.height + FRowSize - 1) / FRowSize * FRowSize;
    if (Apply) {
      std::stable_sort(row.bands.begin(), row.bands.end(), [](const TBandPlace* a, const TBandPlace* b) {
        return a->Control->Left() < b->Control->Left();
      });
      int x = 0;
      for (const TBandPlace* p : row.bands) {
        TControl* c = p->Control;
        x = std::max(x, c->Left() - p->Insets.Left);
        c->SetBounds(x + p->Insets.Left, y + p->Insets.Top, p->PreferredSize, c->Height());
        x = c->Left() + c->Width() + p->Insets.Right;
      }
    }
    y = xj::ClampExtent(y + row.height);
  }
  return y;
}

TRect TCustomControlBar::InsetsOf(const TControl* AControl) const {
  const auto it = FInsets.find(AControl);
  return it != FInsets.end() ? it->second : TRect(kGrip, kMargin, kMargin, kMargin);
}

TRect TCustomControlBar::BandRect(const TControl* AControl) const {
  const TRect in = InsetsOf(AControl), b = AControl->BoundsRect();
  return TRect(b.Left - in.Left, b.Top - in.Top, b.Right + in.Right, b.Bottom + in.Bottom);
}

void TCustomControlBar::AlignControls(TControl*, TRect&) {
  if (FLayingOut || LayoutBands(true) < 0) return;
  if (AutoSize()) AdjustSize();
  Invalidate();
}

bool TCustomControlBar::CanAutoSize(int&, int& NewHeight) {
  const int rows = LayoutBands(false);
  if (rows < 0) return false;
  NewHeight = rows + Height() - ClientHeight();
  return true;
}

// The grip is the band's left inset, the height of the whole band.
TControl* TCustomControlBar::GripAt(int X, int Y) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    const TRect band = BandRect(c);
    if (c->Visible() && X >= band.Left && X < c->Left() && Y >= band.Top && Y < band.Bottom) return c;
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
  const TRect in = InsetsOf(c);
  int rowTop = c->Top() - in.Top, last = 0;
  bool found = false;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* o = Controls(i);
    if (o == c || !o->Visible()) continue;
    const TRect band = BandRect(o);
    last = std::max(last, band.Bottom);
    if (Y >= band.Top && Y < band.Bottom) {
      rowTop = found ? std::min(rowTop, band.Top) : band.Top;
      found = true;
    }
  }
  if (!found && Y >= last) rowTop = FRowSnap ? (last + FRowSize - 1) / FRowSize * FRowSize : last;
  const int left = std::max(X - FDragOffset.X, in.Left);
  if (left == c->Left() && rowTop + in.Top == c->Top()) return;
  c->SetBounds(left, rowTop + in.Top, c->Width(), c->Height());
  Realign();
  if (life.expired() || !FDragControl || !OnBandMove) return;
  TRect r = BandRect(FDragControl);
  OnBandMove(this, FDragControl, r);
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
    TRect r = BandRect(band);
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
